// A scratch folder of the test's own under the system's temporary folder, removed
// with everything in it when the object goes.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace test {

class TempDir {
public:
    explicit TempDir(const std::string& prefix = "ferrule-test-") {
        // A random name, so that test programs running at the same time never share one.
        std::random_device rd;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const auto p = std::filesystem::temp_directory_path() / (prefix + std::to_string(rd() % 1000000000u));
            if (std::filesystem::create_directory(p)) path_ = p;
        }
        if (path_.empty()) throw std::runtime_error("no scratch folder");
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

    // Writes bytes to the named file; returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const {
        const std::string p = *this / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(*this / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The names of the files in the folder, sorted.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path path_;
};

}  // namespace test
