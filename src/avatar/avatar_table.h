// The avatar table: the bodies the wardrobe offers as thumbnails, each
// with its model file, where the view places it and which pose it is.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace vestora {

enum class FemalePose { High, Bag, Walk, Stand };

struct AvatarEntry {
  std::string_view thumbnail;  // file name of the wardrobe thumbnail, e.g. "Female.bmp"
  std::string_view modelPath;  // data path of the body
  // Placement offset the view applies when drawing the body; nullopt keeps
  // the current one.
  std::optional<std::array<float, 3>> placement;
  std::optional<FemalePose> pose;  // female bodies set exactly one pose flag
};

inline constexpr std::array<AvatarEntry, 11> kAvatarTable = {{
    {"Female.bmp", "\\model\\ChinaFemale\\nv_High.c3d", std::array<float, 3>{0, 0, 0},
     FemalePose::High},
    {"Pose1.bmp", "\\model\\ChinaFemale\\nv_BagPose.c3d", std::array<float, 3>{0, 0, 0},
     FemalePose::Bag},
    {"Walk.bmp", "\\model\\ChinaFemale\\nv_WalkPose.c3d", std::array<float, 3>{0, 0, 0},
     FemalePose::Walk},
    {"Stand.bmp", "\\model\\ChinaFemale\\nv_StandPose.c3d", std::array<float, 3>{0, 0, 0},
     FemalePose::Stand},
    {"Girl.bmp", "\\model\\ChinaGirl\\Girl.c3d", std::nullopt, std::nullopt},
    {"Male.bmp", "\\model\\ChinaMale\\Dayou.c3d", std::array<float, 3>{-81.5f, 113.5f, -16.5f},
     std::nullopt},
    {"James.bmp", "\\model\\ChinaMale\\JamesSpread.c3d",
     std::array<float, 3>{145.5f, 210.5f, -49.0f}, std::nullopt},
    {"James1a.bmp", "\\model\\ChinaMale\\James1a.c3d", std::array<float, 3>{145.5f, 210.5f, -49.0f},
     std::nullopt},
    {"JamesRun.bmp", "\\model\\ChinaMale\\JamesRun.c3d",
     std::array<float, 3>{145.5f, 210.5f, -49.0f}, std::nullopt},
    {"JamesTalk.bmp", "\\model\\ChinaMale\\JamesTalk.c3d",
     std::array<float, 3>{145.5f, 210.5f, -49.0f}, std::nullopt},
    {"James3.bmp", "\\model\\ChinaMale\\James3.c3d", std::array<float, 3>{145.5f, 210.5f, -49.0f},
     std::nullopt},
}};

// Data paths of the skin pictures of a body kind (empty: the kind has none).
// The body picture decides: without it the body is drawn plain.
struct BodyTextureFiles {
  std::string_view body;
  std::string_view head;
  std::string_view eye;   // kinds with separate eyes ("Girl", "pose7")
  std::string_view hair;  // "pose7" (its hair is part of the body model)
};
inline constexpr BodyTextureFiles kWomanTextures{"\\model\\ChinaFemale\\nv_BodySkin.jpg",
                                                 "\\model\\ChinaFemale\\nv_HeadSkin.jpg", "", ""};
inline constexpr BodyTextureFiles kPose7Textures{
    "\\model\\ChinaFemale\\nv_BodySkin.jpg", "\\model\\ChinaFemale\\nv_HeadSkin.jpg",
    "\\model\\ChinaFemale\\nv_Eye.jpg", "\\model\\ChinaFemale\\nv_toufa.tga"};
inline constexpr BodyTextureFiles kManTextures{"\\model\\ChinaMale\\BodySkin.jpg",
                                               "\\model\\ChinaMale\\HeadSkin.jpg", "", ""};
inline constexpr BodyTextureFiles kGirlTextures{"\\model\\ChinaGirl\\GirlBodySkin.jpg",
                                                "\\model\\ChinaGirl\\GirlHeadSkin.jpg",
                                                "\\model\\ChinaGirl\\GirlEye.jpg", ""};

// The skin pictures of the kind named `modelName` ("woman", "pose7", "man",
// "Girl"); nullptr for a kind that is drawn plain.
constexpr const BodyTextureFiles* bodyTextureFiles(std::string_view modelName) {
  if (modelName == "woman") return &kWomanTextures;
  if (modelName == "pose7") return &kPose7Textures;
  if (modelName == "man") return &kManTextures;
  if (modelName == "Girl") return &kGirlTextures;
  return nullptr;
}

// The entry whose thumbnail is the file name of `entryPath` (the text after
// its last backslash or slash), or nullptr.
const AvatarEntry* avatarEntryFor(std::string_view entryPath);

// The woman's poses by the names the command lines use: "standard" (the
// default standing pose), "bag", "walk" and "stand"; nullptr for another name.
const AvatarEntry* poseEntry(std::string_view name);
inline constexpr const char* kPoseNames = "standard, bag, walk or stand";

}  // namespace vestora
