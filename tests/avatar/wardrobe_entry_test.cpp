// What the names of the wardrobe's entries stand for.
#include "avatar/wardrobe_entry.h"

#include <gtest/gtest.h>

namespace vestora {
namespace {

TEST(WardrobeEntries, NamesAreParsedByTheirDots) {
  struct Case {
    const char* path;
    EntryKind kind;
    const char* target;
  };
  const Case cases[] = {
      {"\\pattern\\Coat.pop.bmp", EntryKind::FittedGarment, "\\pattern\\Coat.pop"},
      {"/r/pattern/Coat.msh.BMP", EntryKind::PatternMesh, "/r/pattern/Coat.msh"},
      {"/r/pattern/Coat.POP.bmp", EntryKind::FittedGarment, "/r/pattern/Coat.POP"},
      {"/r/pattern/texture/Silk.jpg", EntryKind::Fabric, "Silk.jpg"},
      {"/r/pattern/texture/Silk.JPG", EntryKind::Fabric, "Silk.JPG"},
      {"\\model\\Clothing\\glasses\\blackframe.gls.bmp", EntryKind::Glasses, "blackframe.gls"},
      {"\\model\\Clothing\\Hair\\LongHair.hir.bmp", EntryKind::Hair, "LongHair.hir"},
      {"\\model\\Clothing\\glasses\\nvshoe2.tga.bmp", EntryKind::Accessory, "nvshoe2.tga"},
      {"\\model\\Female.bmp", EntryKind::Avatar, "Female.bmp"},
      {"\\model\\Pose1.bmp", EntryKind::Avatar, "Pose1.bmp"},
      // Matching nothing, or too short for the old fixed cuts.
      {"\\model\\Unknown.bmp", EntryKind::None, ""},
      {"\\pattern\\.pop.bmp", EntryKind::None, ""},
      {"x.bmp", EntryKind::None, ""},
      {"bmp", EntryKind::None, ""},
      {"", EntryKind::None, ""},
      {"\\pattern\\Coat.pop", EntryKind::None, ""},
      {"\\pattern\\Coat.doc.bmp", EntryKind::None, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const EntryAction a = classifyEntry(c.path);
    EXPECT_EQ(a.kind, c.kind);
    EXPECT_EQ(a.target, c.target);
  }
}

}  // namespace
}  // namespace vestora
