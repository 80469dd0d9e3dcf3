#include "timeline_write.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>

#include <nlohmann/json.hpp>

#include "json_spans.h"
#include "tools/ferrule-render/timeline.h"
#include "tools/ferrule-render/whole_write.h"

namespace place {

namespace {

namespace fs = std::filesystem;
using nlohmann::ordered_json;

constexpr float kSamePixel = 1e-3f;

// The shortest text that reads back as the same float.
std::string Number(float v) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, v).ptr;
    return std::string(text, end);
}

std::string Hex(uint32_t v, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "\"#%0*X\"", digits, v);
    return text;
}

// Timeline colours are 0xRRGGBB, placements hold COLORREFs (0x00BBGGRR).
uint32_t Rgb(uint32_t colorref) { return (colorref & 0xFF) << 16 | (colorref & 0xFF00) | (colorref >> 16 & 0xFF); }

// A member to set to a value's text, or to remove (no value).
struct Change {
    std::string key;
    std::optional<std::string> value;
};

std::vector<Change> Changes(const ItemEdit& e, const JsonObjectSpan& item, const std::string& text) {
    std::vector<Change> changes;
    const EditPlacement &a = e.before, &b = e.after;
    bool moved = false;
    std::string corners = "[";
    for (int i = 0; i < 4; ++i) {
        const gfx::PointF was = a.corners[i], now = b.corners[i];
        const float x = std::fabs(now.x - was.x) < kSamePixel ? was.x : now.x;
        const float y = std::fabs(now.y - was.y) < kSamePixel ? was.y : now.y;
        moved = moved || x != was.x || y != was.y;
        corners += (i ? ", [" : "[") + Number(x) + ", " + Number(y) + "]";
    }
    if (moved) {
        changes.push_back({"corners", corners + "]"});
        // Corners place the pictures, which "fit": true would refuse.
        for (const JsonMember& m : item.members)
            if (e.pictures && m.key == "fit" && text.compare(m.value_begin, m.value_end - m.value_begin, "true") == 0)
                changes.push_back({"fit", "false"});
    }
    if (a.opacity != b.opacity) changes.push_back({"opacity", std::to_string(b.opacity)});
    if (a.key_colour != b.key_colour)
        changes.push_back({"key_colour", b.key_colour == kNoKeyColour ? std::nullopt : std::optional(Hex(Rgb(b.key_colour), 6))});
    if (a.outline_width != b.outline_width) changes.push_back({"outline_width", std::to_string(b.outline_width)});
    if (a.outline_colour != b.outline_colour) changes.push_back({"outline_colour", Hex(b.outline_colour, 8)});
    return changes;
}

struct Splice {
    size_t at, length;
    std::string with;
};

}  // namespace

std::string ApplyItemEdit(const std::string& text, const ItemEdit& edit) {
    const std::optional<JsonObjectSpan> item = FindJsonObject(text, JsonPointerSteps(edit.item_path));
    if (!item) throw SaveError(edit.item_path + ": no such item in the file; not saved");
    const std::vector<JsonMember>& members = item->members;
    const std::vector<Change> changes = Changes(edit, *item, text);

    std::vector<Splice> splices;
    std::vector<bool> removed(members.size());
    std::string appended;
    // New members follow the last one, parted from it as the last two are parted.
    const std::string separator = members.size() >= 2
        ? text.substr(members[members.size() - 2].value_end, members.back().begin - members[members.size() - 2].value_end)
        : ", ";
    for (const Change& c : changes) {
        const auto m = std::find_if(members.begin(), members.end(), [&](const JsonMember& m) { return m.key == c.key; });
        const size_t i = static_cast<size_t>(m - members.begin());
        if (m != members.end() && c.value) {
            splices.push_back({m->value_begin, m->value_end - m->value_begin, *c.value});
        } else if (m != members.end()) {
            removed[i] = true;
            // With the comma before it, or, for the first, the one after it.
            const size_t from = i ? members[i - 1].value_end : m->begin;
            const size_t to = i || members.size() == 1 ? m->value_end : members[1].begin;
            splices.push_back({from, to - from, ""});
        } else if (c.value) {
            appended += separator + ordered_json(c.key).dump() + ": " + *c.value;
        }
    }
    if (!appended.empty()) {
        size_t anchor = members.size();
        while (anchor > 0 && removed[anchor - 1]) --anchor;
        if (anchor == 0) appended.erase(0, appended.find('"'));
        splices.push_back({anchor ? members[anchor - 1].value_end : item->open + 1, 0, appended});
    }
    // From the end backwards, so that earlier positions hold; at one place the removal first.
    std::sort(splices.begin(), splices.end(),
              [](const Splice& a, const Splice& b) { return a.at != b.at ? a.at > b.at : a.length > b.length; });
    std::string out = text;
    for (const Splice& s : splices) out.replace(s.at, s.length, s.with);

    // The same edit on the parsed file must give the parsed result: nothing else moved.
    ordered_json expected = ordered_json::parse(text);
    ordered_json& target = expected[ordered_json::json_pointer(edit.item_path)];
    for (const Change& c : changes) {
        if (c.value) target[c.key] = ordered_json::parse(*c.value);
        else target.erase(c.key);
    }
    if (ordered_json::parse(out) != expected) throw SaveError(edit.item_path + ": the file's text could not take the edit; not saved");
    return out;
}

TimelineFile::TimelineFile(const std::string& path) : path_(path), text_(render::ReadTimelineText(path)) {}

void TimelineFile::Save(const std::string& new_text) {
    std::string on_disk;
    try {
        render::ParseTimeline(new_text, path_, fs::path(path_).parent_path().string());
        on_disk = render::ReadTimelineText(path_);
    } catch (const render::TimelineError& e) {
        throw SaveError(std::string(e.what()) + "; not saved");
    }
    if (on_disk != text_) throw SaveError(path_ + ": changed on disk since it was opened; not saved");
    // Through a link to the file it names; the link stays.
    std::error_code ec;
    const fs::path target = fs::canonical(path_, ec);
    struct stat st {};
    if (ec || ::stat(target.c_str(), &st) != 0) throw SaveError(path_ + ": cannot be found again; not saved");
    // Its mode bits count even for a user whom they do not stop.
    if ((st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)
        throw SaveError(path_ + ": is read-only; not saved");
    std::string temp = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) throw SaveError(path_ + ": cannot write beside it: " + std::strerror(errno) + "; not saved");
    ::fchmod(fd, st.st_mode & 07777);
    const int error = render::WriteWholeAndClose(fd, new_text.data(), new_text.size());
    if (error || ::rename(temp.c_str(), target.c_str()) != 0) {
        const std::string why = std::strerror(error ? error : errno);
        ::unlink(temp.c_str());
        throw SaveError(path_ + ": " + why + "; not saved");
    }
    text_ = new_text;
}

}  // namespace place
