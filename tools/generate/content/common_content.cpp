// Files that belong to no body: the root marker sound and the camera sound.
#include "assets/assets.h"
#include "content/generated.h"

namespace vestora::generate {

void generateCommon(ContentRoot& root) {
  const int rate = 22050;
  root.write("\\data\\theme.wav", encodeWav(themeChime(rate), rate));
  root.write("\\data\\CAMERA.wav", encodeWav(cameraShutter(rate), rate));
}

}  // namespace vestora::generate
