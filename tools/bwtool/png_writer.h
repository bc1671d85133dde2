#pragma once

#include <string>

#include "model/soft_surface.h"

namespace bw {
// Writes the surface as an 8-bit RGB PNG; false with a message on failure.
bool WritePng(const SoftSurface& surface, const std::string& path, std::string& error);
}  // namespace bw
