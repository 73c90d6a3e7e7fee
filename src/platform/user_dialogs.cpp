#include "platform/user_dialogs.h"

namespace vestora {

void ScriptedDialogs::showMessage(const std::string& text, const std::string& caption,
                                  MessageIcon icon) {
  transcript_.push_back({Exchange::Kind::Message, text, caption, icon});
}

bool ScriptedDialogs::askYesNo(const std::string& text, const std::string& caption) {
  transcript_.push_back({Exchange::Kind::Question, text, caption, MessageIcon::Question});
  if (yesNo_.empty()) return false;
  const bool yes = yesNo_.front();
  yesNo_.pop_front();
  return yes;
}

std::optional<std::string> ScriptedDialogs::chooseFile(const FileRequest& request) {
  transcript_.push_back(
      {Exchange::Kind::File, request.filter, request.defaultExtension, MessageIcon::None});
  if (files_.empty()) return std::nullopt;
  auto path = files_.front();
  files_.pop_front();
  return path;
}

std::optional<Rgb> ScriptedDialogs::chooseColour(Rgb) {
  transcript_.push_back({Exchange::Kind::Colour, {}, {}, MessageIcon::None});
  if (colours_.empty()) return std::nullopt;
  auto colour = colours_.front();
  colours_.pop_front();
  return colour;
}

std::vector<std::string> ScriptedDialogs::messages() const {
  std::vector<std::string> out;
  for (const auto& e : transcript_)
    if (e.kind == Exchange::Kind::Message) out.push_back(e.text);
  return out;
}

}  // namespace vestora
