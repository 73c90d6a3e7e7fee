#include "app/env_settings_panel.h"

#include <filesystem>

#include <wx/sizer.h>

#include "app/gl_view_window.h"
#include "app/measure_page.h"
#include "app/page_widgets.h"
#include "platform/data_files.h"
#include "platform/data_path.h"
#include "platform/music.h"
#include "ui/key_routing.h"
#include "ui/panel_button_art.h"
#include "ui/skin_button.h"

namespace vestora::app {
namespace {

constexpr const char* kSceneNames[4] = {"无（纯色背景）", "天空与湖面", "客厅", "海滩"};

SkinButton* makeButton(wxWindow* parent, int id, const char* label, const wxSize& size,
                       PanelButtonStyle style, const char* tip, int icon = 0) {
  auto* b = new SkinButton(parent, id);
  ApplyPanelButtonFaces(b, wxString::FromUTF8(label), size, style, icon);
  b->SetToolTip(wxString::FromUTF8(tip));
  return b;
}

wxString fileName(const std::string& path) {
  return wxString::FromUTF8(std::filesystem::path(path).filename().string());
}

}  // namespace

CEnvSettingsDlg::CEnvSettingsDlg(wxWindow* parent)
    : SkinPanel(parent, kResourceId), musicTimer_(this) {
  InstallChildKeyRule(this);
  // The controls scroll inside the panel's frame when the screen is short.
  page_ = new wxScrolledWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                               wxBORDER_NONE | wxVSCROLL);
  page_->SetBackgroundColour(palette::kPanel);
  page_->SetScrollRate(0, 12);
  wxWindow* const parentOfControls = page_;
  auto* page = new wxBoxSizer(wxVERTICAL);
  auto* title = PageText(parentOfControls, "环境设置", 18);
  title->SetId(kTitle);
  title->SetFont(PanelFont(18, true));
  page->Add(title, 0, wxLEFT | wxTOP, 10);
  page->Add(PageText(parentOfControls, "试衣间的场景、音乐、测量单位和屏幕快照。", 13, kPageMuted),
            0, wxLEFT | wxRIGHT | wxTOP, 8);

  auto header = [&](const char* caption, int id) {
    auto* h = new SectionHeader(parentOfControls, wxString::FromUTF8(caption), true, false);
    if (id) h->SetId(id);
    page->Add(h, 0, wxEXPAND | wxTOP, 12);
  };

  header("场景", kSceneLabel);
  auto* sceneRow = new wxBoxSizer(wxHORIZONTAL);
  sceneRow->Add(makeButton(parentOfControls, kScene, "场景", wxSize(120, 34),
                           PanelButtonStyle::Primary, "换一个场景：天空与湖面、客厅、海滩、无"),
                0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 12);
  sceneStatus_ = PageText(parentOfControls, "", 13);
  sceneRow->Add(sceneStatus_, 1, wxALIGN_CENTER_VERTICAL);
  page->Add(sceneRow, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 10);
  page->Add(
      PageText(parentOfControls, "每按一次换一个场景：天空与湖面、客厅、海滩，然后回到纯色背景。",
               12, kPageMuted),
      0, wxLEFT | wxRIGHT | wxTOP, 10);

  header("单位", kUnitLabel);
  auto* unitRow = new wxBoxSizer(wxHORIZONTAL);
  for (const auto& [id, label, tip] : {std::tuple{kCentimetres, "厘米", "测量结果以厘米显示"},
                                       std::tuple{kInches, "英寸", "测量结果以英寸显示"}}) {
    SkinButton* b =
        makeButton(parentOfControls, id, label, wxSize(90, 30), PanelButtonStyle::Secondary, tip);
    b->SetCheckMode(true);
    unitRow->Add(b, 0, wxRIGHT, 8);
  }
  page->Add(unitRow, 0, wxLEFT | wxTOP, 10);

  header("音效", kSoundLabel);
  auto* musicRow = new wxBoxSizer(wxHORIZONTAL);
  musicRow->Add(makeButton(parentOfControls, kChooseMusic, "选曲", wxSize(100, 30),
                           PanelButtonStyle::Secondary, "选择一首 MP3 或 WAV 音乐播放"),
                0, wxRIGHT, 8);
  musicRow->Add(makeButton(parentOfControls, kPlayDefault, "播放默认", wxSize(100, 30),
                           PanelButtonStyle::Secondary, "播放试衣间的背景音乐"),
                0, wxRIGHT, 8);
  musicRow->Add(makeButton(parentOfControls, kStopMusic, "停止", wxSize(100, 30),
                           PanelButtonStyle::Secondary, "停止播放音乐"),
                0);
  page->Add(musicRow, 0, wxLEFT | wxTOP, 10);
  musicStatus_ = PageText(parentOfControls, "", 13, kPageMuted);
  page->Add(musicStatus_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 10);

  header("屏幕快照", 0);
  SkinButton* snapshot = makeButton(parentOfControls, kSnapshot, "屏幕快照", wxSize(120, 30),
                                    PanelButtonStyle::Secondary, "开启或关闭快照模式", 7);
  snapshot->SetCheckMode(true);
  page->Add(snapshot, 0, wxLEFT | wxTOP, 10);
  snapshotHint_ =
      PageText(parentOfControls,
               "开启后，在视图中按住左键拖出绿色方框，按 Ctrl 键把框内的画面保存为 JPEG 图片。", 12,
               kPageMuted);
  page->Add(snapshotHint_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 10);

  header("更多", 0);
  auto* moreRow = new wxBoxSizer(wxHORIZONTAL);
  moreRow->Add(makeButton(parentOfControls, kPatternPictures, "纹案元图", wxSize(100, 30),
                          PanelButtonStyle::Secondary, "纹案元图"),
               0, wxRIGHT, 8);
  moreRow->Add(makeButton(parentOfControls, kChangeHead, "更换头像", wxSize(100, 30),
                          PanelButtonStyle::Secondary, "更换头像"),
               0);
  page->Add(moreRow, 0, wxLEFT | wxTOP | wxBOTTOM, 10);

  page_->SetSizer(page);
  Bind(wxEVT_BUTTON, &CEnvSettingsDlg::onButton, this);
  Bind(wxEVT_TIMER, &CEnvSettingsDlg::onMusicTimer, this);
  Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    // Inside the one-pixel frame.
    const wxSize size = GetClientSize();
    page_->SetSize(1, 1, std::max(size.x - 2, 1), std::max(size.y - 2, 1));
    wrapTexts();
    page_->Layout();
    page_->FitInside();
    event.Skip();
  });
  showMusic();
}

CEnvSettingsDlg::~CEnvSettingsDlg() {
  musicTimer_.Stop();
}

SkinButton* CEnvSettingsDlg::button(int id) const {
  return static_cast<SkinButton*>(FindWindow(id));
}

void CEnvSettingsDlg::Attach(CGLViewDlg* view, CMeasurePage* measurePage) {
  view_ = view;
  measurePage_ = measurePage;
  showScene();
  showUnit();
}

void CEnvSettingsDlg::onButton(wxCommandEvent& event) {
  if (!view_) return;
  GlView& v = view_->view();
  switch (event.GetId()) {
    case kScene:
      v.NextScene();
      // The view's two buttons leave the window while a scene is shown.
      view_->ApplyRect();
      showScene();
      break;
    case kChooseMusic:
      ChooseMusic();
      break;
    case kPlayDefault:
      PlayDefaultMusic();
      break;
    case kStopMusic:
      StopMusicPlaying();
      break;
    case kSnapshot:
      v.snapshotMode = !v.snapshotMode;
      button(kSnapshot)->SetCheck(v.snapshotMode);
      // A freehand tool would take the drag that draws the rectangle.
      if (v.snapshotMode) {
        if (const auto tool = v.freehand.active()) v.ToggleMeasureTool(*tool);
        if (measurePage_) measurePage_->ShowToolState();
      }
      view_->Refresh(false);
      break;
    case kPatternPictures:
      view_->dialogs().showMessage(CControlPanelDlg::kNotInClientMessage, "",
                                   MessageIcon::Information);
      break;
    case kChangeHead:
      view_->dialogs().showMessage(kComingSoonMessage, "", MessageIcon::Information);
      break;
    case kCentimetres:
    case kInches:
      v.unitFactor = event.GetId() == kInches ? 2.54f : 1.0f;
      showUnit();
      view_->Refresh(false);
      break;
    default:
      break;
  }
}

void CEnvSettingsDlg::showScene() {
  if (!view_) return;
  const std::optional<Environment> e = view_->view().scene.environment();
  const int index = e ? static_cast<int>(*e) + 1 : 0;
  sceneStatus_->SetLabel(wxString::FromUTF8("当前场景：") + wxString::FromUTF8(kSceneNames[index]));
  page_->Layout();
}

void CEnvSettingsDlg::showUnit() {
  if (!view_) return;
  const bool inch = view_->view().unitFactor != 1.0f;
  button(kCentimetres)->SetCheck(!inch);
  button(kInches)->SetCheck(inch);
}

void CEnvSettingsDlg::ChooseMusic() {
  if (!view_) return;
  StopMusicPlaying();
  FileRequest request;
  request.filter = kMusicFilter;
  request.defaultExtension = ".mp3";
  const auto path = view_->dialogs().chooseFile(request);
  if (!path) return;
  playMusic(*path);
}

void CEnvSettingsDlg::PlayDefaultMusic() {
  if (!view_) return;
  playMusic(dataPath(view_->view().root(), data_files::kDefaultMusic));
}

void CEnvSettingsDlg::StopMusicPlaying() {
  StopMusic();
  musicTimer_.Stop();
  musicStarted_ = false;
  musicFailed_ = false;
  showMusic();
}

void CEnvSettingsDlg::playMusic(const std::string& path) {
  // The piece playing stops and is freed before the next one starts. A
  // file that cannot be played leaves the player silent.
  musicFile_ = path;
  musicStarted_ = PlayMusicFile(path);
  musicFailed_ = !musicStarted_;
  if (musicStarted_) musicTimer_.Start(500);
  showMusic();
}

void CEnvSettingsDlg::onMusicTimer(wxTimerEvent&) {
  if (musicPlaying()) return;
  musicTimer_.Stop();
  musicStarted_ = false;
  showMusic();
}

void CEnvSettingsDlg::showMusic() {
  wxString text;
  if (musicStarted_ && musicPlaying())
    text = wxString::FromUTF8("正在播放：") + fileName(musicFile_);
  else if (musicFailed_)
    text = wxString::FromUTF8("无法播放：") + fileName(musicFile_) +
           wxString::FromUTF8("（文件无法读取，或没有可用的声音设备）");
  else
    text = wxString::FromUTF8("未在播放。");
  musicStatus_->SetLabel(text);
  wrapTexts();
  page_->Layout();
  page_->FitInside();
}

void CEnvSettingsDlg::wrapTexts() {
  const int width = std::max(page_->GetClientSize().x - 24, 100);
  musicStatus_->Wrap(width);
  snapshotHint_->Wrap(width);
}

}  // namespace vestora::app
