#include "avatar/avatar_table.h"

#include <utility>

#include "platform/data_path.h"

namespace vestora {

const AvatarEntry* avatarEntryFor(std::string_view entryPath) {
  const std::string_view name = fileNameOf(entryPath);
  for (const AvatarEntry& e : kAvatarTable)
    if (e.thumbnail == name) return &e;
  return nullptr;
}

const AvatarEntry* poseEntry(std::string_view name) {
  static constexpr std::pair<std::string_view, FemalePose> kNames[] = {
      {"standard", FemalePose::High},
      {"bag", FemalePose::Bag},
      {"walk", FemalePose::Walk},
      {"stand", FemalePose::Stand}};
  for (const auto& [poseName, pose] : kNames)
    if (poseName == name)
      for (const AvatarEntry& e : kAvatarTable)
        if (e.pose == pose) return &e;
  return nullptr;
}

}  // namespace vestora
