#include <iostream>

#include "cli/cli.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  try {
    return vestora::cli::runCli(args, std::cout, std::cerr);
  } catch (const std::bad_alloc&) {
    std::cerr << "vestora-cli: out of memory\n";
    return vestora::cli::kBadInput;
  }
}
