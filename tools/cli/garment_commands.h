// vestora-cli fit: the try-on from the command line.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "cli/cli_args.h"
#include "cloth/try_on.h"
#include "platform/user_dialogs.h"

namespace vestora::cli {

// Answers the try-on's questions from the command line (re-drape and quick
// sew as given, every other question No) and passes its messages on to the
// error stream.
class CommandLineAnswers : public UserDialogs {
 public:
  CommandLineAnswers(bool redrape, bool quickSew, std::ostream& err)
      : redrape_(redrape), quickSew_(quickSew), err_(err) {}
  void showMessage(const std::string& text, const std::string&, MessageIcon) override {
    err_ << "vestora-cli: " << text << '\n';
  }
  bool askYesNo(const std::string& text, const std::string&) override {
    if (text == kRedrapeQuestion) return redrape_;
    if (text == kQuickSewQuestion) return quickSew_;
    return false;
  }
  std::optional<std::string> chooseFile(const FileRequest&) override { return std::nullopt; }
  std::optional<Rgb> chooseColour(Rgb) override { return std::nullopt; }

 private:
  bool redrape_, quickSew_;
  std::ostream& err_;
};

// Whether a garment argument names a .pop or a .msh file (says so when not).
bool isGarmentFile(const std::string& arg, std::ostream& err);
// Puts the garment of --garment (a data path below `root` or a file) on
// with the try-on's command for its kind. False when it could not (the
// try-on has said why).
bool putOnGarment(TryOn& tryOn, const std::string& root, const std::string& arg);

int runFit(const Args& args, std::ostream& out, std::ostream& err);
int runDrape(const Args& args, std::ostream& out, std::ostream& err);

extern const char* const kFitHelp;
extern const char* const kDrapeHelp;

}  // namespace vestora::cli
