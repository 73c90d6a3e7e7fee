#include "installer/package_install.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

#include <sys/stat.h>

namespace vestora {

namespace {

// An open folder descriptor, closed when it goes.
class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  Fd(Fd&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
  Fd& operator=(Fd&& o) noexcept {
    std::swap(fd_, o.fd_);
    return *this;
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_ = -1;
};

std::string errnoText(int err) {
  return std::strerror(err);
}

struct Placed {
  int folder = -1;    // descriptor of the entry's folder
  std::string name;   // final file name
  std::string temp;   // temporary name the bytes were written to
  std::string aside;  // name the replaced file was moved to; empty when none
  std::string shown;  // dir/<entry path>, for messages
  bool tempWritten = false, setAside = false, renamed = false;
};

bool writeAll(int fd, const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Undoes what the installation did so far, newest step first.
void rollBack(std::vector<Placed>& placed, const std::map<std::string, Fd>& folders,
              const std::vector<std::string>& created, int dirFd) {
  for (auto it = placed.rbegin(); it != placed.rend(); ++it) {
    if (it->renamed) ::unlinkat(it->folder, it->name.c_str(), 0);
    if (it->setAside) ::renameat(it->folder, it->aside.c_str(), it->folder, it->name.c_str());
    if (it->tempWritten && !it->renamed) ::unlinkat(it->folder, it->temp.c_str(), 0);
  }
  // Folders this installation made, innermost first; only empty ones go.
  for (auto it = created.rbegin(); it != created.rend(); ++it) {
    const std::string& folder = *it;
    const auto slash = folder.rfind('/');
    if (slash == std::string::npos) {
      ::unlinkat(dirFd, folder.c_str(), AT_REMOVEDIR);
    } else {
      const auto parent = folders.find(folder.substr(0, slash));
      if (parent != folders.end())
        ::unlinkat(parent->second.get(), folder.substr(slash + 1).c_str(), AT_REMOVEDIR);
    }
  }
}

}  // namespace

Result<std::vector<std::string>> installEntries(const std::vector<PackageEntry>& entries,
                                                const std::string& dir) {
  const std::string base =
      dir.size() > 1 && dir.back() == '/' ? dir.substr(0, dir.size() - 1) : dir;
  for (const PackageEntry& e : entries) {
    auto checked = checkEntryPath(e.path);
    if (!checked) return makeError(base + "/" + e.path, checked.error().what);
  }
  Fd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dirFd.ok()) return makeError(dir, "cannot open the folder: " + errnoText(errno));

  // The wardrobe folders, each opened without following a symbolic link, so
  // that a link planted in their place cannot lead a write elsewhere.
  std::map<std::string, Fd> folders;
  std::vector<std::string> created;
  auto openFolder = [&](const std::string& folder) -> Result<int> {
    if (auto it = folders.find(folder); it != folders.end()) return it->second.get();
    const auto slash = folder.rfind('/');
    int parentFd = dirFd.get();
    std::string name = folder;
    if (slash != std::string::npos) {
      auto parent = folders.find(folder.substr(0, slash));
      parentFd = parent->second.get();
      name = folder.substr(slash + 1);
    }
    if (::mkdirat(parentFd, name.c_str(), 0755) == 0) {
      created.push_back(folder);
    } else if (errno != EEXIST) {
      return makeError(base + "/" + folder, "cannot create the folder: " + errnoText(errno));
    }
    Fd fd(::openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.ok()) {
      const int err = errno;
      const std::string why = err == ELOOP || err == ENOTDIR
                                  ? "not a real folder (a link or a file)"
                                  : "cannot open the folder: " + errnoText(err);
      return makeError(base + "/" + folder, why);
    }
    const int raw = fd.get();
    folders.emplace(folder, std::move(fd));
    return raw;
  };

  std::vector<Placed> placed;
  auto fail = [&](Error error) -> Result<std::vector<std::string>> {
    rollBack(placed, folders, created, dirFd.get());
    return error;
  };
  const std::string tag = "." + std::to_string(::getpid());
  for (const PackageEntry& e : entries) {
    const EntryPath split = checkEntryPath(e.path).value();
    const std::string folder(split.folder);
    if (folder == "pattern/texture") {
      auto parent = openFolder("pattern");
      if (!parent) return fail(parent.error());
    }
    auto folderFd = openFolder(folder);
    if (!folderFd) return fail(folderFd.error());
    Placed p;
    p.folder = folderFd.value();
    p.name = std::string(split.name);
    p.temp = "." + p.name + tag + ".part";
    p.aside = "." + p.name + tag + ".old";
    p.shown = base + "/" + e.path;
    Fd out(::openat(p.folder, p.temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    0644));
    if (!out.ok()) {
      const int err = errno;
      placed.push_back(std::move(p));
      return fail(makeError(placed.back().shown, "cannot write: " + errnoText(err)));
    }
    p.tempWritten = true;
    placed.push_back(std::move(p));
    if (!writeAll(out.get(), e.bytes) || ::fsync(out.get()) != 0) {
      return fail(makeError(placed.back().shown, "cannot write: " + errnoText(errno)));
    }
    if (::close(out.release()) != 0) {
      return fail(makeError(placed.back().shown, "cannot write: " + errnoText(errno)));
    }
  }
  // A folder standing where a file is to go cannot be replaced.
  for (Placed& p : placed) {
    struct stat st {};
    if (::fstatat(p.folder, p.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode)) {
      return fail(makeError(p.shown, "a folder of that name is in the way"));
    }
  }
  std::vector<std::string> written;
  for (Placed& p : placed) {
    if (::renameat(p.folder, p.name.c_str(), p.folder, p.aside.c_str()) == 0) {
      p.setAside = true;
    } else if (errno != ENOENT) {
      return fail(makeError(p.shown, "cannot replace the file: " + errnoText(errno)));
    }
    if (::renameat(p.folder, p.temp.c_str(), p.folder, p.name.c_str()) != 0) {
      return fail(makeError(p.shown, "cannot rename into place: " + errnoText(errno)));
    }
    p.renamed = true;
    written.push_back(p.shown);
  }
  for (Placed& p : placed) {
    if (p.setAside) ::unlinkat(p.folder, p.aside.c_str(), 0);
  }
  for (const auto& [name, fd] : folders) ::fsync(fd.get());
  return written;
}

}  // namespace vestora
