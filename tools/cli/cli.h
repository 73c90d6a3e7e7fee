// vestora-cli: the command-line tool for people who author content, and the
// project's scripting entry point. Results go to `out` (JSON with --json),
// diagnostics to `err`.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace vestora::cli {

// Exit statuses.
inline constexpr int kOk = 0;
inline constexpr int kBadInput = 1;  // a file is missing or wrong
inline constexpr int kUsage = 2;     // the command line is wrong

// `args` excludes the program name.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vestora::cli
