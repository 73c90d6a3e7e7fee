// Command-line arguments: positional words and "--name [value]" options.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vestora::cli {

class Args {
 public:
  // `flags` take no value; `options` take one. Anything else starting with
  // "--" is an error, reported by error().
  Args(const std::vector<std::string>& words, const std::set<std::string>& flags,
       const std::set<std::string>& options);

  const std::vector<std::string>& positional() const { return positional_; }
  bool has(const std::string& flag) const { return flags_.count(flag) > 0; }
  std::optional<std::string> value(const std::string& option) const;
  const std::string& error() const { return error_; }

 private:
  std::vector<std::string> positional_;
  std::set<std::string> flags_;
  std::map<std::string, std::string> values_;
  std::string error_;
};

}  // namespace vestora::cli
