// Garment packages: self-extracting installers the store sells.
//
// A package is the installer stub's own bytes, then the payload, then a
// 16-byte trailer:
//
//   stub bytes (any length)
//   payload:  "VSTRPAY1", u32 entry count, then per entry
//             u16 path length, path bytes, u64 size, size bytes
//   trailer:  u64 offset of the payload from the start of the file,
//             "VSTRPKG1"
//
// All integers are little-endian. The payload ends exactly where the
// trailer begins. Entry paths are relative, with '/', and name one file in
// one of the wardrobe folders "pattern", "pattern/texture" or "texture"
// ("pattern/Tunic.pop", "pattern/texture/Tunic.jpg").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_io.h"
#include "platform/result.h"

namespace vestora {

inline constexpr std::string_view kPackageMagic = "VSTRPKG1";  // ends the trailer
inline constexpr std::string_view kPayloadMagic = "VSTRPAY1";  // begins the payload
inline constexpr std::size_t kTrailerBytes = 16;
inline constexpr std::size_t kMaxPackageEntries = 64;
inline constexpr std::size_t kMaxEntryNameBytes = 120;  // the file name, without its folder

struct PackageEntry {
  std::string path;  // "pattern/Tunic.pop"
  std::vector<std::uint8_t> bytes;
  bool operator==(const PackageEntry&) const = default;
};

// An entry path split into its folder ("pattern", "pattern/texture" or
// "texture") and its file name.
struct EntryPath {
  std::string_view folder;
  std::string_view name;
};

// The folder and the name of an allowed entry path; an error saying what is
// wrong with any other. A name is allowed when it is not empty, at most
// kMaxEntryNameBytes long, does not begin with '.', holds no "..", '/',
// '\' or control character and ends in ".pop", ".msh", ".bmp" or ".jpg".
Result<EntryPath> checkEntryPath(std::string_view path);

// The package of `stub` carrying `entries`, in their order. Fails when an
// entry path is not allowed, a path is repeated or there are more than
// kMaxPackageEntries entries.
Result<std::vector<std::uint8_t>> buildPackage(Bytes stub,
                                               const std::vector<PackageEntry>& entries);

// The entries of a package, in the order stored. `source` names the package
// in errors. Every count and size is checked against the bytes present;
// fails on a bad magic, a payload offset outside the file, a truncated
// entry, bytes between the last entry and the trailer, a repeated path, too
// many entries or a path checkEntryPath refuses.
Result<std::vector<PackageEntry>> readPackage(Bytes package,
                                              const std::string& source = "<memory>");

}  // namespace vestora
