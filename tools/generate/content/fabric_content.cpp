// The fabric swatches: one picture of each fabric under its own name, and
// the cloth of the sample garments.
#include <string>

#include "assets/assets.h"
#include "content/generated.h"

namespace vestora::generate {

void writeFabricTextures(ContentRoot& root) {
  constexpr int kSize = kFabricTextureSize, kQuality = 90;
  auto write = [&](const std::string& name, const std::vector<std::uint8_t>& rgb) {
    root.write("\\pattern\\texture\\" + name + ".jpg", encodeJpeg(kSize, kSize, rgb, kQuality));
  };
  for (const FabricName& fabric : kFabricNames)
    write(fabric.name, fabricTexture(fabric.kind, kSize, kSize, 0));
  // A summer dress: white and buttercup flowers on cornflower blue.
  write("Dress",
        floralPrintTexture(
            kSize, kSize, 1,
            {{120, 152, 200}, {250, 248, 240}, {250, 214, 120}, {236, 170, 60}, {104, 146, 98}}));
  write("Top", knitTexture(kSize, kSize, 2, {222, 174, 170}));  // dusty rose jersey
  write("Skirt", denimTexture(kSize, kSize, 3, 0.7));           // light stone wash
}

}  // namespace vestora::generate
