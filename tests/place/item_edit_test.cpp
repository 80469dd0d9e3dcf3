// Where an edit lands in the item's text: members replaced, removed wherever they stand,
// and added in the file's own layout; the window tests cover a whole save.
#include <gtest/gtest.h>

#include "tools/ferrule-place/timeline_write.h"

namespace {

EditPlacement Placed() {
    EditPlacement p;
    p.corners[0] = {0, 0}, p.corners[1] = {10, 0}, p.corners[2] = {10, 10}, p.corners[3] = {0, 10};
    p.key_colour = 0x0000FF;  // "#FF0000"
    return p;
}

TEST(ItemEdit, ChangesOnlyTheMembersThatDiffer) {
    const struct {
        const char* item;
        void (*edit)(EditPlacement&);
        bool pictures;
        const char* result;
    } kCases[] = {
        {R"({"a": 1, "key_colour": "#FF0000", "b": 2})", [](EditPlacement& p) { p.key_colour = kNoKeyColour; }, false, R"({"a": 1, "b": 2})"},
        {R"({"key_colour": "#FF0000", "b": 2})", [](EditPlacement& p) { p.key_colour = kNoKeyColour; }, false, R"({"b": 2})"},
        {R"({"a": 1, "key_colour": "#FF0000"})", [](EditPlacement& p) { p.key_colour = kNoKeyColour; }, false, R"({"a": 1})"},
        {R"({"key_colour": "#FF0000"})", [](EditPlacement& p) { p.key_colour = kNoKeyColour; p.opacity = 9; }, false, R"({"opacity": 9})"},
        {"{\n  \"a\": 1,\n  \"b\": 2\n}", [](EditPlacement& p) { p.opacity = 9; p.key_colour = 0x563412; }, false,
         "{\n  \"a\": 1,\n  \"b\": 2,\n  \"opacity\": 9,\n  \"key_colour\": \"#123456\"\n}"},
        {R"({"fit": true, "corners": [[0, 0], [10, 0], [10, 10], [0, 10]]})", [](EditPlacement& p) { p.corners[2] = {10.5f, 12}; }, true,
         R"({"fit": false, "corners": [[0, 0], [10, 0], [10.5, 12], [0, 10]]})"},
        {R"({"corners": [[0, 0], [10, 0], [10, 10], [0, 10.0]]})", [](EditPlacement& p) { p.corners[3].y += 1e-4f; }, false,
         R"({"corners": [[0, 0], [10, 0], [10, 10], [0, 10.0]]})"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.item);
        const std::string text = std::string(R"({"channels": [{"items": [)") + c.item + "]}]}";
        place::ItemEdit edit{"/channels/0/items/0", c.pictures, Placed(), Placed()};
        c.edit(edit.after);
        EXPECT_EQ(place::ApplyItemEdit(text, edit), std::string(R"({"channels": [{"items": [)") + c.result + "]}]}");
    }
}

}  // namespace
