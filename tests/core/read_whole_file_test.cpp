#include "picture/read_whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "temp_folder.h"

namespace kolvane {
namespace {

using test_support::TempFolder;

TEST(ReadWholeFile, GivesEveryByteOfAFile) {
  TempFolder folder;
  ByteBlock bytes(300000);  // larger than any buffer a reader might use
  std::mt19937 random(7);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  bytes[0] = 0;  // a NUL byte does not end the data
  EXPECT_EQ(ReadWholeFile(folder.Write("noise.bin", bytes)), bytes);
  const ByteBlock one = {0xFF};
  EXPECT_EQ(ReadWholeFile(folder.Write("one.bin", one)), one);
}

TEST(ReadWholeFile, FollowsSymbolicLinks) {
  TempFolder folder;
  const std::string target = folder.Write("target.txt", std::string("text"));
  std::filesystem::create_symlink(target, folder.Path("link"));
  EXPECT_EQ(ReadWholeFile(folder.Path("link")), (ByteBlock{'t', 'e', 'x', 't'}));
}

TEST(ReadWholeFile, GivesTheEmptyBlockForWhatIsNoReadableFile) {
  TempFolder folder;
  const std::string file = folder.Write("a", std::string("abc"));
  ASSERT_EQ(mkfifo(folder.Path("fifo").c_str(), 0600), 0);  // no writer: must not block
  const struct {
    const char* name;
    std::string path;
  } cases[] = {
      {"empty path", ""},
      {"missing file", folder.Path("missing.jpg")},
      {"missing folder", folder.Path("missing/a.jpg")},
      {"path through a file", file + "/a"},
      {"directory", folder.Path("")},
      {"empty file", folder.Write("empty", std::string())},
      {"fifo", folder.Path("fifo")},
      {"device without length", "/dev/zero"},
      {"name cut by a NUL byte", file + std::string(1, '\0') + "tail"},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(ReadWholeFile(c.path).empty()) << c.name;
  }
  EXPECT_FALSE(std::filesystem::exists(folder.Path("missing.jpg"))) << "a read never creates";
}

TEST(ReadWholeFile, GivesTheEmptyBlockForAFileItMayNotRead) {
  TempFolder folder;
  const std::string path = folder.Write("secret", std::string("abc"));
  ASSERT_EQ(chmod(path.c_str(), 0), 0);
  if (geteuid() != 0) {
    EXPECT_TRUE(ReadWholeFile(path).empty());
    return;
  }
  // Permission bits do not stop root: read as nobody in a child process, inside a
  // folder nobody may enter, so that only the file's own bits refuse the read.
  ASSERT_EQ(chmod(std::filesystem::path(path).parent_path().c_str(), 0755), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
    _exit(ReadWholeFile(path).empty() ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the file was read, 2: could not become nobody";
}

// A byte block's length is 32-bit signed, so 2 GiB is one byte too many. The sparse
// files take no disk space, and the refusal must come before any buffer is made.
TEST(ReadWholeFile, RefusesFilesOf2GiBOrMore) {
  TempFolder folder;
  for (const off_t length : {off_t{1} << 31, (off_t{1} << 31) + 1, off_t{1} << 33}) {
    const std::string path = folder.Path("huge");
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, length), 0);
    close(fd);
    EXPECT_TRUE(ReadWholeFile(path).empty()) << length;
  }
}

}  // namespace
}  // namespace kolvane
