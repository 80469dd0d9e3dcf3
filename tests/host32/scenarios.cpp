#include "tests/host32/scenarios.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "tests/fake_renderers.h"

namespace scenario {

VideoInfo Rgb24Format(int width, int height, int frames, int rate, int channels) {
    VideoInfo vi{};
    vi.width = width, vi.height = height, vi.num_frames = frames;
    vi.fps_numerator = 25, vi.fps_denominator = 1, vi.pixel_type = VideoInfo::CS_BGR24;
    vi.audio_samples_per_second = rate, vi.sample_type = SAMPLE_INT16, vi.nchannels = channels;
    vi.num_audio_samples = vi.AudioSamplesFromFrames(frames);
    return vi;
}

PatternClip::PatternClip(int width, int height, int seed, bool key)
    : vi_(Rgb24Format(width, height, 50, 8000, 2)), seed_(seed), key_(key) {}

PVideoFrame* AVS_STDCALL PatternClip::GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) {
    PVideoFrame f = env->NewVideoFrame(vi_);
    for (int r = 0; r < vi_.height; ++r) {
        uint8_t* p = f->GetWritePtr() + r * f->GetPitch();
        for (int x = 0; x < vi_.width; ++x, p += 3) {
            if (key_ && ((x / 4 + r / 4) & 1)) {
                std::memcpy(p, kKey, 3);
                continue;
            }
            for (int b = 0; b < 3; ++b) p[b] = static_cast<uint8_t>(r * 7 + (x * 3 + b) * 5 + n * 9 + seed_ * 41);
        }
    }
    return new (result) PVideoFrame(std::move(f));
}

void AVS_STDCALL PatternClip::GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment*) {
    auto* out = static_cast<int16_t*>(buf);
    for (int64_t s = start; s < start + count; ++s)
        for (int ch = 0; ch < 2; ++ch) *out++ = Sample(s, ch);
}

OverlayRecords::OverlayRecords(const PClip* clip, int id, int first, int last, float left, float top) {
    info.first_frame = first;
    info.last_frame = last;
    info.item_id = id;
    info.clip = clip;
    info.video_enabled = 1;
    info.fade_in_end = info.fade_out_start = -1;
    effect.placement.reference_width = 64;
    effect.placement.reference_height = 48;
    effect.placement.opacity = 255;
    effect.placement.key_colour = FERRULE_NO_KEY_COLOUR;
    effect.amplify = -1;
    effect.speed = 100;
    MoveTo(left, top);
}

void OverlayRecords::MoveTo(float left, float top) {
    const float w = static_cast<float>((*info.clip)->GetVideoInfo().width);
    const float h = static_cast<float>((*info.clip)->GetVideoInfo().height);
    Corners({{left, top}, {left + w, top}, {left + w, top + h}, {left, top + h}});
}

namespace {

uint32_t Crc32(const uint8_t* p, size_t n, uint32_t crc = 0) {
    crc = ~crc;
    while (n--) {
        crc ^= *p++;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

std::string Hex(uint32_t v) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", v);
    return text;
}

// The CRC of a picture's rows, without the padding after each.
uint32_t RowsCrc(const uint8_t* p, int pitch, int row_bytes, int height) {
    uint32_t crc = 0;
    for (int y = 0; y < height; ++y) crc = Crc32(p + static_cast<ptrdiff_t>(y) * pitch, static_cast<size_t>(row_bytes), crc);
    return crc;
}

// The exports this host calls, found by name.
#define SCENARIO_EXPORTS(X)                                                                                       \
    X(InsertChannel) X(RemoveChannel) X(SetChannelVisible) X(RemoveItem) X(ChangeItemChLevel) X(RemoveAllItems)   \
    X(GetMainClip) X(AddTitleEff) X(AddSlideEff) X(UpdateSlideEffsData) X(AddOverlay) X(SetOverlayEffect)         \
    X(SetPreviewClip) X(SetQuickWarp) X(GetFrame) X(GetFrameByID) X(GetClipFrame) X(AddSubtitleFile)             \
    X(ImportSubtitleFile)

struct Api {
#define SCENARIO_MEMBER(name) decltype(&::name) name = nullptr;
    SCENARIO_EXPORTS(SCENARIO_MEMBER)
#undef SCENARIO_MEMBER
};

// One scenario's frame server and the exports, the host's own clips made through it.
class Session {
public:
    Session(const Host& host, const char* name) : host_(host), name_(name), env_(host.new_server()) {
#define SCENARIO_FIND(e) api.e = reinterpret_cast<decltype(api.e)>(host.find_export(#e));
        SCENARIO_EXPORTS(SCENARIO_FIND)
#undef SCENARIO_FIND
    }
    ~Session() { host_.delete_server(env_); }

    IScriptEnvironment* Env() const { return env_; }
    // The main manager over `input`, as a script publishes it.
    PClip Main(const PClip& input) {
        return env_->Invoke("SetMainCh", env_->Invoke("SetTempCh", AVSValue(input)).AsClip()).AsClip();
    }
    void Line(const std::string& what, const std::string& value) const { host_.line(name_ + ": " + what + ": " + value); }
    bool Check(bool ok, const std::string& what) const { return host_.check(ok, name_ + ": " + what); }

    // CRCs of what the frame server and the exports hand out.
    uint32_t Frame(const PClip& clip, int n) const {
        const PVideoFrame f = clip->GetFrame(n, env_);
        return RowsCrc(f->GetReadPtr(), f->GetPitch(), f->GetRowSize(), f->GetHeight());
    }
    // What the exports hand out as "WIDTHxHEIGHTxBPP SIZE CRC", freed as the host frees it.
    std::string HostFrame(int n, int excluded_id = -1) const {
        Buffer b;
        api.GetFrame(n, excluded_id, &b.bytes, &b.size, &b.width, &b.height);
        return Handed(b);
    }
    std::string Picture(int n, int id) const {
        Buffer b;
        api.GetFrameByID(n, id, &b.bytes, &b.size, &b.width, &b.height, &b.bpp);
        return Handed(b);
    }
    std::string ClipFrame(const PClip& clip, int n) const {
        Buffer b;
        b.bpp = api.GetClipFrame(&clip, n, &b.bytes, &b.size);  // its answer in place of the depth
        return Handed(b);
    }

    Api api;

private:
    struct Buffer {
        uint8_t* bytes = nullptr;
        int32_t size = 0, width = 0, height = 0, bpp = 0;
    };
    std::string Handed(const Buffer& b) const {
        if (!b.bytes) return "none";
        const std::string s = std::to_string(b.width) + "x" + std::to_string(b.height) + "x" + std::to_string(b.bpp) +
                              " " + std::to_string(b.size) + " " + Hex(Crc32(b.bytes, static_cast<size_t>(b.size)));
        host_.free_buffer(b.bytes);
        return s;
    }
    const Host& host_;
    std::string name_;
    IScriptEnvironment* env_;
};

// A non-rectangular quadrilateral with opacity, key colour and outline, smooth and quick.
void Warp(const Host& host) {
    Session s(host, "warp");
    const PClip main = s.Main(new PatternClip(64, 48, 1));
    s.api.InsertChannel(1);
    const PClip clip = new PatternClip(24, 16, 2, true);
    OverlayRecords o(&clip, 21, 0, 9, 0, 0);
    o.Corners({{10.5f, 6}, {54, 11.25f}, {47.25f, 41}, {5, 33.5f}});
    o.effect.placement.opacity = 176;
    o.effect.placement.key_colour = 0x0000FF00;  // COLORREF green
    o.effect.placement.outline_width = 2;
    o.effect.placement.outline_colour = 0xFF2040E0;
    s.api.AddOverlay(&o.info, &o.effect, 1, 0);

    for (int quick : {0, 1}) {
        const std::string mode = quick ? "quick" : "smooth";
        s.Line("SetQuickWarp", std::to_string(s.api.SetQuickWarp(quick)));
        for (int n : {0, 3}) {
            s.Line(mode + " frame " + std::to_string(n), Hex(s.Frame(main, n)));
            s.Line(mode + " host frame " + std::to_string(n), s.HostFrame(n));
        }
    }
    s.api.SetQuickWarp(0);
    s.Check(s.HostFrame(3) != s.HostFrame(3, 21), "the overlay changes the frame");
}

// Titles and a slide through the host's renderer objects over an overlay; snapshots
// taken on request.
void TitlesAndSlides(const Host& host) {
    Session s(host, "titles");
    const PClip main = s.Main(new PatternClip(64, 48, 3));
    for (int c = 1; c <= 3; ++c) s.api.InsertChannel(c);
    const PClip clip = new PatternClip(64, 48, 12);
    const OverlayRecords o(&clip, 30, 0, 9, 0, 0);
    s.api.AddOverlay(&o.info, &o.effect, 1, 0);
    test::FakeRenderer title = test::NewTitleRenderer(10), slide = test::NewSlideRenderer(3, 0);
    const FerruleTitleEffect t = {0, 0, 31, reinterpret_cast<FerruleTitleRenderer*>(&title), 0x1234, 2, 5};
    const FerruleSlideEffect sl = {0, 32, reinterpret_cast<FerruleSlideRenderer*>(&slide), 0, 7, 4, 7};
    s.api.AddTitleEff(&t, 2, 0);
    s.api.AddSlideEff(&sl, 3, 0);
    // A second overlay, half transparent, brought in by a slide of its own on frames 6..8.
    test::FakeRenderer bring_in = test::NewSlideRenderer(5, 0);
    FerruleSlideEffect in = {0, 33, reinterpret_cast<FerruleSlideRenderer*>(&bring_in), 0, 9, 6, 8};
    FerruleSlideEffect* slides[] = {&in};
    OverlayRecords o2(&clip, 34, 6, 9, 0, 0);
    o2.Corners({{4, 2.5f}, {60, 6}, {56.5f, 44}, {2, 40}});
    o2.effect.placement.opacity = 200;
    o2.effect.slides = {nullptr, slides, slides + 1, slides + 1};
    s.api.AddOverlay(&o2.info, &o2.effect, 1, 0);
    s.api.UpdateSlideEffsData();
    s.Line("after the snapshot: title calls", test::Log(title));
    s.Line("after the snapshot: slide calls", test::Log(slide));
    title.log.clear();
    slide.log.clear();
    for (int n = 0; n <= 8; ++n) s.Line("frame " + std::to_string(n), Hex(s.Frame(main, n)));
    s.Line("title calls", test::Log(title));
    s.Line("slide calls", test::Log(slide));
    std::string bitmaps;  // the overlay's picture as the host reads it
    for (const test::RendererCall& c : bring_in.log)
        if (c.slot == 10)
            bitmaps += " at " + std::to_string(c.x) + "," + std::to_string(c.y) + " " + std::to_string(c.bitmap_width) +
                       "x" + std::to_string(c.bitmap_height) + " " +
                       Hex(Crc32(reinterpret_cast<const uint8_t*>(c.bitmap_pixels.data()), c.bitmap_pixels.size() * 4));
    s.Line("overlay slide calls", test::Log(bring_in) + bitmaps);
    s.Check(s.Frame(main, 3) != s.Frame(clip, 3), "the title changes the overlay's frame");
}

// The host's subtitle renderer: its input with the first row's bytes set from the frame
// number it is asked for and the length of the file it was given.
class RowSubtitles : public GenericVideoFilter {
public:
    RowSubtitles(const PClip& child, const char* path) : GenericVideoFilter(child), length_(FileLength(path)) {}
    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) override {
        PVideoFrame f = child->GetFrame(n, env);
        env->MakeWritable(&f);
        std::memset(f->GetWritePtr(), n + length_, static_cast<size_t>(f->GetRowSize()));
        return new (result) PVideoFrame(std::move(f));
    }
    using IClip::GetFrame;
    static AVSValue* AVS_CDECL Create(AVSValue* result, AVSValueRaw raw, void*, IScriptEnvironment*) {
        const AVSValue args = AVSValue::Adopt(raw);
        return new (result) AVSValue(new RowSubtitles(args[0].AsClip(), args[1].AsString()));
    }

private:
    static int FileLength(const char* path) {
        FILE* f = std::fopen(path, "rb");
        if (!f) return -1;
        std::fseek(f, 0, SEEK_END);
        const int length = static_cast<int>(std::ftell(f));
        std::fclose(f);
        return length;
    }
    int length_;
};

// A subtitle file on a channel and alone, rendered by the host's own renderer.
void Subtitles(const Host& host) {
    Session s(host, "subtitles");
    const char* path = "ferrule-scenario.srt";
    FILE* f = std::fopen(path, "wb");
    if (!s.Check(f != nullptr, "the subtitle file is written")) return;
    std::fputs("1\n00:00:01,200 --> 00:00:01,300\nshort\n\n2\n00:00:01,300 --> 00:00:02,000\nthe longer one\n", f);
    std::fclose(f);
    s.Env()->AddFunction("TextSub", "cs", &RowSubtitles::Create, nullptr);
    const PClip main = s.Main(new PatternClip(64, 48, 4));
    s.api.InsertChannel(1);
    s.api.InsertChannel(2);
    const PClip under = new PatternClip(16, 8, 5);
    OverlayRecords o(&under, 42, 0, 9, 0, 0);  // beneath, at the bottom left
    o.MoveTo(0, 40);
    s.api.AddOverlay(&o.info, &o.effect, 1, 0);
    HostText name("reserved"), file(path);
    // The chain runs at 30 fps: its frames 34..41 on frames 2..9.
    const FerruleSubtitleInfo info = {name.String(), file.String(), 64, 48, 43, 34, 2, 9, nullptr};
    s.api.AddSubtitleFile(&info, 2, 0);
    for (int n = 0; n <= 9; ++n) s.Line("frame " + std::to_string(n), Hex(s.Frame(main, n)));
    s.Check(s.HostFrame(4) != s.HostFrame(4, 43), "the subtitles change the frame");

    PClip alone;
    if (s.Check(s.api.ImportSubtitleFile(path, 32, 24, &alone) == 1 && alone, "ImportSubtitleFile makes a clip"))
        for (int n : {0, 37, 45}) s.Line("alone, frame " + std::to_string(n), s.ClipFrame(alone, n));
    std::remove(path);
}

// An overlay clip's audio mixed over the main clip's, faded in and out.
void Audio(const Host& host) {
    Session s(host, "audio");
    const PClip input = new PatternClip(64, 48, 6), clip = new PatternClip(16, 8, 7);
    const PClip main = s.Main(input);
    s.api.InsertChannel(1);
    OverlayRecords o(&clip, 51, 2, 7, 4, 4);  // samples 640..2240
    o.info.audio_enabled = 1;
    o.info.clip_audio_first = 0;
    o.info.clip_audio_last = clip->GetVideoInfo().num_audio_samples - 1;
    o.info.clip_audio_start = 160;
    o.info.fade_mode = FERRULE_FADE_BOTH;
    o.info.fade_in_end = 559;      // 400 samples in
    o.info.fade_out_start = 1360;  // the last 401 samples out
    s.api.AddOverlay(&o.info, &o.effect, 1, 0);

    std::vector<int16_t> mix(2 * 3200);
    main->GetAudio(mix.data(), 0, 3200, s.Env());
    s.Line("samples 0..3199", Hex(Crc32(reinterpret_cast<const uint8_t*>(mix.data()), mix.size() * 2)));
    // The mixing rules are the native suite's; here the mix must only be more than the
    // main clip's own samples, so that equal CRCs on both sides mean something.
    std::vector<int16_t> alone(2 * 3200);
    input->GetAudio(alone.data(), 0, 3200, s.Env());
    s.Check(mix != alone, "the overlay's samples are mixed in");
}

// Frames and pictures handed to the host while channels and items change.
void FramesAndChannels(const Host& host) {
    Session s(host, "frames");
    const PClip main = s.Main(new PatternClip(64, 48, 8));
    s.Check(s.api.GetMainClip() == main.get(), "GetMainClip is the manager");
    s.api.InsertChannel(1);
    s.api.InsertChannel(2);
    const PClip a = new PatternClip(16, 8, 9), b = new PatternClip(24, 16, 10);
    OverlayRecords oa(&a, 61, 0, 9, 4, 4), ob(&b, 62, 0, 9, 12, 8);
    ob.Corners({{12, 8}, {36, 10}, {36, 24}, {12, 26}});
    s.api.AddOverlay(&oa.info, &oa.effect, 1, 0);
    s.api.AddOverlay(&ob.info, &ob.effect, 2, 0);

    auto frame = [&](const std::string& what) {
        s.Line(what, Hex(s.Frame(main, 2)));
        s.Line(what + ", host frame", s.HostFrame(2));
    };
    frame("both");
    s.Line("host frame without 62", s.HostFrame(2, 62));
    for (int id : {61, 62, 99}) s.Line("picture of " + std::to_string(id), s.Picture(2, id));
    s.Line("clip frame 2", s.ClipFrame(a, 2));
    ob.MoveTo(10, 6);  // over a part of 61
    s.api.SetOverlayEffect(62, &ob.effect);
    frame("62 moved");
    s.api.ChangeItemChLevel(61, 2);
    frame("61 on channel 2");
    s.api.SetChannelVisible(2, 0);
    frame("channel 2 hidden");
    s.api.SetChannelVisible(2, 1);
    s.api.RemoveChannel(1);  // empty now
    s.api.InsertChannel(1);
    frame("channel 1 removed and inserted");
    s.api.RemoveItem(62, 2);
    frame("62 removed");
    s.api.RemoveAllItems();
    frame("every item removed");

    const PClip preview = s.Env()->Invoke("SetPreviewCh", AVSValue(new PatternClip(64, 48, 11))).AsClip();
    const uint32_t empty = s.Frame(preview, 2);
    s.Line("SetPreviewClip", std::to_string(s.api.SetPreviewClip(&b, &ob.effect)));
    s.Line("preview", Hex(s.Frame(preview, 2)));
    s.Check(s.Frame(preview, 2) != empty, "the preview shows the clip");
}

struct Entry {
    const char* name;
    void (*run)(const Host&);
};
constexpr Entry kScenarios[] = {
    {"warp", Warp}, {"titles", TitlesAndSlides}, {"subtitles", Subtitles}, {"audio", Audio}, {"frames", FramesAndChannels},
};

}  // namespace

std::vector<std::string> Names() {
    std::vector<std::string> out;
    for (const Entry& e : kScenarios) out.push_back(e.name);
    return out;
}

void RunScenario(const std::string& name, const Host& host) {
    for (const Entry& e : kScenarios)
        if (name == e.name) e.run(host);
}

}  // namespace scenario
