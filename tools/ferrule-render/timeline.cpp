#include "timeline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <numeric>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

#include "picture_check.h"

namespace render {

namespace {

using nlohmann::json;

struct TransitionEntry {
    const char* name;
    TransitionKind kind;
};
constexpr TransitionEntry kTransitions[] = {
    {"crossfade", TransitionKind::kCrossFade}, {"wipe-left", TransitionKind::kWipeLeft},
    {"wipe-right", TransitionKind::kWipeRight}, {"wipe-up", TransitionKind::kWipeUp},
    {"wipe-down", TransitionKind::kWipeDown},   {"push", TransitionKind::kPush},
    {"zoom-in", TransitionKind::kZoomIn},
};

// One JSON object being read: every read names its path, and Finish, after the last
// read, makes any key nobody read a fault, so a misspelt key never passes silently.
class Object {
public:
    Object(const json& value, std::string path, const std::string& file) : value_(value), path_(std::move(path)), file_(file) {
        if (!value_.is_object()) Fail(path_, "must be an object");
    }

    void Finish() const {
        for (auto it = value_.begin(); it != value_.end(); ++it)
            if (!read_.count(it.key())) Fail(Path(it.key()), "unknown key");
    }

    bool Has(const char* key) const { return value_.contains(key); }
    std::string Path(const std::string& key) const { return path_ + "/" + key; }
    [[noreturn]] void Fail(const std::string& path, const std::string& what) const {
        throw TimelineError(file_ + ": " + (path.empty() ? "/" : path) + ": " + what);
    }

    const json* Get(const char* key) {
        read_.insert(key);
        const auto it = value_.find(key);
        return it == value_.end() ? nullptr : &*it;
    }
    const json& Need(const char* key) {
        const json* v = Get(key);
        if (!v) Fail(Path(key), "missing");
        return *v;
    }

    int Int(const char* key, int fallback, int min, int max = std::numeric_limits<int>::max()) {
        const json* v = Get(key);
        return v ? CheckInt(*v, Path(key), min, max) : fallback;
    }
    int NeedInt(const char* key, int min, int max = std::numeric_limits<int>::max()) {
        return CheckInt(Need(key), Path(key), min, max);
    }
    double Number(const char* key, double fallback, double min, double max) {
        const json* v = Get(key);
        if (!v) return fallback;
        if (!v->is_number()) Fail(Path(key), "must be a number");
        const double d = v->get<double>();
        if (d < min || d > max) Fail(Path(key), "must be from " + Fmt(min) + " to " + Fmt(max));
        return d;
    }
    bool Bool(const char* key, bool fallback) {
        const json* v = Get(key);
        if (!v) return fallback;
        if (!v->is_boolean()) Fail(Path(key), "must be true or false");
        return v->get<bool>();
    }
    std::string String(const char* key, const std::string& fallback) {
        const json* v = Get(key);
        return v ? CheckString(*v, Path(key)) : fallback;
    }
    std::string NeedString(const char* key) { return CheckString(Need(key), Path(key)); }
    // "#RRGGBB", or "#AARRGGBB" where alpha is allowed.
    uint32_t Colour(const char* key, uint32_t fallback, bool alpha = false) {
        const json* v = Get(key);
        return v ? CheckColour(*v, Path(key), alpha) : fallback;
    }
    std::optional<TransitionKind> Transition(const char* key) {
        const json* v = Get(key);
        if (!v) return std::nullopt;
        const std::string name = CheckString(*v, Path(key));
        for (const TransitionEntry& t : kTransitions)
            if (name == t.name) return t.kind;
        Fail(Path(key), "unknown transition \"" + name + "\"");
    }
    template <size_t N>
    std::optional<std::array<int, N>> Ints(const char* key, int min, int max) {
        const json* v = Get(key);
        if (!v) return std::nullopt;
        if (!v->is_array() || v->size() != N) Fail(Path(key), "must be an array of " + std::to_string(N) + " integers");
        std::array<int, N> out{};
        for (size_t i = 0; i < N; ++i) out[i] = CheckInt((*v)[i], Path(key) + "/" + std::to_string(i), min, max);
        return out;
    }
    std::array<std::array<float, 2>, 4> Corners(const char* key) {
        const json& v = Need(key);
        const std::string path = Path(key);
        if (!v.is_array() || v.size() != 4) Fail(path, "must be four [x, y] corners");
        std::array<std::array<float, 2>, 4> out{};
        for (size_t i = 0; i < 4; ++i) {
            const json& c = v[i];
            const std::string cp = path + "/" + std::to_string(i);
            if (!c.is_array() || c.size() != 2 || !c[0].is_number() || !c[1].is_number()) Fail(cp, "must be [x, y]");
            for (size_t k = 0; k < 2; ++k) {
                const double d = c[k].get<double>();
                if (d < -100000 || d > 100000) Fail(cp, "is out of range");
                out[i][k] = static_cast<float>(d);
            }
        }
        return out;
    }

private:
    static std::string Fmt(double d) {
        std::string s = std::to_string(d);
        while (s.size() > 1 && s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
        return s;
    }
    int CheckInt(const json& v, const std::string& path, int min, int max) const {
        if (!v.is_number_integer()) Fail(path, "must be an integer");
        const long long i = v.get<long long>();
        if (i < min || i > max)
            Fail(path, max == std::numeric_limits<int>::max() ? "must be at least " + std::to_string(min)
                                                              : "must be from " + std::to_string(min) + " to " + std::to_string(max));
        return static_cast<int>(i);
    }
    std::string CheckString(const json& v, const std::string& path) const {
        if (!v.is_string()) Fail(path, "must be a string");
        return v.get<std::string>();
    }
    uint32_t CheckColour(const json& v, const std::string& path, bool alpha) const {
        const std::string s = CheckString(v, path);
        const size_t digits = s.size() - 1;
        bool ok = !s.empty() && s[0] == '#' && (digits == 6 || (alpha && digits == 8));
        for (size_t i = 1; ok && i < s.size(); ++i) ok = std::isxdigit(static_cast<unsigned char>(s[i])) != 0;
        if (!ok) Fail(path, alpha ? "must be a colour \"#RRGGBB\" or \"#AARRGGBB\"" : "must be a colour \"#RRGGBB\"");
        const uint32_t c = static_cast<uint32_t>(std::stoul(s.substr(1), nullptr, 16));
        return digits == 6 && alpha ? 0xFF000000u | c : c;
    }

    const json& value_;
    std::string path_;
    const std::string& file_;
    std::set<std::string> read_;
};

std::optional<Rate> Reduced(long long num, long long den) {
    if (num <= 0 || den <= 0 || num > std::numeric_limits<int>::max() || den > std::numeric_limits<int>::max())
        return std::nullopt;
    const long long g = std::gcd(num, den);
    return Rate{static_cast<int>(num / g), static_cast<int>(den / g)};
}

class Parser {
public:
    Parser(const std::string& file, const std::string& base) : file_(file), base_(base) {}

    Timeline Parse(const json& root) {
        Object o(root, "", file_);
        Timeline t;
        if (o.Has("output")) t.output = ParseOutput(o.Need("output"));
        const json& channels = o.Need("channels");
        if (!channels.is_array()) o.Fail("/channels", "must be an array");
        for (size_t c = 0; c < channels.size(); ++c) {
            const std::string path = "/channels/" + std::to_string(c);
            Object ch(channels[c], path, file_);
            Channel channel;
            channel.visible = ch.Bool("visible", true);
            const json& items = ch.Need("items");
            if (!items.is_array()) ch.Fail(path + "/items", "must be an array");
            for (size_t i = 0; i < items.size(); ++i)
                channel.items.push_back(ParseItem(items[i], path + "/items/" + std::to_string(i), t.output));
            ch.Finish();
            t.channels.push_back(std::move(channel));
        }
        o.Finish();
        return t;
    }

private:
    Output ParseOutput(const json& value) {
        Object o(value, "/output", file_);
        Output out;
        out.width = o.Int("width", out.width, 2, 8192);
        out.height = o.Int("height", out.height, 2, 8192);
        if (const json* fps = o.Get("fps")) {
            const std::string path = o.Path("fps");
            const std::optional<Rate> rate = fps->is_number()   ? RateFromNumber(fps->get<double>())
                                             : fps->is_string() ? RateFromText(fps->get<std::string>())
                                                                : std::nullopt;
            if (!rate && !fps->is_number()) o.Fail(path, "must be a number or a fraction \"N/D\"");
            if (!rate || rate->num < rate->den || rate->num > int64_t{240} * rate->den) o.Fail(path, "must be from 1 to 240");
            out.fps = rate->num;
            out.fps_denominator = rate->den;
        }
        out.frames = o.Int("frames", out.frames, 1, 10000000);
        out.audio_rate = o.Int("audio_rate", out.audio_rate, 8000, 192000);
        out.audio_channels = o.Int("audio_channels", out.audio_channels, 1, 2);
        o.Finish();
        return out;
    }

    std::string File(Object& o, const char* key, bool must_exist = true) {
        std::string name = o.NeedString(key);
        if (name.empty()) o.Fail(o.Path(key), "must not be empty");
        std::filesystem::path p(name);
        if (p.is_relative()) p = std::filesystem::path(base_) / p;
        if (must_exist) RequireFile(o, o.Path(key), p);
        return p.string();
    }

    // A plain file there, or why not: missing, something else, or out of reach (a
    // symlink loop, a name too long), each said as it is.
    static void RequireFile(const Object& o, const std::string& path, const std::filesystem::path& p) {
        std::error_code ec;
        const std::filesystem::file_status st = std::filesystem::status(p, ec);
        if (std::filesystem::is_regular_file(st)) return;
        const std::string quoted = "\"" + p.string() + "\"";
        if (std::filesystem::is_directory(st)) o.Fail(path, quoted + " is a folder, not a file");
        if (std::filesystem::exists(st)) o.Fail(path, quoted + " is not a plain file");
        if (ec && ec != std::errc::no_such_file_or_directory) o.Fail(path, quoted + ": " + ec.message());
        o.Fail(path, "no such file " + quoted);
    }

    Item ParseItem(const json& value, const std::string& path, const Output& out) {
        Object o(value, path, file_);
        Item item;
        item.path = path;
        const std::string type = o.NeedString("type");
        item.first = o.NeedInt("first", 0);
        item.last = o.NeedInt("last", 0);
        if (item.last < item.first) o.Fail(path + "/last", "must not be before first");
        if (type == "title") {
            Title t;
            t.text = o.NeedString("text");
            t.size = o.Int("size", t.size, 4, 1000);
            t.colour = o.Colour("colour", t.colour);
            t.x = o.Number("x", t.x, 0, 1);
            t.y = o.Number("y", t.y, 0, 1);
            t.fade_in = o.Int("fade_in", 0, 0);
            t.fade_out = o.Int("fade_out", 0, 0);
            t.scroll = o.Number("scroll", 0, -1000, 1000);
            item.what = t;
        } else if (type == "slide") {
            Slide s;
            s.transition = o.Transition("transition").value_or(TransitionKind::kCrossFade);
            item.what = s;
        } else if (type == "overlay") {
            item.what = ParseOverlay(o, out);
        } else if (type == "pictures") {
            Pictures p;
            const json& files = o.Need("files");
            if (!files.is_array() || files.empty()) o.Fail(path + "/files", "must be a non-empty array of file names");
            for (size_t i = 0; i < files.size(); ++i) {
                const std::string fp = path + "/files/" + std::to_string(i);
                if (!files[i].is_string()) o.Fail(fp, "must be a string");
                std::filesystem::path f(files[i].get<std::string>());
                if (f.is_relative()) f = std::filesystem::path(base_) / f;
                RequireFile(o, fp, f);
                // The library skips a picture it cannot decode without a word; say so now.
                const std::string unreadable = PictureProblem(f.string());
                if (!unreadable.empty()) o.Fail(fp, "\"" + f.string() + "\" is not a picture: " + unreadable);
                p.files.push_back(f.string());
            }
            p.frames_per_picture = o.Int("frames_per_picture", p.frames_per_picture, 1);
            if (o.Has("corners")) {
                p.corners = o.Corners("corners");
                p.fit = false;
            }
            p.look = ParseLook(o);
            p.fit = o.Bool("fit", p.fit);
            if (p.fit && o.Has("corners")) o.Fail(path + "/fit", "cannot be true with corners, which place the pictures");
            p.transition = o.Transition("transition");
            p.transition_length = o.Int("transition_length", p.transition ? 10 : 0, 0);
            p.every_picture = o.Bool("every_picture", false);
            item.what = p;
        } else if (type == "subtitles") {
            Subtitles s;
            s.file = File(o, "file");
            s.clip_start = o.Int("clip_start", 0, 0);
            item.what = s;
        } else {
            o.Fail(path + "/type", "must be title, slide, overlay, pictures or subtitles");
        }
        o.Finish();
        return item;
    }

    static Look ParseLook(Object& o) {
        Look look;
        look.opacity = o.Int("opacity", look.opacity, 0, 255);
        if (o.Has("key_colour")) look.key_colour = o.Colour("key_colour", 0);
        look.outline_width = o.Int("outline_width", look.outline_width, 0, 100);
        look.outline_colour = o.Colour("outline_colour", look.outline_colour, true);
        return look;
    }

    Overlay ParseOverlay(Object& o, const Output& out) {
        Overlay ov;
        if (o.Has("media") == o.Has("generate")) o.Fail(o.Path("media"), "give either media or generate");
        if (o.Has("media")) {
            ov.source.media = File(o, "media");
        } else {
            Object g(o.Need("generate"), o.Path("generate"), file_);
            ov.source.generate = g.String("kind", "colour");
            if (ov.source.generate != "colour" && ov.source.generate != "gradient" && ov.source.generate != "checker")
                g.Fail(g.Path("kind"), "must be colour, gradient or checker");
            ov.source.colour = g.Colour("colour", ov.source.colour);
            ov.source.width = g.Int("width", out.width / 2, 2, 8192);
            ov.source.height = g.Int("height", out.height / 2, 2, 8192);
            ov.source.frames = g.Int("frames", out.frames, 1, 10000000);
            ov.source.tone = g.Bool("tone", false);
            g.Finish();
        }
        ov.clip_start = o.Int("clip_start", 0, 0);
        ov.audio = o.Bool("audio", false);
        ov.fade_in = o.Int("fade_in", 0, 0);
        ov.fade_out = o.Int("fade_out", 0, 0);
        Effect& e = ov.effect;
        if (o.Has("corners")) {
            e.corners = o.Corners("corners");
            e.has_corners = true;
        }
        e.look = ParseLook(o);
        e.flip_horizontal = o.Bool("flip_horizontal", false);
        e.flip_vertical = o.Bool("flip_vertical", false);
        e.reverse = o.Bool("reverse", false);
        e.crop = o.Ints<4>("crop", 0, 8192);
        e.borders = o.Ints<4>("borders", 0, 8192);
        e.border_colour = o.Colour("border_colour", 0);
        e.resize = o.Ints<2>("resize", 2, 8192);
        e.speed = o.Int("speed", 100, 1, 10000);
        e.audio_channel = o.Int("audio_channel", 0, 0, 8);
        e.mono = o.Int("mono", 0, 0, 2);
        if (o.Has("amplify")) e.amplify = static_cast<float>(o.Number("amplify", 1, 0, 100));
        e.transition = o.Transition("transition");
        e.transition_length = o.Int("transition_length", e.transition ? 10 : 0, 0);
        return ov;
    }

    const std::string& file_;
    const std::string& base_;
};


// What the JSON reader said, with any byte that is not printable ASCII as \xNN: it
// quotes the text it stopped at, which must not reach a terminal raw.
std::string Printable(const std::string& what) {
    std::string out;
    for (const unsigned char c : what) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

// Where the reader is, as a JSON path, so that a key given twice (which it would keep
// the last of without a word) and a number it cannot hold are named by their place.
class JsonPlace {
public:
    explicit JsonPlace(const std::string& file) : file_(file) {}
    bool Note(json::parse_event_t event, const json& parsed) {
        using E = json::parse_event_t;
        if ((event == E::object_start || event == E::array_start || event == E::value) && !open_.empty() &&
            open_.back().array)
            ++open_.back().index;
        if (event == E::object_start || event == E::array_start) open_.push_back(Level{event == E::array_start, -1, {}, {}});
        if (event == E::object_end || event == E::array_end) open_.pop_back();
        if (event == E::key) {
            open_.back().key = parsed.get<std::string>();
            if (!open_.back().keys.insert(open_.back().key).second)
                throw TimelineError(file_ + ": " + Path() + ": key given twice");
        }
        return true;
    }
    // The value being read: the last key's, or the next element's.
    std::string Path() const {
        std::string path;
        for (const Level& l : open_) path += "/" + (l.array ? std::to_string(l.index + (&l == &open_.back())) : l.key);
        return Printable(path.empty() ? "/" : path);
    }

private:
    struct Level {
        bool array;
        long index;
        std::string key;
        std::set<std::string> keys;
    };
    const std::string& file_;
    std::vector<Level> open_;
};

}  // namespace

Timeline ParseTimeline(const std::string& text, const std::string& file_name, const std::string& base_dir) {
    json root;
    JsonPlace place(file_name);
    try {
        root = json::parse(text, [&place](int, json::parse_event_t event, json& parsed) { return place.Note(event, parsed); });
    } catch (const json::parse_error& e) {
        const std::string what = e.what();
        // After "parse error at line 1, column 12: ": the text it quotes may hold colons too.
        throw TimelineError(file_name + ": syntax error at byte " + std::to_string(e.byte) + ": " +
                            Printable(what.substr(what.find(": ", what.find("column")) + 2)));
    } catch (const json::exception& e) {  // a number beyond a double's range
        const std::string what = e.what();
        throw TimelineError(file_name + ": " + place.Path() + ": " + Printable(what.substr(what.find("] ") + 2)));
    }
    Timeline t = Parser(file_name, base_dir).Parse(root);
    t.file = file_name;
    return t;
}

std::string ReadTimelineText(const std::string& file) {
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) throw TimelineError(file + ": is a folder, not a timeline file");
    std::ifstream in(file, std::ios::binary);
    if (!in) throw TimelineError(file + ": cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

Timeline ReadTimelineFile(const std::string& file) {
    return ParseTimeline(ReadTimelineText(file), file, std::filesystem::path(file).parent_path().string());
}

void RequireEvenSize(const Timeline& t) {
    for (const auto& [key, size] : {std::pair{"width", t.output.width}, std::pair{"height", t.output.height}})
        if (size % 2)
            throw TimelineError(t.file + ": /output/" + key + ": must be even for a video, not " + std::to_string(size) +
                                " (PNG frames take any size)");
}

std::vector<Input> TimelineInputs(const Timeline& t) {
    std::vector<Input> inputs{{t.file, "/"}};
    for (const Channel& channel : t.channels)
        for (const Item& item : channel.items) {
            if (const auto* ov = std::get_if<Overlay>(&item.what); ov && !ov->source.media.empty())
                inputs.push_back({ov->source.media, item.path + "/media"});
            if (const auto* p = std::get_if<Pictures>(&item.what))
                for (size_t i = 0; i < p->files.size(); ++i)
                    inputs.push_back({p->files[i], item.path + "/files/" + std::to_string(i)});
            if (const auto* s = std::get_if<Subtitles>(&item.what)) {
                inputs.push_back({s->file, item.path + "/file"});
                const std::filesystem::path file(s->file);
                if (file.extension() == ".idx") inputs.push_back({std::filesystem::path(file).replace_extension(".sub").string(), item.path + "/file"});
            }
        }
    return inputs;
}

std::vector<std::string> TimelineWarnings(const Timeline& t) {
    std::vector<std::string> warnings;
    if (t.output.fps == 30 && t.output.fps_denominator == 1) return warnings;
    for (const Channel& channel : t.channels)
        for (const Item& item : channel.items)
            if (const auto* s = std::get_if<Subtitles>(&item.what); s && std::filesystem::path(s->file).extension() == ".idx")
                warnings.push_back(t.file + ": " + item.path + "/file: DVD subtitles keep their times at 30 frames per second, "
                                   "so they run " + (t.output.fps > 30 * t.output.fps_denominator ? "early" : "late") +
                                   " at this rate");
    return warnings;
}

std::optional<Rate> RateFromNumber(double fps) {
    if (!std::isfinite(fps) || fps <= 0 || fps > 1e6) return std::nullopt;
    if (fps == std::round(fps)) return Reduced(std::llround(fps), 1);
    // The NTSC family first: 23.976, 29.97 and 59.94 are never meant to the thousandth.
    const long long ntsc = std::llround(fps * 1.001);
    if (ntsc >= 1 && std::abs(fps - ntsc * 1000.0 / 1001) <= 0.005) return Reduced(ntsc * 1000, 1001);
    return Reduced(std::llround(fps * 1000), 1000);
}

std::optional<Rate> RateFromText(const std::string& text) {
    const size_t slash = text.find('/');
    const auto whole = [](const std::string& digits) -> long long {
        const bool ok = !digits.empty() && digits.size() <= 9 &&
                        std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
        return ok ? std::stoll(digits) : 0;
    };
    return Reduced(whole(text.substr(0, slash)), slash == std::string::npos ? 1 : whole(text.substr(slash + 1)));
}

const char* TransitionName(TransitionKind kind) {
    for (const TransitionEntry& t : kTransitions)
        if (t.kind == kind) return t.name;
    return "crossfade";
}

}  // namespace render
