#include "app/wardrobe.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/data_files.h"
#include "platform/data_path.h"

namespace vestora {

namespace fs = std::filesystem;

namespace {

std::string_view withoutExtension(std::string_view name) {
  const auto dot = name.rfind('.');
  return dot == std::string_view::npos ? name : name.substr(0, dot);
}

// A garment entry's picture "…/Dress.pop.bmp" names its garment file
// "Dress.pop" and the garment "Dress"; nullopt for any other entry.
struct GarmentEntry {
  std::string file, garment;
};
std::optional<GarmentEntry> garmentEntryOf(const fs::path& entry) {
  const std::string file(withoutExtension(entry.filename().string()));
  const std::string_view inner = extensionOf(file);
  if (!sameLetters(inner, "pop") && !sameLetters(inner, "msh")) return std::nullopt;
  std::string garment(withoutExtension(file));
  if (garment.empty()) return std::nullopt;
  return GarmentEntry{file, std::move(garment)};
}

// Catmull-Rom: the bicubic kernel of the high-quality picture scaling.
double cubic(double x) {
  x = std::abs(x);
  if (x < 1) return 1.5 * x * x * x - 2.5 * x * x + 1;
  if (x < 2) return -0.5 * x * x * x + 2.5 * x * x - 4 * x + 2;
  return 0;
}

// The weights of the source samples for each of `out` destination samples
// when `in` samples are scaled by `scale`.
struct Taps {
  int first = 0;
  std::vector<double> weights;
};
std::vector<Taps> tapsFor(int out, double scale) {
  const double widen = std::min(1.0, scale);  // wider when reducing
  const double support = 2.0 / widen;
  std::vector<Taps> taps(static_cast<std::size_t>(out));
  for (int o = 0; o < out; ++o) {
    const double centre = (o + 0.5) / scale - 0.5;
    Taps& t = taps[std::size_t(o)];
    t.first = int(std::floor(centre - support)) + 1;
    const int last = int(std::ceil(centre + support)) - 1;
    double sum = 0;
    for (int i = t.first; i <= last; ++i) {
      const double w = cubic((i - centre) * widen);
      t.weights.push_back(w);
      sum += w;
    }
    if (sum != 0)
      for (double& w : t.weights) w /= sum;
  }
  return taps;
}

}  // namespace

const std::array<WardrobeCategory, 4> kWardrobeCategories = {{
    {WardrobeTab::Models,
     "模型",
     "\\model",
     nullptr,
     {WardrobeAction::OpenModel, WardrobeAction::SaveModel, WardrobeAction::ShowModel}},
    {WardrobeTab::Garments,
     "服装",
     "\\pattern",
     "\\pattern\\texture",
     {WardrobeAction::DeleteGarment, WardrobeAction::None, WardrobeAction::None}},
    {WardrobeTab::Hair,
     "发型",
     "\\model\\Clothing\\Hair",
     nullptr,
     {WardrobeAction::RemoveHair, WardrobeAction::None, WardrobeAction::None}},
    {WardrobeTab::Accessories,
     "配饰",
     "\\model\\Clothing\\glasses",
     nullptr,
     {WardrobeAction::TakeOffShoes, WardrobeAction::TakeOffGlasses, WardrobeAction::TakeOffBag}},
}};

const WardrobeCategory& wardrobeCategory(WardrobeTab tab) {
  for (const WardrobeCategory& c : kWardrobeCategories)
    if (c.tab == tab) return c;
  return kWardrobeCategories[0];
}

const char* actionCaption(WardrobeAction action) {
  switch (action) {
    case WardrobeAction::OpenModel:
      return "打开模型";
    case WardrobeAction::SaveModel:
      return "保存模型";
    case WardrobeAction::ShowModel:
      return "显示模型";
    case WardrobeAction::DeleteGarment:
      return "删除服装";
    case WardrobeAction::RemoveHair:
      return "删除发型";
    case WardrobeAction::TakeOffShoes:
      return "摘掉鞋子";
    case WardrobeAction::TakeOffGlasses:
      return "摘掉眼镜";
    case WardrobeAction::TakeOffBag:
      return "摘掉箱包";
    case WardrobeAction::None:
      break;
  }
  return "";
}

std::vector<std::string> listEntries(const std::string& folder, std::string_view extension) {
  std::vector<std::string> out;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    const std::string name = it->path().filename().string();
    if (hasExtension(name, extension)) out.push_back(it->path().string());
  }
  std::sort(out.begin(), out.end());
  return out;
}

// ---- thumbnails ---------------------------------------------------------

ThumbnailFit fitThumbnail(int width, int height) {
  ThumbnailFit f;
  if (width <= 0 || height <= 0) return f;
  const double sx = double(kWardrobeThumbWidth) / width, sy = double(kWardrobeThumbHeight) / height;
  f.scale = std::min(sx, sy);
  f.width = std::clamp(int(width * f.scale), 1, kWardrobeThumbWidth);
  f.height = std::clamp(int(height * f.scale), 1, kWardrobeThumbHeight);
  if (sy < sx)
    f.x = int((kWardrobeThumbWidth - width * f.scale) / 2);
  else
    f.y = int((kWardrobeThumbHeight - height * f.scale) / 2);
  return f;
}

RgbPicture makeThumbnail(const RgbPicture& picture) {
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.rgb.size() < std::size_t(picture.width) * std::size_t(picture.height) * 3)
    return {};
  const ThumbnailFit fit = fitThumbnail(picture.width, picture.height);
  RgbPicture out;
  out.width = kWardrobeThumbWidth;
  out.height = kWardrobeThumbHeight;
  out.rgb.assign(std::size_t(out.width) * out.height * 3, 255);
  const std::vector<Taps> across = tapsFor(fit.width, fit.scale);
  const std::vector<Taps> down = tapsFor(fit.height, fit.scale);
  auto clampTo = [](int i, int n) { return std::clamp(i, 0, n - 1); };
  // Across first, into floating rows of the source's height.
  std::vector<double> rows(std::size_t(fit.width) * picture.height * 3, 0.0);
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < fit.width; ++x) {
      const Taps& t = across[std::size_t(x)];
      double sum[3] = {0, 0, 0};
      for (std::size_t k = 0; k < t.weights.size(); ++k) {
        const int sx = clampTo(t.first + int(k), picture.width);
        const std::uint8_t* p = &picture.rgb[(std::size_t(y) * picture.width + sx) * 3];
        for (int c = 0; c < 3; ++c) sum[c] += t.weights[k] * p[c];
      }
      for (int c = 0; c < 3; ++c) rows[(std::size_t(y) * fit.width + x) * 3 + c] = sum[c];
    }
  for (int y = 0; y < fit.height; ++y) {
    const Taps& t = down[std::size_t(y)];
    for (int x = 0; x < fit.width; ++x) {
      double sum[3] = {0, 0, 0};
      for (std::size_t k = 0; k < t.weights.size(); ++k) {
        const int sy = clampTo(t.first + int(k), picture.height);
        const double* p = &rows[(std::size_t(sy) * fit.width + x) * 3];
        for (int c = 0; c < 3; ++c) sum[c] += t.weights[k] * p[c];
      }
      std::uint8_t* o = &out.rgb[(std::size_t(fit.y + y) * out.width + fit.x + x) * 3];
      for (int c = 0; c < 3; ++c) o[c] = std::uint8_t(std::clamp(std::lround(sum[c]), 0L, 255L));
    }
  }
  return out;
}

std::shared_ptr<const RgbPicture> ThumbnailCache::get(const std::string& path) {
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(path, ec);
  if (ec) {
    cache_.erase(path);
    return nullptr;
  }
  const auto time = fs::last_write_time(path, ec);
  const std::int64_t modified = ec ? 0 : std::int64_t(time.time_since_epoch().count());
  if (auto it = cache_.find(path);
      it != cache_.end() && it->second.size == size && it->second.modified == modified)
    return it->second.thumbnail;
  ++decodes_;
  RgbPicture thumbnail = makeThumbnail(decode_(path));
  Kept kept{size, modified, nullptr};
  if (thumbnail.width > 0)
    kept.thumbnail = std::make_shared<const RgbPicture>(std::move(thumbnail));
  cache_[path] = kept;
  return kept.thumbnail;
}

// ---- detail pictures -------------------------------------------------------

std::vector<std::string> detailPictures(const std::string& root, const std::string& entryPath) {
  const fs::path entry(entryPath);
  if (const auto named = garmentEntryOf(entry)) {
    const fs::path folder = entry.parent_path();
    std::vector<std::string> pictures{(folder / (named->garment + "00.jpg")).string(),
                                      (folder / (named->garment + "01.jpg")).string()};
    std::error_code ec;
    if (fs::is_regular_file(pictures[0], ec) && fs::is_regular_file(pictures[1], ec))
      return pictures;
  }
  return {dataPath(root, data_files::kNoDetailPicture)};
}

// ---- how the worn garment fits ------------------------------------------------

std::string fitSummaryText(const EaseReport& report) {
  auto ease = [](const std::optional<float>& cm) -> std::string {
    if (!cm || !std::isfinite(*cm)) return "—";
    char text[24];
    std::snprintf(text, sizeof text, "%+.1f", double(*cm));
    // Rounding may leave "-0.0": the garment lies on the body there.
    return std::string(text) == "-0.0" ? "+0.0" : text;
  };
  auto percent = [](float strain) {
    return std::to_string(std::lround(std::isfinite(strain) ? strain * 100.0 : 0.0)) + "%";
  };
  return "松量  胸 " + ease(report.bust) + "  腰 " + ease(report.waist) + "  臀 " +
         ease(report.hip) + "  (cm)\n拉伸  一般 " + percent(report.strain.p50) + "  最紧 " +
         percent(report.strain.max);
}

// ---- deleting a garment ---------------------------------------------------

GarmentDeletion planGarmentDeletion(const std::string& root, const std::string& entryPath) {
  GarmentDeletion plan;
  const fs::path entry(entryPath);
  if (!hasExtension(entry.filename().string(), "bmp")) return plan;
  const auto named = garmentEntryOf(entry);
  if (!named) return plan;
  const std::string& name = named->file;        // "Dress.pop"
  const std::string& garment = named->garment;  // "Dress"
  // Only the garment folder's entries: program content elsewhere stays.
  std::error_code ec;
  if (!fs::equivalent(entry.parent_path(), fs::path(dataPath(root, "\\pattern")), ec) || ec)
    return plan;
  plan.garment = true;
  const std::string_view tail =
      std::string_view(garment).substr(garment.size() >= 3 ? garment.size() - 3 : 0);
  plan.twoDGroup = sameLetters(tail, "_2d");
  if (!plan.twoDGroup) {
    const fs::path folder = entry.parent_path();
    plan.files = {(folder / name).string(), (folder / (garment + "00.jpg")).string(),
                  (folder / (garment + "01.jpg")).string(),
                  dataPath(root, "\\texture\\" + garment + ".jpg")};
  }
  plan.files.push_back(entryPath);
  return plan;
}

Result<void> deleteGarmentFiles(const GarmentDeletion& plan) {
  if (!plan.garment) return makeError("", kNotAGarmentMessage);
  for (const std::string& file : plan.files) {
    std::error_code ec;
    fs::remove(file, ec);
    std::error_code existsError;
    if (fs::exists(fs::symlink_status(file, existsError)))
      return makeError(file, ec ? ec.message() : "still there");
  }
  return {};
}

}  // namespace vestora
