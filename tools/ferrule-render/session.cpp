#include "session.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <variant>

#include "channels/effect_records.h"
#include "channels/host_renderers.h"
#include "channels/overlay_records.h"
#include "conform.h"
#include "generated_clip.h"
#include "media_source.h"
#include "subtitle_timing.h"
#include "text_title.h"
#include "transition.h"

namespace render {

struct Session::Renderers {
    std::vector<std::unique_ptr<TextTitle>> titles;
    std::map<TransitionKind, std::unique_ptr<Transition>> transitions;
};

namespace {

// Timeline colours are 0xRRGGBB; the records want a COLORREF, 0x00BBGGRR.
uint32_t ColorRef(uint32_t rgb) { return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF); }

void ApplyLook(EditPlacement& place, const Look& look) {
    place.opacity = look.opacity;
    place.key_colour = look.key_colour ? ColorRef(*look.key_colour) : kNoKeyColour;
    place.outline_width = look.outline_width;
    place.outline_colour = look.outline_colour;
}

}  // namespace

Session::Session(const Timeline& timeline, const std::string& plugin_path)
    : env_(NewFrameServer()), output_(timeline.output), timeline_file_(timeline.file),
      renderers_(std::make_unique<Renderers>()) {
    try {
        api_ = std::make_unique<PluginApi>(env_.get(), plugin_path);
        Place(timeline);
    } catch (const AvisynthError& e) {
        const std::string what = e.msg;
        Clear();
        throw std::runtime_error(what);
    } catch (...) {
        Clear();
        throw;
    }
}

Session::~Session() { Clear(); }

void Session::Clear() {
    // The items go before the renderers and records they borrow, then the manager.
    if (api_) api_->RemoveAllItems();
    audio_out_ = PClip();
    main_ = PClip();
}

namespace {

// "t.json: /channels/0/items/1/media: " and the file when the frame server's own words
// do not name it.
std::string SetupMessage(const Timeline& t, const std::string& where, const std::string& file, const std::string& what) {
    std::string text = t.file + ": " + where + ": ";
    if (!file.empty() && what.find(file) == std::string::npos) text += "\"" + file + "\": ";
    return text + what;
}

// The file an item reads, if it reads one.
std::string FileOf(const Item& item) {
    if (const auto* ov = std::get_if<Overlay>(&item.what)) return ov->source.media;
    if (const auto* s = std::get_if<Subtitles>(&item.what)) return s->file;
    return std::string();
}

}  // namespace

Session::ScratchFiles::~ScratchFiles() {
    for (const std::string& file : paths) std::remove(file.c_str());
}

PVideoFrame Session::Frame(int n) const {
    try {
        return main_->GetFrame(n, env_.get());
    } catch (const AvisynthError& e) {
        throw std::runtime_error(e.msg);
    }
}

HostFrame Session::FrameWithout(int n, int32_t id) const {
    HostFrame f;
    try {
        api_->GetFrame(n, id, &f.buffer, &f.size, &f.width, &f.height);
    } catch (const AvisynthError& e) {
        throw std::runtime_error(e.msg);
    }
    f.bits_per_pixel = 24;
    return f;
}

HostFrame Session::ItemPicture(int n, int32_t id) const {
    HostFrame f;
    try {
        api_->GetFrameByID(n, id, &f.buffer, &f.size, &f.width, &f.height, &f.bits_per_pixel);
    } catch (const AvisynthError& e) {
        throw std::runtime_error(e.msg);
    }
    return f;
}

void Session::Audio(int16_t* out, int64_t start, int64_t count) const {
    try {
        audio_out_->GetAudio(out, start, count, env_.get());
    } catch (const AvisynthError& e) {
        throw std::runtime_error(e.msg);
    }
}

void Session::Place(const Timeline& timeline) {
    const Output& o = output_;
    // The mix is float, so loud overlaps clip only once, on the way out to 16 bits.
    const AVSValue args[] = {o.frames,         o.width,      o.height,           "RGB24", o.fps, o.fps_denominator,
                             o.audio_rate,     o.audio_channels == 2, false};
    const char* names[] = {"length", "width", "height", "pixel_type", "fps", "fps_denominator", "audio_rate", "stereo", "sixteen_bit"};
    const AVSValue blank = env_->Invoke("BlankClip", AVSValue(args, 9), names);
    main_ = env_->Invoke("SetMainCh", env_->Invoke("SetTempCh", blank)).AsClip();
    audio_out_ = env_->Invoke("ConvertAudioTo16bit", main_).AsClip();

    for (size_t c = 0; c < timeline.channels.size(); ++c) {
        const int channel = static_cast<int>(c);
        for (const Item& item : timeline.channels[c].items) {
            // Which part of the item failed: its file while it is read, else the item.
            std::string where = item.path;
            try {
                std::visit(
                    [&](const auto& what) {
                        using T = std::decay_t<decltype(what)>;
                        if constexpr (std::is_same_v<T, Title>) PlaceTitle(item, what, channel);
                        if constexpr (std::is_same_v<T, Slide>) PlaceSlide(item, what, channel);
                        if constexpr (std::is_same_v<T, Overlay>) PlaceOverlay(item, what, channel, where);
                        if constexpr (std::is_same_v<T, Pictures>) PlacePictures(item, what, channel);
                        if constexpr (std::is_same_v<T, Subtitles>) {
                            where = item.path + "/file";
                            PlaceSubtitles(item, what, channel);
                        }
                    },
                    item.what);
            } catch (const AvisynthError& e) {
                throw SetupError(SetupMessage(timeline, where, FileOf(item), e.msg));
            }
        }
    }
    for (size_t c = 0; c < timeline.channels.size(); ++c)
        if (!timeline.channels[c].visible) api_->SetChannelVisible(static_cast<int>(c), 0);
    // Snapshots last: a slide starts from the frame composed of everything placed.
    api_->UpdateSlideEffsData();
}

SlideRenderer* Session::TransitionFor(TransitionKind kind) {
    std::unique_ptr<Transition>& t = renderers_->transitions[kind];
    if (!t) t = std::make_unique<Transition>(kind);
    return t.get();
}

void Session::PlaceTitle(const Item& item, const Title& title, int channel) {
    renderers_->titles.push_back(TextTitle::Create(title));
    const TitleEffect record{0, 0, next_id_++, renderers_->titles.back().get(), 0, item.first, item.last};
    api_->AddTitleEff(&record, channel, 0);
}

void Session::PlaceSlide(const Item& item, const Slide& slide, int channel) {
    const SlideEffect record{0, next_id_++, TransitionFor(slide.transition), 0, 0, item.first, item.last};
    api_->AddSlideEff(&record, channel, 0);
}

void Session::PlaceOverlay(const Item& item, const Overlay& ov, int channel, std::string& where) {
    PClip clip;
    if (!ov.source.media.empty()) {
        where = item.path + "/media";
        if (!api_->ImportClip(ov.source.media.c_str(), &clip) || !clip)
            throw SetupError(timeline_file_ + ": " + item.path + "/media: \"" + ov.source.media +
                             "\": the library's ImportClip gave no clip");
        where = item.path;
        const int64_t frames = int64_t{ov.clip_start} + item.last - item.first + 1;  // what the item asks of a still
        clip = ConformMedia(clip, ProbeMedia(ov.source.media), static_cast<int>(std::min<int64_t>(frames, INT_MAX)),
                            main_->GetVideoInfo(), env_.get());
    } else {
        clip = new GeneratedClip(ov.source, output_);
    }
    clip = Conform(env_.get(), clip, main_->GetVideoInfo());
    const VideoInfo& vi = clip->GetVideoInfo();
    const Effect& e = ov.effect;

    OverlayClipInfo info;
    info.clip_first_frame = ov.clip_start;
    info.first_frame = item.first;
    info.last_frame = item.last;
    info.item_id = next_id_++;
    info.clip = &clip;
    info.audio_enabled = ov.audio && vi.HasAudio();
    info.video_enabled = vi.HasVideo();
    info.clip_audio_start = vi.AudioSamplesFromFrames(ov.clip_start);
    const int64_t item_samples = vi.AudioSamplesFromFrames(int64_t(item.last) - item.first + 1);
    if (ov.fade_in > 0) {
        info.fade_mode |= kFadeIn;
        info.fade_in_end = info.clip_audio_start + vi.AudioSamplesFromFrames(ov.fade_in) - 1;
    }
    if (ov.fade_out > 0) {
        info.fade_mode |= kFadeOut;
        info.fade_out_start = info.clip_audio_start + item_samples - vi.AudioSamplesFromFrames(ov.fade_out);
    }

    OverlayEffect effect;
    EditPlacement& place = effect.placement;
    if (e.has_corners) {
        for (int i = 0; i < 4; ++i) place.corners[i] = {e.corners[i][0], e.corners[i][1]};
    } else {
        // The clip's own rectangle at the origin, as the chain leaves it.
        int w = vi.width, h = vi.height;
        if (e.crop) w -= (*e.crop)[0] + (*e.crop)[2], h -= (*e.crop)[1] + (*e.crop)[3];
        if (e.resize) w = (*e.resize)[0], h = (*e.resize)[1];
        if (e.borders) w += (*e.borders)[0] + (*e.borders)[2], h += (*e.borders)[1] + (*e.borders)[3];
        const float fw = static_cast<float>(w), fh = static_cast<float>(h);
        place.corners[0] = {0, 0}, place.corners[1] = {fw, 0}, place.corners[2] = {fw, fh}, place.corners[3] = {0, fh};
    }
    place.reference_width = output_.width;
    place.reference_height = output_.height;
    ApplyLook(place, e.look);
    effect.audio_channel = e.audio_channel;
    effect.mono_mode = e.mono;
    if (e.amplify) effect.amplify = *e.amplify;
    effect.flip_vertical = e.flip_vertical;
    effect.flip_horizontal = e.flip_horizontal;
    effect.reverse = e.reverse;
    if (e.crop) effect.crop_enabled = 1, std::copy(e.crop->begin(), e.crop->end(), effect.crop);
    if (e.borders) effect.borders_enabled = 1, std::copy(e.borders->begin(), e.borders->end(), effect.borders);
    effect.border_colour = e.border_colour;
    if (e.resize) effect.resize_enabled = 1, effect.resize_width = (*e.resize)[0], effect.resize_height = (*e.resize)[1];
    effect.speed = e.speed;

    // The overlay's transition as it comes in: one slide record over its first frames.
    SlideEffect* slides[1] = {};
    if (e.transition && e.transition_length > 0) {
        const int last = std::min(item.last, item.first + e.transition_length - 1);
        overlay_slides_.push_back(std::make_unique<SlideEffect>(
            SlideEffect{0, next_id_++, TransitionFor(*e.transition), 0, 0, item.first, last}));
        slides[0] = overlay_slides_.back().get();
        effect.slides.first = slides;
        effect.slides.last = effect.slides.end = slides + 1;
    }
    api_->AddOverlay(&info, &effect, channel, 0);
    placed_.push_back({item.path, info.item_id, place});
}

void Session::PlacePictures(const Item& item, const Pictures& p, int channel) {
    auto record = std::make_unique<ImageEffect>();
    for (const std::string& file : p.files) record->pictures.PushBack(CString(file.c_str()));
    record->id = next_id_++;
    record->frames_per_picture = p.frames_per_picture;
    record->first_frame = item.first;
    record->last_frame = item.last;
    EditPlacement& place = record->placement;
    if (p.fit) {
        const float w = static_cast<float>(output_.width), h = static_cast<float>(output_.height);
        place.corners[0] = {0, 0}, place.corners[1] = {w, 0}, place.corners[2] = {w, h}, place.corners[3] = {0, h};
    } else {
        for (int i = 0; i < 4; ++i) place.corners[i] = {p.corners[i][0], p.corners[i][1]};
    }
    place.reference_width = output_.width;
    place.reference_height = output_.height;
    ApplyLook(place, p.look);
    record->fit = p.fit;
    record->every_picture = p.every_picture;
    record->transition_length = p.transition ? p.transition_length : 0;
    if (p.transition) record->transitions.PushBack(TransitionFor(*p.transition));
    api_->AddImageEff(record.get(), channel, 0);
    placed_.push_back({item.path, record->id, place});
    image_records_.push_back(std::move(record));
}

void Session::PlaceSubtitles(const Item& item, const Subtitles& s, int channel) {
    auto record = std::make_unique<SubtitleInfo>();
    record->file = s.file.c_str();
    if (IsTextSubtitleFile(s.file)) {
        // A copy whose cues land on the output's frames through the chain's own clock. A
        // file FFmpeg cannot read goes to the library as it is, whose refusal names it.
        try {
            scratch_files_.paths.push_back(RetimedCopy(s.file, output_.fps, output_.fps_denominator));
            record->file = scratch_files_.paths.back().c_str();
        } catch (const std::runtime_error&) {
        }
    }
    record->width = output_.width;
    record->height = output_.height;
    record->item_id = next_id_++;
    record->clip_start_frame = s.clip_start;
    record->first_frame = item.first;
    record->last_frame = item.last;
    api_->AddSubtitleFile(record.get(), channel, 0);
    subtitle_records_.push_back(std::move(record));
}

}  // namespace render
