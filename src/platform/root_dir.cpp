#include "platform/root_dir.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace vestora {
namespace {

std::string cutAtLastSeparator(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return std::string();
  return path.substr(0, slash);
}

// True when `path` is a file that can be opened for reading.
bool opensForReading(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  const bool isFile = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  ::close(fd);
  return isFile;
}

}  // namespace

std::string rootDirForExecutable(const std::string& executablePath) {
  const std::string folder = cutAtLastSeparator(executablePath);
  if (opensForReading(folder + "/data/theme.wav")) return folder;
  return cutAtLastSeparator(folder);
}

std::string GetRootDir() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return ".";
  return rootDirForExecutable(exe.string());
}

}  // namespace vestora
