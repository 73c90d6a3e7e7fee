#include "app/gl_view_window.h"

#include <chrono>
#include <filesystem>

#include <wx/dcclient.h>
#include <wx/image.h>
#include <wx/utils.h>

#include "app/garment_panel.h"
#include "app/main_window.h"
#include "platform/data_files.h"
#include "platform/data_path.h"
#include "platform/log.h"
#include "platform/process.h"
#include "platform/sound.h"
#include "ui/key_routing.h"
#include "ui/resource_bitmaps.h"
#include "ui/skin_button.h"
#include "ui/skin_progress.h"
#include "ui/splash_screen.h"

namespace vestora::app {

namespace {

// Taken while the program loads, before anything runs: the start of the
// start-up time that the first frame reports.
const auto kProgramStart = std::chrono::steady_clock::now();

wxGLAttributes baseAttributes() {
  wxGLAttributes attributes;
  attributes.PlatformDefaults().RGBA().DoubleBuffer().Depth(24).Stencil(8);
  return attributes;
}

}  // namespace

namespace {

// A picture that fills its window (stretched when the window is larger),
// drawn in a window of its own so that it lies over the GL surface.
class BitmapTile : public wxWindow {
 public:
  BitmapTile(wxWindow* parent, int id, int bitmapId)
      : wxWindow(parent, id, wxDefaultPosition, wxSize(1, 1), wxBORDER_NONE),
        bitmap_(LoadBitmapResource(bitmapId)) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
      wxPaintDC dc(this);
      if (!bitmap_.IsOk()) return;
      const wxSize size = GetClientSize();
      if (size == bitmap_.GetSize()) {
        dc.DrawBitmap(bitmap_, 0, 0);
      } else {
        wxImage image = bitmap_.ConvertToImage();
        image.Rescale(std::max(size.x, 1), std::max(size.y, 1));
        dc.DrawBitmap(wxBitmap(image), 0, 0);
      }
    });
  }
  bool AcceptsFocus() const override { return false; }

 private:
  wxBitmap bitmap_;
};

// Decoration controls and their pictures: the corners top left, top right,
// bottom left, bottom right, then the top, bottom, left and right edges.
constexpr int kDecorationIds[8] = {1104, 1105, 1106, 1107, 1108, 1109, 1110, 1111};
constexpr int kDecorationBitmaps[8] = {160, 161, 162, 163, 319, 320, 321, 322};
constexpr int kCorner = 6;

}  // namespace

wxGLAttributes CGLViewDlg::ChooseAttributes(int* multisample) {
  for (const int samples : {4, 2}) {
    wxGLAttributes attributes = baseAttributes();
    attributes.SampleBuffers(1).Samplers(samples).EndList();
    if (wxGLCanvas::IsDisplaySupported(attributes)) {
      if (multisample) *multisample = samples;
      return attributes;
    }
  }
  // No multisample format: the plain one, without a word.
  if (multisample) *multisample = 0;
  wxGLAttributes attributes = baseAttributes();
  attributes.EndList();
  return attributes;
}

CGLViewDlg::CGLViewDlg(wxWindow* parent, const wxGLAttributes& attributes, std::string root,
                       UserDialogs& dialogs)
    : wxGLCanvas(parent, attributes, kResourceId, wxDefaultPosition, wxDefaultSize,
                 wxBORDER_NONE | wxWANTS_CHARS),
      root_(std::move(root)),
      dialogs_(dialogs),
      view_(*this, root_) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  // Sewing and draping run beside the window; it shows the cloth settling.
  view_.runDrapesInBackground();
  Bind(wxEVT_PAINT, &CGLViewDlg::onPaint, this);
  Bind(wxEVT_SIZE, &CGLViewDlg::onSize, this);
  for (const auto type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_LEFT_DCLICK, wxEVT_RIGHT_DOWN,
                          wxEVT_RIGHT_UP, wxEVT_MOTION, wxEVT_MOUSEWHEEL})
    Bind(type, &CGLViewDlg::onMouse, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &CGLViewDlg::onCaptureLost, this);
  InstallChildKeyRule(this);

  // The turntable and reset buttons sit over the view's right edge.
  turntableButton_ = new SkinButton(parent, kTurntableButton, wxDefaultPosition, wxSize(19, 19));
  turntableButton_->LoadBitmaps(248, 242, 249);
  turntableButton_->SetToolTip(wxString::FromUTF8("旋转"));
  resetButton_ = new SkinButton(parent, kResetButton, wxDefaultPosition, wxSize(19, 19));
  resetButton_->LoadBitmaps(323, 325, 324);
  resetButton_->SetToolTip(wxString::FromUTF8("还原"));
  for (int i = 0; i < 8; ++i)
    decorations_[i] = new BitmapTile(parent, kDecorationIds[i], kDecorationBitmaps[i]);
  turntableButton_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { view_.onTurntableButton(); });
  resetButton_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { view_.onResetButton(); });
}

bool CGLViewDlg::makeCurrent() {
  // A hidden canvas has no surface to draw on (the store page is shown).
  return glReady_ && context_ && IsShownOnScreen() && SetCurrent(*context_);
}

CGLViewDlg::~CGLViewDlg() {
  for (auto& [id, timer] : timers_) timer->Stop();
  // Without a surface the GL objects go with the context.
  if (makeCurrent()) view_.ReleaseGL();
  if (splash_) splash_->Hide();
}

void CGLViewDlg::splashText(const char* text) {
  if (splash_) splash_->SetText(wxString::FromUTF8(text));
}

Result<void> CGLViewDlg::StartUp() {
  splash_ = new CSplashScreenEx;
  splash_->Create(GetParent(), wxEmptyString, 0,
                  CSplashScreenEx::kFadeIn | CSplashScreenEx::kFadeOut |
                      CSplashScreenEx::kDropShadow | CSplashScreenEx::kCentreOnScreen);
  if (splash_->SetBitmap(kSplashBitmap, 255, 0, 255)) {
    splash_->SetTextFont("Sans", 90, 0);
    const wxSize size = splash_->GetClientSize();
    splash_->SetTextRect(wxRect(wxPoint(10, 186), wxPoint(size.x / 2, size.y - 1)));
    splash_->SetTextColour(*wxBLACK);
    splash_->SetTextFormat(CSplashScreenEx::kTextCentre | CSplashScreenEx::kTextVCentre |
                           CSplashScreenEx::kTextSingleLine);
    splash_->Show();
  }
  splashText("初始化：虚拟试衣间...");
  return view_.loadDefaultAvatar();
}

Result<void> CGLViewDlg::StartGL() {
  splashText("检测硬件环境...");
  context_ = std::make_unique<wxGLContext>(this);
  if (!context_->IsOK() || !SetCurrent(*context_))
    return makeError("OpenGL", "no OpenGL context could be made for the view");
  const wxSize size = GetClientSize();
  Result<void> font = view_.InitGL(std::max(size.x, 1), std::max(size.y, 1));
  splashText("试，并快乐着");
  view_.LoadViewResources();
  glReady_ = true;
  DismissSplash();
  if (!font) return font;
  Refresh(false);
  return {};
}

void CGLViewDlg::DismissSplash() {
  if (!splash_) return;
  splash_->Hide();
  splash_ = nullptr;
}

void CGLViewDlg::ApplyRect() {
  const PixelRect& r = rect.current;
  SetSize(r.x, r.y, std::max(r.width, 1), std::max(r.height, 1));
  const int right = view_.sceneShown() ? r.width + 25 : r.width - 25;
  resetButton_->SetPosition(wxPoint(r.x + right, r.y + 311));
  turntableButton_->SetPosition(wxPoint(r.x + right, r.y + 335));
  resetButton_->Raise();
  turntableButton_->Raise();
  const int w = std::max(r.width, 1), h = std::max(r.height, 1);
  const wxRect places[8] = {{r.x, r.y, kCorner, kCorner},
                            {r.x + w - kCorner, r.y, kCorner, kCorner},
                            {r.x, r.y + h - kCorner, kCorner, kCorner},
                            {r.x + w - kCorner, r.y + h - kCorner, kCorner, kCorner},
                            {r.x + kCorner, r.y, w - 2 * kCorner, 1},
                            {r.x + kCorner, r.y + h - 1, w - 2 * kCorner, 1},
                            {r.x, r.y + kCorner, 1, h - 2 * kCorner},
                            {r.x + w - 1, r.y + kCorner, 1, h - 2 * kCorner}};
  for (int i = 0; i < 8; ++i) {
    decorations_[i]->SetSize(places[i]);
    decorations_[i]->Raise();
  }
  // The rounded corners are cut out of the white backdrop; over a scene
  // they would show as white specks.
  for (int i = 0; i < 4; ++i) decorations_[i]->Show(!view_.sceneShown());
}

void CGLViewDlg::ShowWizardCard(int bitmapId, int milliseconds) {
  auto* card = new CSplashScreenEx;
  card->Create(this, wxEmptyString, 0,
               CSplashScreenEx::kFadeIn | CSplashScreenEx::kFadeOut | CSplashScreenEx::kDropShadow |
                   CSplashScreenEx::kCentreOnScreen);
  if (!card->SetBitmap(bitmapId, 255, 0, 255)) {
    card->Destroy();
    return;
  }
  // Centred over the view.
  const wxSize cardSize = card->GetSize();
  const wxSize viewSize = GetClientSize();
  const wxPoint origin = ClientToScreen(wxPoint(0, 0));
  card->ShowAt(origin.x + viewSize.x / 2 - cardSize.x / 2,
               origin.y + viewSize.y / 2 - cardSize.y / 2);
  wxMilliSleep(static_cast<unsigned long>(std::max(milliseconds, 0)));
  card->Hide();
}

void CGLViewDlg::RoutedKey(int wxKeyCode) {
  if (!glReady_) return;
  const int key = ViewKeyFor(wxKeyCode);
  // While the view is hidden only the keys that need no frame act.
  if (makeCurrent() || key == kKeyF1 || key == kKeyF2) view_.onKeyDown(key);
}

bool CGLViewDlg::Show(bool show) {
  for (wxWindow* piece : decorations_)
    if (piece) piece->Show(show);
  if (turntableButton_) turntableButton_->Show(show);
  if (resetButton_) resetButton_->Show(show);
  return wxGLCanvas::Show(show);
}

void CGLViewDlg::onPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  if (!makeCurrent()) return;
  view_.DrawScene(false);
  if (!firstFrameShown_) {
    firstFrameShown_ = true;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - kProgramStart);
    debugOutput("first frame " + std::to_string(ms.count()) + " ms after start\n");
  }
}

Result<void> CGLViewDlg::SelectPose(std::string_view thumbnail) {
  // The view frees display lists of the old body's overlays.
  makeCurrent();
  wxBusyCursor busy;
  return view_.selectPose(thumbnail);
}

void CGLViewDlg::onSize(wxSizeEvent& event) {
  const wxSize size = GetClientSize();
  if (size.x > 0 && size.y > 0 && makeCurrent()) view_.Resize(size.x, size.y);
  event.Skip();
}

void CGLViewDlg::onMouse(wxMouseEvent& event) {
  if (!makeCurrent()) return;
  const int x = event.GetX(), y = event.GetY();
  const Modifiers modifiers{event.ControlDown(), event.ShiftDown()};
  const wxEventType type = event.GetEventType();
  if (type == wxEVT_LEFT_DOWN) {
    view_.onLeftDown(x, y, modifiers);
  } else if (type == wxEVT_LEFT_UP) {
    view_.onLeftUp(x, y, modifiers);
  } else if (type == wxEVT_LEFT_DCLICK) {
    view_.onDoubleClick(x, y, modifiers);
  } else if (type == wxEVT_RIGHT_DOWN) {
    view_.onRightDown(x, y);
  } else if (type == wxEVT_RIGHT_UP) {
    view_.onRightUp(x, y);
  } else if (type == wxEVT_MOUSEWHEEL) {
    // The view counts notches of 120, as the wheel reports them.
    const int delta = event.GetWheelDelta() > 0
                          ? event.GetWheelRotation() * 120 / event.GetWheelDelta()
                          : event.GetWheelRotation();
    view_.onWheel(delta);
  } else if (type == wxEVT_MOTION) {
    view_.onMouseMove(x, y, MouseButtons{event.LeftIsDown(), event.RightIsDown()}, modifiers);
    // The picture button says what it does.
    const bool onButton = view_.logoState() != kLogoNormal;
    if (onButton && !GetToolTip())
      SetToolTip(wxString::FromUTF8("查看所选服装的细节图片"));
    else if (!onButton && GetToolTip())
      UnsetToolTip();
  }
}

void CGLViewDlg::onCaptureLost(wxMouseCaptureLostEvent&) {}

void CGLViewDlg::onTimer(wxTimerEvent& event) {
  if (!makeCurrent()) return;
  view_.onTimer(event.GetId());
}

void CGLViewDlg::requestRedraw() {
  Refresh(false);
}

void CGLViewDlg::startTimer(int id, int milliseconds) {
  auto& timer = timers_[id];
  if (!timer) {
    timer = std::make_unique<wxTimer>(this, id);
    Bind(wxEVT_TIMER, &CGLViewDlg::onTimer, this, id);
  }
  timer->Start(milliseconds);
}

void CGLViewDlg::killTimer(int id) {
  if (const auto it = timers_.find(id); it != timers_.end()) it->second->Stop();
}

void CGLViewDlg::swapBuffers() {
  SwapBuffers();
}

void CGLViewDlg::openDocument(const std::string& path) {
  if (!std::filesystem::exists(path)) {
    dialogs_.showMessage("找不到文件：" + path, "澄镜衣坊", MessageIcon::Warning);
    return;
  }
  if (!openWithDesktop(path))
    dialogs_.showMessage("没有可以打开这个文件的程序：" + path, "澄镜衣坊", MessageIcon::Warning);
}

void CGLViewDlg::playSound(std::string_view dataPath) {
  PlayDataSound(root_, dataPath);
}

void CGLViewDlg::takeFocus() {
  if (wxWindow* focus = wxWindow::FindFocus(); focus != this) SetFocus();
}

void CGLViewDlg::captureMouse() {
  if (!HasCapture()) CaptureMouse();
}

void CGLViewDlg::releaseMouse() {
  if (HasCapture()) ReleaseMouse();
}

void CGLViewDlg::showDetailPictures() {
  if (main_ && main_->garmentPanel()) main_->garmentPanel()->ShowDetailPictures();
}

void CGLViewDlg::showProgress(int step) {
  SkinProgress* bar = main_ ? main_->progressBar() : nullptr;
  if (!bar) return;
  bar->SetPos(step);  // painted at once: the try-on runs on this thread
}

void CGLViewDlg::showStatus(const std::string& text) {
  if (main_) main_->showStatus(text);
}

void CGLViewDlg::setBusy(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (busy)
    wxBeginBusyCursor();
  else
    wxEndBusyCursor();
}

int ViewKeyFor(int code) {
  switch (code) {
    case WXK_CONTROL:
      return kKeyControl;
    case WXK_SHIFT:
      return kKeyShift;
    case WXK_F1:
      return kKeyF1;
    case WXK_F2:
      return kKeyF2;
    case WXK_F3:
      return kKeyF3;
    case WXK_F4:
      return kKeyF4;
    case WXK_F5:
      return kKeyF5;
    case WXK_F6:
      return kKeyF6;
    case WXK_F7:
      return kKeyF7;
    case WXK_F8:
      return kKeyF8;
    case WXK_F9:
      return kKeyF9;
    case WXK_F10:
      return kKeyF10;
    case WXK_F11:
      return kKeyF11;
    case WXK_F12:
      return kKeyF12;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
      return kKeyReturn;
    case WXK_ESCAPE:
      return kKeyEscape;
    case WXK_LEFT:
      return kKeyLeft;
    case WXK_RIGHT:
      return kKeyRight;
    case WXK_UP:
      return kKeyUp;
    case WXK_DOWN:
      return kKeyDown;
    case WXK_DELETE:
      return kKeyDelete;
    case WXK_BACK:
      return kKeyBack;
    case WXK_TAB:
      return kKeyTab;
    case WXK_SPACE:
      return kKeySpace;
    default:
      break;
  }
  // Letters and digits keep their (upper-case) character code.
  if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z')) return code;
  if (code >= 'a' && code <= 'z') return code - 'a' + 'A';
  return kKeyOther;
}

}  // namespace vestora::app
