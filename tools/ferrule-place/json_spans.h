// Where the members of one object of a JSON text lie, so that a few of its values can
// be replaced without touching a byte of the rest of the file.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace place {

struct JsonMember {
    std::string key;
    size_t begin = 0;  // its key's opening quote
    size_t value_begin = 0, value_end = 0;  // end exclusive
};

struct JsonObjectSpan {
    size_t open = 0, close = 0;  // where its braces are
    std::vector<JsonMember> members;
};

// A key of an object or an index of an array.
using JsonStep = std::variant<std::string, size_t>;

// "/channels/1/items/0" as steps: a part of digits only is an index.
std::vector<JsonStep> JsonPointerSteps(const std::string& pointer);

// The object at `path` of a text that is valid JSON (the reader accepted it); nothing
// when the path leads to no object.
std::optional<JsonObjectSpan> FindJsonObject(const std::string& text, const std::vector<JsonStep>& path);

}  // namespace place
