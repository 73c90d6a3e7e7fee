#include "ui/wx_user_dialogs.h"

#include <filesystem>
#include <vector>

#include <wx/colordlg.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>

namespace vestora {
namespace {

wxString fromUtf8(const std::string& text) {
  return wxString::FromUTF8(text);
}

bool exists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

}  // namespace

wxString ToWxWildcard(std::string_view filter) {
  std::vector<std::string> fields;
  std::string field;
  for (const char c : filter) {
    if (c == '|') {
      fields.push_back(field);
      field.clear();
    } else {
      field += c;
    }
  }
  fields.push_back(field);
  while (!fields.empty() && fields.back().empty()) fields.pop_back();
  if (fields.size() % 2 != 0) fields.pop_back();  // a description without a pattern
  if (fields.empty()) return "All files (*)|*";

  wxString wildcard;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    std::string text = fields[i];
    // "*.*" means every file on the system this format comes from; here a
    // name need not have a dot.
    if (i % 2 == 1 && text == "*.*") text = "*";
    if (i > 0) wildcard += '|';
    wildcard += fromUtf8(text);
  }
  return wildcard;
}

std::string WithDefaultExtension(const std::string& path, std::string_view extension) {
  if (extension.empty() || extension == ".") return path;
  const std::size_t slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty() || name.find('.', 1) != std::string::npos) return path;
  std::string result = path;
  if (extension.front() != '.') result += '.';
  result += extension;
  return result;
}

long MessageIconStyle(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::None:
      return wxICON_NONE;
    case MessageIcon::Information:
      return wxICON_INFORMATION;
    case MessageIcon::Warning:
      return wxICON_WARNING;
    case MessageIcon::Error:
      return wxICON_ERROR;
    case MessageIcon::Question:
      return wxICON_QUESTION;
  }
  return wxICON_NONE;
}

void WxUserDialogs::showMessage(const std::string& text, const std::string& caption,
                                MessageIcon icon) {
  wxMessageBox(fromUtf8(text), fromUtf8(caption), wxOK | MessageIconStyle(icon), parent_);
}

bool WxUserDialogs::askYesNo(const std::string& text, const std::string& caption) {
  return wxMessageBox(fromUtf8(text), fromUtf8(caption), wxYES_NO | wxICON_QUESTION, parent_) ==
         wxYES;
}

std::optional<std::string> WxUserDialogs::chooseFile(const FileRequest& request) {
  const long style =
      request.save ? (wxFD_SAVE | wxFD_OVERWRITE_PROMPT) : (wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  const wxString title = wxString::FromUTF8(request.save ? "另存为" : "打开");
  wxString name = fromUtf8(request.initialName);
  while (true) {
    wxFileDialog dialog(parent_, title, fromUtf8(request.initialFolder), name,
                        ToWxWildcard(request.filter), style);
    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    const std::string typed = dialog.GetPath().utf8_string();
    const std::string completed = WithDefaultExtension(typed, request.defaultExtension);
    if (!request.save) {
      // An opened name without its extension means the file with it.
      return (!exists(typed) && exists(completed)) ? completed : typed;
    }
    if (completed == typed || !exists(completed)) return completed;
    // The dialog asked about the typed name; the file that would be
    // overwritten is the completed one.
    const wxString question =
        wxString::Format(wxString::FromUTF8("%s 已存在。\n要替换它吗？"), fromUtf8(completed));
    if (wxMessageBox(question, title, wxYES_NO | wxICON_WARNING, parent_) == wxYES) {
      return completed;
    }
    name = fromUtf8(std::filesystem::path(completed).filename().string());
  }
}

std::optional<Rgb> WxUserDialogs::chooseColour(Rgb initial) {
  wxColourData data;
  data.SetChooseFull(true);
  data.SetColour(wxColour(initial.r, initial.g, initial.b));
  wxColourDialog dialog(parent_, &data);
  if (dialog.ShowModal() != wxID_OK) return std::nullopt;
  const wxColour chosen = dialog.GetColourData().GetColour();
  return Rgb{chosen.Red(), chosen.Green(), chosen.Blue()};
}

}  // namespace vestora
