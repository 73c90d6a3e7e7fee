// What the wardrobe of the garment panel does, without its window: the four
// categories and their buttons, what an entry's file name stands for, the
// listing of a category's folder, the 86 × 109 thumbnails and their cache,
// and the deletion of an installed garment's files.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "avatar/wardrobe_entry.h"
#include "cloth/fit_report.h"
#include "platform/result.h"

namespace vestora {

inline constexpr int kWardrobeThumbWidth = 86, kWardrobeThumbHeight = 109;

inline constexpr const char* kDeleteGarmentQuestion = "从衣橱中删除这件服装？";
inline constexpr const char* kDelete2DGroupMessage = "从衣橱中删除2D服装组";
inline constexpr const char* kCharityMessage = "感谢您支持汶川地震灾区灾后重建!";
inline constexpr const char* kDeleteLayerQuestion = "是否删除前一层?";
inline constexpr const char* kNotAGarmentMessage = "只有服装可以从衣橱中删除。";
inline constexpr const char* kGarmentFileLeftMessage = "这件服装的文件未能删除：";

enum class WardrobeTab : int { Models = 1, Garments = 2, Hair = 3, Accessories = 4 };

enum class WardrobeAction {
  None,
  OpenModel,       // "打开模型"
  SaveModel,       // "保存模型"
  ShowModel,       // "显示模型"
  DeleteGarment,   // "删除服装"
  RemoveHair,      // "删除发型"
  TakeOffShoes,    // "摘掉鞋子"
  TakeOffGlasses,  // "摘掉眼镜"
  TakeOffBag,      // "摘掉箱包"
};
const char* actionCaption(WardrobeAction action);

struct WardrobeCategory {
  WardrobeTab tab;
  const char* caption;  // the tab button's caption
  const char* folder;   // below the application root
  // A second folder listed after the first with "*.jpg" (the fabrics of the
  // garment tab); nullptr for none.
  const char* jpegFolder;
  std::array<WardrobeAction, 3> actions;  // None: the button is hidden
};
extern const std::array<WardrobeCategory, 4> kWardrobeCategories;
const WardrobeCategory& wardrobeCategory(WardrobeTab tab);

// The files of `folder` whose extension is `extension` (either case),
// sorted by name, as full paths. A missing folder gives none.
std::vector<std::string> listEntries(const std::string& folder, std::string_view extension);

// ---- thumbnails ------------------------------------------------------------

// An RGB picture, rows top to bottom, three bytes a pixel.
struct RgbPicture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
};

// Where a picture of width × height goes in the thumbnail: scaled by the
// smaller of 86 / width and 109 / height and centred along the other side
// (offsets truncated).
struct ThumbnailFit {
  double scale = 0;
  int x = 0, y = 0, width = 0, height = 0;
};
ThumbnailFit fitThumbnail(int width, int height);

// The 86 × 109 thumbnail of a picture: white, with the picture scaled into
// it by a bicubic filter widened to the reduction (no aliasing when a large
// picture is made small). An empty picture gives nothing.
RgbPicture makeThumbnail(const RgbPicture& picture);

// Thumbnails by file, kept while the file is unchanged (same size and
// modification time), so that switching tabs or listing again never
// decodes a picture twice.
class ThumbnailCache {
 public:
  // Decodes a picture file; an empty picture when it cannot be read.
  using Decoder = std::function<RgbPicture(const std::string& path)>;
  explicit ThumbnailCache(Decoder decode) : decode_(std::move(decode)) {}

  // The thumbnail of `path`, or nullptr when its picture cannot be read.
  std::shared_ptr<const RgbPicture> get(const std::string& path);
  void forget(const std::string& path) { cache_.erase(path); }
  std::size_t decodes() const { return decodes_; }

 private:
  struct Kept {
    std::uintmax_t size = 0;
    std::int64_t modified = 0;
    std::shared_ptr<const RgbPicture> thumbnail;
  };
  Decoder decode_;
  std::map<std::string, Kept> cache_;
  std::size_t decodes_ = 0;
};

// ---- detail pictures -------------------------------------------------------

// The detail pictures of a garment entry (the path of its picture,
// "…/Dress.pop.bmp"): "Dress00.jpg" and "Dress01.jpg" beside it (full
// paths), or only "\pattern\Sorry.jpg" when either is missing or the
// entry is no garment.
std::vector<std::string> detailPictures(const std::string& root, const std::string& entryPath);

// ---- how the worn garment fits ---------------------------------------------

// The garment panel's fit line: the ease at bust, waist and hip in
// centimetres with its sign ("—" where the garment does not go round), and
// how far the cloth is stretched in general (the median) and where it is
// tightest (percent):
//   "松量  胸 +6.2  腰 +3.1  臀 —  (cm)\n拉伸  一般 1%  最紧 9%"
std::string fitSummaryText(const EaseReport& report);

// ---- deleting a garment -----------------------------------------------------

// The files an entry's deletion removes, the thumbnail last. Only garment
// entries ("X.pop" and "X.msh" pictures of the garment folder) can be
// deleted; a "_2D" garment group keeps its garment files and only its
// thumbnail goes.
struct GarmentDeletion {
  bool garment = false;  // false: not a garment entry, nothing may be deleted
  bool twoDGroup = false;
  std::vector<std::string> files;  // full paths; the thumbnail is the last one
};
GarmentDeletion planGarmentDeletion(const std::string& root, const std::string& entryPath);

// Deletes the planned files, the garment's own first. A file that does not
// exist is fine; a garment file that stays (no permission, a folder in its
// place) fails with its name as the error's source (the window shows it
// after kGarmentFileLeftMessage), and the thumbnail is then kept, so that
// the entry stays in the wardrobe.
Result<void> deleteGarmentFiles(const GarmentDeletion& plan);

}  // namespace vestora
