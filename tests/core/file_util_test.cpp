#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "app/file_util.h"
#include "test_support.h"

namespace {

// Start-up files of every kind a disk can hold: only a regular file reads;
// a pipe must not block, a folder or a device node reads as missing.
TEST(ReadRegularFile, OnlyRegularFilesRead) {
  const std::string dir = testsupport::MakeTempDir("files");
  const std::string file = dir + "/file", pipe = dir + "/pipe",
                    folder = dir + "/folder", empty = dir + "/empty";
  testsupport::WriteFile(file, std::string("a\0b", 3));
  testsupport::WriteFile(empty, "");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  ASSERT_EQ(symlink(file.c_str(), (dir + "/link").c_str()), 0);
  const struct {
    std::string path;
    bool reads;
    std::string contents;
  } kCases[] = {
      {file, true, std::string("a\0b", 3)},
      {dir + "/link", true, std::string("a\0b", 3)},
      {empty, true, ""},
      {pipe, false, ""},
      {folder, false, ""},
      {"/dev/zero", false, ""},
      {dir + "/missing", false, ""},
  };
  for (const auto& c : kCases) {
    std::string contents = "left-over";
    EXPECT_EQ(ReadRegularFile(wxString::FromUTF8(c.path), &contents), c.reads)
        << c.path;
    EXPECT_EQ(contents, c.contents) << c.path;
  }
  std::string contents;
  EXPECT_FALSE(ReadRegularFile(wxString::FromUTF8(file), &contents, 2));
}

TEST(WriteFileWhole, ReplacesAPipeInsteadOfBlockingOnIt) {
  const std::string dir = testsupport::MakeTempDir("files");
  const std::string pipe = dir + "/language.txt";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_TRUE(WriteFileWhole(wxString::FromUTF8(pipe), "58"));
  std::string contents;
  EXPECT_TRUE(ReadRegularFile(wxString::FromUTF8(pipe), &contents));
  EXPECT_EQ(contents, "58");
  EXPECT_FALSE(WriteFileWhole(wxString::FromUTF8(dir + "/no/such/dir"), "x"));
}

}  // namespace
