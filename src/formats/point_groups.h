// Named point sets from a reduced OBJ source: only "g", "v" and
// single-index "f" statements are read; everything else is skipped.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace vestora {

struct PointGroup {
  std::string name;  // the rest of the "g" line, leading blank kept
  std::vector<std::array<float, 3>> points;  // "v" lines met while the group was current
  std::vector<int> vertices;                 // 1-based numbers from "f" lines
};

// Groups in the order their first "g" line appears; statements before any
// "g" line belong to a group named "default". A "v" line without three
// numbers or an "f" number that is not a positive integer is an error.
Result<std::vector<PointGroup>> parsePointGroups(std::string_view text, const std::string& source);
Result<std::vector<PointGroup>> readPointGroups(const std::string& path);

}  // namespace vestora
