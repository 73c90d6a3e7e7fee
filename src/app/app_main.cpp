// The program's entry: find the application root, build the main window and
// run until it closes. A start-up that cannot load the default avatar or
// the view's font says which file is missing and ends with status 1.
#include <wx/app.h>
#include <wx/msgdlg.h>

#include "app/main_window.h"
#include "platform/root_dir.h"
#include "ui/resource_bitmaps.h"

namespace vestora::app {

class CFittingRoomApp : public wxApp {
 public:
  bool OnInit() override {
    EnsureImageHandlers();
    SetAppName("vestora");
    SetAppDisplayName(wxString::FromUTF8(kWindowTitle));
    auto* main = new CFittingRoomDlg(GetRootDir());
    SetTopWindow(main);
    if (Result<void> ready = main->Initialise(); !ready) {
      const Error& error = ready.error();
      wxMessageBox(wxString::FromUTF8("澄镜衣坊无法启动：缺少或无法读取文件\n" + error.source +
                                      "\n（" + error.what + "）"),
                   wxString::FromUTF8(kWindowTitle), wxOK | wxICON_ERROR);
      main->Destroy();
      return false;
    }
    return true;
  }
};

}  // namespace vestora::app

int main(int argc, char** argv) {
  wxApp::SetInstance(new vestora::app::CFittingRoomApp);
  if (!wxEntryStart(argc, argv)) return 1;
  int status = 1;
  if (wxTheApp->CallOnInit()) {
    status = wxTheApp->OnRun();
    wxTheApp->OnExit();
  }
  wxEntryCleanup();
  return status;
}
