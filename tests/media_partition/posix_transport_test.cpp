#include "posix_transport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>

#include "phone_fixture.h"

namespace {

using makerlib::PosixTransport;
using makerlib::RemoteEntry;
using makerlib::RemoteFile;
using makerlib::TransportStatus;
using testsupport::MakeFolders;
using testsupport::TempFolder;
using testsupport::WriteBytes;

class PosixTransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temp_.path().empty());
    root_ = temp_.path() + "/root";
    outside_ = temp_.path() + "/outside";
    ASSERT_TRUE(MakeFolders(root_ + "/DCIM/100APPLE"));
    ASSERT_TRUE(MakeFolders(outside_));
    ASSERT_TRUE(WriteBytes(root_ + "/DCIM/100APPLE/IMG_0001.JPG", "picture"));
    ASSERT_TRUE(WriteBytes(outside_ + "/secret", "secret"));
    ASSERT_EQ(0, symlink(outside_.c_str(), (root_ + "/out_dir").c_str()));
    ASSERT_EQ(0, symlink((outside_ + "/secret").c_str(), (root_ + "/out_file").c_str()));
    ASSERT_EQ(0, symlink("../../outside/secret", (root_ + "/DCIM/relative_out").c_str()));
    ASSERT_EQ(0, symlink("100APPLE/IMG_0001.JPG", (root_ + "/DCIM/in_link").c_str()));
    ASSERT_EQ(0, symlink("missing", (root_ + "/dangling").c_str()));
  }

  TempFolder temp_;
  std::string root_, outside_;
};

TEST_F(PosixTransportTest, RefusesPathsThatLeaveTheRoot) {
  PosixTransport transport(root_);
  struct Case {
    const char* path;
    TransportStatus expected;
  };
  const Case cases[] = {
      {"/../outside/secret", TransportStatus::kFailed},
      {"/DCIM/../../outside/secret", TransportStatus::kFailed},
      {"/DCIM/..", TransportStatus::kFailed},
      {"/out_file", TransportStatus::kFailed},
      {"/out_dir/secret", TransportStatus::kFailed},
      {"/DCIM/relative_out", TransportStatus::kFailed},
      {"DCIM/100APPLE/IMG_0001.JPG", TransportStatus::kFailed},  // not absolute
      {"", TransportStatus::kFailed},
      {"/missing.jpg", TransportStatus::kNotFound},
      {"/dangling", TransportStatus::kNotFound},
      {"/DCIM/in_link", TransportStatus::kOk},
      {"//DCIM/./100APPLE//IMG_0001.JPG", TransportStatus::kOk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    RemoteEntry entry;
    EXPECT_EQ(c.expected, transport.Stat(c.path, &entry));
    std::unique_ptr<RemoteFile> file;
    EXPECT_EQ(c.expected, transport.Open(c.path, &file));
    EXPECT_EQ(c.expected == TransportStatus::kOk, file != nullptr);
    std::string text;
    EXPECT_EQ(c.expected, makerlib::ReadRemoteFile(&transport, c.path, &text));
    if (c.expected == TransportStatus::kOk) {
      EXPECT_EQ("picture", text);
    }
  }
  std::vector<std::string> names;
  EXPECT_EQ(TransportStatus::kFailed, transport.List("/out_dir", &names));
  EXPECT_EQ(TransportStatus::kFailed, transport.List("/DCIM/../..", &names));
  EXPECT_TRUE(names.empty());
}

TEST_F(PosixTransportTest, ListsStatsAndReads) {
  PosixTransport transport(root_);
  std::vector<std::string> names;
  ASSERT_EQ(TransportStatus::kOk, transport.List("/DCIM", &names));
  std::sort(names.begin(), names.end());
  EXPECT_EQ((std::vector<std::string>{"100APPLE", "in_link", "relative_out"}), names);
  ASSERT_EQ(TransportStatus::kOk, transport.List("/", &names));
  EXPECT_EQ(4u, names.size());
  EXPECT_EQ(TransportStatus::kNotFound, transport.List("/Recordings", &names));
  EXPECT_NE(TransportStatus::kOk, transport.List("/DCIM/100APPLE/IMG_0001.JPG", &names));

  const std::string file = root_ + "/DCIM/100APPLE/IMG_0001.JPG";
  const struct timespec times[2] = {{1600000000, 0}, {1600000000, 0}};
  ASSERT_EQ(0, utimensat(AT_FDCWD, file.c_str(), times, 0));
  RemoteEntry entry;
  ASSERT_EQ(TransportStatus::kOk, transport.Stat("/DCIM/100APPLE/IMG_0001.JPG", &entry));
  EXPECT_TRUE(entry.regular);
  EXPECT_FALSE(entry.directory);
  EXPECT_EQ(7u, entry.size);
  EXPECT_EQ(1600000000, entry.modify_time);
  // The disk may not keep birth times; when it does, the file was born now.
  if (entry.birth_time != 0) {
    EXPECT_LE(std::abs(entry.birth_time - time(nullptr)), 600);
  }
  ASSERT_EQ(TransportStatus::kOk, transport.Stat("/DCIM", &entry));
  EXPECT_TRUE(entry.directory);
  EXPECT_FALSE(entry.regular);

  std::unique_ptr<RemoteFile> opened;
  EXPECT_EQ(TransportStatus::kFailed, transport.Open("/DCIM", &opened));
  ASSERT_EQ(TransportStatus::kOk, transport.Open("/DCIM/100APPLE/IMG_0001.JPG", &opened));
  char buffer[4];
  EXPECT_EQ(4, opened->Read(buffer, sizeof buffer));
  EXPECT_EQ(3, opened->Read(buffer, sizeof buffer));
  EXPECT_EQ(0, opened->Read(buffer, sizeof buffer));
}

TEST_F(PosixTransportTest, MissingRootIsNotFound) {
  PosixTransport transport(temp_.path() + "/no-such-root");
  std::vector<std::string> names;
  RemoteEntry entry;
  EXPECT_EQ(TransportStatus::kNotFound, transport.List("/", &names));
  EXPECT_EQ(TransportStatus::kNotFound, transport.Stat("/DCIM", &entry));
}

}  // namespace
