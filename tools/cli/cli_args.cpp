#include "cli/cli_args.h"

namespace vestora::cli {

Args::Args(const std::vector<std::string>& words, const std::set<std::string>& flags,
           const std::set<std::string>& options) {
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (w.size() > 2 && w.compare(0, 2, "--") == 0) {
      const auto eq = w.find('=');
      const std::string name = w.substr(0, eq);
      if (flags.count(name) && eq == std::string::npos) {
        flags_.insert(name);
      } else if (options.count(name)) {
        if (eq != std::string::npos) {
          values_[name] = w.substr(eq + 1);
        } else if (i + 1 < words.size()) {
          values_[name] = words[++i];
        } else if (error_.empty()) {
          error_ = "option " + name + " needs a value";
        }
      } else if (error_.empty()) {
        error_ = "unknown option " + name;
      }
    } else {
      positional_.push_back(w);
    }
  }
}

std::optional<std::string> Args::value(const std::string& option) const {
  auto it = values_.find(option);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

}  // namespace vestora::cli
