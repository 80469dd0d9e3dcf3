#include "render_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#include <stb/stb_image.h>

namespace rtest {

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ferrule-render-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TempDir::Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

Run RunRender(const std::vector<std::string>& args) {
    const TempDir scratch;
    std::string command = "'" FERRULE_RENDER_PATH "'";
    for (const std::string& a : args) command += " '" + a + "'";
    command += " 2>'" + scratch / "stderr" + "' >'" + scratch / "stdout" + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(scratch / "stdout"), ReadText(scratch / "stderr")};
}

Png ReadPng(const std::string& path) {
    Png png;
    int channels = 0;
    stbi_uc* pixels = stbi_load(path.c_str(), &png.width, &png.height, &channels, 3);
    if (!pixels) return png;
    png.rgb.assign(pixels, pixels + static_cast<size_t>(png.width) * png.height * 3);
    stbi_image_free(pixels);
    return png;
}

}  // namespace rtest
