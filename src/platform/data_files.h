// Fixed relative paths of the program's data files, in the program's own
// backslash form (see data_path.h). Names are case-sensitive on disk.
#pragma once

#include <string_view>

namespace vestora::data_files {

// Presence of this file marks the application root.
inline constexpr std::string_view kRootMarker = "\\data\\theme.wav";

inline constexpr std::string_view kFemaleHigh = "\\model\\ChinaFemale\\nv_High.c3d";
inline constexpr std::string_view kFemaleBagPose = "\\model\\ChinaFemale\\nv_BagPose.c3d";
inline constexpr std::string_view kFemaleWalkPose = "\\model\\ChinaFemale\\nv_WalkPose.c3d";
inline constexpr std::string_view kFemaleStandPose = "\\model\\ChinaFemale\\nv_StandPose.c3d";
inline constexpr std::string_view kGirl = "\\model\\ChinaGirl\\Girl.c3d";
inline constexpr std::string_view kMale = "\\model\\ChinaMale\\Dayou.c3d";

// The help document, opened with the desktop's viewer (help button, F1).
inline constexpr std::string_view kHelpDocument = "\\澄镜衣坊帮助文件.pdf";

// The wardrobe's sounds: a garment put on and draped, a garment taken off.
inline constexpr std::string_view kDrapeSound = "\\data\\avator.wav";
inline constexpr std::string_view kTakeOffSound = "\\data\\recycle.wav";

// The program's background music.
inline constexpr std::string_view kDefaultMusic = "\\data\\theme2.mp3";

// The garment's detail picture when it has none of its own.
inline constexpr std::string_view kNoDetailPicture = "\\pattern\\Sorry.jpg";

// The body loaded at start-up.
inline constexpr std::string_view kDefaultAvatar = kFemaleHigh;

}  // namespace vestora::data_files
