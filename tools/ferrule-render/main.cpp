// ferrule-render: turns a timeline file into a video through the library's exports.
//   ferrule-render TIMELINE [-o out.mp4 | --frames DIR | --frame N -o out.png]
// Exit status: 0 done, 1 a failure while rendering, 2 a bad timeline or command line.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "timeline.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw render::TimelineError(path + ": cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: ferrule-render TIMELINE [-o out.mp4 | --frames DIR | --frame N -o out.png]\n");
        return 2;
    }
    try {
        const std::string file = argv[1];
        const std::string dir = file.find('/') == std::string::npos ? "." : file.substr(0, file.rfind('/'));
        const render::Timeline timeline = render::ParseTimeline(ReadFile(file), file, dir);
        std::printf("%s: %zu channels, %d frames\n", file.c_str(), timeline.channels.size(), timeline.output.frames);
    } catch (const render::TimelineError& e) {
        std::fprintf(stderr, "ferrule-render: %s\n", e.what());
        return 2;
    }
    return 0;
}
