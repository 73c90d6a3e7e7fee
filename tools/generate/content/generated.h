// What the generator builds, kind by kind, into the application root. Each
// function writes its files and adds the intended dimensions of its bodies
// to the manifest.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "artwork/text.h"
#include "content/content_root.h"
#include "garments/garment_picture.h"
#include "platform/data_files.h"

namespace vestora::generate {

using Manifest = nlohmann::ordered_json;

void generateWoman(ContentRoot& root, Manifest& manifest);
void generateGirl(ContentRoot& root, Manifest& manifest);
void generateMen(ContentRoot& root, Manifest& manifest);
// The hair folder of the wardrobe (\model\Clothing\Hair): the hair styles,
// the man's face, their pictures and wardrobe thumbnails, and the girl's own
// hair picture. Needs the bodies already in the root; throws
// std::runtime_error when a style does not sit on its head as designed.
void generateHair(ContentRoot& root);
// The worn accessories of the wardrobe's glasses folder
// (\model\Clothing\glasses): two pairs of glasses, a necklace, shoes for
// the woman, the girl and the man, socks and a handbag, with their pictures
// and wardrobe thumbnails. Needs the bodies already in the root; throws
// std::runtime_error when one does not land on its body as designed (the
// message names the fixed number of shipped_numbers.h to change).
void generateWearables(ContentRoot& root);
// The wardrobe's thumbnails of the avatar table's bodies and poses, each
// with the hair it starts with, and the detail picture "\pattern\Sorry.jpg".
// Needs the bodies and the hair styles already in the root.
void generateAvatarPictures(ContentRoot& root);
void generateCommon(ContentRoot& root);
// The scene environments the view draws behind the avatar: the models
// "\model\Skydome\skydome.c3d", "\model\Mansion\room.c3d" and
// "\model\Mansion\Beach.c3d", their pictures (602 to 607 and the palm's
// "\model\Mansion\Tree.tga"), the lake floor's water and light map and the
// lens flare's pictures. Throws std::runtime_error when a model does not
// read back where it was designed.
inline constexpr std::string_view kSkyDomeModelPath = "\\model\\Skydome\\skydome.c3d";
inline constexpr std::string_view kRoomModelPath = "\\model\\Mansion\\room.c3d";
inline constexpr std::string_view kBeachModelPath = "\\model\\Mansion\\Beach.c3d";
inline constexpr std::string_view kTreePicturePath = "\\model\\Mansion\\Tree.tga";
inline constexpr std::string_view kLakePicturePath = "\\data\\scene\\lake2.png";
inline constexpr std::string_view kFloorLightMapPath = "\\data\\scene\\floor_lm.png";
inline constexpr std::string_view kLensGlowPath = "\\data\\lens\\HardGlow2.bmp";
inline constexpr std::string_view kLensBigGlowPath = "\\data\\lens\\BigGlow3.bmp";
inline constexpr std::string_view kLensHaloPath = "\\data\\lens\\Halo3.bmp";
inline constexpr std::string_view kLensStreaksPath = "\\data\\lens\\Streaks4.bmp";
void generateScenes(ContentRoot& root);
// The user-interface artwork (bitmaps, "TRYMO" pictures, icon, the sheet's
// paper) and the sheet's font "\vrinda.ttf", lettered with `fonts` (the
// system's by default). Throws std::runtime_error naming the font file when
// a font is missing or cannot be loaded.
void generateArtwork(ContentRoot& root, const art::FontFiles& fonts);
void generateArtwork(ContentRoot& root);
// The help document "\澄镜衣坊帮助文件.pdf": a PDF 1.4 file of A4 pages, each
// one JPEG picture at 150 dpi. Throws std::runtime_error naming the font
// file when a font is missing or cannot be loaded.
inline constexpr std::string_view kHelpDocumentPath = data_files::kHelpDocument;
inline constexpr int kHelpJpegQuality = 85;
std::vector<std::uint8_t> helpDocument(const art::FontFiles& fonts);
void generateHelp(ContentRoot& root, const art::FontFiles& fonts);
void generateHelp(ContentRoot& root);
// Needs the woman's files already in the root.
void generateGarments(ContentRoot& root);
// The fabric swatches, JPEG, under \pattern\texture: one for each of
// kFabricNames ("Denim.jpg", ...) and the garments' "Dress.jpg", "Top.jpg"
// and "Skirt.jpg".
void writeFabricTextures(ContentRoot& root);

// The fabric of a garment by the garment's name ("Dress", "Top", "Skirt"
// and the store's "Tunic", "Maxi", "Camisole"), kFabricTextureSize square,
// and the same as the JPEG file the garment's texture name refers to.
// Throws std::invalid_argument for any other name.
inline constexpr int kFabricJpegQuality = 90;
FabricImage garmentFabric(std::string_view garment);
std::vector<std::uint8_t> garmentFabricJpeg(std::string_view garment);

// The pictures of a garment: the wardrobe thumbnail (a 24-bit BMP, shown
// at half size) and the two detail pictures (JPEG, front and back).
inline constexpr int kThumbnailWidth = 172, kThumbnailHeight = 218;
inline constexpr int kDetailWidth = 400, kDetailHeight = 500;
struct GarmentPictures {
  std::vector<std::uint8_t> thumbnailBmp, frontJpeg, backJpeg;
};
GarmentPictures garmentPictures(const Avatar& body, const GarmentMesh& garment,
                                const FabricImage& fabric);
// Writes them as "<prefix><file>.bmp", "<prefix><name>00.jpg" and
// "<prefix><name>01.jpg" (prefix "\pattern\", file "Dress.pop", name "Dress").
void writeGarmentPictures(ContentRoot& root, std::string_view prefix, std::string_view file,
                          std::string_view name, const GarmentPictures& pictures);

// The default dress's way of binding: bound to the body as designed, with the
// offsets taken back by the widening of the fit, and fitted.
GarmentMesh fittedGarment(const Avatar& body, GarmentMesh garment);

// The demo store, built into `storeDir` from the garments for sale (designed
// on the root's default body, so it needs the woman's files in `root`) and
// the installer stub at `stubPath`: signed packages, their pictures and the
// static site. Throws std::runtime_error when the stub cannot be read or the
// signing key does not match kStorePublicKey.
void generateStore(ContentRoot& root, const std::string& storeDir, const std::string& stubPath);

}  // namespace vestora::generate
