// The garment's detail pictures: a window beside the main one showing the
// front and back pictures of the garment last chosen in the wardrobe, or
// the picture that says there are none. It stays open while the user
// works on and follows the next garment shown.
#pragma once

#include <string>
#include <vector>

#include <wx/dialog.h>

class wxStaticBitmap;
class wxStaticText;
class wxBoxSizer;

namespace vestora::app {

class CDetailPicturesDlg : public wxDialog {
 public:
  explicit CDetailPicturesDlg(wxWindow* parent);

  // Shows these pictures (full paths), each fitted into 400 × 500 pixels,
  // under a caption naming the garment (empty: none chosen yet).
  void ShowPictures(const std::vector<std::string>& paths, const wxString& garment);
  std::size_t shownCount() const { return shown_; }

 private:
  wxBoxSizer* row_ = nullptr;
  wxStaticText* caption_ = nullptr;
  std::vector<wxStaticBitmap*> pictures_;
  std::size_t shown_ = 0;
};

}  // namespace vestora::app
