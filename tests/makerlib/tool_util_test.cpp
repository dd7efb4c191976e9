#include <gtest/gtest.h>
#include <unistd.h>

#include "test_support.h"
#include "tool_util.h"

namespace {

using namespace makerlib_test;

TEST(MakerFileSizeTest, SizeOfRegularFilesAndZeroForEverythingElse) {
  TempDir tmp;
  WriteFile(tmp / "file.jpg", std::string(12345, 'j'));
  WriteFile(tmp / "empty.png", "");
  MakeDirs(tmp / "folder");
  symlink((tmp / "file.jpg").c_str(), (tmp / "link.jpg").c_str());
  symlink((tmp / "gone.jpg").c_str(), (tmp / "dangling.jpg").c_str());
  mkfifo((tmp / "pipe").c_str(), 0666);
  struct Case {
    std::string path;
    uint64_t size;
  } cases[] = {
      {tmp / "file.jpg", 12345}, {tmp / "link.jpg", 12345}, {tmp / "empty.png", 0},
      {tmp / "missing.jpg", 0},  {tmp / "folder", 0},       {tmp / "dangling.jpg", 0},
      {tmp / "pipe", 0},         {"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(GetFileSizeByPath(c.path.c_str()), c.size) << c.path;
  EXPECT_EQ(GetFileSizeByPath(nullptr), 0u);
}

}  // namespace
