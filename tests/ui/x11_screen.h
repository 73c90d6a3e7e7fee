// Reading the X screen, kept apart from wx and gtest (Xlib's macros clash with them).
#pragma once

namespace vestora::testing {

// Copies the root window's pixels of (x, y, width, height) as RGB bytes into
// `rgb` (width * height * 3 bytes), through the X connection `display`.
bool ReadScreenPixels(void* display, int x, int y, int width, int height, unsigned char* rgb);

}  // namespace vestora::testing
