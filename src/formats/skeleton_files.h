// The two text files that come with a body that has a skeleton: the landmark
// file (.dar, 27 points) and the skin-weight file (one weight per joint and
// vertex). Both are read in the "C" number format.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace vestora {

inline constexpr int kLandmarkSlots = 27;
inline constexpr int kSkinnedJoints = 27;  // joints 1 to 27; joint 0 is the root

// Line i of a landmark file fills slot kLandmarkSlotOfLine[i].
inline constexpr std::array<int, kLandmarkSlots> kLandmarkSlotOfLine = {
    0, 1, 2, 3, 4, 5, 6, 10, 9, 7, 8, 11, 12, 13, 14, 15, 16, 17, 18, 19, 23, 20, 24, 25, 21, 26, 22};

struct LandmarkFile {
  std::array<std::array<float, 3>, kLandmarkSlots> position{};  // by slot, normalised body space
  std::array<bool, kLandmarkSlots> present{};                   // slot filled by the file
  int pointsRead = 0;  // points converted (at most 27 are used)
};

// Reads "x y z" points while three numbers convert; the n-th point goes to
// slot kLandmarkSlotOfLine[n], points after the 27th are ignored. Never
// fails: an empty or unreadable text fills no slot.
LandmarkFile parseLandmarks(std::string_view text);
Result<LandmarkFile> readLandmarkFile(const std::string& path);

// Copies the slots that the file filled; the others keep their values.
void applyLandmarks(const LandmarkFile& file,
                    std::array<std::array<float, 3>, kLandmarkSlots>& slots);

// Skin weights by joint: weights[j][k] is the weight of joint j (1 to 27)
// for 0-based body vertex k; weights[0] stays empty.
struct SkinWeightFile {
  std::array<std::vector<float>, kSkinnedJoints + 1> weights;
  int linesIgnored = 0;  // weight lines naming a vertex outside the body
  int jointsRead = 0;    // blocks that ended with their terminator line
};

// Reads the blocks of joints 1 to 27 in that order. A block runs while its
// lines name its joint and a vertex other than -1; the line that ends it (the
// terminator, a line of another joint, or an unreadable line) is used for no
// other joint. After an unreadable line every later joint keeps weights 0.
// `vertexCount` is the body's; weights for other vertex numbers are ignored.
SkinWeightFile parseSkinWeights(std::string_view text, std::size_t vertexCount);

// A landmark file for the slot positions: line n holds the point of slot
// kLandmarkSlotOfLine[n], as "x y z" with six decimals.
std::string formatLandmarks(const std::array<std::array<float, 3>, kLandmarkSlots>& slots);

// A skin-weight file: for joints 1 to 27 in order, one "joint vertex weight"
// line per vertex whose weight is not zero, then the terminator line
// "joint -1 0". weights[j][k] as in SkinWeightFile.
std::string formatSkinWeights(const std::array<std::vector<float>, kSkinnedJoints + 1>& weights);

// "<landmark path without its last four characters>Weight.wgt".
std::string weightFilePathFor(std::string_view landmarkPath);

}  // namespace vestora
