// Files that belong to no body: the root marker sound.
#include "assets/assets.h"
#include "content/generated.h"

namespace vestora::generate {

void generateCommon(ContentRoot& root) {
  const int rate = 22050;
  root.write("\\data\\theme.wav", encodeWav(themeChime(rate), rate));
}

}  // namespace vestora::generate
