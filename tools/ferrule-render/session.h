// One timeline placed into the library: a frame server of its own with the plugin
// loaded, the main clip built by "SetTempCh" and "SetMainCh", and every item added
// through the exports with records built here. The manager composes one frame at a
// time, so a session serves one caller.
#pragma once

#include <list>
#include <memory>
#include <string>
#include <vector>

#include "avs/avisynth.h"
#include "channels/edit_placement.h"
#include "plugin_api.h"
#include "timeline.h"

class SlideRenderer;
struct SlideEffect;
struct ImageEffect;
struct SubtitleInfo;

namespace render {

// An item the library or the frame server refused while it was placed: the timeline
// file, the item's JSON path, its file, and the frame server's own words. Exit status 2.
class SetupError : public TimelineError {
public:
    using TimelineError::TimelineError;
};

// An overlay or a picture show as it was placed: its id in the library and the
// placement its record was given, in output pixels.
struct PlacedItem {
    std::string path;  // "/channels/1/items/0"
    int32_t id = 0;
    EditPlacement placement;
};

// A picture as the library hands it to a host, which frees buffer with operator delete;
// buffer is null when there is none.
struct HostFrame {
    uint8_t* buffer = nullptr;
    int32_t size = 0, width = 0, height = 0, bits_per_pixel = 0;
};

class Session {
public:
    // Frame-server errors pass out as std::runtime_error, copied first: an
    // AvisynthError's text lives in the frame server, which goes with the session.
    // An item that cannot be placed throws SetupError; nothing half-placed outlives
    // the throw.
    explicit Session(const Timeline& timeline, const std::string& plugin_path = LocatePlugin());
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    IScriptEnvironment* Env() const { return env_.get(); }
    const PClip& Main() const { return main_; }
    const Output& Format() const { return output_; }

    // Bottom-up RGB24 rows of the composed frame.
    PVideoFrame Frame(int n) const;
    // Frame n composed of every item but the one of this id, bottom-up RGB24.
    HostFrame FrameWithout(int n, int32_t id) const;
    // That item's own picture at frame n.
    HostFrame ItemPicture(int n, int32_t id) const;
    // Every overlay and picture show, in the order they were placed.
    const std::vector<PlacedItem>& Placed() const { return placed_; }
    // Interleaved 16-bit samples of the mix.
    void Audio(int16_t* out, int64_t start, int64_t count) const;

private:
    struct Renderers;  // the host's renderer objects, which the items borrow

    void Place(const Timeline& timeline);
    void Clear();  // the items, then the manager
    void PlaceTitle(const Item& item, const Title& title, int channel);
    void PlaceSlide(const Item& item, const Slide& slide, int channel);
    void PlaceOverlay(const Item& item, const Overlay& overlay, int channel, std::string& where);
    void PlacePictures(const Item& item, const Pictures& pictures, int channel);
    void PlaceSubtitles(const Item& item, const Subtitles& subtitles, int channel);
    SlideRenderer* TransitionFor(TransitionKind kind);  // one object a kind, kept by the session

    // Declared first, destroyed last: everything below lives inside this frame server.
    EnvPtr env_;
    std::unique_ptr<PluginApi> api_;
    Output output_;
    std::string timeline_file_;
    std::unique_ptr<Renderers> renderers_;
    std::vector<std::unique_ptr<SlideEffect>> overlay_slides_;  // read by their items while they live
    std::vector<std::unique_ptr<ImageEffect>> image_records_;
    std::vector<std::unique_ptr<SubtitleInfo>> subtitle_records_;
    // Retimed subtitle copies, removed with the session, even one that failed to place.
    struct ScratchFiles {
        std::list<std::string> paths;  // a list: records point into the names
        ~ScratchFiles();
    } scratch_files_;
    PClip main_;
    PClip audio_out_;  // the float mix in 16 bits
    std::vector<PlacedItem> placed_;
    int next_id_ = 1;
};

}  // namespace render
