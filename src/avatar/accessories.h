// What the avatar wears besides garments: a hair style (or the man's face),
// a worn item (glasses, necklace, watch …), shoes, a bag and socks. Each is
// a polygon model read from the wardrobe's folders, placed on the body by
// its model name and seated again whenever the body changes.
//
// This is the geometry and the bookkeeping only; the view draws the models
// and loads their textures from the file names kept here (a slot's
// `version` changes whenever its model or textures change).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/glm_model.h"
#include "formats/model_loader.h"
#include "platform/result.h"
#include "platform/user_dialogs.h"

namespace vestora {

class Avatar;

inline constexpr const char* kHairFolder = "\\model\\Clothing\\Hair\\";
inline constexpr const char* kGlassesFolder = "\\model\\Clothing\\glasses\\";
inline constexpr const char* kDefaultHairPath = "\\model\\Clothing\\Hair\\PonyTail.c3d";
inline constexpr const char* kShoePoseRefusal = "仅适用于默认姿势和挎包姿势！";
inline constexpr const char* kBagPoseRefusal = "仅用于挎包姿态！";
inline constexpr const char* kMenOnlyRefusal = "男性用品！";
// Followed by the file's name.
inline constexpr const char* kAccessoryUnreadable = "无法读取配件：";

// The six entries of the view's accessory selection (entry numbers 1 to 6).
enum class AccessoryEntry : int { WornItem = 1, Hair = 2, Face = 3, Shoe = 4, Bag = 5, Sock = 6 };

enum class TextureKind { None, Jpeg, JpegWithAlpha, Tga };

// A texture of an accessory: the colour file and, for JpegWithAlpha, the
// one-channel file that gives the alpha (full paths).
struct AccessoryTexture {
  TextureKind kind = TextureKind::None;
  std::string file, alphaFile;
  bool operator==(const AccessoryTexture&) const = default;
};

// One held accessory model.
struct AccessorySlot {
  std::unique_ptr<GlmModel> model;
  std::string name;  // the model's name ("PonyTail", "Glassess", "womanshoe1" …)
  // Hair: by part for "PonyTail" ("TAIL", "head"); one texture otherwise.
  AccessoryTexture texture;
  // "PonyTail": the part " TAIL" (the main texture is for " head");
  // "ManFace": the eyes (the main texture is the face).
  AccessoryTexture secondTexture;
  // The worn item's texture index (1 … 6; 0 = drawn in the frame colour).
  int textureIndex = 0;
  std::uint64_t version = 0;
  // The arguments it was loaded with (the re-seat after reshaping uses them).
  std::string path, argument;
  // The vertices right after the fixed placement, before the head's motion.
  std::vector<float> placedVertices;
  // Seating: the model's seat vertex (1-based, 0 = none) and its offset
  // from the body's seat point, kept from the load.
  int seatVertex = 0;
  std::array<float, 3> seatOffset{};
  // The body's seat point when the model was placed (sock, man's shoe).
  std::array<float, 3> bodyPointAtLoad{};
  // What the accessory page turns and scales it about: the middle of its
  // box when it was placed, moved along with it.
  std::array<float, 3> pivot{};

  explicit operator bool() const { return model != nullptr; }
};

// Colours the accessory page sets (red, green, blue bytes), and the lens
// transparency.
struct AccessoryLook {
  Rgb lens{255, 255, 255};
  Rgb frame{40, 40, 44};
  Rgb shoe{255, 255, 255};  // white: the shoes' own colours
  Rgb hair{255, 255, 255};  // white: the hair's own colours
  float transparency = 0.0f;
};

// The rigid motion (with the head's change of size) that carries the head
// frame as loaded onto the head frame now: p' = origin + scale · R (p − from).
struct HeadMotion {
  std::array<float, 3> from{}, origin{};
  std::array<float, 9> rotation{1, 0, 0, 0, 1, 0, 0, 0, 1};  // row-major
  float scale = 1.0f;
  std::array<float, 3> apply(const std::array<float, 3>& p) const;
  // The point that `apply` takes to p.
  std::array<float, 3> undo(const std::array<float, 3>& p) const;
};

// The motion between two frames (three corners each); nullopt when either
// is degenerate.
std::optional<HeadMotion> headMotion(const std::array<std::array<float, 3>, 3>& loaded,
                                     const std::array<std::array<float, 3>, 3>& now);

// The normalising steps every hair model and the glasses, watch and
// necklace go through: into a cube of edge 1 round the origin, times 1.76,
// lifted by 6.847 and moved 0.3 forward. Returns the new box's centre.
std::array<float, 3> normaliseAccessory(GlmModel& model);

// The fixed placement of a hair model by its name on a body of `bodyKind`
// with the head anchor `anchor` (floats 0 … 2 of the body's). False for a
// name that is not a hair style (the model is left as normalised).
bool placeHairStyle(GlmModel& model, std::string_view bodyKind, const std::array<float, 3>& anchor);

// The texture files of a hair style (full paths under `root`); none for an
// unknown name.
struct HairTextures {
  AccessoryTexture main, second;  // second: the PonyTail's " TAIL", the face's eyes
};
HairTextures hairTextures(const std::string& root, std::string_view name);

// The seat of hair and shoe models on the bodies whose head or feet the
// fixed placement does not find: the model's seat vertex and its offset
// from the body's seat point. nullopt for a model that is not seated so.
struct SeatRule {
  int modelVertex;              // 1-based vertex of the accessory
  std::array<float, 3> offset;  // from the body's seat point, model units
};
std::optional<SeatRule> seatRule(std::string_view modelName);
// The shift of a model after its fixed placement (zero for most).
std::array<float, 3> fitShift(std::string_view modelName);

// The last three characters of a texture path decide how it is read.
TextureKind textureKindOf(std::string_view path);

class Accessories {
 public:
  explicit Accessories(Avatar& avatar);

  // ---- loading (paths are data paths below the avatar's root, or full) ----
  // A hair style: placed by its name, then on the woman carried by the
  // head's motion since the standard body, on the girl seated on her crown. The old hair stays when
  // the file cannot be read.
  Result<void> LoadHairStyle(std::string_view path);
  // Glasses, necklace, watch and the other worn items; `variant` is the
  // wardrobe entry's name (it picks the glasses' fit and the shoe texture).
  Result<void> LoadWornItem(std::string_view modelPath, std::string_view variant);
  // Shoes: refused with kShoePoseRefusal on the woman outside the default
  // and the bag pose (the held shoes come off then).
  Result<void> LoadShoe(std::string_view modelPath, std::string_view texturePath);
  Result<void> LoadSock(std::string_view modelPath, std::string_view texturePath);
  // A bag, hung on the left forearm; the bag pose only (kBagPoseRefusal).
  Result<void> LoadBag(std::string_view modelPath, std::string_view texturePath);

  // A wardrobe entry of the hair or the glasses folder by its name without
  // the picture's extension: "X.hir" a hair style, "X.gls" glasses, and
  // "X.jpg" or "X.tga" the model X.c3d textured with that picture (X.obj
  // for names beginning with "Ch"), put where its model name says: shoes,
  // socks, a bag or a worn item. Names beginning with "Ma" are the man's,
  // with "Ba" bags.
  Result<void> wearEntry(std::string_view entryName);

  // The wardrobe's remove actions ("删除发型", "摘掉鞋子", "摘掉眼镜", "摘掉箱包").
  void removeHair();
  void removeShoes();
  void removeWornItem();
  void removeBag();
  void removeSock();

  // "恢复默认发型": the woman gets the default hair again, the man loses his;
  // nothing for other bodies or while no hair is worn. True when the hair
  // changed.
  Result<bool> RestoreDefaultHair();
  // The default hair of the body's kind (the woman's PonyTail, the girl's
  // hair), or none for the men.
  Result<void> loadDefaultHair();

  // ---- following the body ----
  // After every change of the body's shape: hair and worn item follow the
  // head, shoes, socks and bag their seats.
  void reseat();
  // After another body was loaded: remembers its head frame; in the walk
  // and stand poses the shoes come off, outside the bag pose the bag; on a
  // body of another kind everything seated on the old one comes off.
  void bodyLoaded();

  // ---- the accessory page ----
  // Moves a held accessory, then scales it by `ratio` (≤ 0: not) and turns
  // it by `da` degrees about `axis` (when `turn`), both about its pivot. The
  // whole model moves when it is the accessory named last or the model its
  // slot holds, else only its groups whose names begin with the first two
  // letters of the name named last.
  void TransformAccessory(AccessorySlot& slot, float dx, float dy, float dz, float ratio,
                          const std::array<float, 3>& axis, float da, bool turn) const;
  // The same for every selected entry among the worn item, shoes, bag and
  // socks; true when one was moved.
  bool transformSelected(float dx, float dy, float dz, float ratio,
                         const std::array<float, 3>& axis, float da, bool turn);

  AccessorySlot hair, wornItem, shoe, bag, sock;
  // The view's six-entry selection: exactly one is set after a pick or a load.
  std::array<bool, 6> selection{};
  void select(AccessoryEntry entry);
  bool selected(AccessoryEntry entry) const { return selection[static_cast<int>(entry) - 1]; }
  // The name of the accessory loaded last (the page's transform uses it).
  std::string accessoryName;
  AccessoryLook look;

 private:
  Result<std::unique_ptr<GlmModel>> read(const std::string& file, bool obj);
  std::array<std::array<float, 3>, 3> headFrameNow() const;
  // The head's motion since the body was loaded (woman only); nullopt when
  // it has not moved.
  std::optional<HeadMotion> headMotionNow() const;
  void followHead(AccessorySlot& slot);
  void seatOnBody(AccessorySlot& slot);
  // Makes a page's move, turn or scale of the slot part of what the
  // re-seat after reshaping starts from.
  void keepPageEdit(AccessorySlot& slot);
  std::array<float, 3> bodySeatPoint(const AccessorySlot& slot) const;
  void placeShoe(AccessorySlot& slot);
  void placeBag(AccessorySlot& slot);
  std::string fullPath(std::string_view path) const;
  static void bump(AccessorySlot& slot);

  Avatar& avatar_;
  ModelLoader loader_;  // its own: the body's head anchor stays the body's
  // The forehead frame of the woman's standard body as loaded: the fixed
  // placements are made for it, and every other pose and shape carries
  // the head's accessories by the motion from it.
  std::array<std::array<float, 3>, 3> referenceHeadFrame_{};
  bool haveHeadFrame_ = false;
  std::string bodyKind_;  // the kind of the body the accessories were seated on
  std::uint64_t versions_ = 0;
};

}  // namespace vestora
