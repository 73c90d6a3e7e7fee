// The program's entry: find the application root, build the main window and
// run until it closes. A start-up that cannot load the default avatar or
// the view's font says which file is missing and ends with status 1.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/msgdlg.h>

#include "app/main_window.h"
#include "avatar/avatar_table.h"
#include "platform/log.h"
#include "platform/root_dir.h"
#include "platform/sound.h"
#include "ui/resource_bitmaps.h"

namespace vestora::app {

namespace {

// Diagnostics are for developers: they reach standard error only when
// VESTORA_DEBUG is set, as a debugger's output window would show them.
class DeveloperLog : public LogSink {
 public:
  void write(std::string_view text) override {
    if (enabled_) std::fprintf(stderr, "%.*s", static_cast<int>(text.size()), text.data());
  }

 private:
  bool enabled_ = std::getenv("VESTORA_DEBUG") != nullptr;
};

// A failed check inside the toolkit is a diagnostic, never a dialog.
void logAssert(const wxString& file, int line, const wxString& function, const wxString& condition,
               const wxString& message) {
  debugOutput((file + ":" + std::to_string(line) + ": " + function + ": " + condition + " " +
               message + "\n")
                  .utf8_string());
}

// The program's options: "--pose standard|bag|walk|stand" starts the woman
// in that pose. Anything else is refused with a line on standard error.
struct Options {
  const AvatarEntry* pose = nullptr;
};

std::optional<Options> parseOptions(const std::vector<std::string>& words) {
  Options options;
  for (std::size_t i = 0; i < words.size(); ++i) {
    std::string value;
    if (words[i] == "--pose" && i + 1 < words.size()) {
      value = words[++i];
    } else if (words[i].rfind("--pose=", 0) == 0) {
      value = words[i].substr(7);
    } else {
      std::fprintf(stderr, "vestora: unknown option \"%s\" (usage: vestora [--pose %s])\n",
                   words[i].c_str(), "standard|bag|walk|stand");
      return std::nullopt;
    }
    options.pose = poseEntry(value);
    if (!options.pose) {
      std::fprintf(stderr, "vestora: --pose is %s, not \"%s\"\n", kPoseNames, value.c_str());
      return std::nullopt;
    }
  }
  return options;
}

}  // namespace

class CFittingRoomApp : public wxApp {
 public:
  bool OnInit() override {
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) words.push_back(argv[i].utf8_string());
    const std::optional<Options> options = parseOptions(words);
    if (!options) return false;
    static DeveloperLog log;
    setLogSink(&log);
    wxSetAssertHandler(logAssert);
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
    // A pose whose body cannot be read leaves the default one (the view
    // has said why).
    if (options->pose) static_cast<void>(main->SelectPose(options->pose->thumbnail));
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
  // The music and the sounds stop before the audio device closes.
  vestora::closeSound();
  wxEntryCleanup();
  return status;
}
