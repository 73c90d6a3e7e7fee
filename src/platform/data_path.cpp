#include "platform/data_path.h"

#include "platform/root_dir.h"

namespace vestora {

std::string toSlashes(std::string_view path) {
  std::string out(path);
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

std::string dataPath(std::string_view root, std::string_view relative) {
  std::string out(root);
  while (!out.empty() && out.back() == '/') out.pop_back();
  if (relative.empty() || (relative.front() != '\\' && relative.front() != '/')) out += '/';
  out += toSlashes(relative);
  return out;
}

std::string dataPath(std::string_view relative) { return dataPath(GetRootDir(), relative); }

std::string_view fileNameOf(std::string_view path) {
  const auto cut = path.find_last_of("\\/");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::string_view folderOf(std::string_view path) {
  auto cut = path.find_last_of('/');
  if (cut == std::string_view::npos) cut = path.find_last_of('\\');
  return cut == std::string_view::npos ? std::string_view() : path.substr(0, cut + 1);
}

}  // namespace vestora
