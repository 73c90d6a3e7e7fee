// CBodyEditPage: the "人体编辑" page of the control panel (resource 259).
// Seven collapsible sections in a scrolling page: the whole-body fields
// with the body-mass index and the pregnancy weight, then the dimension
// sliders with their values. What the page does is BodyEditor's; the page
// shows its state and passes the user's actions on.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include <wx/scrolwin.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "body/body_editor.h"

class wxScrollEvent;

namespace vestora {
class SkinSlider;
}

namespace vestora::app {

class CGLViewDlg;
class SectionHeader;
class ValueBadge;

class CBodyEditPage : public wxScrolledWindow {
 public:
  static constexpr int kResourceId = 259;
  // Ids of the sliders: kSliderIdBase + their index in the panel order.
  static constexpr int kSliderIdBase = 4000;
  // Ids of the four fields.
  static constexpr int kHeightField = 4100, kWeightField = 4101, kMonthField = 4102,
                       kChildHeightField = 4103;

  explicit CBodyEditPage(wxWindow* parent);
  ~CBodyEditPage() override;

  // Connects the page to the view's avatar and shaper (once, at start-up).
  void Attach(CGLViewDlg* view);
  // "重置" of the control panel.
  void Reset();
  // Shows the settings the user's own measures gave the body.
  void ShowApplied();
  // Enables the fields that apply to the body now loaded.
  void RefreshForBody();

  BodyEditor* editor() { return editor_.get(); }
  SkinSlider* slider(int index) const { return sliders_[static_cast<std::size_t>(index)]; }
  ValueBadge* valueLabel(int index) const { return values_[static_cast<std::size_t>(index)]; }
  wxTextCtrl* field(int id) const;
  ValueBadge* bodyMassLabel() const { return bodyMass_; }
  ValueBadge* pregnancyLabel() const { return pregnancy_; }
  SectionHeader* header(int group) const { return headers_[static_cast<std::size_t>(group)]; }

 private:
  void build();
  void onSlider(wxScrollEvent& event);
  void onSliderRelease(wxScrollEvent& event);
  void applyPendingSlider();
  void onEnter(wxCommandEvent& event);
  void onHeader(SectionHeader& header);
  // Shows what the editor holds.
  void showState();
  void redrawView();
  // After the whole body changed: the state, the layout and the view.
  void showChangedBody();

  CGLViewDlg* view_ = nullptr;
  std::unique_ptr<BodyEditor> editor_;
  std::array<SectionHeader*, 7> headers_{};
  std::array<wxWindow*, 7> sections_{};
  std::array<SkinSlider*, kBodySliderCount> sliders_{};
  std::array<ValueBadge*, kBodySliderCount> values_{};
  wxTextCtrl* height_ = nullptr;
  wxTextCtrl* weight_ = nullptr;
  wxTextCtrl* month_ = nullptr;
  wxTextCtrl* childHeight_ = nullptr;
  ValueBadge* bodyMass_ = nullptr;
  ValueBadge* pregnancy_ = nullptr;
  // The latest position of the slider being dragged, applied when the
  // toolkit is idle: a burst of moves gives one reshaping.
  int pendingSlider_ = -1;
  double pendingPosition_ = 0;
  bool pendingQueued_ = false;
};

}  // namespace vestora::app
