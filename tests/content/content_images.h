// Pictures of the generated content read back for the tests: PNG and JPEG
// files decoded to 8-bit pixels, faults reported rather than thrown.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vestora::testing {

struct Image {
  int width = 0, height = 0, channels = 0;
  std::vector<std::uint8_t> pixels;  // top row first
  std::string fault;

  const std::uint8_t* at(int x, int y) const {
    return &pixels[(static_cast<std::size_t>(y) * width + x) * channels];
  }
  bool is(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b) const {
    const std::uint8_t* p = at(x, y);
    return p[0] == r && p[1] == g && p[2] == b;
  }
};

// The file's bytes; a failed read fails the test and gives none.
std::vector<std::uint8_t> readBytes(const std::string& path);

// A PNG with its header's own channel count: 3 for 8-bit RGB, 4 for 8-bit
// RGBA; anything else is a fault.
Image decodePng(const std::vector<std::uint8_t>& bytes);

// A JPEG as RGB, or in the file's own colour space (one channel for a
// greyscale file) when `ownColours`; a broken file is a fault.
Image decodeJpeg(const std::vector<std::uint8_t>& bytes, bool ownColours = false);

}  // namespace vestora::testing
