#include "render_support.h"

#include <sys/wait.h>

#include <cstdlib>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#include <stb/stb_image.h>

namespace rtest {

Run RunRender(const std::vector<std::string>& args) {
    const TempDir scratch("ferrule-render-test-");
    std::string command = "'" FERRULE_RENDER_PATH "'";
    for (const std::string& a : args) command += " '" + a + "'";
    command += " 2>'" + scratch / "stderr" + "' >'" + scratch / "stdout" + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, scratch.Read("stdout"), scratch.Read("stderr")};
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
