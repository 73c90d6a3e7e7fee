// CEnvSettingsDlg: the environment settings panel (resource 132), the third
// panel of the main window's right-hand slot. It changes the scene behind
// the avatar, the unit of every measurement readout, the background music
// and the snapshot mode of the view.
#pragma once

#include <string>

#include <wx/scrolwin.h>
#include <wx/stattext.h>
#include <wx/timer.h>

#include "app/panels.h"

namespace vestora {
class SkinButton;
}

namespace vestora::app {

class CGLViewDlg;
class CMeasurePage;

// The music file dialog: MP3 and WAVE files, in either letter case.
inline constexpr const char* kMusicFilter =
    "音乐文件 (*.mp3;*.wav)|*.mp3;*.MP3;*.wav;*.WAV|(*.mp3)|*.mp3;*.MP3|(*.wav)|*.wav;*.WAV||";
inline constexpr const char* kComingSoonMessage = "敬请期待！";

class CEnvSettingsDlg : public SkinPanel {
 public:
  static constexpr int kResourceId = 132;
  static constexpr int kScene = 1051, kChooseMusic = 1052, kPlayDefault = 1053, kStopMusic = 1054,
                       kSnapshot = 1055, kPatternPictures = 1056, kChangeHead = 1057,
                       kCentimetres = 1058, kInches = 1059;
  static constexpr int kSceneLabel = 1045, kTitle = 1047, kSoundLabel = 1048, kUnitLabel = 1049;

  explicit CEnvSettingsDlg(wxWindow* parent);
  ~CEnvSettingsDlg() override;

  // Connects the panel to the view and to the measurement page whose tool
  // the snapshot mode switches off.
  void Attach(CGLViewDlg* view, CMeasurePage* measurePage);
  SkinButton* button(int id) const;

  // "选曲": asks for a music file and plays it (the piece playing stops).
  void ChooseMusic();
  // "播放默认": root + "\data\theme2.mp3".
  void PlayDefaultMusic();
  // "停止".
  void StopMusicPlaying();
  // The file of the piece last started ("" when none), and whether it plays.
  const std::string& musicFile() const { return musicFile_; }

  // What the status lines show now (for the tests).
  wxString sceneText() const { return sceneStatus_->GetLabel(); }
  wxString musicText() const { return musicStatus_->GetLabel(); }

 private:
  void onButton(wxCommandEvent& event);
  void onMusicTimer(wxTimerEvent& event);
  void playMusic(const std::string& path);
  void showScene();
  void showUnit();
  void showMusic();
  void wrapTexts();

  CGLViewDlg* view_ = nullptr;
  CMeasurePage* measurePage_ = nullptr;
  wxScrolledWindow* page_ = nullptr;
  wxStaticText* sceneStatus_ = nullptr;
  wxStaticText* musicStatus_ = nullptr;
  wxStaticText* snapshotHint_ = nullptr;
  wxTimer musicTimer_;
  std::string musicFile_;
  bool musicStarted_ = false;
  bool musicFailed_ = false;
};

}  // namespace vestora::app
