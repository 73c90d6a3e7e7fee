#include "formats/skeleton_files.h"

#include <gtest/gtest.h>

#include <string>

namespace vestora {
namespace {

std::string landmarkText(int lines) {
  std::string text;
  for (int i = 0; i < lines; ++i)
    text += std::to_string(i) + ".5 " + std::to_string(i) + " -" + std::to_string(i) + "\n";
  return text;
}

TEST(Landmarks, LinesGoToTheirSlots) {
  const LandmarkFile f = parseLandmarks(landmarkText(27));
  EXPECT_EQ(f.pointsRead, 27);
  EXPECT_EQ(f.position[10][1], 7.0f);  // line 7 fills the slot of "eff2"
  EXPECT_EQ(f.position[9][1], 8.0f);
  EXPECT_EQ(f.position[7][1], 9.0f);
  EXPECT_EQ(f.position[23][1], 20.0f);
  EXPECT_EQ(f.position[22][1], 26.0f);
  EXPECT_EQ(f.position[0][0], 0.5f);
  for (bool present : f.present) EXPECT_TRUE(present);
}

TEST(Landmarks, ShortFileLeavesTheLastSlotsAlone) {
  std::array<std::array<float, 3>, kLandmarkSlots> slots;
  for (auto& s : slots) s = {-1, -1, -1};
  const LandmarkFile f = parseLandmarks(landmarkText(26));
  applyLandmarks(f, slots);
  EXPECT_EQ(slots[22], (std::array<float, 3>{-1, -1, -1}));  // "eff3" keeps its value
  EXPECT_EQ(slots[26][1], 25.0f);
}

TEST(Landmarks, ExtraLinesAreIgnoredAndBadTextStopsReading) {
  EXPECT_EQ(parseLandmarks(landmarkText(30)).pointsRead, 30);
  const LandmarkFile bad = parseLandmarks("1 2 3\n4 5 x\n7 8 9\n");
  EXPECT_EQ(bad.pointsRead, 1);
  EXPECT_FALSE(bad.present[1]);
  // Points may be spread over lines as the formatted reader allows.
  EXPECT_EQ(parseLandmarks("1\n2\n3 4 5\n6").pointsRead, 2);
}

TEST(SkinWeights, BlocksFillTheirJointsAndVertexZeroIsTheFirstVertex) {
  std::string text;
  for (int j = 1; j <= 27; ++j) {
    if (j == 2) text += "2 0 0.25\n2 3 1\n";
    text += std::to_string(j) + " -1 0\n";
  }
  const SkinWeightFile f = parseSkinWeights(text, 4);
  EXPECT_EQ(f.jointsRead, 27);
  EXPECT_EQ(f.weights[2], (std::vector<float>{0.25f, 0, 0, 1}));
  EXPECT_EQ(f.weights[1], (std::vector<float>(4, 0.0f)));
  EXPECT_TRUE(f.weights[0].empty());
}

TEST(SkinWeights, MissingTerminatorLosesTheNextBlocksFirstLine) {
  const std::string text =
      "1 -1 0\n2 -1 0\n"
      "3 0 0.5\n"           // joint 3, no terminator
      "4 1 0.7\n4 2 0.3\n"  // the first line ends joint 3's block and is lost
      "4 -1 0\n";
  const SkinWeightFile f = parseSkinWeights(text, 3);
  EXPECT_EQ(f.weights[3][0], 0.5f);
  EXPECT_EQ(f.weights[4][1], 0.0f);
  EXPECT_EQ(f.weights[4][2], 0.3f);
}

TEST(SkinWeights, EarlyEndOrUnreadableLineLeavesLaterJointsAtZero) {
  const SkinWeightFile early = parseSkinWeights("1 0 1\n1 -1 0\n", 2);
  EXPECT_EQ(early.weights[1][0], 1.0f);
  EXPECT_EQ(early.weights[27], (std::vector<float>{0, 0}));
  const SkinWeightFile broken = parseSkinWeights("1 0 1\n1 -1 0\n2 zero 1\n3 0 1\n3 -1 0\n", 2);
  EXPECT_EQ(broken.weights[3][0], 0.0f);  // reading stops at the broken line for good
  EXPECT_EQ(broken.jointsRead, 1);
}

TEST(SkinWeights, VertexNumbersOutsideTheBodyAreIgnored) {
  const SkinWeightFile f = parseSkinWeights("1 5 1\n1 -7 1\n1 1 0.5\n1 -1 0\n", 2);
  EXPECT_EQ(f.linesIgnored, 2);
  EXPECT_EQ(f.weights[1], (std::vector<float>{0, 0.5f}));
}

TEST(SkinWeights, FileNameCutsFourCharacters) {
  EXPECT_EQ(weightFilePathFor("\\model\\ChinaFemale\\WomanSkltn.dar"),
            "\\model\\ChinaFemale\\WomanSkltnWeight.wgt");
  EXPECT_EQ(weightFilePathFor("a/Skel.da"), "a/SkeWeight.wgt");
  EXPECT_EQ(weightFilePathFor("abc"), "Weight.wgt");
}

}  // namespace
}  // namespace vestora

namespace vestora {
namespace {

TEST(SkeletonFilesWriting, LandmarksAndWeightsReadBackAsWritten) {
  std::array<std::array<float, 3>, kLandmarkSlots> slots{};
  for (int s = 0; s < kLandmarkSlots; ++s) slots[s] = {float(s), -0.5f * s, 0.25f};
  const LandmarkFile back = parseLandmarks(formatLandmarks(slots));
  EXPECT_EQ(back.pointsRead, 27);
  for (int s = 0; s < kLandmarkSlots; ++s) EXPECT_EQ(back.position[s], slots[s]) << "slot " << s;

  std::array<std::vector<float>, kSkinnedJoints + 1> weights;
  for (int j = 1; j <= kSkinnedJoints; ++j) weights[j].assign(3, 0.0f);
  weights[2] = {0.25f, 0, 1};
  weights[27] = {0, 0.5f, 0};
  const SkinWeightFile w = parseSkinWeights(formatSkinWeights(weights), 3);
  EXPECT_EQ(w.jointsRead, 27);
  for (int j = 1; j <= kSkinnedJoints; ++j) EXPECT_EQ(w.weights[j], weights[j]) << "joint " << j;
}

}  // namespace
}  // namespace vestora
