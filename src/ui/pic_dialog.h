// CPicDialog: a child picture box with two picture slots (the garment panel's
// preview shows a garment's two pictures in turn). The shown picture is
// stretched over the client area; with nothing shown (or an empty slot
// shown) the box shows its own background colour. It is a key-forwarding
// window (key_routing.h).
#pragma once

#include <string>

#include <wx/bitmap.h>
#include <wx/image.h>
#include <wx/panel.h>

#include "ui/key_routing.h"

namespace vestora {

class CPicDialog : public wxPanel {
 public:
  CPicDialog() = default;
  CPicDialog(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
             const wxSize& size = wxDefaultSize, KeyTarget keyTarget = {});
  // `keyTarget` receives the key presses (empty: they are posted to the parent).
  bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize, KeyTarget keyTarget = {});

  // Decodes a JPEG, BMP or TGA (or PNG) file (file-system path, UTF-8) into
  // the first or the second slot. False when the file cannot be opened or decoded; the
  // slot is then left empty. Repaints when the slot is the one shown.
  bool LoadPicture(const std::string& path, bool first);
  // Empties both slots and repaints.
  void Clear();
  // Show the first / second slot; repaints only when `shown` changes.
  void ShowFirst();
  void ShowSecond();
  // Shows nothing.
  void ShowNone();

  // 0 nothing, 1 first, 2 second.
  int shown() const { return shown_; }
  const wxImage& picture(bool first) const { return first ? first_ : second_; }

  // Draws the box as it looks now into `dc` as if the client area were `size`.
  void Draw(wxDC& dc, const wxSize& size) const;

 private:
  void onPaint(wxPaintEvent& event);
  void onSize(wxSizeEvent& event);
  void show(int which);

  wxImage first_;
  wxImage second_;
  int shown_ = 0;
  // The shown picture scaled to the last painted size.
  mutable wxBitmap scaled_;
  mutable wxSize scaledSize_;
  mutable int scaledShown_ = 0;
};

}  // namespace vestora
