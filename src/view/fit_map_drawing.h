// The fit map: the worn garment coloured by how far its cloth is stretched
// (blue loose, light neutral, orange to red tight), with a small legend of
// the scale in the view's lower left corner.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "cloth/garment_mesh.h"

namespace vestora {

class GlFont;

// The colour of every particle of the garment where it is drawn now.
std::vector<std::array<std::uint8_t, 3>> fitMapColours(const GarmentMesh& garment);

// The legend: the colour scale as a bar with its ends and middle labelled
// ("-10%", "0", "+10%"), on a light card 12 pixels from the lower left
// corner of a width × height frame.
void DrawFitMapLegend(GlFont& font, int width, int height);

// Where the legend's bar lies in a frame `width` pixels wide (window
// pixels, origin bottom left): x, y, width, height.
std::array<int, 4> fitMapLegendBar(int width);

}  // namespace vestora
