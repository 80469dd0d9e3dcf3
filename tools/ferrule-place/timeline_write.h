// Writing an edited placement back into the timeline file: only the item's values that
// changed are replaced, added or removed, every other byte stays, and the file is
// replaced whole (a temporary file renamed over it) and only if nobody changed it since
// it was read.
#pragma once

#include <stdexcept>
#include <string>

#include "channels/edit_placement.h"

namespace place {

// A save that did not happen, and why; the file is as it was.
class SaveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One item's placement before and after editing, in output pixels.
struct ItemEdit {
    std::string item_path;  // "/channels/1/items/0"
    bool pictures = false;  // a picture show: corners given there turn an explicit "fit" off
    EditPlacement before, after;
};

// `text` with the item's corners, opacity, key_colour, outline_width and outline_colour
// set to `after` where they differ from `before`; a coordinate within a thousandth of a
// pixel of its old value keeps it (scaling to the window and back is not exact).
// Unchanged values keep their text, so an edit undone gives the same bytes.
std::string ApplyItemEdit(const std::string& text, const ItemEdit& edit);

class TimelineFile {
public:
    // Reads the file; throws render::TimelineError as the reader does when it cannot.
    explicit TimelineFile(const std::string& path);

    const std::string& path() const { return path_; }
    // As read, or as last saved.
    const std::string& text() const { return text_; }

    // Replaces the file with new_text, keeping its permissions. Throws SaveError when the
    // file on disk is no longer the text read or last saved, when it is read-only or
    // cannot be replaced, or when the reader would reject new_text (its message).
    void Save(const std::string& new_text);

private:
    std::string path_, text_;
};

}  // namespace place
