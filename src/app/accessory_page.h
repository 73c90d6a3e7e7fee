// CAccessoryPage: the "配件调整" page of the control panel (resource 258).
// Four collapsible sections: moving the selected accessory (or one of the
// two extra lights), turning it, sizing it, and the colours of lenses,
// frames, shoes and hair with the lens transparency and the default hair.
// What the sliders do is AccessoryAdjuster's; the page shows its state.
#pragma once

#include <array>
#include <memory>

#include <wx/scrolwin.h>

#include "app/accessory_adjuster.h"

class wxScrollEvent;

namespace vestora {
class SkinButton;
class SkinSlider;
}  // namespace vestora

namespace vestora::app {

class CGLViewDlg;
class SectionHeader;
class ValueBadge;

class CAccessoryPage : public wxScrolledWindow {
 public:
  static constexpr int kResourceId = 258;
  static constexpr int kSliderIdBase = 4200;  // + the slider's AccessorySlider
  static constexpr int kLightOne = 1170, kUniformScale = 1171, kLightTwo = 1172;
  static constexpr int kLensColour = 1068, kFrameColour = 1224, kShoeColour = 1069,
                       kHairColour = 1073, kDefaultHair = 1074;

  explicit CAccessoryPage(wxWindow* parent);
  ~CAccessoryPage() override;

  void Attach(CGLViewDlg* view);
  // "重置" of the control panel.
  void Reset();

  AccessoryAdjuster* adjuster() { return adjuster_.get(); }
  SkinSlider* slider(int index) const { return sliders_[static_cast<std::size_t>(index)]; }
  ValueBadge* valueLabel(int index) const { return values_[static_cast<std::size_t>(index)]; }
  SkinButton* button(int id) const;
  SectionHeader* header(int section) const { return headers_[static_cast<std::size_t>(section)]; }

 private:
  void build();
  void onSlider(wxScrollEvent& event);
  void onButton(wxCommandEvent& event);
  void onKey(wxKeyEvent& event);
  void onIdle(wxIdleEvent& event);
  void onHeader(SectionHeader& header);
  void chooseColour(Rgb& colour);
  void showState();
  void redrawView();

  CGLViewDlg* view_ = nullptr;
  std::unique_ptr<AccessoryAdjuster> adjuster_;
  std::array<SectionHeader*, 4> headers_{};
  std::array<wxWindow*, 4> sections_{};
  std::array<SkinSlider*, kAccessorySliderCount> sliders_{};
  std::array<ValueBadge*, kAccessorySliderCount> values_{};
  ValueBadge* selected_ = nullptr;
  int shownSelection_ = -1;
};

}  // namespace vestora::app
