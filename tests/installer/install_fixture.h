// Shared by the installation tests: a sample garment's entries and a
// snapshot of everything under a folder.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "installer/package_format.h"
#include "test_support.h"

namespace vestora::testing {

inline std::vector<std::uint8_t> bytesOf(std::string_view s) {
  return {s.begin(), s.end()};
}

inline std::vector<PackageEntry> garmentEntries(const std::string& name = "Tunic") {
  return {{"pattern/" + name + ".pop", bytesOf("garment " + name)},
          {"pattern/" + name + ".pop.bmp", bytesOf("BM thumbnail " + name)},
          {"texture/" + name + ".jpg", bytesOf("fabric " + name)},
          {"pattern/texture/" + name + ".jpg", bytesOf("fabric " + name)},
          {"pattern/" + name + "00.jpg", bytesOf("front " + name)},
          {"pattern/" + name + "01.jpg", bytesOf("back " + name)}};
}

// Every file, folder and link under `root` (relative path → content, "<dir>"
// or "-> target").
inline std::map<std::string, std::string> snapshot(const std::filesystem::path& root) {
  std::map<std::string, std::string> tree;
  for (auto it = std::filesystem::recursive_directory_iterator(root);
       it != std::filesystem::recursive_directory_iterator(); ++it) {
    const std::string rel = std::filesystem::relative(it->path(), root).string();
    if (it->is_symlink()) {
      tree[rel] = "-> " + std::filesystem::read_symlink(it->path()).string();
      it.disable_recursion_pending();
    } else if (it->is_directory()) {
      tree[rel] = "<dir>";
    } else {
      tree[rel] = readAll(it->path().string());
    }
  }
  return tree;
}

}  // namespace vestora::testing
