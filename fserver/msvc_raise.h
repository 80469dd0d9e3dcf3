// Raising the frame server's error as an MSVC-built frame server does.
#pragma once

namespace fserver {

// RaiseException(0xE06D7363, noncontinuable, {magic, &AvisynthError, &ThrowInfo}):
// what MSVC's `throw AvisynthError(message)` does on x86. i686 Windows only.
[[noreturn]] void RaiseAvisynthError(const char* message);

}  // namespace fserver
