// The about box: the product, its version and what it does.
#pragma once

#include <wx/dialog.h>

namespace vestora::app {

class CAboutDlg : public wxDialog {
 public:
  static constexpr int kResourceId = 100;
  explicit CAboutDlg(wxWindow* parent);
};

}  // namespace vestora::app
