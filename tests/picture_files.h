// Picture files for the image suites, written as PNG into a folder that goes away
// with the object.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace test {

class PictureFolder : public TempDir {
public:
    PictureFolder() : TempDir("ferrule-pictures-") {}

    // A w x h PNG of top-down ARGB pixels; returns its path.
    std::string WritePng(const std::string& name, int w, int h, const std::vector<uint32_t>& argb);
    std::string Solid(const std::string& name, int w, int h, uint32_t argb) {
        return WritePng(name, w, h, std::vector<uint32_t>(static_cast<size_t>(w) * h, argb));
    }
};

}  // namespace test
