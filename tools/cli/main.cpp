#include <cstdlib>
#include <iostream>

#include "cli/cli.h"
#include "platform/log.h"

namespace {

// Developers' diagnostics are kept off the tool's output unless asked for.
class SilentSink : public vestora::LogSink {
 public:
  void write(std::string_view) override {}
};

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  SilentSink silent;
  if (!std::getenv("VESTORA_DEBUG")) vestora::setLogSink(&silent);
  const std::vector<std::string> args(argv + 1, argv + argc);
  try {
    return vestora::cli::runCli(args, std::cout, std::cerr);
  } catch (const std::bad_alloc&) {
    std::cerr << "vestora-cli: out of memory\n";
    return vestora::cli::kBadInput;
  }
}
