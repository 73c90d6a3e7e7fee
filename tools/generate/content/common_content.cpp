// Files that belong to no body: the root marker sound, the camera sound, the
// wardrobe's two sounds and the background music.
#include "assets/assets.h"
#include "content/generated.h"

namespace vestora::generate {

void generateCommon(ContentRoot& root) {
  const int rate = 22050;
  root.write("\\data\\theme.wav", encodeWav(themeChime(rate), rate));
  root.write("\\data\\CAMERA.wav", encodeWav(cameraShutter(rate), rate));
  root.write(std::string(data_files::kTakeOffSound), encodeWav(garmentSwish(rate), rate));
  root.write(std::string(data_files::kDrapeSound), encodeWav(drapeChime(rate), rate));
  root.write(std::string(data_files::kDefaultMusic),
             encodeMp3(themeMusic(kThemeMusicRate), 2, kThemeMusicRate));
}

}  // namespace vestora::generate
