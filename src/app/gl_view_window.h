// CGLViewDlg: the window of the 3D view. It owns the OpenGL context and the
// view's drawing state (GlView), turns the toolkit's mouse, wheel, timer
// and paint events into the view's handlers, and serves the view as its
// host (redraws, timers, dialogs, sounds, the help document).
#pragma once

#include <map>
#include <memory>
#include <string>

#include <wx/glcanvas.h>
#include <wx/timer.h>

#include "app/main_layout.h"
#include "platform/result.h"
#include "view/gl_view.h"

namespace vestora {
class SkinButton;
class CSplashScreenEx;
}  // namespace vestora

namespace vestora::app {

class CFittingRoomDlg;

class CGLViewDlg : public wxGLCanvas, public ViewHost {
 public:
  static constexpr int kResourceId = 129;
  static constexpr int kSplashBitmap = 492;

  // The frame-buffer attributes: RGBA, double buffer, depth 24, stencil 8,
  // with 4 or 2 samples when the display offers them. `multisample`
  // receives the number of samples (0 = none).
  static wxGLAttributes ChooseAttributes(int* multisample = nullptr);

  CGLViewDlg(wxWindow* parent, const wxGLAttributes& attributes, std::string root,
             UserDialogs& dialogs);
  ~CGLViewDlg() override;

  PanelRect rect;
  void SetMainDialog(CFittingRoomDlg* main) { main_ = main; }

  // Start-up, first part (before the window is shown): the splash window and
  // the default avatar. The error names the file that could not be read.
  Result<void> StartUp();
  // Second part, once the window is on screen: the context, the fixed GL
  // state, the font and the view's pictures; then the splash goes. The
  // error names the font file when it cannot be opened.
  Result<void> StartGL();
  // Closes the splash window if it is still up (start-up failed).
  void DismissSplash();

  // Moves the window to its current rectangle and places the turntable and
  // reset buttons along its right edge (outside it while a scene is shown).
  void ApplyRect();

  // Shows a guide card centred over the view for `milliseconds`, blocking.
  void ShowWizardCard(int bitmapId, int milliseconds);

  // A key press routed here from any window of the program (toolkit key code).
  void RoutedKey(int wxKeyCode);
  // Shows or hides the view together with its two buttons.
  bool Show(bool show = true) override;

  // Changes the woman's pose (a thumbnail of the avatar table); the view
  // says what went wrong.
  Result<void> SelectPose(std::string_view thumbnail);

  GlView& view() { return view_; }
  bool glReady() const { return glReady_; }
  int samples() const { return samples_; }

  // ViewHost
  UserDialogs& dialogs() override { return dialogs_; }
  void requestRedraw() override;
  void startTimer(int id, int milliseconds) override;
  void killTimer(int id) override;
  void swapBuffers() override;
  void openDocument(const std::string& path) override;
  void playSound(std::string_view dataPath) override;
  void takeFocus() override;
  bool soundEffectsOn() const override { return soundEffects; }
  void captureMouse() override;
  void releaseMouse() override;
  void setBusy(bool busy) override;
  void showDetailPictures() override;
  void showProgress(int step) override;
  void showStatus(const std::string& text) override;

  // The environment settings switch sound effects (on at start).
  bool soundEffects = true;

 private:
  void onPaint(wxPaintEvent& event);
  void onSize(wxSizeEvent& event);
  void onMouse(wxMouseEvent& event);
  void onCaptureLost(wxMouseCaptureLostEvent& event);
  void onTimer(wxTimerEvent& event);
  void splashText(const char* text);
  // Makes the context current; false while the view cannot draw.
  bool makeCurrent();

  std::string root_;
  UserDialogs& dialogs_;
  GlView view_;
  std::unique_ptr<wxGLContext> context_;
  CFittingRoomDlg* main_ = nullptr;
  CSplashScreenEx* splash_ = nullptr;
  // The eight decoration pieces round the view: four corners, four edges.
  wxWindow* decorations_[8] = {};
  SkinButton* turntableButton_ = nullptr;
  SkinButton* resetButton_ = nullptr;
  std::map<int, std::unique_ptr<wxTimer>> timers_;
  int samples_ = 0;
  bool glReady_ = false;
  bool busy_ = false;
  bool firstFrameShown_ = false;
};

// The view's key code for a toolkit key code (Control, F1, F2, letters …).
int ViewKeyFor(int wxKeyCode);

}  // namespace vestora::app
