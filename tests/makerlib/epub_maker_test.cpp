// The e-book container written by CreateEpubFromDir, read back with libzip.
#include <dirent.h>
#include <gtest/gtest.h>
#include <zip.h>

#include <string>
#include <vector>

#include "epub_maker.h"
#include "test_support.h"

namespace {

using namespace makerlib_test;

struct Entry {
  std::string name;
  uint16_t method;
  std::string content;
};

std::vector<Entry> ReadArchive(const std::string& path) {
  std::vector<Entry> entries;
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
  if (archive == nullptr) return entries;
  zip_int64_t count = zip_get_num_entries(archive, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &st) != 0) break;
    Entry entry{st.name, st.comp_method, std::string(st.size, '\0')};
    zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
    if (file == nullptr) break;
    zip_int64_t n = zip_fread(file, entry.content.data(), st.size);
    zip_fclose(file);
    if (n != static_cast<zip_int64_t>(st.size)) break;
    entries.push_back(entry);
  }
  zip_close(archive);
  return entries;
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (struct dirent* e = readdir(dir))
    if (e->d_name[0] != '.' || (e->d_name[1] != '\0' && e->d_name[1] != '.'))
      names.push_back(e->d_name);
  closedir(dir);
  return names;
}

class MakerEpubTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(tmp_.path().empty());
    book_ = tmp_ / "book.epub.dir";
    WriteFile(book_ + "/OEBPS/content.opf", std::string(5000, 'a'));
    WriteFile(book_ + "/META-INF/container.xml", "<container>" + std::string(2000, 'c') + "</container>");
    WriteFile(book_ + "/OEBPS/Text/ch1.xhtml", std::string(8000, 'x'));
    WriteFile(book_ + "/OEBPS/Images/cover.jpg", Pattern(3000));
    WriteFile(book_ + "/A.txt", "upper case sorts first");
    out_ = tmp_ / "out";
    MakeDirs(out_);
  }

  TempDir tmp_;
  std::string book_, out_;
};

TEST_F(MakerEpubTest, MimetypeComesFirstStoredAndTheRestCompressedInOrder) {
  WriteFile(book_ + "/mimetype", "application/epub+zip\n");
  const std::string target = out_ + "/Book.epub";
  ASSERT_EQ(CreateEpubFromDir((book_ + "/").c_str(), target.c_str()), EPUB_STATUS_OK);
  std::vector<Entry> entries = ReadArchive(target);
  ASSERT_EQ(entries.size(), 6u);
  EXPECT_EQ(entries[0].name, "mimetype");
  EXPECT_EQ(entries[0].method, ZIP_CM_STORE);
  // The line end of the file is dropped: readers compare the bare type.
  EXPECT_EQ(entries[0].content, "application/epub+zip");
  const std::vector<std::string> expected = {"A.txt", "META-INF/container.xml",
                                             "OEBPS/Images/cover.jpg",
                                             "OEBPS/Text/ch1.xhtml", "OEBPS/content.opf"};
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i]);
    EXPECT_EQ(entries[i + 1].name, expected[i]);
    EXPECT_EQ(entries[i + 1].method, ZIP_CM_DEFLATE);
    EXPECT_EQ(entries[i + 1].content, ReadFile(book_ + "/" + expected[i]));
  }
  // Nothing but the book is left beside it.
  EXPECT_EQ(Names(out_), std::vector<std::string>{"Book.epub"});
  // The "mimetype" bytes sit at the fixed place readers look for them.
  EXPECT_EQ(ReadFile(target).substr(30, 28), "mimetypeapplication/epub+zip");
}

TEST_F(MakerEpubTest, MissingMimetypeGetsTheStandardOne) {
  const std::string target = out_ + "/Book.epub";
  ASSERT_EQ(CreateEpubFromDir(book_.c_str(), target.c_str()), EPUB_STATUS_OK);
  std::vector<Entry> entries = ReadArchive(target);
  ASSERT_EQ(entries.size(), 6u);
  EXPECT_EQ(entries[0].name, "mimetype");
  EXPECT_EQ(entries[0].method, ZIP_CM_STORE);
  EXPECT_EQ(entries[0].content, "application/epub+zip");
}

TEST_F(MakerEpubTest, ExistingTargetIsLeftUntouched) {
  const std::string target = out_ + "/Book.epub";
  WriteFile(target, "an older book");
  EXPECT_EQ(CreateEpubFromDir((book_ + "/").c_str(), target.c_str()),
            EPUB_STATUS_TARGET_EXISTS);
  EXPECT_EQ(ReadFile(target), "an older book");
  EXPECT_EQ(Names(out_), std::vector<std::string>{"Book.epub"});
}

TEST_F(MakerEpubTest, FailuresLeaveNoTarget) {
  EXPECT_EQ(CreateEpubFromDir((tmp_ / "no_such_dir/").c_str(), (out_ + "/a.epub").c_str()),
            EPUB_STATUS_READ_FAILED);
  EXPECT_EQ(CreateEpubFromDir((book_ + "/").c_str(), (tmp_ / "no/folder/a.epub").c_str()),
            EPUB_STATUS_WRITE_FAILED);
  EXPECT_EQ(CreateEpubFromDir(nullptr, (out_ + "/a.epub").c_str()), EPUB_STATUS_BAD_ARGUMENT);
  EXPECT_EQ(CreateEpubFromDir((book_ + "/").c_str(), nullptr), EPUB_STATUS_BAD_ARGUMENT);
  EXPECT_TRUE(Names(out_).empty());
  EXPECT_FALSE(Exists(tmp_ / "no"));
}

TEST_F(MakerEpubTest, LinksInTheDirectoryAreNotPacked) {
  WriteFile(tmp_ / "private.txt", "secret");
  ASSERT_EQ(symlink((tmp_ / "private.txt").c_str(), (book_ + "/OEBPS/leak.txt").c_str()), 0);
  const std::string target = out_ + "/Book.epub";
  ASSERT_EQ(CreateEpubFromDir((book_ + "/").c_str(), target.c_str()), EPUB_STATUS_OK);
  for (const Entry& e : ReadArchive(target)) EXPECT_NE(e.name, "OEBPS/leak.txt");
}

}  // namespace
