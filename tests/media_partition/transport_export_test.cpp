#include "transport_export.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <vector>

#include "phone_fixture.h"
#include "posix_transport.h"

namespace {

using makerlib::ExportRemoteDirectory;
using makerlib::ExportRemoteFile;
using makerlib::PosixTransport;
using makerlib::RemoteEntry;
using makerlib::RemoteFile;
using makerlib::Transport;
using makerlib::TransportStatus;
using testsupport::MakeFolders;
using testsupport::TempFolder;
using testsupport::WriteBytes;

constexpr uint64_t kMiB = 1 << 20;

std::string Pattern(size_t size) {
  std::string out(size, '\0');
  for (size_t i = 0; i < size; ++i) out[i] = static_cast<char>((i * 7 + i / 4096) & 0xFF);
  return out;
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

std::string Read(const std::string& path) {
  FILE* f = fopen(path.c_str(), "rb");
  if (f == nullptr) return "<missing>";
  std::string out;
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) out.append(buffer, n);
  fclose(f);
  return out;
}

// Every path below a folder, relative to it, with the content of its files.
std::map<std::string, std::string> Tree(const std::string& root, const std::string& below = "") {
  std::map<std::string, std::string> out;
  DIR* dir = opendir((root + below).c_str());
  if (dir == nullptr) return out;
  while (struct dirent* e = readdir(dir)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    const std::string rel = below + "/" + name;
    struct stat st;
    lstat((root + rel).c_str(), &st);
    if (S_ISDIR(st.st_mode)) {
      out[rel + "/"] = "";
      for (const auto& entry : Tree(root, rel)) out.insert(entry);
    } else {
      out[rel] = Read(root + rel);
    }
  }
  closedir(dir);
  return out;
}

// Wraps a transport and breaks one file: its reads fail after some bytes,
// or its listed size is off.
class FaultyTransport : public Transport {
 public:
  explicit FaultyTransport(Transport* inner) : inner_(inner) {}

  std::string path;
  uint64_t fail_after = UINT64_MAX;
  int64_t size_delta = 0;

  TransportStatus List(const std::string& p, std::vector<std::string>* names) override {
    return inner_->List(p, names);
  }
  TransportStatus Stat(const std::string& p, RemoteEntry* entry) override {
    const TransportStatus status = inner_->Stat(p, entry);
    if (status == TransportStatus::kOk && p == path)
      entry->size = static_cast<uint64_t>(static_cast<int64_t>(entry->size) + size_delta);
    return status;
  }
  TransportStatus Open(const std::string& p, std::unique_ptr<RemoteFile>* file) override {
    const TransportStatus status = inner_->Open(p, file);
    if (status == TransportStatus::kOk && p == path && fail_after != UINT64_MAX)
      file->reset(new BreakingFile(std::move(*file), fail_after));
    return status;
  }

 private:
  class BreakingFile : public RemoteFile {
   public:
    BreakingFile(std::unique_ptr<RemoteFile> inner, uint64_t left) : inner_(std::move(inner)), left_(left) {}
    int64_t Read(char* buffer, size_t size) override {
      if (left_ == 0) return -1;
      const int64_t got = inner_->Read(buffer, std::min<uint64_t>(size, left_));
      if (got > 0) left_ -= static_cast<uint64_t>(got);
      return got;
    }

   private:
    std::unique_ptr<RemoteFile> inner_;
    uint64_t left_;
  };

  Transport* inner_;
};

struct Report {
  uint64_t total, done;
  uint8_t state;
};
std::vector<Report> g_reports;
int g_abort_at = -1;  // progress report (counted from 0) that answers -1
std::atomic<bool>* g_stop_at_first = nullptr;

int Record(uint64_t total, uint64_t done, uint8_t state, void* user) {
  EXPECT_EQ(nullptr, user);
  g_reports.push_back({total, done, state});
  if (g_stop_at_first != nullptr) g_stop_at_first->store(true);
  return static_cast<int>(g_reports.size()) - 1 == g_abort_at ? -1 : 0;
}

class TransportExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_reports.clear();
    g_abort_at = -1;
    g_stop_at_first = nullptr;
    ASSERT_FALSE(temp_.path().empty());
    root_ = temp_.path() + "/phone";
    out_ = temp_.path() + "/out";
    ASSERT_TRUE(MakeFolders(root_ + "/Books/moby.epub/OEBPS/images"));
    ASSERT_TRUE(MakeFolders(root_ + "/Books/moby.epub/META-INF"));
    ASSERT_TRUE(MakeFolders(out_));
    ASSERT_TRUE(WriteBytes(root_ + "/big.mov", Pattern(2 * kMiB + 123)));
    ASSERT_TRUE(WriteBytes(root_ + "/exact.m4a", Pattern(kMiB)));
    ASSERT_TRUE(WriteBytes(root_ + "/empty.m4a", ""));
    ASSERT_TRUE(WriteBytes(root_ + "/Books/moby.epub/mimetype", "application/epub+zip"));
    ASSERT_TRUE(WriteBytes(root_ + "/Books/moby.epub/META-INF/container.xml", "<container/>"));
    ASSERT_TRUE(WriteBytes(root_ + "/Books/moby.epub/OEBPS/content.opf", "<package/>"));
    ASSERT_TRUE(WriteBytes(root_ + "/Books/moby.epub/OEBPS/images/cover.jpg", Pattern(5000)));
    ASSERT_TRUE(MakeFolders(root_ + "/Books/moby.epub/OEBPS/empty"));
  }

  TempFolder temp_;
  std::string root_, out_;
};

TEST_F(TransportExportTest, CopiesByteForByteWithProgressPerChunk) {
  PosixTransport transport(root_);
  struct Case {
    const char* path;
    uint64_t size;
    std::vector<uint64_t> progress;
  };
  const Case cases[] = {
      {"/big.mov", 2 * kMiB + 123, {kMiB, 2 * kMiB, 2 * kMiB + 123}},
      {"/exact.m4a", kMiB, {kMiB}},
      {"/empty.m4a", 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    g_reports.clear();
    const std::string target = out_ + c.path;
    ASSERT_EQ(POD_STATUS_OK, ExportRemoteFile(&transport, c.path, target, Record, nullptr));
    EXPECT_EQ(Read(root_ + c.path), Read(target));
    ASSERT_EQ(c.progress.size() + 1, g_reports.size());
    for (size_t i = 0; i < c.progress.size(); ++i) {
      EXPECT_EQ(c.size, g_reports[i].total);
      EXPECT_EQ(c.progress[i], g_reports[i].done);
      EXPECT_EQ(POD_EXPORT_IN_PROGRESS, g_reports[i].state);
    }
    EXPECT_EQ(c.size, g_reports.back().total);
    EXPECT_EQ(c.size, g_reports.back().done);
    EXPECT_EQ(POD_EXPORT_FINISHED, g_reports.back().state);
  }
}

TEST_F(TransportExportTest, NeverReplacesAnything) {
  PosixTransport transport(root_);
  ASSERT_TRUE(WriteBytes(out_ + "/taken.mov", "mine"));
  EXPECT_EQ(POD_STATUS_FAILED, ExportRemoteFile(&transport, "/big.mov", out_ + "/taken.mov", nullptr, nullptr));
  EXPECT_EQ("mine", Read(out_ + "/taken.mov"));

  // Nor writes through a link standing where the copy would go.
  ASSERT_TRUE(WriteBytes(out_ + "/victim", "victim"));
  ASSERT_EQ(0, symlink((out_ + "/victim").c_str(), (out_ + "/link.mov").c_str()));
  EXPECT_EQ(POD_STATUS_FAILED, ExportRemoteFile(&transport, "/big.mov", out_ + "/link.mov", nullptr, nullptr));
  EXPECT_EQ("victim", Read(out_ + "/victim"));

  // A missing source or a folder gives nothing.
  EXPECT_EQ(POD_STATUS_FAILED, ExportRemoteFile(&transport, "/none.mov", out_ + "/none.mov", nullptr, nullptr));
  EXPECT_EQ(POD_STATUS_FAILED, ExportRemoteFile(&transport, "/Books", out_ + "/Books", nullptr, nullptr));
  EXPECT_FALSE(Exists(out_ + "/none.mov"));
  EXPECT_FALSE(Exists(out_ + "/Books"));
}

TEST_F(TransportExportTest, FailureOrAbortLeavesNoFile) {
  PosixTransport posix(root_);
  const std::string target = out_ + "/big.mov";
  struct Case {
    const char* name;
    uint64_t fail_after;
    int64_t size_delta;
    int abort_at;
    bool stop_in_callback;
  };
  const Case cases[] = {
      {"read fails in the second chunk", kMiB + 10, 0, -1, false},
      {"read fails at once", 0, 0, -1, false},
      {"file shorter than listed", UINT64_MAX, 50, -1, false},
      {"file longer than listed", UINT64_MAX, -50, -1, false},
      {"callback aborts after the first chunk", UINT64_MAX, 0, 0, false},
      {"callback aborts after the last chunk", UINT64_MAX, 0, 2, false},
      {"device freed during the copy", UINT64_MAX, 0, -1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FaultyTransport transport(&posix);
    transport.path = "/big.mov";
    transport.fail_after = c.fail_after;
    transport.size_delta = c.size_delta;
    g_reports.clear();
    g_abort_at = c.abort_at;
    std::atomic<bool> stop{false};
    g_stop_at_first = c.stop_in_callback ? &stop : nullptr;
    EXPECT_EQ(POD_STATUS_FAILED, ExportRemoteFile(&transport, "/big.mov", target, Record, &stop));
    EXPECT_FALSE(Exists(target));
    for (const Report& r : g_reports) EXPECT_EQ(POD_EXPORT_IN_PROGRESS, r.state);
  }
  g_stop_at_first = nullptr;
  std::atomic<bool> stopped{true};
  EXPECT_EQ(POD_STATUS_FAILED, ExportRemoteFile(&posix, "/big.mov", target, Record, &stopped));
  EXPECT_FALSE(Exists(target));
}

TEST_F(TransportExportTest, CopiesATreeIntoANewOrExistingFolder) {
  PosixTransport transport(root_);
  const auto source = Tree(root_ + "/Books/moby.epub");
  ASSERT_EQ(POD_STATUS_OK, ExportRemoteDirectory(&transport, "/Books/moby.epub", out_ + "/moby.epub/", nullptr));
  EXPECT_EQ(source, Tree(out_ + "/moby.epub"));

  // An existing folder is used and what it held stays.
  ASSERT_TRUE(MakeFolders(out_ + "/again/OEBPS"));
  ASSERT_TRUE(WriteBytes(out_ + "/again/notes.txt", "mine"));
  ASSERT_EQ(POD_STATUS_OK, ExportRemoteDirectory(&transport, "/Books/moby.epub/", out_ + "/again", nullptr));
  auto expected = source;
  expected["/notes.txt"] = "mine";
  EXPECT_EQ(expected, Tree(out_ + "/again"));

  EXPECT_EQ(POD_STATUS_FAILED, ExportRemoteDirectory(&transport, "/big.mov", out_ + "/file", nullptr));
  EXPECT_EQ(POD_STATUS_FAILED, ExportRemoteDirectory(&transport, "/none", out_ + "/none", nullptr));
  EXPECT_FALSE(Exists(out_ + "/file"));
  EXPECT_FALSE(Exists(out_ + "/none"));
}

TEST_F(TransportExportTest, FailedTreeRemovesExactlyWhatItMade) {
  PosixTransport posix(root_);
  // A link out of the partition, a dangling link that is passed over, and
  // a file that breaks part way: each case fails the copy.
  ASSERT_TRUE(WriteBytes(temp_.path() + "/secret", "secret"));
  struct Case {
    const char* name;
    bool existing_target;  // the target folder was there before, with a file in it
    const char* taken;     // a file already at this place in the target
    const char* breaking;  // a device file whose reads fail
    bool link_out;
    bool stop;
  };
  const Case cases[] = {
      {"a file is already there", true, "/OEBPS/content.opf", nullptr, false, false},
      {"a read fails, new target", false, nullptr, "/Books/moby.epub/OEBPS/images/cover.jpg", false, false},
      {"a read fails, existing target", true, nullptr, "/Books/moby.epub/OEBPS/images/cover.jpg", false, false},
      {"a link leads out of the partition", false, nullptr, nullptr, true, false},
      {"the device is freed", true, nullptr, nullptr, false, true},
  };
  ASSERT_EQ(0, symlink("nowhere", (root_ + "/Books/moby.epub/dangling").c_str()));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string target = out_ + "/moby.epub";
    ASSERT_TRUE(testsupport::RemoveTree(target));
    const std::string out_link = root_ + "/Books/moby.epub/OEBPS/zz_out";
    unlink(out_link.c_str());
    if (c.link_out) {
      ASSERT_EQ(0, symlink((temp_.path() + "/secret").c_str(), out_link.c_str()));
    }
    if (c.existing_target) {
      ASSERT_TRUE(MakeFolders(target + "/OEBPS"));
      ASSERT_TRUE(WriteBytes(target + "/OEBPS/mine.txt", "mine"));
    }
    if (c.taken != nullptr) {
      ASSERT_TRUE(WriteBytes(target + c.taken, "taken"));
    }
    const auto before = Tree(target);
    FaultyTransport transport(&posix);
    if (c.breaking != nullptr) {
      transport.path = c.breaking;
      transport.fail_after = 100;
    }
    std::atomic<bool> stop{c.stop};
    EXPECT_EQ(POD_STATUS_FAILED, ExportRemoteDirectory(&transport, "/Books/moby.epub", target, &stop));
    EXPECT_EQ(before, Tree(target));
    EXPECT_EQ(c.existing_target, Exists(target));
    unlink(out_link.c_str());
  }
  // The dangling link alone does not stop a copy.
  ASSERT_TRUE(testsupport::RemoveTree(out_ + "/moby.epub"));
  EXPECT_EQ(POD_STATUS_OK, ExportRemoteDirectory(&posix, "/Books/moby.epub", out_ + "/moby.epub", nullptr));
  EXPECT_FALSE(Exists(out_ + "/moby.epub/dangling"));
}

}  // namespace
