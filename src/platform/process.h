// Running another program and waiting for it: the garment installers.
#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "platform/result.h"

namespace vestora {

struct ProcessOutcome {
  enum class End { Exited, Signalled, TimedOut, Cancelled };
  End end = End::Exited;
  int exitCode = 0;         // when it exited
  int signal = 0;           // when a signal ended it
  std::string errorOutput;  // what it wrote to its standard error (at most 4 KiB)

  bool succeeded() const { return end == End::Exited && exitCode == 0; }
  // "exit status 1: <first line of its error output>", "killed by signal 9", ...
  std::string describe() const;
};

// Starts the program `argv[0]` with the arguments `argv` — no shell, no
// search of PATH — with standard input and output on /dev/null and standard
// error collected, and blocks until it ends. A program still running after
// `limit` (zero: no limit), or when `cancel` turns true, is killed and
// reported as such. Fails only when the program cannot be started.
Result<ProcessOutcome> runProcessAndWait(const std::vector<std::string>& argv,
                                         std::chrono::milliseconds limit,
                                         const std::atomic<bool>* cancel = nullptr);

}  // namespace vestora

namespace vestora {

// Opens a file or an address with the desktop's default program
// (`xdg-open`), without waiting for it; the child is reaped in the
// background. False when the opener could not be started.
bool openWithDesktop(const std::string& target);

}  // namespace vestora
