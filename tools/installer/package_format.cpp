#include "installer/package_format.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <set>

#include "platform/byte_io.h"

namespace vestora {

namespace {

constexpr std::array<std::string_view, 3> kFolders = {"pattern/texture", "pattern", "texture"};
constexpr std::array<std::string_view, 4> kExtensions = {".pop", ".msh", ".bmp", ".jpg"};

Error pathError(std::string_view path, const std::string& what) {
  std::string shown;
  for (char c : path) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7f) {
      static const char kHex[] = "0123456789abcdef";
      shown += "\\x";
      shown += kHex[u >> 4];
      shown += kHex[u & 15];
    } else {
      shown += c;
    }
    if (shown.size() > 160) {
      shown += "...";
      break;
    }
  }
  return makeError("<package>", "entry \"" + shown + "\": " + what);
}

void putU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void putU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void putU64(std::vector<std::uint8_t>& out, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint64_t getU64(const std::uint8_t* p) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

}  // namespace

Result<EntryPath> checkEntryPath(std::string_view path) {
  EntryPath split;
  for (std::string_view folder : kFolders) {
    if (path.size() > folder.size() && path.substr(0, folder.size()) == folder &&
        path[folder.size()] == '/') {
      split.folder = folder;
      split.name = path.substr(folder.size() + 1);
      break;
    }
  }
  if (split.folder.empty()) {
    return pathError(path, "not in the folder pattern, pattern/texture or texture");
  }
  const std::string_view name = split.name;
  if (name.empty()) return pathError(path, "empty file name");
  if (name.size() > kMaxEntryNameBytes) {
    return pathError(path,
                     "file name longer than " + std::to_string(kMaxEntryNameBytes) + " bytes");
  }
  if (name.front() == '.') return pathError(path, "file name begins with '.'");
  if (name.find("..") != std::string_view::npos) return pathError(path, "file name holds \"..\"");
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\') return pathError(path, "file name holds a path separator");
    if (u < 0x20 || u == 0x7f) return pathError(path, "file name holds a control character");
  }
  const bool known = std::any_of(kExtensions.begin(), kExtensions.end(), [&](std::string_view ext) {
    return name.size() > ext.size() && name.substr(name.size() - ext.size()) == ext;
  });
  if (!known) return pathError(path, "not a .pop, .msh, .bmp or .jpg file");
  return split;
}

Result<std::vector<std::uint8_t>> buildPackage(Bytes stub,
                                               const std::vector<PackageEntry>& entries) {
  if (entries.size() > kMaxPackageEntries) {
    return makeError("<package>", std::to_string(entries.size()) + " entries, more than " +
                                      std::to_string(kMaxPackageEntries));
  }
  std::set<std::string_view> seen;
  for (const PackageEntry& e : entries) {
    auto checked = checkEntryPath(e.path);
    if (!checked) return checked.error();
    if (!seen.insert(e.path).second) return pathError(e.path, "repeated");
  }
  std::vector<std::uint8_t> out(stub.begin(), stub.end());
  const std::uint64_t payloadOffset = out.size();
  out.insert(out.end(), kPayloadMagic.begin(), kPayloadMagic.end());
  putU32(out, static_cast<std::uint32_t>(entries.size()));
  for (const PackageEntry& e : entries) {
    putU16(out, static_cast<std::uint16_t>(e.path.size()));
    out.insert(out.end(), e.path.begin(), e.path.end());
    putU64(out, e.bytes.size());
    out.insert(out.end(), e.bytes.begin(), e.bytes.end());
  }
  putU64(out, payloadOffset);
  out.insert(out.end(), kPackageMagic.begin(), kPackageMagic.end());
  return out;
}

Result<std::vector<PackageEntry>> readPackage(Bytes package, const std::string& source) {
  auto fail = [&](const std::string& what) -> Result<std::vector<PackageEntry>> {
    return makeError(source, what);
  };
  if (package.size() < kTrailerBytes) return fail("too short for a package trailer");
  const std::uint8_t* trailer = package.data() + package.size() - kTrailerBytes;
  if (std::memcmp(trailer + 8, kPackageMagic.data(), kPackageMagic.size()) != 0) {
    return fail("not a garment package (no package trailer)");
  }
  const std::uint64_t offset = getU64(trailer);
  const std::size_t payloadEnd = package.size() - kTrailerBytes;
  if (offset > payloadEnd)
    return fail("payload offset " + std::to_string(offset) + " outside the file");
  ByteReader in(package.subspan(offset, payloadEnd - offset));
  char magic[8];
  if (!in.raw(magic, sizeof magic) || std::memcmp(magic, kPayloadMagic.data(), sizeof magic) != 0) {
    return fail("no payload at offset " + std::to_string(offset));
  }
  std::uint32_t count = 0;
  if (!in.u32(count)) return fail("truncated payload header");
  if (count > kMaxPackageEntries) {
    return fail(std::to_string(count) + " entries, more than " +
                std::to_string(kMaxPackageEntries));
  }
  // Every entry needs at least its 10 bytes of lengths.
  if (!in.has(count, 10))
    return fail("truncated payload: " + std::to_string(count) + " entries announced");
  std::vector<PackageEntry> entries;
  std::set<std::string> seen;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::string where = "entry " + std::to_string(i + 1);
    std::uint16_t pathLength = 0;
    if (!in.raw(&pathLength, 2)) return fail(where + ": truncated");
    PackageEntry e;
    e.path.resize(pathLength);
    if (!in.raw(e.path.data(), pathLength)) return fail(where + ": truncated path");
    std::uint64_t size = 0;
    if (!in.raw(&size, 8)) return fail(where + ": truncated size");
    if (!in.has(size, 1)) {
      return fail(where + " (" + e.path + "): " + std::to_string(size) + " bytes announced, " +
                  std::to_string(in.remaining()) + " present");
    }
    auto checked = checkEntryPath(e.path);
    if (!checked) return fail(checked.error().what);
    if (!seen.insert(e.path).second) return fail("entry \"" + e.path + "\": repeated");
    e.bytes.resize(size);
    if (!in.raw(e.bytes.data(), size)) return fail(where + ": truncated data");
    entries.push_back(std::move(e));
  }
  if (in.remaining() != 0) {
    return fail(std::to_string(in.remaining()) + " stray bytes after the last entry");
  }
  return entries;
}

}  // namespace vestora
