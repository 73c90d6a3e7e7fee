// The wardrobe's avatar thumbnails ("\model\Female.bmp" … "James3.bmp"):
// every body of the avatar table loaded as the program loads it, with the
// hair it starts with seated by the program's own accessory code, drawn
// by the product-picture rasteriser on white. And "\pattern\Sorry.jpg",
// the detail picture shown for a garment that has none of its own.
#include <map>
#include <stdexcept>

#include "accessories/hair_styles.h"
#include "accessories/wear_picture.h"
#include "artwork/artwork.h"
#include "artwork/icons.h"
#include "artwork/palette.h"
#include "artwork/text.h"
#include "assets/assets.h"
#include "avatar/accessories.h"
#include "avatar/avatar_table.h"
#include "content/generated.h"
#include "platform/data_path.h"
#include "platform/file_io.h"

namespace vestora::generate {
namespace {

using wear::Image;
using wear::Look;
using wear::PictureItem;
using wear::Viewpoint;
using wear::WearMesh;

// A stored model as a picture mesh: one part per group and material run,
// every group smooth (the bodies and hair have no creases).
WearMesh pictureMesh(const GlmModel& model) {
  WearMesh mesh;
  for (std::uint32_t i = 1; i <= model.vertexCount(); ++i) {
    const float* p = model.vertex(i);
    mesh.addVertex({p[0], p[1], p[2]});
  }
  for (std::uint32_t i = 1; i <= model.texcoordCount(); ++i)
    mesh.addTexcoord(model.texcoords[2 * i], model.texcoords[2 * i + 1]);
  const int noTexcoord = mesh.addTexcoord(0, 0);
  auto corner = [&](std::uint32_t n, std::uint32_t limit, int fallback) {
    return n >= 1 && n <= limit ? int(n) - 1 : fallback;
  };
  for (const GlmGroup& group : model.groups) {
    const int smoothing = mesh.newSmoothing();
    auto addRange = [&](const std::string& material, std::uint32_t first, std::uint32_t end) {
      const int part = mesh.part(group.name, material);
      for (std::uint32_t k = first; k < end && k < group.triangles.size(); ++k) {
        const std::uint32_t at = group.triangles[k];
        if (at >= model.triangles.size()) continue;
        const GlmTriangle& t = model.triangles[at];
        std::array<int, 3> v{}, tc{};
        bool usable = true;
        for (int c = 0; c < 3; ++c) {
          v[c] = corner(t.vindices[c], model.vertexCount(), -1);
          tc[c] = corner(t.tindices[c], model.texcoordCount(), noTexcoord);
          usable = usable && v[c] >= 0;
        }
        if (usable) mesh.add(part, v, tc, smoothing);
      }
    };
    if (group.runs.empty()) {
      addRange("", 0, group.triangleCount());
    } else {
      for (const GlmMaterialRun& run : group.runs) addRange(run.material, run.first, run.end);
    }
  }
  return mesh;
}

// A hair picture as a texture, flipped when the model reads it bottom row
// first (TGA).
Image textureOf(const hair::HairPicture& p, bool bottomFirst) {
  Image image(p.width, p.height);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const std::size_t from = std::size_t(bottomFirst ? p.height - 1 - y : y) * p.width + x;
      image.at(x, y) = {double(p.rgb[3 * from]), double(p.rgb[3 * from + 1]),
                        double(p.rgb[3 * from + 2]), p.alpha.empty() ? 1.0 : p.alpha[from] / 255.0};
    }
  return image;
}

// The pictures of a hair style by the file names the program reads.
std::map<std::string, Image> hairTexturesByFile(const std::string& style) {
  std::map<std::string, Image> out;
  for (const hair::StylePicture& p : hair::hairStylePictures(style))
    out.emplace(p.colourFile, textureOf(p.picture, p.alphaFile.empty()));
  return out;
}

// The skin of the untextured avatar: the warm light grey the view lights.
constexpr wear::Colour kSkin{214, 208, 201, 1};

// A skin picture written by the body's stage, as a texture.
Image skinPicture(const std::string& rootDir, std::string_view path) {
  auto bytes = readFileBytes(dataPath(rootDir, path));
  if (!bytes) throw std::runtime_error("avatar pictures: " + bytes.error().message());
  const DecodedJpeg jpeg = decodeJpeg(bytes.value());
  Image image(jpeg.width, jpeg.height);
  for (std::size_t i = 0; i < image.pixels.size(); ++i)
    image.pixels[i] = {double(jpeg.rgb[3 * i]), double(jpeg.rgb[3 * i + 1]),
                       double(jpeg.rgb[3 * i + 2]), 1.0};
  return image;
}

// The pictures a body kind is drawn with, as the view chooses them by
// group: the head picture for the head (and the eyes, unless they have
// their own), the body picture for the rest; the lashes dark.
struct SkinLooks {
  Image body, head, eye;
  bool textured = false;
  Look operator()(const wear::WearPart& part) const {
    Look l;
    l.specular = 0.12;
    l.shininess = 18;
    if (!textured) {
      l.colour = kSkin;
    } else if (part.group == " Eyelash") {
      l.colour = {40, 30, 28, 1};
      l.opacity = 0.7;
    } else if (part.group == " Head" ||
               ((part.group == " Eye" || part.group == " Eyes") && eye.width == 0)) {
      l.texture = &head;
    } else if (part.group == " Eye" || part.group == " Eyes") {
      l.texture = &eye;
    } else {
      l.texture = &body;
    }
    return l;
  }
};

Image avatarPicture(const std::string& rootDir, const AvatarEntry& entry) {
  Avatar avatar(rootDir);
  if (auto loaded = avatar.selectAvatar(entry); !loaded)
    throw std::runtime_error("avatar pictures: " + loaded.error().message());
  Accessories accessories(avatar);
  accessories.bodyLoaded();
  if (auto hair = accessories.loadDefaultHair(); !hair)
    throw std::runtime_error("avatar pictures: " + hair.error().message());

  const WearMesh body = pictureMesh(avatar.model());
  SkinLooks skin;
  if (const BodyTextureFiles* files = bodyTextureFiles(avatar.modelName())) {
    skin.body = skinPicture(rootDir, files->body);
    skin.head = skinPicture(rootDir, files->head);
    if (!files->eye.empty()) skin.eye = skinPicture(rootDir, files->eye);
    skin.textured = true;
  }
  std::vector<PictureItem> items{{&body, [&](const wear::WearPart& part) { return skin(part); }}};
  WearMesh hairMesh;
  std::map<std::string, Image> pictures;
  const Image* mainTexture = nullptr;
  const Image* secondTexture = nullptr;
  if (accessories.hair) {
    const AccessorySlot& slot = accessories.hair;
    hairMesh = pictureMesh(*slot.model);
    pictures = hairTexturesByFile(slot.name);
    auto find = [&](const AccessoryTexture& t) -> const Image* {
      if (t.kind == TextureKind::None) return nullptr;
      const auto it = pictures.find(std::string(fileNameOf(t.file)));
      if (it == pictures.end())
        throw std::runtime_error("avatar pictures: no picture " + t.file + " for " + slot.name);
      return &it->second;
    };
    mainTexture = find(slot.texture);
    secondTexture = find(slot.secondTexture);
    items.push_back({&hairMesh, [&, name = slot.name](const wear::WearPart& part) {
                       Look l;
                       const bool tail =
                           name == "PonyTail" && part.group.find("TAIL") != std::string::npos;
                       l.texture = tail && secondTexture ? secondTexture : mainTexture;
                       l.specular = 0.25;
                       l.shininess = 30;
                       return l;
                     }});
  }
  Viewpoint view;
  view.azimuth = 18;
  view.elevation = 6;
  view.margin = 0.05;
  return wear::drawPicture(items, view, kThumbnailWidth, kThumbnailHeight);
}

// The detail picture of a garment that has none: a hanger and a line of
// text on the panel's warm white.
std::vector<std::uint8_t> sorryPicture() {
  using namespace art;
  const Fonts fonts(systemFontFiles());
  Canvas c(kDetailWidth, kDetailHeight, kPanel);
  const double cx = kDetailWidth / 2.0;
  c.fill(Shape().disc({cx, 200}, 92), kWarmFill);
  c.fill(iconShape(Icon::Hanger, {cx, 200}, 120, 5), kDisabled);
  TextStyle title;
  title.size = 22;
  drawTextCentred(c, fonts, title, cx, 346, "这件服装暂无细节图片", kInk);
  TextStyle note;
  note.size = 15;
  drawTextCentred(c, fonts, note, cx, 384, "可在三维视图中转动模特查看服装", kInkMuted);
  return encodeJpeg(c.width(), c.height(), c.rgb(), kFabricJpegQuality);
}

}  // namespace

void generateAvatarPictures(ContentRoot& root) {
  for (const AvatarEntry& entry : kAvatarTable) {
    const Image picture = avatarPicture(root.root(), entry);
    root.write("\\model\\" + std::string(entry.thumbnail), wear::bmpOf(picture));
  }
  root.write(std::string(data_files::kNoDetailPicture), sorryPicture());
}

}  // namespace vestora::generate
