// What core code may ask of the user. The window system fills this interface
// with real message boxes and file dialogs; tests script the answers.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace vestora {

enum class MessageIcon { None, Information, Warning, Error, Question };

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

// A file dialog request. `filter` uses the "description|pattern|…||" form,
// e.g. "C3D files (*.c3d)|*.c3d||"; `defaultExtension` is appended to a typed
// name that has none (".c3d").
struct FileRequest {
  bool save = false;
  std::string filter;
  std::string defaultExtension;
  std::string initialName;
  std::string initialFolder;
};

class UserDialogs {
 public:
  virtual ~UserDialogs() = default;
  virtual void showMessage(const std::string& text, const std::string& caption,
                           MessageIcon icon) = 0;
  // A Yes/No question with the question icon; true for Yes.
  virtual bool askYesNo(const std::string& text, const std::string& caption) = 0;
  // The chosen path, or nothing when the user cancels.
  virtual std::optional<std::string> chooseFile(const FileRequest& request) = 0;
  // The chosen colour, or nothing when the user cancels.
  virtual std::optional<Rgb> chooseColour(Rgb initial) = 0;
};

// Answers from a script and a record of everything asked, for tests and for
// running core code without a window. An empty script answers No / cancel.
class ScriptedDialogs : public UserDialogs {
 public:
  struct Exchange {
    enum class Kind { Message, Question, File, Colour } kind;
    std::string text;     // message or question text, or the file filter
    std::string caption;  // caption, or the default extension
    MessageIcon icon = MessageIcon::None;
  };

  void answerYesNo(bool yes) { yesNo_.push_back(yes); }
  void answerFile(std::optional<std::string> path) { files_.push_back(std::move(path)); }
  void answerColour(std::optional<Rgb> colour) { colours_.push_back(colour); }

  void showMessage(const std::string& text, const std::string& caption,
                   MessageIcon icon) override;
  bool askYesNo(const std::string& text, const std::string& caption) override;
  std::optional<std::string> chooseFile(const FileRequest& request) override;
  std::optional<Rgb> chooseColour(Rgb initial) override;

  const std::vector<Exchange>& transcript() const { return transcript_; }
  // The texts of the messages shown, in order.
  std::vector<std::string> messages() const;

 private:
  std::deque<bool> yesNo_;
  std::deque<std::optional<std::string>> files_;
  std::deque<std::optional<Rgb>> colours_;
  std::vector<Exchange> transcript_;
};

}  // namespace vestora
