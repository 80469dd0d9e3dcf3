// The items of a timeline that can be placed by hand: overlays and picture shows.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "tools/ferrule-render/timeline.h"

namespace place {

// A command line we cannot follow: exit status 2, as a bad timeline.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct PlaceableItem {
    int channel = 0, index = 0;
    std::string path;  // "/channels/1/items/0"
    std::string name;  // its media's file name, or what is generated
    int first = 0, last = 0;
    bool pictures = false;
};

std::vector<PlaceableItem> PlaceableItems(const render::Timeline& timeline);

// The position in `items` of the item "CHANNEL:INDEX" names; a UsageError that says why
// for anything else.
size_t FindItem(const render::Timeline& timeline, const std::vector<PlaceableItem>& items, const std::string& spec);

}  // namespace place
