#include "platform/file_io.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vestora
