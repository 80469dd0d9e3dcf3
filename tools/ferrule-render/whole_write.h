// Writing a whole file's bytes where a short write (a full disk, a file-size limit) must
// be an error rather than a cut file.
#pragma once

#include <cstddef>

namespace render {

// Writes every byte to fd and closes it, both checked: 0, or the errno of the first
// failure (ENOSPC for a write that made no progress without saying why).
int WriteWholeAndClose(int fd, const void* data, size_t size);

}  // namespace render
