// The program's numbered artwork. Bitmaps and the pictures of the resource
// type "TRYMO" are files below the application root, named by their
// resource number, so that the window code asks for them as the design names
// them ("bitmap 135", "image 643") and the content generator writes them:
//   bitmaps   \res\bitmap\<id>.png   (24-bit RGB; key colours are exact)
//   pictures  \res\TRYMO\<id>.jpg
//   icon      \res\icon.png          (the application icon, resource 128)
#pragma once

#include <string>

namespace vestora {

inline constexpr const char* kApplicationIconPath = "\\res\\icon.png";
// The icon at the sizes an installed copy gives the desktop's icon theme.
inline constexpr int kDesktopIconSizes[] = {16, 24, 32, 48, 64, 128, 256};
inline std::string desktopIconPath(int size) { return "\\res\\icons\\" + std::to_string(size) + ".png"; }

// Data paths (backslash form, see data_path.h).
std::string bitmapResourcePath(int id);
std::string pictureResourcePath(int id);

}  // namespace vestora
