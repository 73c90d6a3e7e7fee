// The real installer stub, made into packages and run as the program runs
// them: PACKAGE /silent /dir=DIR, an argument vector without a shell.
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "install_fixture.h"
#include "platform/file_io.h"

extern char** environ;

namespace vestora {
namespace {

namespace fs = std::filesystem;
using testing::garmentEntries;
using testing::readAll;
using testing::snapshot;
using testing::TempDir;

struct StubRun {
  int status = -1;  // exit status, -1 when it did not exit normally
  std::string out, err;
};

// Runs `program` with `args`, its standard output and error going to files.
StubRun run(const std::string& program, const std::vector<std::string>& args,
            const TempDir& scratch) {
  const std::string outPath = scratch.file("stdout.txt"), errPath = scratch.file("stderr.txt");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  std::vector<char*> argv;
  std::vector<std::string> all = {program};
  all.insert(all.end(), args.begin(), args.end());
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  StubRun result;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  EXPECT_EQ(spawned, 0) << program;
  if (spawned != 0) return result;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  result.out = readAll(outPath);
  result.err = readAll(errPath);
  return result;
}

// A package of the real stub carrying `entries`, written executable into `dir`.
std::string makePackage(const TempDir& dir, const std::string& name,
                        const std::vector<std::uint8_t>& payloadPackage) {
  const std::string path = dir.file(name);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(payloadPackage.data()),
             static_cast<std::streamsize>(payloadPackage.size()));
  fs::permissions(path, fs::perms::owner_all, fs::perm_options::replace);
  return path;
}

std::vector<std::uint8_t> stubBytes() {
  auto stub = readFileBytes(VESTORA_INSTALLER_STUB);
  EXPECT_TRUE(stub.ok()) << (stub.ok() ? "" : stub.error().message());
  return stub.ok() ? stub.value() : std::vector<std::uint8_t>{};
}

std::string package(const TempDir& dir, const std::string& name,
                    const std::vector<PackageEntry>& entries) {
  auto built = buildPackage(stubBytes(), entries);
  EXPECT_TRUE(built.ok());
  return makePackage(dir, name, built.ok() ? built.value() : std::vector<std::uint8_t>{});
}

// Exactly one line of text.
bool oneLine(const std::string& text) {
  return !text.empty() && text.back() == '\n' && text.find('\n') == text.size() - 1;
}

TEST(InstallerStub, InstallsSilentlyIntoTheGivenFolder) {
  TempDir scratch, target;
  const auto entries = garmentEntries("Maxi");
  const std::string pkg = package(scratch, "Maxi.exe", entries);
  const StubRun r = run(pkg, {"/silent", "/dir=" + target.path().string()}, scratch);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  for (const PackageEntry& e : entries) {
    EXPECT_EQ(readAll((target.path() / e.path).string()),
              std::string(e.bytes.begin(), e.bytes.end()))
        << e.path;
  }
  EXPECT_EQ(snapshot(target.path()).size(), entries.size() + 3);
}

TEST(InstallerStub, ReportsEachFileWithoutSilentAndAcceptsAQuotedFolder) {
  TempDir scratch;
  const fs::path target = scratch.path() / "wardrobe with spaces";
  fs::create_directories(target);
  const auto entries = garmentEntries("Camisole");
  const std::string pkg = package(scratch, "Camisole.exe", entries);
  const StubRun r = run(pkg, {"/dir=\"" + target.string() + "\""}, scratch);
  EXPECT_EQ(r.status, 0) << r.err;
  for (const PackageEntry& e : entries) {
    EXPECT_NE(r.out.find((target / e.path).string() + "\n"), std::string::npos) << e.path;
    EXPECT_TRUE(fs::is_regular_file(target / e.path)) << e.path;
  }
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), static_cast<long>(entries.size()));
}

TEST(InstallerStub, WrongCommandLinesExitTwoAndTouchNothing) {
  TempDir scratch, target;
  const std::string pkg = package(scratch, "Tunic.exe", garmentEntries());
  const std::string dirArg = "/dir=" + target.path().string();
  const std::vector<std::vector<std::string>> lines = {{"/silent"},
                                                       {},
                                                       {"/silent", dirArg, "/verbose"},
                                                       {"-silent", dirArg},
                                                       {dirArg, dirArg},
                                                       {"/silent", "/dir="},
                                                       {"/silent", "/dir=\"\""}};
  for (const auto& args : lines) {
    const StubRun r = run(pkg, args, scratch);
    EXPECT_EQ(r.status, 2) << ::testing::PrintToString(args);
    EXPECT_TRUE(oneLine(r.err)) << r.err;
    EXPECT_TRUE(fs::is_empty(target.path()));
  }
}

TEST(InstallerStub, BrokenPackagesExitOneAndChangeNothing) {
  TempDir scratch, target;
  target.write("pattern/Tunic.pop", "the garment already there");
  const auto before = snapshot(target.path());
  const std::string dirArg = "/dir=" + target.path().string();

  // A path leading out of the folder, after good entries. buildPackage
  // refuses it, so a harmless path of the same length is patched over.
  auto good = buildPackage(stubBytes(), garmentEntries());
  ASSERT_TRUE(good.ok());
  auto entries = garmentEntries();
  entries.push_back({"pattern/EVIL.pop", testing::bytesOf("x")});
  auto withSlot = buildPackage(stubBytes(), entries);
  ASSERT_TRUE(withSlot.ok());
  std::vector<std::uint8_t> bytes = withSlot.value();
  const std::string slot = "pattern/EVIL.pop", evil = "pattern/../a.pop";
  ASSERT_EQ(slot.size(), evil.size());
  auto at = std::search(bytes.begin() + static_cast<long>(stubBytes().size()), bytes.end(),
                        slot.begin(), slot.end());
  ASSERT_NE(at, bytes.end());
  std::copy(evil.begin(), evil.end(), at);
  const std::string badEntry = makePackage(scratch, "BadEntry.exe", bytes);

  auto truncated = good.value();
  truncated.resize(truncated.size() - 20);
  const std::string cut = makePackage(scratch, "Cut.exe", truncated);

  auto flipped = good.value();
  flipped[flipped.size() - 16] ^= 0x40;  // the payload offset
  const std::string offset = makePackage(scratch, "Offset.exe", flipped);

  for (const std::string& pkg : {badEntry, cut, offset, std::string(VESTORA_INSTALLER_STUB)}) {
    const StubRun r = run(pkg, {"/silent", dirArg}, scratch);
    EXPECT_EQ(r.status, 1) << pkg;
    EXPECT_TRUE(oneLine(r.err)) << pkg << ": " << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(snapshot(target.path()), before) << pkg;
  }
  EXPECT_FALSE(fs::exists(target.path() / "a.pop"));
}

TEST(InstallerStub, AFailedInstallationNamesTheFileAndLeavesTheFolderAsItWas) {
  TempDir scratch, target, outside;
  fs::create_directories(target.path() / "pattern");
  target.write("pattern/Tunic.pop", "the garment already there");
  fs::create_symlink(outside.path(), target.path() / "texture");
  const auto before = snapshot(target.path());
  const std::string pkg = package(scratch, "Tunic.exe", garmentEntries());
  const StubRun r = run(pkg, {"/silent", "/dir=" + target.path().string()}, scratch);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(oneLine(r.err)) << r.err;
  EXPECT_NE(r.err.find((target.path() / "texture").string()), std::string::npos) << r.err;
  EXPECT_EQ(snapshot(target.path()), before);
  EXPECT_TRUE(fs::is_empty(outside.path()));
}

}  // namespace
}  // namespace vestora
