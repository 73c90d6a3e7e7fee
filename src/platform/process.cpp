#include "platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include <sys/wait.h>

extern char** environ;

namespace vestora {
namespace {

constexpr std::size_t kErrorOutputLimit = 4096;
constexpr int kSliceMs = 20;

struct Pipe {
  int read = -1, write = -1;
  ~Pipe() {
    if (read >= 0) ::close(read);
    if (write >= 0) ::close(write);
  }
};

// Reads what is available without blocking; false once the other end closed.
bool drain(int fd, std::string& into) {
  char buffer[1024];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      const std::size_t room = kErrorOutputLimit - std::min(into.size(), kErrorOutputLimit);
      into.append(buffer, std::min<std::size_t>(room, static_cast<std::size_t>(n)));
      continue;
    }
    if (n == 0) return false;
    if (errno == EINTR) continue;
    return errno == EAGAIN || errno == EWOULDBLOCK;
  }
}

}  // namespace

std::string ProcessOutcome::describe() const {
  std::string text;
  switch (end) {
    case End::Exited:
      text = "exit status " + std::to_string(exitCode);
      break;
    case End::Signalled:
      text = "ended by signal " + std::to_string(signal);
      break;
    case End::TimedOut:
      text = "did not finish in time";
      break;
    case End::Cancelled:
      text = "cancelled";
      break;
  }
  const std::string firstLine = errorOutput.substr(0, errorOutput.find('\n'));
  if (!firstLine.empty()) text += ": " + firstLine;
  return text;
}

Result<ProcessOutcome> runProcessAndWait(const std::vector<std::string>& argv,
                                         std::chrono::milliseconds limit,
                                         const std::atomic<bool>* cancel) {
  const std::string name = argv.empty() ? std::string("<no program>") : argv[0];
  if (argv.empty()) return makeError(name, "nothing to run");

  Pipe errors;
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return makeError(name, std::strerror(errno));
  errors.read = fds[0];
  errors.write = fds[1];
  ::fcntl(errors.read, F_SETFL, O_NONBLOCK);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, errors.write, 2);

  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  pid_t pid = 0;
  const int spawned = ::posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return makeError(name, std::string("cannot start: ") + std::strerror(spawned));
  ::close(errors.write);
  errors.write = -1;

  ProcessOutcome outcome;
  const auto start = std::chrono::steady_clock::now();
  bool pipeOpen = true;
  int status = 0;
  for (;;) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (done < 0 && errno != EINTR)
      return makeError(name, std::string("lost: ") + std::strerror(errno));
    const bool cancelled = cancel && cancel->load();
    const bool late = limit.count() > 0 && std::chrono::steady_clock::now() - start >= limit;
    if (cancelled || late) {
      ::kill(pid, SIGKILL);
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      if (pipeOpen) drain(errors.read, outcome.errorOutput);
      outcome.end = cancelled ? ProcessOutcome::End::Cancelled : ProcessOutcome::End::TimedOut;
      return outcome;
    }
    if (pipeOpen) {
      pollfd p{errors.read, POLLIN, 0};
      ::poll(&p, 1, kSliceMs);
      pipeOpen = drain(errors.read, outcome.errorOutput);
    } else {
      ::usleep(kSliceMs * 1000);
    }
  }
  if (pipeOpen) drain(errors.read, outcome.errorOutput);
  if (WIFEXITED(status)) {
    outcome.end = ProcessOutcome::End::Exited;
    outcome.exitCode = WEXITSTATUS(status);
  } else {
    outcome.end = ProcessOutcome::End::Signalled;
    outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  }
  return outcome;
}

}  // namespace vestora

namespace vestora {

bool openWithDesktop(const std::string& target) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::string opener = "xdg-open";
  std::vector<char*> args{opener.data(), const_cast<char*>(target.c_str()), nullptr};
  pid_t pid = 0;
  const int spawned = ::posix_spawnp(&pid, opener.c_str(), &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  std::thread([pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

}  // namespace vestora
