// Snapshots: the rectangle the user dragged in snapshot mode, read from a
// freshly drawn frame and written to numbered JPEG files.
#include <cctype>
#include <cstdio>
#include <vector>

#include "view/gl_headers.h"
#include "view/gl_view.h"
#include "view/image_codecs.h"

namespace vestora {
namespace {

class BusyCursor {
 public:
  explicit BusyCursor(ViewHost& host) : host_(host) { host_.setBusy(true); }
  ~BusyCursor() { host_.setBusy(false); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  ViewHost& host_;
};

// The chosen path without its ".jpg" (any case); other names are kept whole.
std::string snapshotBaseOf(const std::string& path) {
  if (path.size() < 4) return path;
  std::string tail = path.substr(path.size() - 4);
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".jpg" ? path.substr(0, path.size() - 4) : path;
}

}  // namespace

std::optional<std::string> GlView::TakeSnapshot() {
  const BusyCursor busy(host_);
  // Widths are kept to multiples of 4 (truncated toward zero).
  const int width = (snapshotCorner2.x - snapshotCorner1.x) / 4 * 4;
  const int height = snapshotCorner1.y - snapshotCorner2.y;
  const int x0 = snapshotCorner1.x / 4 * 4;
  const int y0 = snapshotCorner2.y;
  if (width <= 0 || height <= 0) return std::nullopt;

  // The picture without the green rectangle.
  drawFrame(false);
  host_.prepareReadPixels();
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 3);
  GLint alignment = 4;
  glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x0, y0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  glPixelStorei(GL_PACK_ALIGNMENT, alignment);

  if (snapshotBase.empty()) {
    FileRequest request;
    request.save = true;
    request.filter = kSnapshotFilter;
    request.defaultExtension = ".jpg";
    const auto chosen = host_.dialogs().chooseFile(request);
    // Cancelled: no snapshot; the next one asks again.
    if (!chosen || chosen->empty()) return std::nullopt;
    snapshotBase = snapshotBaseOf(*chosen);
  }
  if (host_.soundEffectsOn()) host_.playSound(kCameraSound);
  char number[16];
  std::snprintf(number, sizeof number, "%03d.jpg", snapshotCounter);
  const std::string name = snapshotBase + number;
  ++snapshotCounter;
  if (!WriteJpeg(pixels.data(), width, height, 100, name)) {
    host_.dialogs().showMessage(kSnapshotWriteFailed + name, "", MessageIcon::Warning);
    return std::nullopt;
  }
  return name;
}

}  // namespace vestora
