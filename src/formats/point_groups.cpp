#include "formats/point_groups.h"

#include "platform/file_io.h"
#include "platform/text_scan.h"

namespace vestora {

Result<std::vector<PointGroup>> parsePointGroups(std::string_view text,
                                                 const std::string& source) {
  std::vector<PointGroup> groups;
  // Index of the group of that name, created when there is none.
  auto groupNamed = [&](std::string_view name) {
    for (std::size_t i = 0; i < groups.size(); ++i)
      if (groups[i].name == name) return i;
    groups.push_back(PointGroup{std::string(name), {}, {}});
    return groups.size() - 1;
  };
  std::size_t current = std::size_t(-1);
  auto currentGroup = [&]() -> PointGroup& {
    if (current == std::size_t(-1)) current = groupNamed("default");
    return groups[current];
  };

  LineReader lines(text);
  std::string_view line;
  while (lines.next(line)) {
    std::string_view rest;
    const std::string_view token = firstWord(line, &rest);
    if (token == "g") {
      current = groupNamed(rest.substr(0, 127));
    } else if (token == "v") {
      TextScanner scan(rest);
      std::array<float, 3> p{};
      if (!scan.readFloat(p[0]) || !scan.readFloat(p[1]) || !scan.readFloat(p[2]))
        return makeError(source, "vertex line without three numbers", lines.lineNumber());
      currentGroup().points.push_back(p);
    } else if (token == "f") {
      std::string_view word;
      while (!(word = firstWord(rest, &rest)).empty()) {
        int index = 0;
        if (!parseInt(word, index) || index < 1)
          return makeError(source, "face number \"" + std::string(word) +
                                       "\" is not a positive whole number",
                           lines.lineNumber());
        currentGroup().vertices.push_back(index);
      }
    }
  }
  return groups;
}

Result<std::vector<PointGroup>> readPointGroups(const std::string& path) {
  auto text = readFileText(path);
  if (!text) return text.error();
  return parsePointGroups(text.value(), path);
}

}  // namespace vestora
