// The window system's answer to vestora::UserDialogs: message boxes, Yes/No
// questions, file and colour dialogs. Every call is modal and must be made on
// the UI thread (worker threads marshal to it first, e.g. with CallAfter).
#pragma once

#include <string>
#include <string_view>

#include <wx/string.h>

#include "platform/user_dialogs.h"

class wxWindow;

namespace vestora {

class WxUserDialogs : public UserDialogs {
 public:
  // `parent` (may be null) owns the dialogs; it must outlive this object.
  explicit WxUserDialogs(wxWindow* parent = nullptr) : parent_(parent) {}

  void SetParent(wxWindow* parent) { parent_ = parent; }

  void showMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
  bool askYesNo(const std::string& text, const std::string& caption) override;
  std::optional<std::string> chooseFile(const FileRequest& request) override;
  std::optional<Rgb> chooseColour(Rgb initial) override;

 private:
  wxWindow* parent_;
};

// The wx wildcard for a "description|pattern|…||" filter: the trailing empty
// fields dropped ("C3D files (*.c3d)|*.c3d||" -> "C3D files (*.c3d)|*.c3d");
// "All files (*)|*" for an empty filter.
wxString ToWxWildcard(std::string_view filter);

// `path` with `extension` (".c3d" or "c3d") appended when its file name has
// no extension; unchanged otherwise or when `extension` is empty.
std::string WithDefaultExtension(const std::string& path, std::string_view extension);

// wxICON_* style for a message icon.
long MessageIconStyle(MessageIcon icon);

}  // namespace vestora
