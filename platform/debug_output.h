#pragma once

namespace platform {

// One line for a debugger: OutputDebugStringA on Windows. Elsewhere there is no
// debugger channel, so the line goes to stderr, and only while FERRULE_DEBUG_OUTPUT is
// set in the environment.
void DebugOutput(const char* text);

}  // namespace platform
