#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vestora {
namespace {

std::string errnoText(int err) { return std::strerror(err); }

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

template <class Buffer>
Result<Buffer> readWhole(const std::string& path, std::uint64_t maxBytes) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return makeError(path, "cannot open: " + errnoText(errno));
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return makeError(path, "cannot read: " + errnoText(errno));
  if (S_ISDIR(st.st_mode)) return makeError(path, "is a folder, not a file");
  if (static_cast<std::uint64_t>(st.st_size) > maxBytes)
    return makeError(path, "file is too large (" + std::to_string(st.st_size) + " bytes)");
  Buffer data;
  data.resize(static_cast<std::size_t>(st.st_size));
  std::size_t done = 0;
  while (true) {
    if (done == data.size()) {
      // The size may have grown since fstat (or the file may report 0, as
      // /proc files do): keep reading in steps while under the limit.
      if (data.size() >= maxBytes) break;
      data.resize(data.size() + 65536);
    }
    const ssize_t n = ::read(fd.get(), data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return makeError(path, "cannot read: " + errnoText(errno));
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  data.resize(done);
  if (done > maxBytes) return makeError(path, "file is too large");
  return data;
}

}  // namespace

Result<std::vector<std::uint8_t>> readFileBytes(const std::string& path, std::uint64_t maxBytes) {
  return readWhole<std::vector<std::uint8_t>>(path, maxBytes);
}

Result<std::string> readFileText(const std::string& path, std::uint64_t maxBytes) {
  return readWhole<std::string>(path, maxBytes);
}

Result<void> writeFileAtomically(const std::string& path, Bytes bytes) {
  std::string temp = path + ".tmp-XXXXXX";
  Fd fd(::mkstemp(temp.data()));
  if (fd.get() < 0) return makeError(path, "cannot create: " + errnoText(errno));
  auto fail = [&](const std::string& what) {
    const int err = errno;
    ::unlink(temp.c_str());
    return makeError(path, what + ": " + errnoText(err));
  };
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail("cannot write");
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd.get()) != 0) return fail("cannot write");
  ::fchmod(fd.get(), 0644);
  if (::close(fd.release()) != 0) return fail("cannot write");
  if (::rename(temp.c_str(), path.c_str()) != 0) return fail("cannot replace");
  return {};
}

}  // namespace vestora
