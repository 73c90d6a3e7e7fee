// vestora-installer-stub: the self-extracting part of a garment package.
// Run as `PACKAGE /silent /dir=DIR`, it reads its own file, takes the
// payload appended to it and installs the garment's files under DIR.
//
// Exit status: 0 installed; 1 the package or the installation failed
// (nothing changed under DIR); 2 a wrong command line. Failures print one
// line on standard error.
#include <cstdio>
#include <string>
#include <string_view>

#include "installer/package_format.h"
#include "installer/package_install.h"
#include "platform/file_io.h"

namespace {

constexpr const char* kName = "vestora-installer";
constexpr std::uint64_t kMaxPackageBytes = 512ull << 20;

int usage(const std::string& what) {
  std::fprintf(stderr, "%s: %s (usage: PACKAGE [/silent] /dir=DIR)\n", kName, what.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool silent = false;
  std::string dir;
  bool haveDir = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "/silent") {
      silent = true;
    } else if (arg.substr(0, 5) == "/dir=") {
      if (haveDir) return usage("/dir given twice");
      std::string_view value = arg.substr(5);
      if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
      if (value.empty()) return usage("empty /dir");
      dir = std::string(value);
      haveDir = true;
    } else {
      return usage("unknown argument \"" + std::string(arg) + "\"");
    }
  }
  if (!haveDir) return usage("missing /dir=DIR");

  auto self = vestora::readFileBytes("/proc/self/exe", kMaxPackageBytes);
  if (!self) {
    std::fprintf(stderr, "%s: %s\n", kName, self.error().message().c_str());
    return 1;
  }
  auto entries = vestora::readPackage(self.value(), argc > 0 ? argv[0] : "package");
  if (!entries) {
    std::fprintf(stderr, "%s: %s\n", kName, entries.error().message().c_str());
    return 1;
  }
  auto installed = vestora::installEntries(entries.value(), dir);
  if (!installed) {
    std::fprintf(stderr, "%s: %s\n", kName, installed.error().message().c_str());
    return 1;
  }
  if (!silent) {
    for (const std::string& path : installed.value()) std::printf("installed %s\n", path.c_str());
  }
  return 0;
}
