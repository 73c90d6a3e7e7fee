// PNG files, compressed in memory with libpng: 8 bits a channel, no
// interlacing and no time or text chunks, so the same pixels give the same
// bytes on every run.
#pragma once

#include <cstdint>
#include <vector>

namespace vestora::generate::art {

// `pixels` holds width × height pixels of `channels` bytes each (3: R, G, B;
// 4: R, G, B, A), top row first. Throws std::invalid_argument when a size is
// outside 1 to 65535, `channels` is not 3 or 4 or `pixels` has the wrong
// length, and std::runtime_error when libpng fails.
std::vector<std::uint8_t> encodePng(int width, int height, int channels,
                                    const std::vector<std::uint8_t>& pixels);

}  // namespace vestora::generate::art
