// What a call throws, as text, so that tables of cases compare it with one EXPECT_EQ.
#pragma once

#include <stdexcept>
#include <string>

#include "avs/avisynth.h"

namespace test {

inline std::string MessageOf(const AvisynthError& e) { return e.msg; }
inline std::string MessageOf(const std::exception& e) { return e.what(); }

// The message of the E that f() throws, or "(no error)".
template <class E = AvisynthError, class F>
std::string ErrorOf(F&& f) {
    try {
        f();
    } catch (const E& e) {
        return MessageOf(e);
    }
    return "(no error)";
}

}  // namespace test
