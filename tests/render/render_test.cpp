// ferrule-render as a user runs it: a timeline with every item kind gives the frames
// the exports give when a host drives them directly, bad timelines say what is wrong
// with exit status 2 and leave nothing, and --jobs changes nothing in the pictures.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "channels/effect_records.h"
#include "channels/overlay_records.h"
#include "tests/render/render_support.h"
#include "tools/ferrule-render/generated_clip.h"
#include "tools/ferrule-render/plugin_api.h"
#include "tools/ferrule-render/png_frames.h"
#include "tools/ferrule-render/render_job.h"
#include "tools/ferrule-render/text_title.h"
#include "tools/ferrule-render/timeline.h"
#include "tools/ferrule-render/transition.h"

namespace {

using rtest::ReadPng;
using rtest::RunRender;

constexpr int kW = 96, kH = 64, kFrames = 12;

// Every kind of item, each on its own channel, and a hidden channel that would cover all.
constexpr const char* kTimeline = R"({
  "output": {"width": 96, "height": 64, "fps": 25, "frames": 12},
  "channels": [
    {"items": [{"type": "overlay", "first": 0, "last": 11, "generate": {"kind": "gradient", "width": 96, "height": 64}}]},
    {"items": [{"type": "pictures", "first": 2, "last": 9, "frames_per_picture": 4, "files": ["a.png", "b.png"],
                "transition": "crossfade", "transition_length": 2, "every_picture": true}]},
    {"items": [{"type": "overlay", "first": 0, "last": 11, "clip_start": 3,
                "generate": {"kind": "checker", "colour": "#FF2080", "width": 40, "height": 30},
                "corners": [[10, 8], [70, 14], [60, 50], [6, 40]], "key_colour": "#000000", "opacity": 200,
                "outline_width": 2, "outline_colour": "#FF00FF00", "transition": "wipe-right", "transition_length": 3,
                "flip_horizontal": true, "flip_vertical": true, "reverse": true, "crop": [2, 1, 4, 3], "resize": [30, 20],
                "borders": [1, 2, 3, 4], "border_colour": "#0000FF", "speed": 200}]},
    {"items": [{"type": "title", "first": 1, "last": 10, "text": "Hi", "size": 20, "y": 0.3, "fade_in": 3},
               {"type": "subtitles", "first": 0, "last": 11, "file": "s.srt"}]},
    {"items": [{"type": "slide", "first": 6, "last": 9, "transition": "push"}]},
    {"visible": false, "items": [{"type": "overlay", "first": 0, "last": 11, "generate": {"kind": "colour", "width": 96, "height": 64}}]}
  ]
})";

void WritePicture(const std::string& path, uint8_t shade) {
    std::vector<uint8_t> bgr(static_cast<size_t>(kW) * 3 * kH);
    for (size_t i = 0; i < bgr.size(); ++i) bgr[i] = static_cast<uint8_t>(shade + i % 3 * 40 + i / (kW * 3) * 2);
    render::WritePngFrame(path, bgr.data(), kW * 3, kW, kH);
}

struct Files {
    rtest::TempDir dir;
    Files() {
        dir.Write("t.json", kTimeline);
        dir.Write("s.srt", "1\n00:00:00,000 --> 00:00:02,000\nSub\n");
        WritePicture(dir / "a.png", 20);
        WritePicture(dir / "b.png", 120);
    }
};

// The same placement a host makes by hand through the exports: top-down RGB per frame.
std::vector<std::vector<uint8_t>> FramesFromTheExports(const Files& files) {
    render::EnvPtr env = render::NewFrameServer();
    render::PluginApi api(env.get());
    const AVSValue args[] = {kFrames, kW, kH, "RGB24", 25, 48000, true};
    const char* names[] = {"length", "width", "height", "pixel_type", "fps", "audio_rate", "stereo"};
    PClip main = env->Invoke("SetMainCh", env->Invoke("SetTempCh", env->Invoke("BlankClip", AVSValue(args, 7), names))).AsClip();
    const render::Output out{.width = kW, .height = kH, .fps = 25, .frames = kFrames};
    const EditPlacement whole{{{0, 0}, {96, 0}, {96, 64}, {0, 64}}, kW, kH, 255, kNoKeyColour, 0};

    render::Source background;
    background.generate = "gradient", background.width = kW, background.height = kH, background.frames = kFrames;
    PClip bg = new render::GeneratedClip(background, out);
    OverlayClipInfo bg_info;
    bg_info.last_frame = 11, bg_info.item_id = 1, bg_info.clip = &bg, bg_info.video_enabled = 1;
    OverlayEffect bg_effect;
    bg_effect.placement = whole;
    api.AddOverlay(&bg_info, &bg_effect, 0, 0);

    render::Transition crossfade(render::TransitionKind::kCrossFade), wipe(render::TransitionKind::kWipeRight),
        push(render::TransitionKind::kPush);
    ImageEffect show;
    show.pictures.PushBack(CString((files.dir / "a.png").c_str()));
    show.pictures.PushBack(CString((files.dir / "b.png").c_str()));
    show.id = 2, show.frames_per_picture = 4, show.first_frame = 2, show.last_frame = 9;
    show.placement = whole;
    show.fit = 1, show.every_picture = 1, show.transition_length = 2;
    show.transitions.PushBack(&crossfade);
    api.AddImageEff(&show, 1, 0);

    render::Source checker;
    checker.generate = "checker", checker.colour = 0xFF2080, checker.width = 40, checker.height = 30, checker.frames = kFrames;
    PClip ch = new render::GeneratedClip(checker, out);
    OverlayClipInfo ch_info;
    ch_info.clip_first_frame = 3, ch_info.last_frame = 11, ch_info.item_id = 3, ch_info.clip = &ch, ch_info.video_enabled = 1;
    SlideEffect wipe_in{0, 4, &wipe, 0, 0, 0, 2};
    SlideEffect* slides[] = {&wipe_in};
    OverlayEffect ch_effect;
    ch_effect.placement = {{{10, 8}, {70, 14}, {60, 50}, {6, 40}}, kW, kH, 200, 0, 2, 0xFF00FF00};
    ch_effect.slides.first = slides, ch_effect.slides.last = ch_effect.slides.end = slides + 1;
    ch_effect.flip_horizontal = ch_effect.flip_vertical = ch_effect.reverse = 1;
    ch_effect.crop_enabled = 1, ch_effect.crop[0] = 2, ch_effect.crop[1] = 1, ch_effect.crop[2] = 4, ch_effect.crop[3] = 3;
    ch_effect.resize_enabled = 1, ch_effect.resize_width = 30, ch_effect.resize_height = 20;
    ch_effect.borders_enabled = 1, ch_effect.borders[0] = 1, ch_effect.borders[1] = 2, ch_effect.borders[2] = 3;
    ch_effect.borders[3] = 4, ch_effect.border_colour = 0x0000FF, ch_effect.speed = 200;
    api.AddOverlay(&ch_info, &ch_effect, 2, 0);

    const auto title = render::TextTitle::Create({.text = "Hi", .size = 20, .y = 0.3, .fade_in = 3});
    const TitleEffect title_record{0, 0, 5, title.get(), 0, 1, 10};
    api.AddTitleEff(&title_record, 3, 0);
    SubtitleInfo sub;
    sub.file = (files.dir / "s.srt").c_str();
    sub.width = kW, sub.height = kH, sub.item_id = 6, sub.last_frame = 11;
    api.AddSubtitleFile(&sub, 3, 0);

    const SlideEffect push_record{0, 7, &push, 0, 0, 6, 9};
    api.AddSlideEff(&push_record, 4, 0);
    render::Source cover = background;
    cover.generate = "colour";
    PClip cv = new render::GeneratedClip(cover, out);
    OverlayClipInfo cv_info = bg_info;
    cv_info.item_id = 8, cv_info.clip = &cv;
    api.AddOverlay(&cv_info, &bg_effect, 5, 0);
    api.SetChannelVisible(5, 0);
    api.UpdateSlideEffsData();

    std::vector<std::vector<uint8_t>> frames;
    for (int n = 0; n < kFrames; ++n) {
        const PVideoFrame f = main->GetFrame(n, env.get());
        std::vector<uint8_t> rgb(static_cast<size_t>(kW) * 3 * kH);
        for (int y = 0; y < kH; ++y) {
            const uint8_t* src = f->GetReadPtr() + (kH - 1 - y) * f->GetPitch();
            for (int x = 0; x < kW; ++x)
                for (int c = 0; c < 3; ++c) rgb[(y * kW + x) * 3 + c] = src[x * 3 + 2 - c];
        }
        frames.push_back(std::move(rgb));
    }
    api.RemoveAllItems();
    return frames;
}

TEST(Render, EveryItemKindGivesTheFramesTheExportsGiveAndJobsChangeNothing) {
    const Files files;
    const std::vector<std::vector<uint8_t>> want = FramesFromTheExports(files);
    ASSERT_NE(want[0], want[7]) << "the timeline moves";
    ASSERT_NE(want[4], want[8]) << "the show changes pictures";

    for (const char* jobs : {"1", "2"}) {
        const std::string dir = files.dir / (std::string("frames-") + jobs);
        const rtest::Run run = RunRender({files.dir / "t.json", "--frames", dir, "--jobs", jobs});
        ASSERT_EQ(run.status, 0) << run.errors;
        for (int n = 0; n < kFrames; ++n) {
            const rtest::Png png = ReadPng(dir + "/" + render::FrameFileName(n));
            ASSERT_EQ(png.width, kW);
            EXPECT_EQ(png.rgb, want[size_t(n)]) << "frame " << n << " with --jobs " << jobs;
        }
    }
    const rtest::Run one = RunRender({files.dir / "t.json", "--frame", "7", "-o", files.dir / "seven.png"});
    ASSERT_EQ(one.status, 0) << one.errors;
    EXPECT_EQ(ReadPng(files.dir / "seven.png").rgb, want[7]);
}

// A media file reaches the library as the host's do, through ImportClip: what ferrule-render
// made a moment ago comes back as the frame server's Import decodes it, from clip_start on.
TEST(Render, MediaComesInThroughImportClip) {
    const rtest::TempDir dir;
    dir.Write("make.json", R"({"output": {"width": 64, "height": 48, "frames": 12},
        "channels": [{"items": [{"type": "overlay", "first": 0, "last": 11, "generate": {"kind": "gradient"}}]}]})");
    ASSERT_EQ(RunRender({dir / "make.json", "-o", dir / "a.mp4", "--quiet"}).status, 0);
    dir.Write("use.json", R"({"output": {"width": 64, "height": 48, "frames": 8},
        "channels": [{"items": [{"type": "overlay", "first": 0, "last": 7, "media": "a.mp4", "clip_start": 2}]}]})");
    const rtest::Run run = RunRender({dir / "use.json", "--frame", "3", "-o", dir / "three.png"});
    ASSERT_EQ(run.status, 0) << run.errors;

    render::EnvPtr env = render::NewFrameServer();
    const PVideoFrame f = env->Invoke("Import", AVSValue((dir / "a.mp4").c_str())).AsClip()->GetFrame(5, env.get());
    std::vector<uint8_t> want;
    for (int y = 47; y >= 0; --y)
        for (int x = 0; x < 64; ++x)
            for (int c = 2; c >= 0; --c) want.push_back(f->GetReadPtr()[y * f->GetPitch() + 3 * x + c]);
    EXPECT_EQ(ReadPng(dir / "three.png").rgb, want);
}

// What `make demo` runs: both files, the sheet a 4 x 2 grid of 320-wide tiles.
TEST(Render, TheDemoWritesItsVideoAndContactSheet) {
    const rtest::TempDir dir;
    const rtest::Run run = RunRender({"--demo", dir / "out", "--quiet"});
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_GT(std::filesystem::file_size(dir / "out/demo.mp4"), 10000u);
    const rtest::Png sheet = ReadPng(dir / "out/demo-contact.png");
    EXPECT_EQ(sheet.width, 4 * 320 + 5 * 4);
    EXPECT_EQ(sheet.height, 2 * 180 + 3 * 4);
}

// --help on stdout; anything wrong as one "ferrule-render: " line on stderr (the usage
// after it for a bad command line), exit status 2 for a bad command line, timeline, media
// or output, and no output left.
TEST(Render, HelpAndErrorsGoWhereTheyBelongWithTheirStatus) {
    const rtest::TempDir dir;
    dir.Write("t.json", R"({"output": {"frames": 3}, "channels": []})");
    dir.Write("bad.json", R"({"channels": [{"items": [], "colour": 1}]})");
    dir.Write("media.json",
                     R"({"channels": [{"items": [{"type": "overlay", "first": 0, "last": 1, "media": "t.json"}]}]})");
    const std::string usage = RunRender({"--help"}).output;
    ASSERT_EQ(usage.rfind("usage: ferrule-render TIMELINE -o OUT.mp4 [--jobs N] [--quiet]\n", 0), 0u) << usage;
    const std::string out = dir / "out.mp4";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string error;  // after the prefix
    };
    const Case cases[] = {
        {{"-h"}, 0, ""},
        {{dir / "t.json", "-o", out, "--help"}, 0, ""},
        {{}, 2, "no timeline file\n" + usage},
        {{dir / "t.json"}, 2, "give one of -o OUT.mp4, --frames DIR, or --frame N -o OUT.png\n" + usage},
        {{dir / "t.json", "-o", out, "--jobs", "0"}, 2, "--jobs wants a whole number of at least 1\n" + usage},
        {{dir / "t.json", "--frame", "3", "-o", dir / "x.png"}, 2, "--frame 3 is past the timeline's 3 frames\n" + usage},
        {{dir / "missing.json", "-o", out}, 2, dir / "missing.json: cannot be read\n"},
        {{dir / "bad.json", "-o", out}, 2, dir / "bad.json: /channels/0/colour: unknown key\n"},
        {{dir / "media.json", "-o", out, "--jobs", "1"}, 2,
         dir / "media.json: /channels/0/items/0/media: Import: cannot open \"" + dir / "t.json" +
             "\": Invalid data found when processing input\n"},
        {{dir / "t.json", "-o", dir / "none/x.mp4", "--jobs", "1"}, 2,
         dir / "none/x.mp4: the folder \"" + dir / "none" + "\" does not exist\n"},
    };
    for (const Case& c : cases) {
        const rtest::Run run = RunRender(c.args);
        std::string line;
        for (const std::string& a : c.args) line += a + " ";
        EXPECT_EQ(run.status, c.status) << line;
        EXPECT_EQ(run.output, c.status ? "" : usage) << line;
        EXPECT_EQ(run.errors, c.error.empty() ? "" : "ferrule-render: " + c.error) << line;
        EXPECT_EQ(dir.Names(), (std::vector<std::string>{"bad.json", "media.json", "t.json"})) << line;
    }
}

}  // namespace
