// The wx application of the widget tests and small helpers: bitmaps built in
// the test, reading back what is on the (virtual) screen, letting the toolkit
// catch up, temporary folders.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/image.h>

class wxWindow;

namespace vestora::testing {

// Processes pending events (paint, size, timers, idle) for about `ms`
// milliseconds, and deletes windows whose destruction is pending.
void Pump(int ms = 50);

// Pumps until `done` holds or `ms` milliseconds pass; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, int ms = 2000);

// The screen pixels of `rect` (screen coordinates).
wxImage GrabScreen(const wxRect& rect);
// The screen pixels of a window's client area.
wxImage GrabClient(const wxWindow* window);

// A bitmap of one colour.
wxBitmap SolidBitmap(const wxSize& size, const wxColour& colour);
// `base` with the listed pixels set to `colour`.
wxBitmap BitmapWithPixels(const wxSize& size, const wxColour& base,
                          const std::vector<wxPoint>& pixels, const wxColour& colour);

wxColour PixelAt(const wxImage& image, int x, int y);
// Draws with `draw` into a `size` bitmap first filled with `background`.
wxImage Render(const wxSize& size, const wxColour& background,
               const std::function<void(wxDC&)>& draw);

// wx log messages (errors, warnings) seen since the last call; the test
// application collects them instead of showing them.
std::vector<std::string> TakeLogMessages();

// A fresh folder, removed with everything in it when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  std::string write(const std::string& name, const std::string& bytes) const;

 private:
  std::filesystem::path path_;
};

}  // namespace vestora::testing

// Colours compare by their channels in failure messages.
inline std::ostream& operator<<(std::ostream& out, const wxColour& colour) {
  return out << "rgb(" << int(colour.Red()) << ", " << int(colour.Green()) << ", "
             << int(colour.Blue()) << ")";
}
