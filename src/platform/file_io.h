// Whole-file reading and crash-safe writing.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/result.h"

namespace vestora {

using Bytes = std::span<const std::uint8_t>;

// The whole file. Fails with a message naming the path when it cannot be
// opened or read, or when it is larger than `maxBytes`.
Result<std::vector<std::uint8_t>> readFileBytes(const std::string& path,
                                                std::uint64_t maxBytes = 1ull << 31);
Result<std::string> readFileText(const std::string& path, std::uint64_t maxBytes = 1ull << 31);

// Writes `bytes` to a temporary file beside `path`, flushes it and renames it
// over `path`: a failure (full disk, no permission) leaves any earlier file
// of that name as it was.
Result<void> writeFileAtomically(const std::string& path, Bytes bytes);

inline Bytes asBytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace vestora
