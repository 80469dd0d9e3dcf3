// One timeline placed into the library: a frame server of its own with the plugin
// loaded, the main clip built by "SetTempCh" and "SetMainCh", and every item added
// through the exports with records built here. The manager composes one frame at a
// time, so a session serves one caller.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "avs/avisynth.h"
#include "plugin_api.h"
#include "timeline.h"

class SlideRenderer;
struct SlideEffect;
struct ImageEffect;
struct SubtitleInfo;

namespace render {

class Session {
public:
    // Frame-server errors, while placing or later, pass out as std::runtime_error: an
    // AvisynthError's text lives in the frame server, which goes with the session.
    // Nothing half-placed outlives the throw, as the whole session goes with it.
    explicit Session(const Timeline& timeline, const std::string& plugin_path = FERRULE_PLUGIN_PATH);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    IScriptEnvironment* Env() const { return env_.get(); }
    const PClip& Main() const { return main_; }
    const Output& Format() const { return output_; }

    // Bottom-up RGB24 rows of the composed frame.
    PVideoFrame Frame(int n) const;
    // Interleaved 16-bit samples of the mix.
    void Audio(int16_t* out, int64_t start, int64_t count) const;

private:
    struct Renderers;  // the host's renderer objects, which the items borrow

    void Place(const Timeline& timeline);
    void PlaceTitle(const Item& item, const Title& title, int channel);
    void PlaceSlide(const Item& item, const Slide& slide, int channel);
    void PlaceOverlay(const Item& item, const Overlay& overlay, int channel);
    void PlacePictures(const Item& item, const Pictures& pictures, int channel);
    void PlaceSubtitles(const Item& item, const Subtitles& subtitles, int channel);
    SlideRenderer* TransitionFor(TransitionKind kind);  // one object a kind, kept by the session

    // Declared first, destroyed last: everything below lives inside this frame server.
    EnvPtr env_;
    std::unique_ptr<PluginApi> api_;
    Output output_;
    std::unique_ptr<Renderers> renderers_;
    std::vector<std::unique_ptr<SlideEffect>> overlay_slides_;  // read by their items while they live
    std::vector<std::unique_ptr<ImageEffect>> image_records_;
    std::vector<std::unique_ptr<SubtitleInfo>> subtitle_records_;
    // Retimed subtitle copies, removed with the session, even one that failed to place.
    struct ScratchFiles {
        std::vector<std::string> paths;
        ~ScratchFiles();
    } scratch_files_;
    PClip main_;
    int next_id_ = 1;
};

}  // namespace render
