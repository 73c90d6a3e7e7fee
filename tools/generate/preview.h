// Developer preview of a figure: builds its base mesh, prints the girths a
// tailor would take and writes the mesh for vestora-render.
#pragma once

#include <string>

namespace vestora::generate {

// kind: "woman", "man" or "Girl". Returns a process exit status.
int previewFigure(const std::string& kind, const std::string& outPath, double spacing, double fat);

}  // namespace vestora::generate
