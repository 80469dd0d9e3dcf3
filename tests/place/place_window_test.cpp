// ferrule-place driven as a user drives it: the mouse and keys on its window, the
// controls beside it, and what Ctrl+S leaves in the timeline file.
#include <QApplication>
#include <QMessageBox>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/wait.h>

#include "tests/support/temp_dir.h"
#include "tools/ferrule-place/edit_canvas.h"
#include "tools/ferrule-place/place_window.h"

namespace {

using nlohmann::ordered_json;

// A picture show under a gradient under a 128 x 96 picture placed 1:1 at (96, 72); a
// title beside it.
std::string TimelineText(const std::string& picture) {
    return R"({
  "output": {"width": 320, "height": 240, "fps": 25, "frames": 10},
  "channels": [
    {"items": [{"type": "pictures", "first": 0, "last": 9, "files": [")" + picture + R"("], "fit": true, "opacity": 77},
               {"type": "overlay", "first": 0, "last": 9,
                "generate": {"kind": "gradient", "colour": "#4080FF", "width": 320, "height": 240}}]},
    {"items": [
      {"type": "title", "first": 0, "last": 9, "text": "Hi", "size": 12},
      {"type": "overlay", "first": 2, "last": 9, "media": ")" + picture + R"(",
       "corners": [[96, 72], [224, 72], [224, 168], [96, 168]], "outline_width": 2}
    ]}
  ]
}
)";
}
constexpr const char* kItem = "/channels/1/items/1";

class Place : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        media_ = new test::TempDir("ferrule-place-");
        const std::string make = "ffmpeg -nostdin -v error -f lavfi -i testsrc=s=128x96 -frames:v 1 '" + *media_ / "clip.png" + "'";
        ASSERT_EQ(std::system(make.c_str()), 0);
    }
    static void TearDownTestSuite() { delete media_; }

    std::string Timeline() const { return TimelineText(*media_ / "clip.png"); }
    std::string Saved() const { return dir_.Read("t.json"); }
    // The saved item compared with the one written, `changes` applied to it.
    void ExpectItem(const ordered_json& changes) const {
        ordered_json expected = ordered_json::parse(Timeline());
        for (const auto& [key, value] : changes.items()) expected[ordered_json::json_pointer(kItem)][key] = value;
        EXPECT_EQ(ordered_json::parse(Saved()), expected);
    }

    static test::TempDir* media_;
    test::TempDir dir_{"ferrule-place-"};
    const std::string path_ = dir_.Write("t.json", Timeline());
};
test::TempDir* Place::media_ = nullptr;

// The window over an item, shown and active, as a user has it.
struct Opened {
    explicit Opened(const std::string& path)
        : document(path), window(document, place::FindItem(document.timeline(), document.items(), "1:1")) {
        window.show();
        QApplication::setActiveWindow(&window);
    }
    place::EditCanvas* Canvas() { return window.findChild<place::EditCanvas*>("canvas"); }
    void Drag(QPoint from, QPoint to) {
        QTest::mousePress(Canvas(), Qt::LeftButton, {}, from);
        QTest::mouseMove(Canvas(), to);
        QTest::mouseRelease(Canvas(), Qt::LeftButton, {}, to);
    }
    void Keys(Qt::Key key) { QTest::keyClick(&window, key, Qt::ControlModifier); }
    QString Error() {
        QMessageBox* box = window.findChild<QMessageBox*>("error");
        const QString text = box ? box->text() : QString();
        delete box;
        return text;
    }
    place::PlaceDocument document;
    place::PlaceWindow window;
};

TEST_F(Place, ADraggedCornerMovesThatCornerOnly) {
    const struct {
        int corner, dx, dy;
    } kCases[] = {{0, 5, 3}, {2, -7, 4}, {3, 10, -6}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.corner);
        dir_.Write("t.json", Timeline());
        Opened place(path_);
        ordered_json corners = ordered_json::parse(Timeline())[ordered_json::json_pointer(kItem)]["corners"];
        const QPoint at(corners[c.corner][0].get<int>(), corners[c.corner][1].get<int>());
        place.Drag(at, at + QPoint(c.dx, c.dy));
        place.Keys(Qt::Key_S);
        corners[c.corner] = {at.x() + c.dx, at.y() + c.dy};
        ExpectItem({{"corners", corners}});
        if (const char* shot = std::getenv("FERRULE_PLACE_SCREENSHOT"); shot && c.corner == 2)
            place.window.grab().save(shot);
    }
}

TEST_F(Place, ARotationUndoneSavesTheFileAsItWas) {
    Opened place(path_);
    place.Keys(Qt::Key_R);  // Rotate 90 Degree CW about the box's centre (160, 120)
    place.Keys(Qt::Key_S);
    ExpectItem({{"corners", {{208, 56}, {208, 184}, {112, 184}, {112, 56}}}});
    place.Keys(Qt::Key_Z);
    place.Keys(Qt::Key_S);
    EXPECT_EQ(Saved(), Timeline());
}

TEST_F(Place, PropertiesSetFromTheControlsAreSaved) {
    Opened place(path_);
    place.window.findChild<QSlider*>("opacity")->setValue(128);
    place.window.findChild<QSlider*>("outlineOpacity")->setValue(128);
    QSpinBox* width = place.window.findChild<QSpinBox*>("outlineWidth");
    width->selectAll();
    QTest::keyClicks(width, "5");
    place.Keys(Qt::Key_S);
    ExpectItem({{"outline_width", 5}, {"opacity", 128}, {"outline_colour", "#80C8C8C8"}});
}

TEST_F(Place, ASaveThatCannotBeDoneLeavesTheFileAndKeepsTheEdits) {
    const struct {
        const char* why;
        std::function<void(const std::string&)> spoil, mend;
    } kCases[] = {
        {"changed on disk since it was opened", [](const std::string& p) { std::ofstream(p) << "{}"; },
         [this](const std::string& p) { std::ofstream(p) << Timeline(); }},
        {"is read-only", [](const std::string& p) { std::filesystem::permissions(p, std::filesystem::perms::owner_read); },
         [](const std::string& p) { std::filesystem::permissions(p, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write); }},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.why);
        dir_.Write("t.json", Timeline());
        Opened place(path_);
        place.Drag({96, 72}, {98, 76});
        c.spoil(path_);
        const std::string spoilt = Saved();
        place.Keys(Qt::Key_S);
        EXPECT_EQ(Saved(), spoilt);
        EXPECT_EQ(place.Error().toStdString(), path_ + ": " + c.why + "; not saved");
        c.mend(path_);
        const std::filesystem::perms mode = std::filesystem::status(path_).permissions();
        place.Keys(Qt::Key_S);
        ExpectItem({{"corners", {{98, 76}, {224, 72}, {224, 168}, {96, 168}}}});
        EXPECT_TRUE(std::filesystem::status(path_).permissions() == mode);
    }
}

TEST_F(Place, TheFrameSliderChangesTheBackgroundNotThePlacement) {
    Opened place(path_);
    const auto probe = [&] { return place.Canvas()->grab().toImage().pixel(10, 10); };
    const QRgb at_first = probe();
    place.window.findChild<QSlider*>("frame")->setValue(9);
    EXPECT_NE(probe(), at_first);
    place.Keys(Qt::Key_S);
    EXPECT_EQ(Saved(), Timeline());
}

struct Ran {
    int status;
    std::string out, err;
};
Ran RunProgram(const std::string& command, const test::TempDir& dir) {
    const int raw = std::system((command + " >'" + dir / "out" + "' 2>'" + dir / "err" + "'").c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, dir.Read("out"), dir.Read("err")};
}

TEST_F(Place, TheCommandLineRefusesWhatCannotBePlaced) {
    std::string bad = Timeline();
    bad.replace(bad.find("\"outline_width\": 2"), 18, "\"outline_width\": 200");
    dir_.Write("bad.json", bad);
    const Ran render = RunProgram("'" FERRULE_RENDER_PATH "' '" + dir_ / "bad.json" + "' --frame 0 -o '" + dir_ / "f.png" + "'", dir_);
    ASSERT_EQ(render.status, 2) << render.err;
    const struct {
        std::string args;
        int status;
        std::string err;
    } kCases[] = {
        {"'" + dir_ / "bad.json" + "'", 2, "ferrule-place: " + render.err.substr(render.err.find(' ') + 1)},
        {"'" + path_ + "' --item 1:0", 2,
         "ferrule-place: --item 1:0 is a title, which has no corners to place: only overlays and pictures are placeable\n"},
        {"--help", 0, ""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.args);
        const Ran run = RunProgram("'" FERRULE_PLACE_PATH "' " + c.args, dir_);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.err.substr(0, run.err.find('\n') + 1), c.err);
        EXPECT_EQ(run.out.rfind("usage: ferrule-place", 0) == 0, c.status == 0);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
