// Fixed vertex and triangle numbers of the shipped body, hair and shoe
// models. Code that seats hair and shoes, measures the body or finds the
// bag handle addresses these points by number; the content generator
// numbers its models so that each number lands on its point in every pose.
//
// Three kinds of number are in use, and the kind matters:
//   record   0-based index of a body vertex record (record k = model vertex k + 1)
//   vertex   1-based model vertex number
//   triangle 0-based index into the model's triangle array
#pragma once

#include <array>
#include <string_view>

namespace vestora::shipped {

enum class NumberKind { Record, Vertex, Triangle };

struct FixedNumber {
  std::string_view model;  // which model the number belongs to
  int number;
  NumberKind kind;
  std::string_view meaning;
};

// ---- the adult female body (all four poses share the numbering) ----
inline constexpr int kWomanHeadTop = 1102;     // record: highest point of the head
inline constexpr int kWomanFootLowest = 3195;  // record: lowest point of the right sole
inline constexpr int kWomanShoulderLeft =
    2764;  // record: left acromion (x > 0), top of the shoulder
inline constexpr int kWomanShoulderRight = 4857;  // record: right acromion (x < 0)
inline constexpr int kWomanNeckSide =
    2565;  // record: left side of the neck base, inner end of the shoulder-slope line
inline constexpr int kWomanChestPlane =
    3636;  // record: front centre at the under-bust fold; the chest regions are cut here
inline constexpr int kWomanWaist =
    5536;  // record: front centre at the natural waist (narrowest level)
inline constexpr int kWomanAbdomenShaping =
    6061;                                      // record: front centre of the abdomen, navel level
inline constexpr int kWomanAbdomen = 6049;     // record: left side of the abdomen, navel level
inline constexpr int kWomanHipShaping = 3126;  // record: back centre at the fullest buttocks
inline constexpr int kWomanHip = 5389;  // record: left side of the hips at the fullest buttocks
inline constexpr int kWomanThigh =
    5204;  // record: outside of the right thigh (x < 0) below the gluteal fold
inline constexpr int kWomanCalf = 4764;  // record: back of the right calf (x < 0) at its fullest
inline constexpr int kWomanKnee =
    3246;  // record: front of the right knee (x < 0) at the kneecap's centre
inline constexpr int kWomanNeckBase =
    2644;  // record: front of the neck base, at the top of the breastbone
inline constexpr int kWomanCrotch =
    5344;  // record: crotch point, the top of the gap between the thighs
inline constexpr int kWomanCrotchFloor =
    4736;  // record: inside of the right foot at the floor, below the crotch
inline constexpr int kWomanAnkle =
    4713;  // record: inside of the right ankle, just below its narrowest level
inline constexpr int kWomanShoeSeat = 5517;   // vertex: back of the right heel at the sole
inline constexpr int kWomanHairSeat = 1114;   // vertex: crown of the head, behind the top
inline constexpr int kWomanHeadFrame = 3664;  // triangle: on the forehead; the hair follows it
inline constexpr int kWomanBagHandle =
    10775;  // triangle: inside of the left forearm below the elbow, where the bag hangs

// ---- the girl ----
inline constexpr int kGirlHeadTop = 3687;    // record: highest point of the head
inline constexpr int kGirlFootLowest = 856;  // record: lowest point of the right sole
inline constexpr int kGirlHairSeat = 3688;   // vertex: crown of the head, behind the top
inline constexpr int kGirlShoeSeat = 2582;   // vertex: back of the right heel at the sole

// ---- accessory models ----
inline constexpr int kHairSeatMikiHair = 81;  // vertex of "MikiHair" kept over the body's hair seat
inline constexpr int kHairSeatPonyHair = 711;    // vertex of "PonyHair"
inline constexpr int kHairSeatAliceHair = 477;   // vertex of "AliceHair"
inline constexpr int kHairSeatMessyHair = 7849;  // vertex of "MessyHair"
inline constexpr int kHairSeatLongHair = 11908;  // vertex of "LongHair"
inline constexpr int kHairSeatGirlHair =
    177;  // vertex of "GirlHair" kept over the girl's hair seat
inline constexpr int kShoeSeatWomanShoe1 =
    1590;  // vertex of "womanshoe1" kept over the body's shoe seat
inline constexpr int kShoeSeatWomanShoe2 = 1587;  // vertex of "womanshoe2"
inline constexpr int kShoeSeatWomanShoe3 = 2027;  // vertex of "womanshoe3"
inline constexpr int kShoeSeatGirlShoe =
    310;  // vertex of "GirlShoe" kept over the girl's shoe seat

// ---- seats of accessory models ----
// Hair on the girl and the men, the shoes and the bag are seated by one of
// their vertices: after its fixed placement the model is moved so that the
// vertex lands at the body's seat point plus the offset (model units). The
// body's seat point: vertex 5517 for the women's shoes, vertex 3688 for the
// girl's hair, vertex 2582 for her shoes, the middle of triangle 10775 for
// the bag.
struct AccessorySeat {
  std::string_view model;
  int vertex;  // 1-based vertex of the accessory
  float dx, dy, dz;
};
inline constexpr int kBagSeatVertex = 1;  // vertex of "Bag": the top of its handle
inline constexpr std::array<AccessorySeat, 6> kAccessorySeats = {{
    {"womanshoe1", kShoeSeatWomanShoe1, -0.0235f, -0.0038f, -0.0591f},
    {"womanshoe2", kShoeSeatWomanShoe2, -0.0233f, 0.0004f, -0.0624f},
    {"womanshoe3", kShoeSeatWomanShoe3, -0.0218f, 0.0066f, -0.0827f},
    {"GirlShoe", kShoeSeatGirlShoe, 0.051f, 0.0115f, -0.0685f},
    {"GirlHair", kHairSeatGirlHair, -0.0008f, 0.0318f, -0.0015f},
    {"Bag", kBagSeatVertex, 0.8533f, -0.0521f, 1.4925f},
}};

// The hair styles, the man's face, the glasses and the necklace are placed
// by fixed numbers made for a head a little smaller and lower than that of
// the generated bodies. Each is moved by its fit shift (model units) right
// after its fixed placement; on the woman the head's motion follows.
struct AccessoryFit {
  std::string_view model;
  float dx, dy, dz;
};
inline constexpr std::array<AccessoryFit, 16> kAccessoryFits = {{
    {"PonyTail", 0.0f, 0.4788f, 0.2831f},
    {"MikiHair", -0.0246f, 0.4904f, 0.266f},
    {"PonyHair", -0.0043f, 0.3447f, 0.4232f},
    {"AliceHair", -0.0237f, 0.4646f, -0.0224f},
    {"MessyHair", 0.0068f, 0.5235f, -1.7557f},
    {"LongHair", 0.0037f, 0.54f, 0.07f},
    {"ReiHair", -0.0028f, 0.3906f, 0.2625f},
    {"MKHair", -0.0143f, 0.5275f, 0.2637f},
    {"ManHair1", -0.0005f, -0.2334f, -0.1317f},
    {"ManHair2", -0.0256f, -0.3208f, -0.1262f},
    {"ManHair3", -0.0201f, -0.4141f, -0.2861f},
    {"ManFace", -0.0006f, -0.3989f, -0.0072f},
    {"GirlHair", 0.0f, 0.0f, 0.0f},
    {"Glassess", 0.0f, 0.0501f, 0.1359f},
    {"necklace", 0.0062f, 0.6033f, -0.2374f},
    {"watch", 0.0f, 0.0f, 0.0f},
}};

inline constexpr std::array<FixedNumber, 36> kFixedNumbers = {{
    {"woman", kWomanHeadTop, NumberKind::Record, "highest point of the head"},
    {"woman", kWomanFootLowest, NumberKind::Record, "lowest point of the right sole"},
    {"woman", kWomanShoulderLeft, NumberKind::Record, "left acromion"},
    {"woman", kWomanShoulderRight, NumberKind::Record, "right acromion"},
    {"woman", kWomanNeckSide, NumberKind::Record, "left side of the neck base"},
    {"woman", kWomanChestPlane, NumberKind::Record, "front centre at the under-bust fold"},
    {"woman", kWomanWaist, NumberKind::Record, "front centre at the natural waist"},
    {"woman", kWomanAbdomenShaping, NumberKind::Record, "front centre of the abdomen"},
    {"woman", kWomanAbdomen, NumberKind::Record, "left side of the abdomen"},
    {"woman", kWomanHipShaping, NumberKind::Record, "back centre at the fullest buttocks"},
    {"woman", kWomanHip, NumberKind::Record, "left side of the hips"},
    {"woman", kWomanThigh, NumberKind::Record, "outside of the right thigh"},
    {"woman", kWomanCalf, NumberKind::Record, "back of the right calf"},
    {"woman", kWomanKnee, NumberKind::Record, "front of the right knee"},
    {"woman", kWomanNeckBase, NumberKind::Record, "front of the neck base"},
    {"woman", kWomanCrotch, NumberKind::Record, "crotch point"},
    {"woman", kWomanCrotchFloor, NumberKind::Record, "inside of the right foot at the floor"},
    {"woman", kWomanAnkle, NumberKind::Record, "inside of the right ankle"},
    {"woman", kWomanShoeSeat, NumberKind::Vertex, "back of the right heel at the sole"},
    {"woman", kWomanHairSeat, NumberKind::Vertex, "crown of the head"},
    {"woman", kWomanHeadFrame, NumberKind::Triangle, "forehead"},
    {"woman", kWomanBagHandle, NumberKind::Triangle, "inside of the left forearm below the elbow"},
    {"Girl", kGirlHeadTop, NumberKind::Record, "highest point of the head"},
    {"Girl", kGirlFootLowest, NumberKind::Record, "lowest point of the right sole"},
    {"Girl", kGirlHairSeat, NumberKind::Vertex, "crown of the head"},
    {"Girl", kGirlShoeSeat, NumberKind::Vertex, "back of the right heel at the sole"},
    {"MikiHair", kHairSeatMikiHair, NumberKind::Vertex, "hair vertex over the hair seat"},
    {"PonyHair", kHairSeatPonyHair, NumberKind::Vertex, "hair vertex over the hair seat"},
    {"AliceHair", kHairSeatAliceHair, NumberKind::Vertex, "hair vertex over the hair seat"},
    {"MessyHair", kHairSeatMessyHair, NumberKind::Vertex, "hair vertex over the hair seat"},
    {"LongHair", kHairSeatLongHair, NumberKind::Vertex, "hair vertex over the hair seat"},
    {"GirlHair", kHairSeatGirlHair, NumberKind::Vertex, "hair vertex over the hair seat"},
    {"womanshoe1", kShoeSeatWomanShoe1, NumberKind::Vertex, "shoe vertex over the shoe seat"},
    {"womanshoe2", kShoeSeatWomanShoe2, NumberKind::Vertex, "shoe vertex over the shoe seat"},
    {"womanshoe3", kShoeSeatWomanShoe3, NumberKind::Vertex, "shoe vertex over the shoe seat"},
    {"GirlShoe", kShoeSeatGirlShoe, NumberKind::Vertex, "shoe vertex over the shoe seat"},
}};

}  // namespace vestora::shipped
