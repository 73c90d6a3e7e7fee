#include "platform/file_io.h"

#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "test_support.h"

namespace vestora {
namespace {

using testing::TempDir;

TEST(FileIo, ReadsWhatWasWritten) {
  TempDir dir;
  const std::string path = dir.file("a.bin");
  const std::string content("x\0y\r\nz", 6);
  ASSERT_TRUE(writeFileAtomically(path, asBytes(content)).ok());
  auto text = readFileText(path);
  ASSERT_TRUE(text.ok());
  EXPECT_EQ(text.value(), content);
  auto bytes = readFileBytes(path);
  ASSERT_TRUE(bytes.ok());
  EXPECT_EQ(bytes.value().size(), 6u);
}

TEST(FileIo, MissingFileAndFolderAreErrorsNamingThePath) {
  TempDir dir;
  auto missing = readFileText(dir.file("none.txt"));
  ASSERT_FALSE(missing.ok());
  EXPECT_NE(missing.error().message().find("none.txt"), std::string::npos);
  EXPECT_FALSE(readFileText(dir.path().string()).ok());
}

TEST(FileIo, SizeLimitIsEnforced) {
  TempDir dir;
  const std::string path = dir.write("big.txt", std::string(1000, 'a'));
  EXPECT_FALSE(readFileText(path, 999).ok());
  EXPECT_TRUE(readFileText(path, 1000).ok());
}

TEST(FileIo, FailedWriteLeavesTheEarlierFileAndNoLitter) {
  TempDir dir;
  const std::string path = dir.write("keep.txt", "earlier");
  // A target inside a missing folder cannot be written.
  EXPECT_FALSE(writeFileAtomically(dir.file("no/such/folder.txt"), asBytes("x")).ok());
  // Replacing a folder fails after the temporary file was written: it must go.
  std::filesystem::create_directories(dir.path() / "folder" / "inner");
  EXPECT_FALSE(writeFileAtomically(dir.file("folder"), asBytes("x")).ok());
  EXPECT_EQ(testing::readAll(path), "earlier");
  int entries = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 2);  // keep.txt and folder
}

TEST(FileIo, ReplacesAnExistingFile) {
  TempDir dir;
  const std::string path = dir.write("f.txt", "old content that is longer");
  ASSERT_TRUE(writeFileAtomically(path, asBytes("new")).ok());
  EXPECT_EQ(testing::readAll(path), "new");
}

// A writer killed at any moment leaves the old file or the new one, whole:
// a child process replaces a file of 8 MB with another of 8 MB and is killed
// at a different moment each time; the file then reads back as exactly one
// of the two.
TEST(FileIo, AWriterKilledAtAnyMomentLeavesTheOldFileOrTheNewOne) {
  TempDir dir;
  const std::size_t size = 8u << 20;
  const std::string oldContent(size, 'o');
  std::string newContent(size, 'n');
  for (std::size_t i = 0; i < size; i += 4096)
    newContent[i] = static_cast<char>('A' + (i / 4096) % 26);
  int sawOld = 0, sawNew = 0;
  for (int round = 0; round < 24; ++round) {
    const std::string path = dir.write("report.txt", oldContent);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Write again and again, so that the kill finds the writer at work.
      for (;;) (void)writeFileAtomically(path, asBytes(newContent));
    }
    // From before the first write has begun to well into the later ones.
    ::usleep(static_cast<useconds_t>(round * round * 150));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    const std::string now = testing::readAll(path);
    ASSERT_TRUE(now == oldContent || now == newContent)
        << "round " << round << ": a torn file of " << now.size() << " bytes";
    (now == oldContent ? sawOld : sawNew) += 1;
  }
  // The kills came both before any write was done and after.
  EXPECT_GT(sawOld, 0);
  EXPECT_GT(sawNew, 0);
}

}  // namespace
}  // namespace vestora
