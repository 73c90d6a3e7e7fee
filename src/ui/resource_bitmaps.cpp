#include "ui/resource_bitmaps.h"

#include <fstream>
#include <map>
#include <string>

#include <wx/image.h>
#include <wx/imagjpeg.h>
#include <wx/imagpng.h>
#include <wx/imagtga.h>
#include <wx/log.h>
#include <wx/module.h>
#include <wx/wfstream.h>

#include "platform/data_path.h"
#include "platform/resources.h"
#include "platform/root_dir.h"

namespace vestora {
namespace {

// Keyed by file-system path; only successful loads are kept, so artwork that
// appears later is still found.
std::map<std::string, wxBitmap>& cache() {
  static std::map<std::string, wxBitmap> bitmaps;
  return bitmaps;
}

// Frees the cached bitmaps while the toolkit is still up.
class BitmapCacheModule : public wxModule {
 public:
  bool OnInit() override { return true; }
  void OnExit() override { cache().clear(); }

 private:
  wxDECLARE_DYNAMIC_CLASS(BitmapCacheModule);
};

wxIMPLEMENT_DYNAMIC_CLASS(BitmapCacheModule, wxModule);

}  // namespace

wxImage LoadImageFile(const std::string& path) {
  unsigned char head[4] = {0, 0, 0, 0};
  {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    in.read(reinterpret_cast<char*>(head), sizeof head);
  }
  wxBitmapType type = wxBITMAP_TYPE_TGA;
  if (head[0] == 0xFF && head[1] == 0xD8) {
    type = wxBITMAP_TYPE_JPEG;
  } else if (head[0] == 0x89 && head[1] == 'P' && head[2] == 'N' && head[3] == 'G') {
    type = wxBITMAP_TYPE_PNG;
  } else if (head[0] == 'B' && head[1] == 'M') {
    type = wxBITMAP_TYPE_BMP;
  }
  EnsureImageHandlers();
  wxImageHandler* handler = wxImage::FindHandler(type);
  if (handler == nullptr) return {};
  wxLogNull quiet;
  wxFileInputStream stream(wxString::FromUTF8(path));
  if (!stream.IsOk()) return {};
  // Not verbose: the decoders then neither log nor print.
  wxImage image;
  if (!handler->LoadFile(&image, stream, /*verbose=*/false) || !image.IsOk()) return {};
  return image;
}

void EnsureImageHandlers() {
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
  if (!wxImage::FindHandler(wxBITMAP_TYPE_JPEG)) wxImage::AddHandler(new wxJPEGHandler);
  if (!wxImage::FindHandler(wxBITMAP_TYPE_TGA)) wxImage::AddHandler(new wxTGAHandler);
  // BMP is built into wxImage.
}

wxBitmap LoadBitmapResource(std::string_view root, int id) {
  const std::string path = dataPath(root, bitmapResourcePath(id));
  auto& bitmaps = cache();
  if (auto found = bitmaps.find(path); found != bitmaps.end()) return found->second;
  const wxImage image = LoadImageFile(path);
  if (!image.IsOk()) return wxBitmap();
  wxBitmap bitmap(image);
  if (!bitmap.IsOk()) return wxBitmap();
  bitmaps.emplace(path, bitmap);
  return bitmap;
}

wxBitmap LoadBitmapResource(int id) {
  return LoadBitmapResource(GetRootDir(), id);
}

wxIcon LoadApplicationIcon() {
  const wxImage image = LoadImageFile(dataPath(kApplicationIconPath));
  wxIcon icon;
  if (image.IsOk()) icon.CopyFromBitmap(wxBitmap(image));
  return icon;
}

void ClearBitmapResourceCache() {
  cache().clear();
}

}  // namespace vestora
