#include "avatar/wardrobe_entry.h"

#include <algorithm>

#include "avatar/avatar_table.h"
#include "platform/data_path.h"

namespace vestora {

namespace {

char lower(char c) {
  return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

std::string_view withoutExtension(std::string_view name) {
  const auto dot = name.rfind('.');
  return dot == std::string_view::npos ? name : name.substr(0, dot);
}

}  // namespace

bool sameLetters(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return lower(x) == lower(y); });
}

std::string_view extensionOf(std::string_view name) {
  const auto dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view{} : name.substr(dot + 1);
}

bool hasExtension(std::string_view name, std::string_view extension) {
  return name.size() > extension.size() && name[name.size() - extension.size() - 1] == '.' &&
         sameLetters(name.substr(name.size() - extension.size()), extension);
}

EntryAction classifyEntry(std::string_view path) {
  const std::string_view file = fileNameOf(path);
  if (hasExtension(file, "jpg")) return {EntryKind::Fabric, std::string(file)};
  if (!hasExtension(file, "bmp")) return {};
  const std::string_view name = withoutExtension(file);  // "Dress.pop"
  const std::string_view inner = extensionOf(name);
  if (!withoutExtension(name).empty() && !inner.empty()) {
    const std::string_view stripped = path.substr(0, path.size() - 4);
    if (sameLetters(inner, "msh")) return {EntryKind::PatternMesh, std::string(stripped)};
    if (sameLetters(inner, "pop")) return {EntryKind::FittedGarment, std::string(stripped)};
    if (sameLetters(inner, "gls")) return {EntryKind::Glasses, std::string(name)};
    if (sameLetters(inner, "hir")) return {EntryKind::Hair, std::string(name)};
    if (sameLetters(inner, "jpg") || sameLetters(inner, "tga"))
      return {EntryKind::Accessory, std::string(name)};
  }
  if (avatarEntryFor(file)) return {EntryKind::Avatar, std::string(file)};
  return {};
}

}  // namespace vestora
