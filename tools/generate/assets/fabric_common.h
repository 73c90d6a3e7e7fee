// What the fabric textures share: the size check, the seeds and colours.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "generate/assets/assets.h"
#include "generate/assets/texture_noise.h"

namespace vestora::generate {

inline void checkFabricSize(const char* function, int width, int height) {
  if (width < 8 || width > 4096 || height < 8 || height > 4096)
    throw std::invalid_argument(std::string(function) + ": size " + std::to_string(width) + "x" +
                                std::to_string(height) + " is outside 8 to 4096");
}

// Each fabric draws its random numbers from its own stream.
inline std::uint64_t fabricSeed(std::uint32_t seed, std::uint64_t fabric) {
  return (fabric << 40) ^ (std::uint64_t(seed) * 0x9E3779B97F4A7C15ull);
}

inline texture::Colour toColour(Rgb c) {
  return {double(c.r), double(c.g), double(c.b)};
}

}  // namespace vestora::generate
