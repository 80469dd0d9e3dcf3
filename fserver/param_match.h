// Matching script arguments against a function's parameter string: c clip, i int,
// f float (an int will do), s string, b bool, . anything; a trailing * or + takes zero
// or more / one or more of that type; [name]t is optional, given by name or in order.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "avs/avisynth.h"

namespace fserver {

struct Param {
    char type;
    char repeat;  // '*', '+' or 0
    bool optional;
    std::string name;
};

// Throws std::invalid_argument for a malformed parameter string.
std::vector<Param> ParseParams(const char* params);

struct NamedArg {
    const char* name;
    AVSValue value;
};

// One value per parameter (undefined where not given, an array for a repeated one),
// or nothing when the positional arguments do not fit. The arrays' elements live in
// `groups`, which must outlive the result.
std::optional<std::vector<AVSValue>> MatchPositional(const std::vector<Param>& params,
                                                     const std::vector<AVSValue>& args,
                                                     std::vector<std::vector<AVSValue>>& groups);

// Index of the optional parameter with this name (case-insensitive), or -1.
int FindNamedParam(const std::vector<Param>& params, const char* name);

bool SingleTypeMatch(char type, const AVSValue& v);

}  // namespace fserver
