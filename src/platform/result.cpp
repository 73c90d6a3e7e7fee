#include "platform/result.h"

namespace vestora {

std::string Error::message() const {
  std::string text = source;
  if (line > 0) text += ":" + std::to_string(line);
  if (!text.empty()) text += ": ";
  return text + what;
}

Error makeError(std::string source, std::string what, int line) {
  return Error{std::move(source), line, std::move(what)};
}

}  // namespace vestora
