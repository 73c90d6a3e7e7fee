#include "x11_screen.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace vestora::testing {
namespace {

// The 8-bit value of `pixel` under a channel mask such as 0xff0000.
unsigned char channel(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1UL) == 0) ++shift;
  const unsigned long value = (pixel & mask) >> shift;
  const unsigned long max = mask >> shift;
  return static_cast<unsigned char>(value * 255 / max);
}

}  // namespace

bool ReadScreenPixels(void* display, int x, int y, int width, int height, unsigned char* rgb) {
  auto* connection = static_cast<Display*>(display);
  if (connection == nullptr || width <= 0 || height <= 0) return false;
  XImage* image =
      XGetImage(connection, DefaultRootWindow(connection), x, y, static_cast<unsigned>(width),
                static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      const unsigned long pixel = XGetPixel(image, column, row);
      *rgb++ = channel(pixel, image->red_mask);
      *rgb++ = channel(pixel, image->green_mask);
      *rgb++ = channel(pixel, image->blue_mask);
    }
  }
  XDestroyImage(image);
  return true;
}

}  // namespace vestora::testing
