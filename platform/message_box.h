#pragma once

namespace platform {

// A modal note with an OK button on Windows; elsewhere, with no desktop to show it
// on, the text goes to stderr as one line.
void ShowMessage(const char* text);

}  // namespace platform
