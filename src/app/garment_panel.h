// The garment panel (resource 253): the wardrobe. Four tabs (models,
// garments with their fabrics, hair, accessories) over a list of
// thumbnails; a click or a drop on the avatar puts the entry on, the right
// button offers deletion of a garment and the store, and up to three
// buttons act on what is worn.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <wx/popupwin.h>
#include <wx/scrolwin.h>
#include <wx/timer.h>

#include "app/panels.h"
#include "app/wardrobe.h"

class wxCheckBox;
class wxStaticText;

namespace vestora::app {

class CGLViewDlg;
class CDetailPicturesDlg;

// A wardrobe picture (JPEG by the view's own reader, BMP and the rest by
// the toolkit; transparency laid on white); empty when it cannot be read.
RgbPicture decodePicture(const std::string& path);
wxBitmap bitmapOf(const RgbPicture& picture);

// The thumbnails of one category, in a scrolled grid with captions.
class WardrobeList : public wxScrolledWindow {
 public:
  struct Item {
    std::string path;  // the entry's picture
    wxString caption;
    wxBitmap bitmap;  // the 86 × 109 thumbnail
  };
  struct Section {
    wxString title;  // empty: no heading
    std::vector<Item> items;
  };

  explicit WardrobeList(wxWindow* parent);

  void SetSections(std::vector<Section> sections);
  const std::vector<Section>& sections() const { return sections_; }
  // The item under a point of the client area (scrolled), or nullptr.
  const Item* itemAt(const wxPoint& client) const;
  // Where an item is drawn, in client coordinates.
  wxRect itemRect(const std::string& path) const;

  // A click without a drag; a drop of a dragged item at a screen point; the
  // right button on an item.
  std::function<void(const std::string& path)> onActivate;
  std::function<void(const std::string& path, const wxPoint& screen)> onDrop;
  std::function<void(const std::string& path, const wxPoint& screen)> onDragMove;
  std::function<void(const std::string& path, const wxPoint& client)> onContext;

 private:
  struct Cell {
    wxRect rect;  // unscrolled
    const Item* item;
  };
  void layoutCells();
  void onPaint(wxPaintEvent& event);
  void onMouse(wxMouseEvent& event);
  void endDrag(bool drop, const wxPoint& screen);

  std::vector<Section> sections_;
  std::vector<Cell> cells_;
  std::vector<std::pair<int, wxString>> headings_;  // y and title
  const Item* hover_ = nullptr;
  const Item* pressed_ = nullptr;
  wxPoint pressAt_;
  bool dragging_ = false;
  wxPopupWindow* dragPicture_ = nullptr;
};

class CGarmentPanelDlg : public SkinPanel {
 public:
  static constexpr int kResourceId = 253;
  static constexpr int kTabIds[4] = {1301, 1302, 1303, 1304};
  static constexpr int kActionIds[3] = {1311, 1312, 1313};
  static constexpr int kMenuDelete = 1321, kMenuCharity = 1322, kMenuStore = 1323;

  explicit CGarmentPanelDlg(wxWindow* parent);
  ~CGarmentPanelDlg() override;

  void AttachView(CGLViewDlg* view);

  // Lights the tab, sets the buttons and lists the tab's folder.
  void ShowCategory(WardrobeTab tab);
  WardrobeTab shownTab() const { return tab_; }
  // Lists the current tab again (the store calls it after an install).
  void RefreshList();
  // Puts an entry on (the view's dispatch); a failure has been shown.
  bool ActivateEntry(const std::string& path);
  // The tab's button `index` (0 … 2).
  void ActionButton(int index);
  // Asks and deletes an installed garment's entry and files.
  void DeleteEntry(const std::string& path);
  // The detail pictures of the garment last put on, in their window.
  void ShowDetailPictures();
  CDetailPicturesDlg* detailWindow() const { return details_; }

  WardrobeList* list() const { return list_; }
  SkinButton* tab(int index) const { return tabs_[index]; }
  SkinButton* action(int index) const { return actions_[index]; }
  const ThumbnailCache& thumbnails() const { return *cache_; }

  // The fit line and the fit map's switch (garment tab): measured again a
  // moment after the garment or the body last changed.
  void ScheduleFitUpdate();
  void UpdateFit();
  wxCheckBox* fitMapSwitch() const { return fitMap_; }
  wxString fitLine() const;

  void ApplyRect() override;

 private:
  void layoutChildren();
  void onContext(const std::string& path, const wxPoint& client);
  void onDragMove(const std::string& path, const wxPoint& screen);
  void onDrop(const std::string& path, const wxPoint& screen);
  std::string root() const;
  WardrobeList::Item itemFor(const std::string& path);

  CGLViewDlg* view_ = nullptr;
  WardrobeTab tab_ = WardrobeTab::Garments;
  SkinButton* tabs_[4] = {};
  SkinButton* actions_[3] = {};
  WardrobeList* list_ = nullptr;
  std::unique_ptr<ThumbnailCache> cache_;
  CDetailPicturesDlg* details_ = nullptr;
  wxCheckBox* fitMap_ = nullptr;
  wxStaticText* fitLine_ = nullptr;
  wxTimer fitTimer_;
};

}  // namespace vestora::app
