// The demo store beside the application root: three garments for sale,
// each as a signed self-extracting package that installs the garment file,
// its fabric and its pictures into the wardrobe folders, and the static
// site that lists them.
//
//   index.html, Cart.aspx, style.css
//   productdata/<Name>.exe, productdata/<Name>.exe.sig (64-byte Ed25519)
//   images/<Name>.jpg (the front detail picture)
#include <stdexcept>

#include "assets/assets.h"
#include "avatar/avatar_table.h"
#include "cloth/garment_files.h"
#include "content/generated.h"
#include "content/store_signing.h"
#include "content/store_site.h"
#include "garments/garment_design.h"
#include "installer/package_format.h"
#include "platform/file_io.h"

namespace vestora::generate {

namespace {

// A tunic to mid-thigh, bound and fitted like the default dress, with a
// higher neckline and broader straps.
HangingStyle tunicStyle() {
  HangingStyle style;
  style.hemCm = 74;
  style.frontTopCm = 133;
  style.backTopCm = 129;
  style.clearanceCm = 0.7f;
  style.flare = 0.12f;
  style.strapRails = 4;
  style.strapCentreCm = 10;
  style.texture = "Tunic.jpg";
  return style;
}

// A long dress to just above the ankles, widening all the way down.
HangingStyle maxiStyle() {
  HangingStyle style;
  style.hemCm = 28;
  style.frontTopCm = 130;
  style.backTopCm = 126;
  style.flare = 0.3f;
  style.texture = "Maxi.jpg";
  return style;
}

// A short satin camisole on thin straps, to be draped on the body.
HangingStyle camisoleStyle() {
  HangingStyle style;
  style.hemCm = 90;
  style.sideTopCm = 120;
  style.frontTopCm = 128;
  style.backTopCm = 125;
  style.clearanceCm = 0.7f;
  style.flare = 0.04f;
  style.strapRails = 2;
  style.strapCentreCm = 8.5f;
  style.texture = "Camisole.jpg";
  return style;
}

struct ForSale {
  StoreItem item;
  HangingStyle style;
  bool fitted;  // a bound ".pop" garment; otherwise a ".msh" pattern mesh
};

std::vector<ForSale> garmentsForSale() {
  return {
      {{"Tunic", "Tunic.pop", "鼠尾草亚麻长衫", "透气亚麻，长及大腿中部，宽肩带，通勤休闲两相宜。",
        239},
       tunicStyle(),
       true},
      {{"Maxi", "Maxi.pop", "陶土碎花长裙", "垂至脚踝的印花长裙，下摆逐渐展开，走动时轻盈飘逸。",
        329},
       maxiStyle(),
       true},
      {{"Camisole", "Camisole.msh", "香槟缎面吊带衫", "细肩带缎面上衣，首次试穿时自动贴合身形。",
        169},
       camisoleStyle(),
       false},
  };
}

std::vector<std::uint8_t> bytesOfText(const std::string& text) {
  return {text.begin(), text.end()};
}

}  // namespace

void generateStore(ContentRoot& root, const std::string& storeDir, const std::string& stubPath) {
  const StoreSigner signer;
  auto stub = readFileBytes(stubPath);
  if (!stub) throw std::runtime_error("store: " + stub.error().message());

  Avatar body(root.root());
  const auto loaded = body.selectAvatar(kAvatarTable[0]);
  if (!loaded) throw std::runtime_error("store: " + loaded.error().message());

  ContentRoot store(storeDir);
  std::vector<StoreItem> items;
  for (const ForSale& sale : garmentsForSale()) {
    const std::string& name = sale.item.name;
    GarmentMesh garment = hangingGarment(body, sale.style);
    std::vector<std::uint8_t> garmentFile;
    if (sale.fitted) {
      garment = fittedGarment(body, std::move(garment));
      garmentFile = formatFittedGarment(garment);
    } else {
      garmentFile = bytesOfText(formatPatternMesh(garment));
    }
    const std::vector<std::uint8_t> fabric = garmentFabricJpeg(name);
    GarmentPictures pictures = garmentPictures(body, garment, garmentFabric(name));
    const std::string file = sale.item.file;
    std::vector<PackageEntry> entries = {
        {"pattern/" + file, garmentFile},
        {"pattern/" + file + ".bmp", pictures.thumbnailBmp},
        {"texture/" + name + ".jpg", fabric},
        {"pattern/texture/" + name + ".jpg", fabric},
        {"pattern/" + name + "00.jpg", pictures.frontJpeg},
        {"pattern/" + name + "01.jpg", pictures.backJpeg},
    };
    auto package = buildPackage(stub.value(), entries);
    if (!package) throw std::runtime_error("store: " + name + ": " + package.error().message());
    const auto signature = signer.sign(package.value());
    store.write("\\productdata\\" + name + ".exe", package.value());
    store.write("\\productdata\\" + name + ".exe.sig", signature);
    store.write("\\images\\" + name + ".jpg", pictures.frontJpeg);
    items.push_back(sale.item);
  }
  store.writeText("\\style.css", storeStyleSheet());
  store.writeText("\\Cart.aspx", storeCartPage(items));
  // Written last: the build takes it as the sign that the store is complete.
  store.writeText("\\index.html", storeIndexPage(items));
}

}  // namespace vestora::generate
