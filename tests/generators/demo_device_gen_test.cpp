// Checks the device images written by demo_device_gen: the description has
// the record shapes the program reads, and every file it names exists, has
// the recorded size and is a real file of its kind.
#include <expat.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <plist/plist.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// ---------------------------------------------------------------- helpers

std::string ReadAll(const std::string& path) {
  std::string bytes;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return bytes;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
  std::fclose(f);
  return bytes;
}

uint32_t Le32(const std::string& b, size_t at) {
  if (at + 4 > b.size()) return 0;
  return static_cast<uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

uint16_t Le16(const std::string& b, size_t at) {
  if (at + 2 > b.size()) return 0;
  return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Extension(const std::string& path) {
  size_t dot = path.rfind('.');
  size_t slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return path.substr(dot + 1);
}

bool IsString(plist_t node) { return node && plist_get_node_type(node) == PLIST_STRING; }
bool IsUint(plist_t node) { return node && plist_get_node_type(node) == PLIST_UINT; }

std::string Str(plist_t dict, const char* key) {
  plist_t node = plist_dict_get_item(dict, key);
  if (!IsString(node)) return "";
  char* value = nullptr;
  plist_get_string_val(node, &value);
  std::string out = value ? value : "";
  std::free(value);
  return out;
}

uint64_t Uint(plist_t dict, const char* key) {
  plist_t node = plist_dict_get_item(dict, key);
  uint64_t value = 0;
  if (IsUint(node)) plist_get_uint_val(node, &value);
  return value;
}

int RunGenerator(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {DEMO_DEVICE_GEN};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> raw;
  for (std::string& a : argv) raw.push_back(&a[0]);
  raw.push_back(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    int null_fd = open("/dev/null", O_WRONLY);
    if (null_fd >= 0) dup2(null_fd, 1);
    execv(raw[0], raw.data());
    _exit(127);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// Owns a parsed description.
class Description {
 public:
  explicit Description(const std::string& image) {
    std::string xml = ReadAll(image + "/device.plist");
    if (!xml.empty()) plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &root_);
  }
  ~Description() {
    if (root_) plist_free(root_);
  }
  Description(const Description&) = delete;
  Description& operator=(const Description&) = delete;

  plist_t root() const { return root_; }
  plist_t info() const { return root_ ? plist_dict_get_item(root_, "Info") : nullptr; }
  plist_t List(const char* key) const {
    plist_t lists = root_ ? plist_dict_get_item(root_, "Lists") : nullptr;
    return lists ? plist_dict_get_item(lists, key) : nullptr;
  }
  // The items of a flat list, or of all groups of a grouped one.
  std::vector<plist_t> Items(const char* key) const {
    std::vector<plist_t> out;
    plist_t list = List(key);
    auto take = [&out](plist_t array) {
      if (!array || plist_get_node_type(array) != PLIST_ARRAY) return;
      for (uint32_t i = 0; i < plist_array_get_size(array); ++i) out.push_back(plist_array_get_item(array, i));
    };
    if (!list) return out;
    if (plist_get_node_type(list) == PLIST_ARRAY) {
      for (uint32_t g = 0; g < plist_array_get_size(list); ++g) {
        take(plist_dict_get_item(plist_array_get_item(list, g), "item"));
      }
    } else {
      take(plist_dict_get_item(list, "item"));
    }
    return out;
  }

 private:
  plist_t root_ = nullptr;
};

enum class Shape { kFlat, kGrouped };
enum class Kind { kMedia, kBook, kMemo, kPicture };

struct ListCase {
  const char* key;
  Shape shape;
  Kind kind;
  const char* group_key;
};

const ListCase kLists[] = {
    {"Music", Shape::kFlat, Kind::kMedia, nullptr},
    {"Movies", Shape::kFlat, Kind::kMedia, nullptr},
    {"TVShows", Shape::kFlat, Kind::kMedia, nullptr},
    {"Podcasts", Shape::kFlat, Kind::kMedia, nullptr},
    {"Audiobooks", Shape::kFlat, Kind::kMedia, nullptr},
    {"Ringtones", Shape::kFlat, Kind::kMedia, nullptr},
    {"Playlists", Shape::kGrouped, Kind::kMedia, "name"},
    {"Books", Shape::kGrouped, Kind::kBook, "catalog"},
    {"VoiceMemos", Shape::kFlat, Kind::kMemo, nullptr},
    {"CameraRoll", Shape::kFlat, Kind::kPicture, nullptr},
    {"Photos", Shape::kFlat, Kind::kPicture, nullptr},
};

const char* const kAudioLists[] = {"Music", "Podcasts", "Audiobooks", "Ringtones", "VoiceMemos"};
const char* const kVideoLists[] = {"Movies", "TVShows"};
const char* const kPictureLists[] = {"CameraRoll", "Photos"};

bool IsEpubPath(const std::string& path) { return Lower(Extension(path)) == "epub"; }

std::string Local(const std::string& image, const std::string& device_path) {
  return image + "/files" + device_path;
}

uint64_t FolderBytes(const std::string& folder) {
  uint64_t sum = 0;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (it->is_regular_file(ec)) sum += it->file_size(ec);
  }
  return sum;
}

// Every listed path is a device path inside files/ holding a file of the
// recorded size (a book in EPUB form: a folder).
void ExpectFilesMatchRecords(const std::string& image, const Description& d) {
  for (const ListCase& list : kLists) {
    for (plist_t item : d.Items(list.key)) {
      const std::string path = Str(item, "path");
      SCOPED_TRACE(std::string(list.key) + " " + path);
      ASSERT_FALSE(path.empty());
      EXPECT_EQ(path[0], '/');
      EXPECT_EQ(path.find("/../"), std::string::npos);
      struct stat st;
      ASSERT_EQ(stat(Local(image, path).c_str(), &st), 0);
      if (list.kind == Kind::kBook && IsEpubPath(path)) {
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        continue;
      }
      ASSERT_TRUE(S_ISREG(st.st_mode));
      if (list.kind == Kind::kBook) {
        EXPECT_GT(st.st_size, 0);
      } else {
        EXPECT_EQ(static_cast<uint64_t>(st.st_size), Uint(item, "size"));
      }
    }
  }
}

void ExpectCapacityAddsUp(const std::string& image, const Description& d) {
  plist_t info = d.info();
  ASSERT_TRUE(info);
  const char* const parts[] = {"Catacity", "Audio", "Video", "Photos", "Others", "Available"};
  for (const char* key : parts) EXPECT_TRUE(IsUint(plist_dict_get_item(info, key))) << key;
  EXPECT_EQ(Uint(info, "Audio") + Uint(info, "Video") + Uint(info, "Photos") + Uint(info, "Others") +
                Uint(info, "Available"),
            Uint(info, "Catacity"));
  auto sum = [&d](const char* const* keys, size_t n) {
    uint64_t total = 0;
    for (size_t k = 0; k < n; ++k) {
      for (plist_t item : d.Items(keys[k])) total += Uint(item, "size");
    }
    return total;
  };
  EXPECT_GE(Uint(info, "Audio"), sum(kAudioLists, 5));
  EXPECT_GE(Uint(info, "Video"), sum(kVideoLists, 2));
  EXPECT_GE(Uint(info, "Photos"), sum(kPictureLists, 2));
  uint64_t books = 0;
  for (plist_t item : d.Items("Books")) {
    const std::string local = Local(image, Str(item, "path"));
    books += IsEpubPath(local) ? FolderBytes(local) : fs::file_size(local);
  }
  EXPECT_GE(Uint(info, "Others"), books);
}

// The demo image is written once for all test processes (ctest runs each
// test on its own), and again when the generator is newer than it.
std::string DemoImage() {
  const std::string image = DEMO_IMAGE_DIR;
  int lock = open((image + ".lock").c_str(), O_CREAT | O_RDWR, 0644);
  if (lock >= 0) flock(lock, LOCK_EX);
  struct stat gen, desc;
  bool fresh = stat(DEMO_DEVICE_GEN, &gen) == 0 && stat((image + "/device.plist").c_str(), &desc) == 0 &&
               (desc.st_mtim.tv_sec > gen.st_mtim.tv_sec ||
                (desc.st_mtim.tv_sec == gen.st_mtim.tv_sec && desc.st_mtim.tv_nsec >= gen.st_mtim.tv_nsec));
  if (!fresh) RunGenerator({"--out", image});
  if (lock >= 0) {
    flock(lock, LOCK_UN);
    close(lock);
  }
  return image;
}

// ------------------------------------------------------------ file checks

struct RiffChunk {
  std::string id;
  size_t data;  // offset of the chunk's data
  uint32_t size;
};

// Walks the chunks in [begin, end), descending into LIST chunks.
void WalkRiff(const std::string& b, size_t begin, size_t end, std::vector<RiffChunk>* out, bool* ok) {
  size_t at = begin;
  while (at + 8 <= end) {
    RiffChunk c{b.substr(at, 4), at + 8, Le32(b, at + 4)};
    if (c.data + c.size > end) {
      *ok = false;
      return;
    }
    out->push_back(c);
    if (c.id == "LIST" && c.size >= 4) WalkRiff(b, c.data + 4, c.data + c.size, out, ok);
    at = c.data + c.size + (c.size & 1);
  }
  if (at != end) *ok = false;
}

// Checks a RIFF file of the given form type and returns its chunks.
std::vector<RiffChunk> RiffChunks(const std::string& b, const char* form) {
  std::vector<RiffChunk> chunks;
  EXPECT_GE(b.size(), 12u);
  if (b.size() < 12) return chunks;
  EXPECT_EQ(b.substr(0, 4), "RIFF");
  EXPECT_EQ(b.substr(8, 4), form);
  EXPECT_EQ(static_cast<size_t>(Le32(b, 4)) + 8, b.size()) << "RIFF size";
  bool ok = true;
  WalkRiff(b, 12, b.size(), &chunks, &ok);
  EXPECT_TRUE(ok) << "a chunk runs past its parent";
  return chunks;
}

void ExpectWavMatches(const std::string& file, uint64_t time_ms) {
  const std::string b = ReadAll(file);
  std::vector<RiffChunk> chunks = RiffChunks(b, "WAVE");
  const RiffChunk* fmt = nullptr;
  const RiffChunk* data = nullptr;
  for (const RiffChunk& c : chunks) {
    if (c.id == "fmt " && !data) fmt = &c;
    if (c.id == "data") data = &c;
  }
  ASSERT_TRUE(fmt) << "no fmt chunk before the data";
  ASSERT_TRUE(data);
  ASSERT_GE(fmt->size, 16u);
  const uint16_t format = Le16(b, fmt->data), channels = Le16(b, fmt->data + 2);
  const uint32_t rate = Le32(b, fmt->data + 4), byte_rate = Le32(b, fmt->data + 8);
  const uint16_t block = Le16(b, fmt->data + 12), bits = Le16(b, fmt->data + 14);
  EXPECT_EQ(format, 1) << "PCM";
  EXPECT_TRUE(channels == 1 || channels == 2);
  EXPECT_EQ(bits, 16);
  EXPECT_EQ(block, channels * bits / 8);
  EXPECT_EQ(byte_rate, rate * block);
  ASSERT_GT(byte_rate, 0u);
  EXPECT_EQ(data->size % block, 0u);
  const double duration = data->size * 1000.0 / byte_rate;
  EXPECT_NEAR(duration, static_cast<double>(time_ms), 1.0);
}

void ExpectMp3(const std::string& file) {
  const std::string b = ReadAll(file);
  ASSERT_GT(b.size(), 10u);
  size_t frame = 0;
  if (b.compare(0, 3, "ID3") == 0) {
    // Tag size: four 7-bit bytes.
    frame = 10 + ((static_cast<size_t>(b[6] & 0x7F) << 21) | (static_cast<size_t>(b[7] & 0x7F) << 14) |
                  (static_cast<size_t>(b[8] & 0x7F) << 7) | static_cast<size_t>(b[9] & 0x7F));
  }
  ASSERT_LT(frame + 1, b.size());
  EXPECT_EQ(static_cast<unsigned char>(b[frame]), 0xFF) << "frame sync";
  EXPECT_EQ(static_cast<unsigned char>(b[frame + 1]) & 0xE0, 0xE0) << "frame sync";
}

void ExpectAviMatches(const std::string& file, uint64_t time_ms) {
  const std::string b = ReadAll(file);
  std::vector<RiffChunk> chunks = RiffChunks(b, "AVI ");
  uint32_t usec = 0, frames = 0, scale = 0, rate = 0, length = 0;
  size_t video_chunks = 0, index_entries = 0;
  bool mjpeg = false, first_is_jpeg = false;
  for (const RiffChunk& c : chunks) {
    if (c.id == "avih") {
      usec = Le32(b, c.data);
      frames = Le32(b, c.data + 16);
    } else if (c.id == "strh" && b.compare(c.data, 4, "vids") == 0) {
      mjpeg = b.compare(c.data + 4, 4, "MJPG") == 0;
      scale = Le32(b, c.data + 20);
      rate = Le32(b, c.data + 24);
      length = Le32(b, c.data + 32);
    } else if (c.id == "00dc") {
      if (video_chunks++ == 0) first_is_jpeg = b.compare(c.data, 2, "\xFF\xD8") == 0;
    } else if (c.id == "idx1") {
      index_entries = c.size / 16;
    }
  }
  EXPECT_TRUE(mjpeg);
  EXPECT_TRUE(first_is_jpeg);
  EXPECT_GT(frames, 0u);
  EXPECT_EQ(video_chunks, frames);
  EXPECT_EQ(length, frames);
  EXPECT_GE(index_entries, video_chunks);
  EXPECT_NEAR(usec * static_cast<double>(frames) / 1000.0, static_cast<double>(time_ms), 1.0);
  ASSERT_GT(rate, 0u);
  EXPECT_NEAR(1000.0 * scale * length / rate, static_cast<double>(time_ms), 1.0);
}

// Parses XML; false when it is not well-formed. on_start sees every element.
bool ParseXml(const std::string& text,
              const std::function<void(const std::string&, std::map<std::string, std::string>)>& on_start) {
  XML_Parser parser = XML_ParserCreate("UTF-8");
  XML_SetUserData(parser, const_cast<void*>(static_cast<const void*>(&on_start)));
  XML_SetStartElementHandler(parser, [](void* user, const XML_Char* name, const XML_Char** attrs) {
    std::map<std::string, std::string> attributes;
    for (int i = 0; attrs[i]; i += 2) attributes[attrs[i]] = attrs[i + 1];
    (*static_cast<const std::function<void(const std::string&, std::map<std::string, std::string>)>*>(user))(
        name, attributes);
  });
  bool ok = XML_Parse(parser, text.data(), static_cast<int>(text.size()), XML_TRUE) == XML_STATUS_OK;
  XML_ParserFree(parser);
  return ok;
}

void ExpectEpubFolder(const std::string& folder) {
  EXPECT_EQ(ReadAll(folder + "/mimetype"), "application/epub+zip");
  std::string opf_path;
  ASSERT_TRUE(ParseXml(ReadAll(folder + "/META-INF/container.xml"),
                       [&](const std::string& name, std::map<std::string, std::string> a) {
                         if (name == "rootfile") opf_path = a["full-path"];
                       }));
  ASSERT_FALSE(opf_path.empty());
  const std::string opf_dir = fs::path(folder + "/" + opf_path).parent_path().string();
  std::set<std::string> ids;
  std::vector<std::string> hrefs, spine;
  int navs = 0;
  ASSERT_TRUE(ParseXml(ReadAll(folder + "/" + opf_path),
                       [&](const std::string& name, std::map<std::string, std::string> a) {
                         if (name == "item") {
                           ids.insert(a["id"]);
                           hrefs.push_back(a["href"]);
                           if (a["properties"].find("nav") != std::string::npos) ++navs;
                         } else if (name == "itemref") {
                           spine.push_back(a["idref"]);
                         }
                       }))
      << "package document not well-formed";
  EXPECT_EQ(navs, 1);
  EXPECT_FALSE(spine.empty());
  for (const std::string& idref : spine) EXPECT_TRUE(ids.count(idref)) << idref;
  for (const std::string& href : hrefs) {
    const std::string file = opf_dir + "/" + href;
    ASSERT_TRUE(fs::is_regular_file(file)) << href;
    const std::string ext = Extension(href);
    if (ext == "xhtml" || ext == "ncx") {
      EXPECT_TRUE(ParseXml(ReadAll(file), [](const std::string&, std::map<std::string, std::string>) {}))
          << href << " not well-formed";
    }
  }
}

void ExpectPdf(const std::string& file) {
  const std::string b = ReadAll(file);
  ASSERT_EQ(b.compare(0, 5, "%PDF-"), 0);
  ASSERT_GE(b.size(), 6u);
  EXPECT_EQ(b.substr(b.size() - 6), "%%EOF\n");
  size_t at = b.rfind("startxref\n");
  ASSERT_NE(at, std::string::npos);
  size_t xref = std::strtoul(b.c_str() + at + 10, nullptr, 10);
  ASSERT_LT(xref, b.size());
  ASSERT_EQ(b.compare(xref, 7, "xref\n0 "), 0);
  char* end = nullptr;
  unsigned long count = std::strtoul(b.c_str() + xref + 7, &end, 10);
  size_t entries = static_cast<size_t>(end - b.c_str()) + 1;
  ASSERT_GT(count, 1u);
  // Every object's entry is 20 bytes and points at "n 0 obj".
  for (unsigned long i = 1; i < count; ++i) {
    size_t offset = std::strtoul(b.c_str() + entries + 20 * i, nullptr, 10);
    const std::string header = std::to_string(i) + " 0 obj";
    EXPECT_EQ(b.compare(offset, header.size(), header), 0) << "object " << i;
  }
}

// Pictures must look like photographs or screens: smooth neighbours, but
// not one flat colour. Noise or a blank frame fails.
void ExpectPictureLike(const wxImage& img) {
  const int w = img.GetWidth(), h = img.GetHeight();
  const unsigned char* px = img.GetData();
  double diff = 0, sum = 0, sum2 = 0;
  size_t n = 0;
  for (int y = 0; y < h; y += 3) {
    for (int x = 0; x + 1 < w; x += 3) {
      const unsigned char* p = px + (static_cast<size_t>(y) * w + x) * 3;
      double luma = 0.3 * p[0] + 0.59 * p[1] + 0.11 * p[2];
      double next = 0.3 * p[3] + 0.59 * p[4] + 0.11 * p[5];
      diff += std::fabs(luma - next);
      sum += luma;
      sum2 += luma * luma;
      ++n;
    }
  }
  ASSERT_GT(n, 0u);
  const double mean = sum / n;
  EXPECT_LT(diff / n, 12.0) << "neighbouring pixels differ like noise";
  EXPECT_GT(std::sqrt(std::max(0.0, sum2 / n - mean * mean)), 6.0) << "a nearly flat picture";
}

void ExpectPicture(const std::string& file) {
  const std::string ext = Lower(Extension(file));
  const std::string b = ReadAll(file);
  ASSERT_GT(b.size(), 16u);
  if (ext == "heic") {
    EXPECT_EQ(b.substr(4, 4), "ftyp");
    const std::string brand = b.substr(8, 4);
    EXPECT_TRUE(brand == "heic" || brand == "heix" || brand == "mif1") << brand;
    return;
  }
  if (ext == "png") {
    EXPECT_EQ(b.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
  } else {
    ASSERT_TRUE(ext == "jpg" || ext == "jpeg") << ext;
    EXPECT_EQ(b.substr(0, 3), "\xFF\xD8\xFF");
    EXPECT_EQ(b.substr(b.size() - 2), "\xFF\xD9");
  }
  wxImage img;
  wxLogNull quiet;
  ASSERT_TRUE(img.LoadFile(wxString::FromUTF8(file.c_str()), ext == "png" ? wxBITMAP_TYPE_PNG : wxBITMAP_TYPE_JPEG));
  EXPECT_GE(img.GetWidth(), 100);
  EXPECT_GE(img.GetHeight(), 100);
  ExpectPictureLike(img);
}

// ------------------------------------------------------------- demo image

class DemoDeviceGenImageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    image_ = new std::string(DemoImage());
    description_ = new Description(*image_);
  }
  static void TearDownTestSuite() {
    delete description_;
    delete image_;
  }
  void SetUp() override { ASSERT_TRUE(description_->root()) << "no readable " << *image_ << "/device.plist"; }

  static const Description& d() { return *description_; }
  static std::string Local(const std::string& device_path) { return ::Local(*image_, device_path); }

  static std::string* image_;
  static Description* description_;
};

std::string* DemoDeviceGenImageTest::image_ = nullptr;
Description* DemoDeviceGenImageTest::description_ = nullptr;

TEST_F(DemoDeviceGenImageTest, DescribesAPhone) {
  plist_t root = d().root();
  const std::string id = Str(root, "Identifier");
  EXPECT_TRUE(std::regex_match(id, std::regex("[0-9a-f]{40}"))) << id;
  EXPECT_EQ(Str(root, "ConnectionType"), "usb");
  plist_t info = d().info();
  ASSERT_TRUE(info);
  EXPECT_EQ(Str(info, "DeviceName"), "Demo iPhone");
  EXPECT_NE(Str(info, "Type").find("iPhone"), std::string::npos);
  EXPECT_FALSE(Str(info, "Version").empty());
  EXPECT_FALSE(Str(info, "SerialNumber").empty());
  ExpectCapacityAddsUp(*image_, d());
}

TEST_F(DemoDeviceGenImageTest, AllElevenListsHaveTheirShapes) {
  for (const ListCase& list : kLists) {
    SCOPED_TRACE(list.key);
    plist_t node = d().List(list.key);
    ASSERT_TRUE(node);
    std::vector<plist_t> groups;
    if (list.shape == Shape::kFlat) {
      ASSERT_EQ(plist_get_node_type(node), PLIST_DICT);
      groups.push_back(node);
    } else {
      ASSERT_EQ(plist_get_node_type(node), PLIST_ARRAY);
      ASSERT_GT(plist_array_get_size(node), 0u);
      for (uint32_t g = 0; g < plist_array_get_size(node); ++g) {
        plist_t group = plist_array_get_item(node, g);
        ASSERT_EQ(plist_get_node_type(group), PLIST_DICT);
        EXPECT_FALSE(Str(group, list.group_key).empty());
        groups.push_back(group);
      }
    }
    for (plist_t group : groups) {
      plist_t items = plist_dict_get_item(group, "item");
      ASSERT_TRUE(items && plist_get_node_type(items) == PLIST_ARRAY);
      ASSERT_TRUE(IsUint(plist_dict_get_item(group, "number")));
      EXPECT_EQ(Uint(group, "number"), plist_array_get_size(items));
      EXPECT_GT(plist_array_get_size(items), 0u);
      for (uint32_t i = 0; i < plist_array_get_size(items); ++i) {
        plist_t item = plist_array_get_item(items, i);
        std::vector<const char*> strings = {"path"}, numbers = {"size"};
        switch (list.kind) {
          case Kind::kMedia:
            strings = {"title", "genre", "artist", "album", "path"};
            numbers = {"time", "size"};
            break;
          case Kind::kBook:
            strings = {"title", "genre", "artist", "album", "path"};
            numbers = {};
            EXPECT_FALSE(plist_dict_get_item(item, "time"));
            EXPECT_FALSE(plist_dict_get_item(item, "size"));
            break;
          case Kind::kMemo:
            strings = {"name", "title", "path"};
            numbers = {"time", "size"};
            break;
          case Kind::kPicture:
            strings = {"path", "time"};
            EXPECT_TRUE(std::regex_match(Str(item, "time"),
                                         std::regex("\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}")))
                << Str(item, "time");
            break;
        }
        for (const char* key : strings) EXPECT_TRUE(IsString(plist_dict_get_item(item, key))) << key;
        for (const char* key : numbers) EXPECT_TRUE(IsUint(plist_dict_get_item(item, key))) << key;
      }
    }
  }
}

TEST_F(DemoDeviceGenImageTest, EveryPathNamesAFileOfTheRecordedSize) { ExpectFilesMatchRecords(*image_, d()); }

TEST_F(DemoDeviceGenImageTest, PlaylistTracksAreSongsOfTheLibrary) {
  std::map<std::string, plist_t> songs;
  for (plist_t song : d().Items("Music")) songs[Str(song, "path")] = song;
  plist_t playlists = d().List("Playlists");
  ASSERT_TRUE(playlists);
  EXPECT_EQ(plist_array_get_size(playlists), 3u);
  for (plist_t track : d().Items("Playlists")) {
    auto song = songs.find(Str(track, "path"));
    ASSERT_NE(song, songs.end()) << Str(track, "path");
    for (const char* key : {"title", "genre", "artist", "album"}) {
      EXPECT_EQ(Str(track, key), Str(song->second, key)) << key;
    }
    for (const char* key : {"time", "size"}) EXPECT_EQ(Uint(track, key), Uint(song->second, key)) << key;
  }
}

TEST_F(DemoDeviceGenImageTest, SoundAndVideoFilesLastTheirRecordedTime) {
  int wav = 0, mp3 = 0, avi = 0;
  for (const char* list : {"Music", "Podcasts", "Audiobooks", "Ringtones", "VoiceMemos", "Movies", "TVShows"}) {
    for (plist_t item : d().Items(list)) {
      const std::string path = Str(item, "path");
      SCOPED_TRACE(path);
      const std::string ext = Lower(Extension(path));
      EXPECT_GT(Uint(item, "time"), 0u);
      if (ext == "wav") {
        ++wav;
        ExpectWavMatches(Local(path), Uint(item, "time"));
      } else if (ext == "mp3") {
        ++mp3;
        ExpectMp3(Local(path));
      } else if (ext == "avi") {
        ++avi;
        ExpectAviMatches(Local(path), Uint(item, "time"));
      } else {
        ADD_FAILURE() << "unexpected kind of file";
      }
    }
  }
  EXPECT_GT(wav, 0);
  EXPECT_GT(avi, 0);
}

TEST_F(DemoDeviceGenImageTest, PicturesDecodeAndLookLikePictures) {
  std::set<std::string> extensions;
  for (const char* list : kPictureLists) {
    for (plist_t item : d().Items(list)) {
      const std::string path = Str(item, "path");
      SCOPED_TRACE(path);
      extensions.insert(Extension(path));
      ExpectPicture(Local(path));
    }
  }
  EXPECT_TRUE(extensions.count("JPG"));
  EXPECT_TRUE(extensions.count("PNG") || extensions.count("png"));
  EXPECT_EQ(extensions.count("heic"), HEIF_ENC_FOUND ? 1u : 0u);
}

TEST_F(DemoDeviceGenImageTest, BooksAreEpubFoldersAndPdfFiles) {
  int epubs = 0, pdfs = 0;
  for (plist_t item : d().Items("Books")) {
    const std::string path = Str(item, "path");
    SCOPED_TRACE(path);
    if (IsEpubPath(path)) {
      ++epubs;
      ExpectEpubFolder(Local(path));
    } else {
      ASSERT_EQ(Lower(Extension(path)), "pdf");
      ++pdfs;
      ExpectPdf(Local(path));
    }
  }
  EXPECT_GE(epubs, 2);
  EXPECT_GE(pdfs, 1);
  EXPECT_EQ(plist_array_get_size(d().List("Books")), 2u);
}

TEST_F(DemoDeviceGenImageTest, HoldsTheAwkwardCasesTheProgramMustHandle) {
  std::set<std::string> genres;
  bool unsafe_title = false, non_ascii_title = false;
  for (plist_t song : d().Items("Music")) {
    genres.insert(Str(song, "genre"));
    const std::string title = Str(song, "title");
    unsafe_title |= title.find_first_of("/\\:*?\"<>|") != std::string::npos;
    non_ascii_title |= std::any_of(title.begin(), title.end(), [](char c) { return (c & 0x80) != 0; });
  }
  EXPECT_TRUE(genres.count("Hip-Hop") && genres.count("hip-hop")) << "one genre in two spellings";
  EXPECT_TRUE(unsafe_title) << "a title that is not a valid file name";
  EXPECT_TRUE(non_ascii_title);
  EXPECT_GE(d().Items("Music").size(), 50u);
  EXPECT_EQ(d().Items("CameraRoll").size(), 40u);
  EXPECT_EQ(d().Items("Photos").size(), 20u);

  int unnamed = 0, named = 0;
  for (plist_t memo : d().Items("VoiceMemos")) {
    if (Str(memo, "name").empty()) {
      ++unnamed;
      EXPECT_FALSE(Str(memo, "title").empty()) << "the title is what an unnamed memo shows";
    } else {
      ++named;
    }
  }
  EXPECT_EQ(unnamed, 1);
  EXPECT_GT(named, 0);
}

// -------------------------------------------------------- other arguments

std::string MakeTempDir() {
  std::string pattern = (fs::temp_directory_path() / "demo-gen-XXXXXX").string();
  return mkdtemp(&pattern[0]) ? pattern : std::string();
}

TEST(DemoDeviceGenTest, LargeCountsAreHonouredAndARerunReplacesTheImage) {
  const std::string temp = MakeTempDir();
  ASSERT_FALSE(temp.empty());
  const std::string out = temp + "/bench";
  // No camera roll at all keeps the run short; photos beyond the demo's
  // twenty are benchmark pictures.
  const std::vector<std::string> args = {"--out", out, "--name", "Bench Phone", "--songs", "150",
                                         "--camera-roll", "0", "--photos", "22", "--seed", "7"};
  ASSERT_EQ(RunGenerator(args), 0);
  {
    Description d(out);
    ASSERT_TRUE(d.root());
    EXPECT_EQ(Str(d.info(), "DeviceName"), "Bench Phone");
    EXPECT_EQ(Uint(d.List("Music"), "number"), 150u);
    EXPECT_EQ(d.Items("Music").size(), 150u);
    EXPECT_EQ(Uint(d.List("CameraRoll"), "number"), 0u);
    EXPECT_EQ(Uint(d.List("Photos"), "number"), 22u);
    ExpectFilesMatchRecords(out, d);
    ExpectCapacityAddsUp(out, d);
    std::set<std::string> paths;
    for (plist_t song : d.Items("Music")) paths.insert(Str(song, "path"));
    EXPECT_EQ(paths.size(), 150u) << "two songs share a device path";
    // The extra items are real files of their kind too.
    std::vector<plist_t> songs = d.Items("Music");
    ExpectWavMatches(Local(out, Str(songs.back(), "path")), Uint(songs.back(), "time"));
    ExpectPicture(Local(out, Str(d.Items("Photos").back(), "path")));
  }
  const std::string first = ReadAll(out + "/device.plist");

  std::FILE* stray = std::fopen((out + "/files/stray.txt").c_str(), "w");
  ASSERT_TRUE(stray);
  std::fclose(stray);
  ASSERT_EQ(RunGenerator(args), 0);
  EXPECT_FALSE(fs::exists(out + "/files/stray.txt")) << "the old image was not replaced";
  EXPECT_FALSE(fs::exists(out + ".tmp"));
  EXPECT_FALSE(fs::exists(out + ".old"));
  EXPECT_EQ(ReadAll(out + "/device.plist"), first) << "the same arguments give the same image";

  std::error_code ec;
  fs::remove_all(temp, ec);
}

TEST(DemoDeviceGenTest, RejectsBadArgumentsWithoutWriting) {
  const std::string temp = MakeTempDir();
  ASSERT_FALSE(temp.empty());
  const std::string out = temp + "/image";
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"--songs", "10"},
      {"--out", out, "--songs", "many"},
      {"--out", out, "--photos", "-3"},
      {"--out", out, "--camera-roll"},
      {"--out", out, "--colour", "red"},
  };
  for (const auto& args : cases) {
    std::string joined;
    for (const std::string& a : args) joined += a + " ";
    SCOPED_TRACE(joined);
    EXPECT_EQ(RunGenerator(args), 2);
    EXPECT_FALSE(fs::exists(out));
  }
  std::error_code ec;
  fs::remove_all(temp, ec);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  wxInitializer toolkit;
  if (!toolkit.IsOk()) {
    std::fprintf(stderr, "cannot initialise the toolkit\n");
    return 1;
  }
  wxInitAllImageHandlers();
  return RUN_ALL_TESTS();
}
