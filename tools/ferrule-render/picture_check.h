// Whether a picture file decodes, with the decoder the library's picture shows use.
#pragma once

#include <string>

namespace render {

// Empty when the file decodes whole; otherwise what the decoder said.
std::string PictureProblem(const std::string& path);

}  // namespace render
