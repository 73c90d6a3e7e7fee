// The full automatic measurement of the avatar: 25 results in centimetres,
// each a section girth or a distance between body points, as a tailor
// would take them.
#pragma once

#include <array>
#include <bitset>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "avatar/avatar.h"
#include "body/section_length.h"
#include "platform/user_dialogs.h"

namespace vestora {

// Report labels, in report order.
inline constexpr std::array<std::string_view, 25> kMeasureLabels = {"chest circumference",
                                                                    "waist circumference",
                                                                    "Abdomen circumference",
                                                                    "Hip circumference",
                                                                    "Front center length",
                                                                    "Back center length",
                                                                    "Front full length",
                                                                    "Back full length",
                                                                    "Front shoulder slope",
                                                                    "Back shoulder slope",
                                                                    "Bust depth",
                                                                    "Bust span",
                                                                    "Bust radius",
                                                                    "Front accross shoulder length",
                                                                    "Back accross shulder length",
                                                                    "Waist to ankle length",
                                                                    "Upper thigh circumference",
                                                                    "Mid thigh circumference",
                                                                    "Knee circumference",
                                                                    "Calf circumference",
                                                                    "Ankle circumference",
                                                                    "Crotch circumference",
                                                                    "Crotch depth",
                                                                    "Elbow circumference",
                                                                    "Wrist circumference"};

enum MeasureIndex {
  kChest,
  kWaist,
  kAbdomen,
  kHip,
  kFrontCentre,
  kBackCentre,
  kFrontFull,
  kBackFull,
  kFrontShoulderSlope,
  kBackShoulderSlope,
  kBustDepth,
  kBustSpan,
  kBustRadius,
  kFrontAcrossShoulder,
  kBackAcrossShoulder,
  kWaistToAnkle,
  kUpperThigh,
  kMidThigh,
  kKnee,
  kCalf,
  kAnkle,
  kCrotchGirth,
  kCrotchDepth,
  kElbow,
  kWrist
};

// The girths the report does not list, numbered after the 25 results.
enum ExtraMeasure { kUnderBustResult = 25, kNeckBaseResult, kMeasureCount };
// Which results to take: by MeasureIndex and ExtraMeasure.
using MeasureWanted = std::bitset<kMeasureCount>;

struct MeasureResults {
  std::array<float, 25> value{};  // centimetres, by MeasureIndex
  // Also taken on the way, for the sheet and the report's readers.
  float heightCm = 0, inseamCm = 0, shoulderWidthCm = 0;
  // Girths the report does not list: the under-bust girth (the tape level
  // round the trunk at the fold under the bust) and the neck base girth (the
  // tape round the neck in the plane through the front neck point that
  // leans 20 degrees, rising towards the back).
  float underBustCm = 0, neckBaseCm = 0;
  // Where the chest, waist and hip girths were taken, in model units: the
  // heights of their level planes, and the z of the point (at x = 0) that
  // picks the trunk's loop on each. A level stays 0 when its girth was not
  // taken.
  float chestY = 0, waistY = 0, hipY = 0, trunkZ = 0;
  bool measured = false;
};

// Where the measurement found its points, in model units (for the marks).
struct MeasureMarks {
  Vec3f bustLeft, bustRight, waistSide, ankle, crotch, neckFront, neckBack;
};

class BodyMeasurer {
 public:
  // 0: the program's own avatars, 1: a scanned body, 2: a third source.
  int sourceMode = 0;

  // Measures the avatar. A woman must stand in the standard pose: in any
  // other pose the message "请设定为标准站姿进行测量！" is shown and nothing
  // is measured (returns false). `dialogs` may be null (no messages).
  bool MeasureBody(const Avatar& avatar, UserDialogs* dialogs);

  const MeasureResults& results() const { return results_; }
  const MeasureMarks& marks() const { return marks_; }
  // Forgets the last measurement (another body was loaded).
  void clear() {
    results_ = MeasureResults{};
    marks_ = MeasureMarks{};
  }

 private:
  MeasureResults results_;
  MeasureMarks marks_;
};

// The bust girth of a woman as the full measurement takes it: the tape round
// the trunk at the mean height of the two bust points. `loop` receives the
// section's points (model units). nullopt for a body without her fixed points.
std::optional<float> bustGirthCm(const Avatar& avatar, std::vector<SectionPoint>* loop = nullptr);

// The measurement itself, for any body kind (the woman by her fixed points,
// the others by points found on the body).
MeasureResults measureAvatar(const Avatar& avatar, MeasureMarks* marks = nullptr);
// Only the wanted results, each taken as the whole measurement takes it
// (the same value); the sections the others need are not cut, and they may
// be left 0. The height, inseam and shoulder width are always taken. With
// `marks` everything is taken.
MeasureResults measureAvatar(const Avatar& avatar, const MeasureWanted& wanted,
                             MeasureMarks* marks = nullptr);

}  // namespace vestora
