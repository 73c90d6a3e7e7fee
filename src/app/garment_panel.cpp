#include "app/garment_panel.h"

#include <algorithm>

#include <wx/checkbox.h>
#include <wx/dcbuffer.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "app/detail_pictures_dialog.h"
#include "app/gl_view_window.h"
#include "app/main_window.h"
#include "avatar/avatar_table.h"
#include "cloth/fit_report.h"
#include "cloth/try_on.h"
#include "platform/data_path.h"
#include "ui/panel_button_art.h"
#include "ui/resource_bitmaps.h"
#include "ui/skin_button.h"
#include "view/image_codecs.h"

namespace vestora::app {

namespace {

constexpr int kCellWidth = kWardrobeThumbWidth + 14, kCellHeight = kWardrobeThumbHeight + 30;
constexpr int kHeadingHeight = 28, kMargin = 10, kDragThreshold = 5;

// What the list shows under a thumbnail: the name without its extensions,
// the bodies by what they are.
wxString captionFor(const std::string& path) {
  static const std::pair<const char*, const char*> kBodies[] = {{"Female.bmp", "女士"},
                                                                {"Pose1.bmp", "挎包姿态"},
                                                                {"Walk.bmp", "行走姿态"},
                                                                {"Stand.bmp", "站立姿态"},
                                                                {"Girl.bmp", "女孩"},
                                                                {"Male.bmp", "男士"},
                                                                {"James.bmp", "詹姆斯"},
                                                                {"James1a.bmp", "詹姆斯 · 站"},
                                                                {"JamesRun.bmp", "詹姆斯 · 跑"},
                                                                {"JamesTalk.bmp", "詹姆斯 · 谈"},
                                                                {"James3.bmp", "詹姆斯 · 坐"}};
  // The accessories the program comes with, by what they are.
  static const std::pair<const char*, const char*> kAccessories[] = {
      {"blackframe.gls.bmp", "黑框眼镜"}, {"Glasses.gls.bmp", "圆框眼镜"},
      {"nvnecklace.jpg.bmp", "项链"},     {"nvshoe1.jpg.bmp", "平底鞋"},
      {"nvshoe2.tga.bmp", "凉鞋"},        {"nvshoe3.jpg.bmp", "帆布鞋"},
      {"nvsock.jpg.bmp", "短袜"},         {"GirlShoe.jpg.bmp", "女童鞋"},
      {"ManShoe.jpg.bmp", "男鞋"},        {"Bag.jpg.bmp", "手提包"}};
  const std::string file(fileNameOf(path));
  for (const auto& [thumbnail, caption] : kBodies)
    if (sameLetters(file, thumbnail)) return wxString::FromUTF8(caption);
  for (const auto& [thumbnail, caption] : kAccessories)
    if (sameLetters(file, thumbnail)) return wxString::FromUTF8(caption);
  std::string name = file;
  for (int i = 0; i < 2; ++i) {
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) break;
    const std::string_view ext = extensionOf(name);
    if (i == 1 && !sameLetters(ext, "pop") && !sameLetters(ext, "msh") &&
        !sameLetters(ext, "hir") && !sameLetters(ext, "gls") && !sameLetters(ext, "jpg") &&
        !sameLetters(ext, "tga"))
      break;
    name.erase(dot);
  }
  return wxString::FromUTF8(name);
}

}  // namespace

RgbPicture decodePicture(const std::string& path) {
  if (hasExtension(fileNameOf(path), "jpg")) {
    // The view's own JPEG reader: bounded and silent on a broken file.
    auto jpeg = LoadJpeg(path);
    if (!jpeg || (jpeg.value().components != 3 && jpeg.value().components != 1)) return {};
    const Image& image = jpeg.value();
    RgbPicture p;
    p.width = image.width;
    p.height = image.height;
    p.rgb.reserve(std::size_t(p.width) * p.height * 3);
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x) {
        const std::uint8_t* q = image.pixel(x, y);
        for (int c = 0; c < 3; ++c) p.rgb.push_back(q[image.components == 3 ? c : 0]);
      }
    return p;
  }
  wxLogNull quiet;  // a broken picture is left out of the list, not reported
  wxImage image;
  if (!image.LoadFile(wxString::FromUTF8(path)) || !image.IsOk()) return {};
  RgbPicture p;
  p.width = image.GetWidth();
  p.height = image.GetHeight();
  const unsigned char* data = image.GetData();
  p.rgb.assign(data, data + std::size_t(p.width) * p.height * 3);
  if (image.HasAlpha()) {
    // Transparent pixels on the thumbnail's white.
    const unsigned char* alpha = image.GetAlpha();
    for (std::size_t i = 0; i < std::size_t(p.width) * p.height; ++i)
      for (int c = 0; c < 3; ++c)
        p.rgb[i * 3 + c] =
            std::uint8_t((p.rgb[i * 3 + c] * alpha[i] + 255 * (255 - alpha[i])) / 255);
  }
  return p;
}

wxBitmap bitmapOf(const RgbPicture& p) {
  wxImage image(p.width, p.height);
  std::copy(p.rgb.begin(), p.rgb.end(), image.GetData());
  return wxBitmap(image);
}

// ---- the list ----------------------------------------------------------------

WardrobeList::WardrobeList(wxWindow* parent)
    : wxScrolledWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                       wxBORDER_NONE | wxVSCROLL | wxWANTS_CHARS) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  SetBackgroundColour(palette::kPanel);
  SetScrollRate(0, 16);
  Bind(wxEVT_PAINT, &WardrobeList::onPaint, this);
  Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    layoutCells();
    Refresh();
    event.Skip();
  });
  for (auto type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_LEFT_DCLICK, wxEVT_MOTION, wxEVT_RIGHT_UP,
                    wxEVT_LEAVE_WINDOW})
    Bind(type, &WardrobeList::onMouse, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { endDrag(false, {}); });
}

void WardrobeList::SetSections(std::vector<Section> sections) {
  endDrag(false, {});
  sections_ = std::move(sections);
  hover_ = pressed_ = nullptr;
  layoutCells();
  Scroll(0, 0);
  Refresh();
}

void WardrobeList::layoutCells() {
  cells_.clear();
  headings_.clear();
  const int width = std::max(GetClientSize().x, kCellWidth + 2 * kMargin);
  const int columns = std::max(1, (width - 2 * kMargin) / kCellWidth);
  const int left = (width - columns * kCellWidth) / 2;
  int y = kMargin;
  for (const Section& s : sections_) {
    if (!s.title.empty()) {
      headings_.emplace_back(y, s.title);
      y += kHeadingHeight;
    }
    for (std::size_t i = 0; i < s.items.size(); ++i) {
      const int column = int(i) % columns;
      if (i > 0 && column == 0) y += kCellHeight;
      cells_.push_back(
          {wxRect(left + column * kCellWidth, y, kCellWidth, kCellHeight), &s.items[i]});
    }
    if (!s.items.empty()) y += kCellHeight + kMargin;
  }
  SetVirtualSize(width, y + kMargin);
}

const WardrobeList::Item* WardrobeList::itemAt(const wxPoint& client) const {
  const wxPoint p = CalcUnscrolledPosition(client);
  for (const Cell& c : cells_)
    if (c.rect.Contains(p)) return c.item;
  return nullptr;
}

wxRect WardrobeList::itemRect(const std::string& path) const {
  for (const Cell& c : cells_)
    if (c.item->path == path) {
      wxRect r = c.rect;
      r.SetPosition(CalcScrolledPosition(r.GetPosition()));
      return r;
    }
  return {};
}

void WardrobeList::onPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  DoPrepareDC(dc);
  dc.SetBackground(wxBrush(palette::kPanel));
  dc.Clear();
  dc.SetFont(PanelFont(12, true));
  dc.SetTextForeground(palette::kInk);
  const int width = GetVirtualSize().x;
  for (const auto& [y, title] : headings_) {
    dc.DrawText(title, kMargin + 2, y + 4);
    dc.SetPen(wxPen(palette::kHairline));
    dc.DrawLine(kMargin, y + kHeadingHeight - 4, width - kMargin, y + kHeadingHeight - 4);
  }
  dc.SetFont(PanelFont(12));
  if (cells_.empty()) {
    dc.SetTextForeground(palette::kDisabled);
    dc.DrawText(wxString::FromUTF8("这里还没有可用的条目。"), kMargin + 2, kMargin + 4);
    return;
  }
  for (const Cell& c : cells_) {
    const wxRect card(c.rect.x + 4, c.rect.y + 2, c.rect.width - 8, c.rect.height - 4);
    const bool hot = c.item == hover_;
    dc.SetPen(wxPen(hot ? palette::kAccent : palette::kHairline, hot ? 2 : 1));
    dc.SetBrush(*wxWHITE_BRUSH);
    dc.DrawRoundedRectangle(card, 5);
    const int x = c.rect.x + (c.rect.width - kWardrobeThumbWidth) / 2;
    if (c.item->bitmap.IsOk()) dc.DrawBitmap(c.item->bitmap, x, c.rect.y + 5);
    dc.SetTextForeground(hot ? palette::kAccent : palette::kInk);
    wxString caption = c.item->caption;
    while (caption.length() > 1 && dc.GetTextExtent(caption).x > card.width - 6)
      caption = caption.Left(caption.length() - 2) + wxString::FromUTF8("…");
    const wxSize extent = dc.GetTextExtent(caption);
    dc.DrawText(caption, c.rect.x + (c.rect.width - extent.x) / 2,
                c.rect.y + 5 + kWardrobeThumbHeight + 4);
  }
}

void WardrobeList::onMouse(wxMouseEvent& event) {
  const wxPoint at = event.GetPosition();
  const wxPoint screen = ClientToScreen(at);
  if (event.GetEventType() == wxEVT_LEAVE_WINDOW) {
    if (!dragging_ && hover_) {
      hover_ = nullptr;
      Refresh();
    }
    return;
  }
  if (event.LeftDown()) {
    pressed_ = itemAt(at);
    pressAt_ = at;
    SetFocus();
    return;
  }
  if (event.LeftDClick()) {
    // The first click of the pair has put it on already.
    return;
  }
  if (event.Dragging() && pressed_) {
    if (!dragging_ && (std::abs(at.x - pressAt_.x) > kDragThreshold ||
                       std::abs(at.y - pressAt_.y) > kDragThreshold)) {
      dragging_ = true;
      if (!HasCapture()) CaptureMouse();
      dragPicture_ = new wxPopupWindow(this);
      dragPicture_->SetSize(pressed_->bitmap.IsOk()
                                ? pressed_->bitmap.GetSize()
                                : wxSize(kWardrobeThumbWidth, kWardrobeThumbHeight));
      new wxStaticBitmap(dragPicture_, wxID_ANY, pressed_->bitmap);
    }
    if (dragging_) {
      dragPicture_->Position(screen + wxPoint(12, 12), wxSize(0, 0));
      if (!dragPicture_->IsShown()) dragPicture_->Show();
      if (onDragMove) onDragMove(pressed_->path, screen);
    }
    return;
  }
  if (event.LeftUp()) {
    if (dragging_) {
      endDrag(true, screen);
      return;
    }
    const Item* released = itemAt(at);
    if (released && released == pressed_ && onActivate) {
      const std::string path = released->path;
      pressed_ = nullptr;
      onActivate(path);
      return;
    }
    pressed_ = nullptr;
    return;
  }
  if (event.RightUp()) {
    if (const Item* item = itemAt(at); item && onContext) onContext(item->path, at);
    return;
  }
  if (event.Moving()) {
    const Item* item = itemAt(at);
    if (item != hover_) {
      hover_ = item;
      SetCursor(item ? wxCursor(wxCURSOR_HAND) : wxNullCursor);
      Refresh();
    }
  }
}

void WardrobeList::endDrag(bool drop, const wxPoint& screen) {
  const bool was = dragging_;
  dragging_ = false;
  if (HasCapture()) ReleaseMouse();
  if (dragPicture_) {
    dragPicture_->Destroy();
    dragPicture_ = nullptr;
  }
  SetCursor(wxNullCursor);
  const Item* item = pressed_;
  pressed_ = nullptr;
  if (was && drop && item && onDrop) {
    const std::string path = item->path;
    onDrop(path, screen);
  }
}

// ---- the panel -----------------------------------------------------------------

CGarmentPanelDlg::CGarmentPanelDlg(wxWindow* parent)
    : SkinPanel(parent, kResourceId), cache_(std::make_unique<ThumbnailCache>(decodePicture)) {
  for (int i = 0; i < 4; ++i) {
    auto* tab = new SkinButton(this, kTabIds[i]);
    ApplyPanelButtonFaces(tab, wxString::FromUTF8(kWardrobeCategories[std::size_t(i)].caption),
                          wxSize(80, 30));
    tab->Bind(wxEVT_BUTTON, [this, i](wxCommandEvent&) {
      ShowCategory(kWardrobeCategories[std::size_t(i)].tab);
    });
    tabs_[i] = tab;
  }
  for (int i = 0; i < 3; ++i) {
    actions_[i] = new SkinButton(this, kActionIds[i]);
    actions_[i]->Bind(wxEVT_BUTTON, [this, i](wxCommandEvent&) { ActionButton(i); });
  }
  fitMap_ = new wxCheckBox(this, wxID_ANY, wxString::FromUTF8("合身图"));
  fitMap_->SetToolTip(
      wxString::FromUTF8("按面料的拉伸给所穿的服装着色：蓝色宽松，浅色合适，橙红色紧绷。"));
  fitMap_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) {
    if (!view_) return;
    view_->view().fitMapShown = fitMap_->GetValue();
    view_->requestRedraw();
  });
  fitLine_ = new wxStaticText(this, wxID_ANY, wxEmptyString);
  fitLine_->SetForegroundColour(palette::kInk);
  fitLine_->SetToolTip(wxString::FromUTF8(
      "松量：服装在胸围、腰围、臀围处的围度减去身体的围度。\n拉伸：面料比裁剪时拉长了多少。"));
  fitTimer_.SetOwner(this);
  Bind(
      wxEVT_TIMER, [this](wxTimerEvent&) { UpdateFit(); }, fitTimer_.GetId());
  list_ = new WardrobeList(this);
  list_->onActivate = [this](const std::string& path) { ActivateEntry(path); };
  list_->onContext = [this](const std::string& path, const wxPoint& at) { onContext(path, at); };
  list_->onDragMove = [this](const std::string& path, const wxPoint& at) { onDragMove(path, at); };
  list_->onDrop = [this](const std::string& path, const wxPoint& at) { onDrop(path, at); };
  Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    layoutChildren();
    event.Skip();
  });
}

CGarmentPanelDlg::~CGarmentPanelDlg() = default;

void CGarmentPanelDlg::AttachView(CGLViewDlg* view) {
  view_ = view;
  if (view_) view_->view().onGarmentRefitted = [this] { ScheduleFitUpdate(); };
  ShowCategory(tab_);
  UpdateFit();
}

void CGarmentPanelDlg::ScheduleFitUpdate() {
  // A slider drag refits many times a second: measure once it rests.
  fitTimer_.StartOnce(250);
}

void CGarmentPanelDlg::UpdateFit() {
  if (!view_) return;
  GlView& view = view_->view();
  const GarmentMesh& garment = view.tryOn().garment();
  const bool worn = !garment.particles.empty() && view.tryOn().display() == GarmentDisplay::Garment;
  fitLine_->SetLabel(worn ? wxString::FromUTF8(fitSummaryText(fitReport(view.avatar(), garment)))
                          : wxString::FromUTF8("穿上服装后，这里显示它的松量和拉伸。"));
  layoutChildren();
}

wxString CGarmentPanelDlg::fitLine() const {
  return fitLine_->GetLabel();
}

std::string CGarmentPanelDlg::root() const {
  return view_ ? view_->view().root() : std::string();
}

WardrobeList::Item CGarmentPanelDlg::itemFor(const std::string& path) {
  WardrobeList::Item item;
  item.path = path;
  item.caption = captionFor(path);
  if (auto thumbnail = cache_->get(path)) item.bitmap = bitmapOf(*thumbnail);
  return item;
}

void CGarmentPanelDlg::ShowCategory(WardrobeTab tab) {
  tab_ = tab;
  const WardrobeCategory& category = wardrobeCategory(tab);
  for (int i = 0; i < 4; ++i)
    tabs_[i]->SetSelectedMark(kWardrobeCategories[std::size_t(i)].tab == tab);
  for (int i = 0; i < 3; ++i) {
    const WardrobeAction action = category.actions[std::size_t(i)];
    actions_[i]->Show(action != WardrobeAction::None);
    if (action != WardrobeAction::None)
      ApplyPanelButtonFaces(actions_[i], wxString::FromUTF8(actionCaption(action)), wxSize(96, 28));
  }
  layoutChildren();
  RefreshList();
}

void CGarmentPanelDlg::RefreshList() {
  if (!view_) return;
  const WardrobeCategory& category = wardrobeCategory(tab_);
  std::vector<WardrobeList::Section> sections;
  WardrobeList::Section main;
  if (category.jpegFolder) main.title = wxString::FromUTF8("服装");
  std::vector<std::string> entries = listEntries(dataPath(root(), category.folder), "bmp");
  if (tab_ == WardrobeTab::Models) {
    // The bodies in the avatar table's order (the woman and her poses
    // first), anything else after them.
    auto rank = [](const std::string& path) {
      const AvatarEntry* entry = avatarEntryFor(path);
      return entry ? std::size_t(entry - kAvatarTable.data()) : kAvatarTable.size();
    };
    std::stable_sort(entries.begin(), entries.end(),
                     [&](const std::string& a, const std::string& b) { return rank(a) < rank(b); });
  }
  for (const std::string& path : entries) {
    WardrobeList::Item item = itemFor(path);
    if (item.bitmap.IsOk()) main.items.push_back(std::move(item));
  }
  sections.push_back(std::move(main));
  if (category.jpegFolder) {
    WardrobeList::Section fabrics;
    fabrics.title = wxString::FromUTF8("面料（点击换到所穿的服装上）");
    for (const std::string& path : listEntries(dataPath(root(), category.jpegFolder), "jpg")) {
      WardrobeList::Item item = itemFor(path);
      if (item.bitmap.IsOk()) fabrics.items.push_back(std::move(item));
    }
    sections.push_back(std::move(fabrics));
  }
  list_->SetSections(std::move(sections));
}

bool CGarmentPanelDlg::ActivateEntry(const std::string& path) {
  if (!view_) return false;
  const bool done = view_->view().ActivateEntry(path).ok();
  view_->requestRedraw();
  ScheduleFitUpdate();
  return done;
}

void CGarmentPanelDlg::ActionButton(int index) {
  if (!view_ || index < 0 || index > 2) return;
  GlView& view = view_->view();
  UserDialogs& dialogs = view_->dialogs();
  switch (wardrobeCategory(tab_).actions[std::size_t(index)]) {
    case WardrobeAction::OpenModel: {
      FileRequest request;
      request.filter = "C3D files (*.c3d)|*.c3d;*.C3D||";
      request.defaultExtension = "c3d";
      request.initialFolder = dataPath(root(), "\\model");
      if (auto file = dialogs.chooseFile(request)) {
        if (auto loaded = view.avatar().loadAvatar(*file); !loaded) {
          dialogs.showMessage("无法打开这个人体模型：" + loaded.error().message(), "",
                              MessageIcon::Warning);
        } else {
          view.afterBodyLoaded();
          view.tryOn().takeOff();
          view.accessories().reseat();
        }
      }
      break;
    }
    case WardrobeAction::SaveModel: {
      FileRequest request;
      request.save = true;
      request.filter = "C3D files (*.c3d)|*.c3d;*.C3D||";
      request.defaultExtension = "c3d";
      request.initialName = "我的模型.c3d";
      if (auto file = dialogs.chooseFile(request)) {
        if (Result<void> written = view.avatar().saveAvatar(*file); !written)
          dialogs.showMessage("人体模型未能保存：" + written.error().message(), "",
                              MessageIcon::Warning);
      }
      break;
    }
    case WardrobeAction::ShowModel:
      view.bodyShown = !view.bodyShown;
      break;
    case WardrobeAction::DeleteGarment:
      if (!view.tryOn().layers().empty() && !dialogs.askYesNo(kDeleteLayerQuestion, "")) {
        view.tryOn().takeOff();
      } else if (!view.tryOn().layers().empty()) {
        view.tryOn().removeWorn();
      } else {
        view.tryOn().takeOff();
      }
      break;
    case WardrobeAction::RemoveHair:
      view.accessories().removeHair();
      break;
    case WardrobeAction::TakeOffShoes:
      view.accessories().removeShoes();
      view.accessories().removeSock();
      break;
    case WardrobeAction::TakeOffGlasses:
      view.accessories().removeWornItem();
      break;
    case WardrobeAction::TakeOffBag:
      view.accessories().removeBag();
      break;
    case WardrobeAction::None:
      break;
  }
  view_->requestRedraw();
  ScheduleFitUpdate();
}

void CGarmentPanelDlg::DeleteEntry(const std::string& path) {
  if (!view_) return;
  UserDialogs& dialogs = view_->dialogs();
  const GarmentDeletion plan = planGarmentDeletion(root(), path);
  if (!plan.garment) {
    dialogs.showMessage(kNotAGarmentMessage, "", MessageIcon::Information);
    return;
  }
  if (!dialogs.askYesNo(kDeleteGarmentQuestion, "")) return;
  if (plan.twoDGroup) dialogs.showMessage(kDelete2DGroupMessage, "", MessageIcon::Information);
  if (auto deleted = deleteGarmentFiles(plan); !deleted)
    dialogs.showMessage(std::string(kGarmentFileLeftMessage) + deleted.error().message(), "",
                        MessageIcon::Warning);
  cache_->forget(path);
  RefreshList();
}

void CGarmentPanelDlg::onContext(const std::string& path, const wxPoint& at) {
  wxMenu menu;
  menu.Append(kMenuDelete, wxString::FromUTF8("删除"));
  menu.Enable(kMenuDelete, planGarmentDeletion(root(), path).garment);
  menu.Append(kMenuCharity, wxString::FromUTF8("赈灾义卖"));
  menu.AppendSeparator();
  menu.Append(kMenuStore, wxString::FromUTF8("服装下载"));
  const int chosen = list_->GetPopupMenuSelectionFromUser(menu, at);
  if (chosen == kMenuDelete) {
    DeleteEntry(path);
  } else if (chosen == kMenuCharity) {
    if (view_) view_->dialogs().showMessage(kCharityMessage, "", MessageIcon::Information);
    list_->Refresh();
  } else if (chosen == kMenuStore) {
    if (mainDialog()) mainDialog()->ShowStore();
  }
}

void CGarmentPanelDlg::onDragMove(const std::string&, const wxPoint& screen) {
  if (!view_) return;
  const wxPoint at = view_->ScreenToClient(screen);
  const bool over = wxRect(view_->GetClientSize()).Contains(at);
  list_->SetCursor(over ? wxCursor(wxCURSOR_HAND) : wxCursor(wxCURSOR_ARROW));
}

void CGarmentPanelDlg::onDrop(const std::string& path, const wxPoint& screen) {
  if (!view_) return;
  const wxPoint at = view_->ScreenToClient(screen);
  if (!wxRect(view_->GetClientSize()).Contains(at)) return;
  view_->view().SetPickPointA(at.x, at.y);
  ActivateEntry(path);
}

void CGarmentPanelDlg::ApplyRect() {
  SkinPanel::ApplyRect();
  layoutChildren();
}

void CGarmentPanelDlg::layoutChildren() {
  const wxSize size = GetClientSize();
  const int tabWidth = 80, gap = 4;
  const int tabsWidth = 4 * tabWidth + 3 * gap;
  const int left = std::max(4, (size.x - tabsWidth) / 2);
  for (int i = 0; i < 4; ++i) tabs_[i]->SetSize(left + i * (tabWidth + gap), 8, tabWidth, 30);
  int shown = 0;
  for (SkinButton* a : actions_) shown += a->IsShown();
  const int rowY = size.y - 38;
  const int rowWidth = shown * 96 + std::max(0, shown - 1) * 8;
  int x = std::max(4, (size.x - rowWidth) / 2);
  for (SkinButton* a : actions_)
    if (a->IsShown()) {
      a->SetSize(x, rowY, 96, 28);
      x += 104;
    }
  // The fit line over the buttons, on the garment tab only.
  const bool fit = tab_ == WardrobeTab::Garments;
  fitMap_->Show(fit);
  fitLine_->Show(fit);
  int listBottom = rowY - 8;
  if (fit) {
    const int lineHeight = fitLine_->GetBestSize().y;
    const int fitTop = rowY - 10 - std::max(lineHeight, 24);
    const int boxWidth = fitMap_->GetBestSize().x;
    fitMap_->SetSize(10, fitTop + (std::max(lineHeight, 24) - 24) / 2, boxWidth, 24);
    fitLine_->SetSize(10 + boxWidth + 12, fitTop, std::max(size.x - boxWidth - 32, 0), lineHeight);
    listBottom = fitTop - 6;
  }
  list_->SetSize(1, 46, std::max(size.x - 2, 0), std::max(listBottom - 46, 0));
}

void CGarmentPanelDlg::ShowDetailPictures() {
  if (!view_) return;
  const std::string& garment = view_->view().lastGarmentEntry;
  if (!details_) details_ = new CDetailPicturesDlg(wxGetTopLevelParent(this));
  details_->ShowPictures(vestora::detailPictures(root(), garment),
                         garment.empty() ? wxString() : captionFor(garment));
}

}  // namespace vestora::app
