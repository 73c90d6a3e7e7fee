#include "avatar/avatar_table.h"

#include "platform/data_path.h"

namespace vestora {

const AvatarEntry* avatarEntryFor(std::string_view entryPath) {
  const std::string_view name = fileNameOf(entryPath);
  for (const AvatarEntry& e : kAvatarTable)
    if (e.thumbnail == name) return &e;
  return nullptr;
}

}  // namespace vestora
