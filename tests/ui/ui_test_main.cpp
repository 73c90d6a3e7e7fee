// Runs the widget tests inside one wx application (under a virtual display,
// see run-in-xvfb.sh). wx assertions become test failures and wx log
// messages are collected instead of being shown.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string_view>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/evtloop.h>
#include <wx/log.h>
#include <wx/utils.h>
#include <wx/window.h>

#include "platform/log.h"
#include "ui_test_support.h"
#include "x11_screen.h"

namespace {

class UiTestApp : public wxApp {
 public:
  bool OnInit() override { return true; }
};

std::vector<std::string>& logMessages() {
  static std::vector<std::string> messages;
  return messages;
}

class CollectingLog : public wxLog {
 protected:
  void DoLogRecord(wxLogLevel level, const wxString& message, const wxLogRecordInfo&) override {
    if (level <= wxLOG_Warning) logMessages().push_back(message.utf8_string());
  }
};

void failOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& message) {
  ADD_FAILURE_AT(file.utf8_str(), line) << "wx assertion " << cond.utf8_string() << " in "
                                        << func.utf8_string() << ": " << message.utf8_string();
}

// The program's developer diagnostics (frame times and the like) reach
// standard error only when VESTORA_DEBUG is set, as in the program.
class DeveloperLog : public vestora::LogSink {
 public:
  void write(std::string_view text) override {
    if (enabled_) std::fprintf(stderr, "%.*s", static_cast<int>(text.size()), text.data());
  }

 private:
  bool enabled_ = std::getenv("VESTORA_DEBUG") != nullptr;
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(UiTestApp);

namespace vestora::testing {

void Pump(int ms) {
  PumpUntil([] { return false; }, ms);
}

bool PumpUntil(const std::function<bool()>& done, int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  wxGUIEventLoop loop;
  wxEventLoopActivator activate(&loop);
  while (true) {
    // A window that animates always has an event pending: the condition is
    // looked at between events, not only once the queue runs dry.
    for (int i = 0; i < 20 && loop.Pending(); ++i) loop.Dispatch();
    wxTheApp->ProcessPendingEvents();
    wxTheApp->ProcessIdle();
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    wxMilliSleep(5);
  }
}

// Read through the toolkit's own X connection: the answer comes after
// everything the toolkit has drawn so far (a wxScreenDC may show stale pixels).
wxImage GrabScreen(const wxRect& rect) {
  wxImage image(rect.GetSize());
  if (!ReadScreenPixels(wxGetX11Display(), rect.x, rect.y, rect.width, rect.height,
                        image.GetData())) {
    ADD_FAILURE() << "cannot read the screen";
  }
  return image;
}

wxImage GrabClient(const wxWindow* window) {
  const wxPoint origin = window->ClientToScreen(wxPoint(0, 0));
  return GrabScreen(wxRect(origin, window->GetClientSize()));
}

wxBitmap SolidBitmap(const wxSize& size, const wxColour& colour) {
  return BitmapWithPixels(size, colour, {}, colour);
}

wxBitmap BitmapWithPixels(const wxSize& size, const wxColour& base,
                          const std::vector<wxPoint>& pixels, const wxColour& colour) {
  wxImage image(size);
  image.SetRGB(wxRect(size), base.Red(), base.Green(), base.Blue());
  for (const wxPoint& p : pixels)
    image.SetRGB(p.x, p.y, colour.Red(), colour.Green(), colour.Blue());
  return wxBitmap(image, 24);
}

wxColour PixelAt(const wxImage& image, int x, int y) {
  return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

wxImage Render(const wxSize& size, const wxColour& background,
               const std::function<void(wxDC&)>& draw) {
  wxBitmap bitmap(size, 24);
  {
    wxMemoryDC dc(bitmap);
    dc.SetBackground(wxBrush(background));
    dc.Clear();
    draw(dc);
  }
  return bitmap.ConvertToImage();
}

std::vector<std::string> TakeLogMessages() {
  std::vector<std::string> messages;
  messages.swap(logMessages());
  return messages;
}

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vestora-ui-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) std::abort();
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

std::string TempFolder::write(const std::string& name, const std::string& bytes) const {
  const std::filesystem::path file = path_ / name;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
  return file.string();
}

}  // namespace vestora::testing

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests needs no display.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();

  if (!wxEntryStart(argc, argv)) {
    std::fprintf(stderr, "The widget tests need an X display (run them through run-in-xvfb.sh).\n");
    return 1;
  }
  wxSetAssertHandler(failOnAssert);
  static DeveloperLog developerLog;
  vestora::setLogSink(&developerLog);
  delete wxLog::SetActiveTarget(new CollectingLog);
  wxTheApp->CallOnInit();
  const int status = RUN_ALL_TESTS();
  wxTheApp->OnExit();
  wxEntryCleanup();
  return status;
}
