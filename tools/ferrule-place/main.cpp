// ferrule-place: places an overlay or a picture show of a timeline by hand, with the
// edit window's handles, and saves its placement into the timeline file.
//   ferrule-place TIMELINE [--item CHANNEL:INDEX] [--frame N]
// Exit status: 0 closed, 1 a failure, 2 a bad timeline or command line.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "tools/ferrule-place/place_document.h"
#include "tools/ferrule-place/place_window.h"

namespace {

constexpr const char* kUsage =
    "usage: ferrule-place TIMELINE [--item CHANNEL:INDEX] [--frame N]\n"
    "       ferrule-place --help\n";
constexpr const char* kHelp =
    "Shows the overlay or picture show CHANNEL:INDEX (the first one when not given) at\n"
    "frame N (its first when not given) over the frame composed without it. Drag its\n"
    "corners, edges and handles; Ctrl+S writes its corners, opacity, key_colour,\n"
    "outline_width and outline_colour into TIMELINE.\n";

void PrintError(const std::string& what) { std::fprintf(stderr, "ferrule-place: %s\n", what.c_str()); }

struct Options {
    std::string timeline, item;
    std::optional<int> frame;
    bool help = false;
};

Options ParseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&] {
            if (i + 1 >= argc) throw place::UsageError(a + " wants a value");
            return std::string(argv[++i]);
        };
        if (a == "-h" || a == "--help") o.help = true;
        else if (a == "--item") o.item = value();
        else if (a == "--frame") {
            const std::string n = value();
            char* end = nullptr;
            const long v = std::strtol(n.c_str(), &end, 10);
            if (n.empty() || *end || v < 0 || v > 100000000) throw place::UsageError("--frame wants a frame number, not \"" + n + "\"");
            o.frame = static_cast<int>(v);
        } else if (a.size() > 1 && a[0] == '-') throw place::UsageError("unknown option " + a);
        else if (o.timeline.empty()) o.timeline = a;
        else throw place::UsageError("one timeline file only");
    }
    if (!o.help && o.timeline.empty()) throw place::UsageError("no timeline file");
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const Options o = ParseOptions(argc, argv);
        if (o.help) {
            std::fputs(kUsage, stdout);
            std::fputs(kHelp, stdout);
            return 0;
        }
        // The timeline is read and placed before there is any window, so that a bad one
        // is said as ferrule-render says it, with no display needed.
        place::PlaceDocument document(o.timeline);
        if (document.items().empty()) throw place::UsageError(o.timeline + ": no overlay or pictures item to place");
        const size_t item = o.item.empty() ? 0 : place::FindItem(document.timeline(), document.items(), o.item);
        const place::PlaceableItem& p = document.items()[item];
        if (o.frame && (*o.frame < p.first || *o.frame > p.last))
            throw place::UsageError("--frame " + std::to_string(*o.frame) + " is outside the item's frames " +
                                    std::to_string(p.first) + " to " + std::to_string(p.last));
        QApplication app(argc, argv);
        place::PlaceWindow window(document, item, o.frame);
        window.show();
        return app.exec();
    } catch (const place::UsageError& e) {
        PrintError(e.what());
        std::fputs(kUsage, stderr);
        return 2;
    } catch (const render::TimelineError& e) {  // SetupError too
        PrintError(e.what());
        return 2;
    } catch (const std::exception& e) {
        PrintError(e.what());
        return 1;
    }
}
