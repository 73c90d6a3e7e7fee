#include "formats/point_groups.h"

#include <gtest/gtest.h>

namespace vestora {
namespace {

TEST(PointGroups, ReadsGroupsPointsAndSingleIndexFaces) {
  auto groups = parsePointGroups(
      "# landmarks\nv 9 9 9\ng bust\nv 1 2 3\nvn 0 1 0\nf 12 13\ng waist\nv 4 5 6\n"
      "usemtl x\ng bust\nf 14\n",
      "marks.obj");
  ASSERT_TRUE(groups.ok()) << groups.error().message();
  ASSERT_EQ(groups->size(), 3u);
  EXPECT_EQ((*groups)[0].name, "default");
  EXPECT_EQ((*groups)[0].points.size(), 1u);
  const PointGroup& bust = (*groups)[1];
  EXPECT_EQ(bust.name, " bust");
  EXPECT_EQ(bust.points, (std::vector<std::array<float, 3>>{{1, 2, 3}}));
  EXPECT_EQ(bust.vertices, (std::vector<int>{12, 13, 14}));
  EXPECT_EQ((*groups)[2].name, " waist");
}

TEST(PointGroups, FacesWithSlashesOrBadNumbersAreErrors) {
  for (const char* text : {"g a\nf 1/2 3\n", "f 0\n", "f -3\n", "v 1 2\n"}) {
    auto groups = parsePointGroups(text, "p.obj");
    ASSERT_FALSE(groups.ok()) << text;
    EXPECT_GT(groups.error().line, 0);
  }
}

}  // namespace
}  // namespace vestora
