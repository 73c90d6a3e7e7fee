#include "platform/resources.h"

namespace vestora {

std::string bitmapResourcePath(int id) {
  return "\\res\\bitmap\\" + std::to_string(id) + ".png";
}

std::string pictureResourcePath(int id) {
  return "\\res\\TRYMO\\" + std::to_string(id) + ".jpg";
}

}  // namespace vestora
