// What a wardrobe entry stands for: the entry is a picture file whose name,
// without the picture's extension, names a garment, a fabric, an accessory
// or a body of the avatar table.
#pragma once

#include <string>
#include <string_view>

namespace vestora {

// What an entry stands for, from its file name.
enum class EntryKind {
  None,           // matches no rule: activating it does nothing
  Fabric,         // a fabric for the worn garment
  PatternMesh,    // X.msh
  FittedGarment,  // X.pop
  Glasses,        // X.gls
  Hair,           // X.hir
  Accessory,      // X.jpg / X.tga: shoes, socks, bags, the necklace
  Avatar,         // a body or pose of the avatar table
};
struct EntryAction {
  EntryKind kind = EntryKind::None;
  // Fabric: the picture's file name ("Silk.jpg", a file of "\pattern\texture").
  // Garments: the entry's path without its picture's extension ("…\Dress.pop").
  // Glasses, hair, accessories: the wardrobe entry name the accessories take
  // ("blackframe.gls", "nvshoe1.jpg"). Avatar: the thumbnail's file name.
  std::string target;
};
// `path` is the entry's picture (a data path or a file path). Names are
// parsed by their dots, never cut at fixed lengths, and the picture's
// extension is matched in either case.
EntryAction classifyEntry(std::string_view path);

// Whether two names have the same letters, ignoring case (ASCII).
bool sameLetters(std::string_view a, std::string_view b);
// The name after its last dot ("" without one).
std::string_view extensionOf(std::string_view name);
// Whether `name` ends in "." + extension, in either case.
bool hasExtension(std::string_view name, std::string_view extension);

}  // namespace vestora
