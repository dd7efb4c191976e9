// Detection of devices whose descriptions hold hostile or unusual values:
// the process lives, every string the program reads back is valid text, and
// nothing but the device's own work directory changes on disk.
#include <glib.h>
#include <gtest/gtest.h>
#include <plist/plist.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/app_data.h"
#include "app/category_table.h"
#include "app/zl_app_path.h"
#include "device/device_record.h"
#include "device/do_detect_device.h"
#include "device_image_fixture.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::DeviceImageBuilder;
using testsupport::Dict;

const wxString kBad(wxUniChar(0xfffd));

std::string HexId(int n) {
  char buffer[41];
  snprintf(buffer, sizeof buffer, "%040x", n);
  return buffer;
}

// Every entry below root and its state, leaving out the entries right
// below root that are named in skip (and all they hold).
std::map<std::string, std::string> Snapshot(const std::string& root,
                                            const std::set<std::string>& skip) {
  std::map<std::string, std::string> tree;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(root, error);
       it != fs::recursive_directory_iterator(); it.increment(error)) {
    const fs::path relative = it->path().lexically_relative(root);
    if (it.depth() == 0 && skip.count(relative.string())) {
      it.disable_recursion_pending();
      continue;
    }
    // Work copies of large descriptions lie here too: a file is told by
    // its identity, size and times rather than read.
    struct stat st;
    if (lstat(it->path().c_str(), &st) != 0) continue;
    std::string what = std::to_string(st.st_mode) + " " +
                       std::to_string(st.st_ino) + " " +
                       std::to_string(st.st_size) + " " +
                       std::to_string(st.st_mtim.tv_sec) + "." +
                       std::to_string(st.st_mtim.tv_nsec);
    if (S_ISLNK(st.st_mode)) what += " " + fs::read_symlink(it->path()).string();
    tree[relative.string()] = what;
  }
  return tree;
}

// Checks every string under node as the program reads it, against glib's
// own UTF-8 check: clean text comes back byte for byte, a NUL inside reads
// as empty text, and bad UTF-8 comes back holding U+FFFD.
void ExpectStringsReadBackValid(plist_t node, const std::string& where) {
  if (!node) return;
  switch (plist_get_node_type(node)) {
    case PLIST_STRING: {
      uint64_t length = 0;
      const char* bytes = plist_get_string_ptr(node, &length);
      const std::string raw(bytes, static_cast<size_t>(length));
      const wxString text = record::StringValue(node);
      EXPECT_EQ(text.Find(wxUniChar(0)), wxNOT_FOUND) << where;
      if (raw.find('\0') != std::string::npos)
        EXPECT_TRUE(text.empty()) << where;
      else if (g_utf8_validate(raw.data(), static_cast<gssize>(raw.size()), nullptr))
        EXPECT_EQ(text.utf8_string(), raw) << where;
      else
        EXPECT_NE(text.Find(kBad), wxNOT_FOUND) << where;
      break;
    }
    case PLIST_DICT: {
      plist_dict_iter iter = nullptr;
      plist_dict_new_iter(node, &iter);
      for (;;) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(node, iter, &key, &value);
        if (!value) break;
        ExpectStringsReadBackValid(value, where + "/" + (key ? key : ""));
        free(key);
      }
      free(iter);
      break;
    }
    case PLIST_ARRAY:
      for (uint32_t i = 0; i < plist_array_get_size(node); ++i)
        ExpectStringsReadBackValid(plist_array_get_item(node, i),
                                   where + "[" + std::to_string(i) + "]");
      break;
    default:
      break;
  }
}

class HostileDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = testsupport::MakeTempDir("hostile");
    options_ = ZLAppPath::GetOptionsFilePath().utf8_string();
    language_ = ZLAppPath::GetLanguageFilePath().utf8_string();
    testsupport::WriteFile(options_, kOptions);
    testsupport::WriteFile(language_, "89");
  }
  void TearDown() override {
    testsupport::ConnectImages({});
    DetectDevices();  // releases what the test opened
  }

  // Detects the images and checks the surroundings: the temporary and data
  // directories hold what they held before, apart from the work directories
  // of the identifiers named, and the program's own files are untouched.
  wxString Detect(const std::vector<std::string>& images,
                  const std::vector<std::string>& work_ids) {
    std::set<std::string> work;
    for (const std::string& id : work_ids)
      work.insert(SafeDirectoryName(wxString::FromUTF8(id)).utf8_string());
    const std::string temp = ZLAppPath::GetTemporaryDir().utf8_string();
    const std::string data = ZLAppPath::GetDataDir().utf8_string();
    const auto temp_before = Snapshot(temp, work);
    const auto data_before = Snapshot(data, {});

    testsupport::ConnectImages(images);
    const wxString warning = DetectDevices();

    EXPECT_EQ(Snapshot(temp, work), temp_before);
    EXPECT_EQ(Snapshot(data, {}), data_before);
    EXPECT_EQ(testsupport::ReadFile(options_), kOptions);
    EXPECT_EQ(testsupport::ReadFile(language_), "89");
    for (int i = 0; i < List().device_count; ++i) {
      const DeviceContext& context = List().device_contexts[i];
      const std::string where = "device " + std::to_string(i);
      EXPECT_EQ(context.name.Find(wxUniChar(0)), wxNOT_FOUND) << where;
      ExpectStringsReadBackValid(context.info, where + " info");
      for (const CategoryInfo& category : kCategories)
        ExpectStringsReadBackValid(context.*category.list_field,
                                   where + " " + category.name);
    }
    return warning;
  }

  static CurrentDeviceList& List() { return AppData::current_device_list_; }

  static constexpr const char* kOptions =
      "<?xml version=\"1.0\"?><plist><dict/></plist>";
  std::string root_;
  std::string options_;
  std::string language_;
};

// One hostile value in every place a device gives text: the information,
// the items of flat lists, the groups and items of grouped lists, memos and
// pictures.
TEST_F(HostileDeviceTest, HostileTextIsReadBackAsValidText) {
  const char nul[] = "ab\0cd";
  const struct {
    const char* name;
    std::string bytes;
    wxString expected;
  } cases[] = {
      {"NUL inside", std::string(nul, sizeof nul - 1), ""},
      {"invalid byte", "a\xff" "b", "a" + kBad + "b"},
      {"overlong", "x\xc0\xafy", "x" + kBad + kBad + "y"},
      {"overlong three bytes", "\xe0\x80\xaf", kBad + kBad + kBad},
      {"surrogate", "\xed\xa0\x80z", kBad + kBad + kBad + "z"},
      {"above U+10FFFF", "\xf4\x90\x80\x80", kBad + kBad + kBad + kBad},
      {"60 characters", std::string(60, 'w'), wxString('w', 60)},
      {"300 characters", std::string(300, 'W'), wxString('W', 300)},
      {"1,000,000 characters", std::string(1000000, 'm'), wxString('m', 1000000)},
      {"several lines", "first\nsecond\n\tthird", "first\nsecond\n\tthird"},
      {"markup characters", "<b>&amp;</b>", "<b>&amp;</b>"},
      {"non-ASCII", "Caf\xc3\xa9 \xe6\x97\xa5 \xf0\x9f\x8e\xb5",
       wxString::FromUTF8("Caf\xc3\xa9 \xe6\x97\xa5 \xf0\x9f\x8e\xb5")},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string id = HexId(500 + n);
    DeviceImageBuilder image(root_ + "/text" + std::to_string(n++));
    const std::string v = image.Raw(c.bytes);
    image.Identifier(id)
        .Info(Dict({{"DeviceName", v}, {"Type", v}, {"Version", v},
                    {"SerialNumber", v}},
                   {{"Catacity", 1000}}))
        .List("Music", testsupport::FlatList({Dict(
                           {{"title", v}, {"artist", v}, {"album", v},
                            {"genre", v}, {"path", v}}, {{"size", 1}})}))
        .List("Playlists", testsupport::ArrayOf({testsupport::Group(
                               "name", v, {Dict({{"title", v}})})}))
        .List("Books", testsupport::ArrayOf({testsupport::Group(
                           "catalog", v, {Dict({{"title", v}})})}))
        .List("VoiceMemos",
              testsupport::FlatList({Dict({{"name", v}, {"title", v}})}))
        .List("CameraRoll",
              testsupport::FlatList({Dict({{"path", v}, {"time", v}})}));
    EXPECT_EQ(Detect({image.Write()}, {id}), "");
    ASSERT_EQ(List().device_count, 1);
    const DeviceContext& device = List().device_contexts[0];
    ASSERT_TRUE(device.valid);
    // A damaged name is no name.
    EXPECT_EQ(device.name, c.expected.empty() ? wxString("Unknown Device")
                                              : c.expected);
    plist_t song = record::ArrayItem(record::Items(device.music_list), 0);
    plist_t playlist = record::ArrayItem(device.playlist_list, 0);
    plist_t book_catalog = record::ArrayItem(device.book_list, 0);
    plist_t memo = record::ArrayItem(record::Items(device.voice_memo_list), 0);
    plist_t picture = record::ArrayItem(record::Items(device.camera_roll_list), 0);
    const std::pair<const char*, wxString> read_back[] = {
        {"Type", record::String(device.info, "Type")},
        {"Version", record::String(device.info, "Version")},
        {"SerialNumber", record::String(device.info, "SerialNumber")},
        {"title", record::String(song, "title")},
        {"artist", record::String(song, "artist")},
        {"album", record::String(song, "album")},
        {"genre", record::String(song, "genre")},
        {"path", record::String(song, "path")},
        {"playlist name", record::String(playlist, "name")},
        {"playlist track",
         record::String(record::ArrayItem(record::Items(playlist), 0), "title")},
        {"catalog", record::String(book_catalog, "catalog")},
        {"book", record::String(record::ArrayItem(record::Items(book_catalog), 0),
                                "title")},
        {"memo", record::VoiceMemoName(memo)},
        {"picture path", record::String(picture, "path")},
        {"picture time", record::String(picture, "time")},
    };
    for (const auto& value : read_back)
      EXPECT_TRUE(value.second == c.expected) << value.first;
    EXPECT_EQ(record::UInt(song, "size"), 1u);
  }
}

// The description's own strings: an identifier or connection type that
// cannot be read leaves the image out; identifiers that name the program's
// own files or no file at all harm nothing.
TEST_F(HostileDeviceTest, HostileIdentifiersAndConnectionTypes) {
  const char nul_id[] = "00ab\0cd";
  const char nul_type[] = "pa\0th";
  const struct {
    const char* name;
    std::string identifier;
    const char* type;  // raw bytes; null for none
    size_t type_size;
    bool listed;
    bool valid;
    const char* warning;
  } cases[] = {
      {"identifier with NUL", std::string(nul_id, sizeof nul_id - 1), nullptr, 0,
       false, false, ""},
      {"identifier with bad UTF-8", "ab\xff" "cd", nullptr, 0, false, false, ""},
      {"identifier overlong", "a\xc0\xae", nullptr, 0, false, false, ""},
      {"identifier naming the options folder", "options", nullptr, 0, true, true,
       ""},
      {"identifier naming the language file", "language.txt", nullptr, 0, true,
       true, ""},
      {"identifier of 60 characters", std::string(60, 'a'), nullptr, 0, true,
       true, ""},
      // Too long for a directory name: the device cannot be opened.
      {"identifier of 300 characters", std::string(300, 'b'), nullptr, 0, true,
       false, "Device connect failed."},
      {"connection type with NUL", HexId(600), nul_type, sizeof nul_type - 1,
       false, false, ""},
      {"connection type with bad UTF-8", HexId(601), "us\xff", 3, true, false,
       "Device connect failed."},
      {"connection type above U+10FFFF", HexId(602), "\xf4\x90\x80\x80", 4, true,
       false, "Device connect failed."},
      {"connection type of several lines", HexId(603), "usb\nsecond", 10, true,
       true, ""},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DeviceImageBuilder image(root_ + "/ids" + std::to_string(n++));
    image.Identifier(image.Raw(c.identifier))
        .Info(Dict({{"DeviceName", "Named"}}))
        .List("Music", testsupport::FlatList({Dict({{"title", "Song"}})}));
    if (c.type) image.ConnectionType(image.Raw(std::string(c.type, c.type_size)));
    // A device that is not opened leaves no work directory either.
    std::vector<std::string> work;
    if (c.valid) work.push_back(c.identifier);
    EXPECT_EQ(Detect({image.Write()}, work), c.warning);
    ASSERT_EQ(List().device_count, c.listed ? 1 : 0);
    if (!c.listed) continue;
    const DeviceContext& device = List().device_contexts[0];
    EXPECT_EQ(device.valid, c.valid);
    if (c.valid) {
      EXPECT_EQ(device.id.utf8_string(), c.identifier);
      EXPECT_EQ(device.name, "Named");
      EXPECT_EQ(record::Number(device.music_list), 1u);
    } else {
      EXPECT_EQ(device.info, nullptr);
    }
  }
}

// Numbers at their limits, items that are not dictionaries and lists of the
// wrong shape are read as what they are, and as nothing where the shape does
// not fit.
TEST_F(HostileDeviceTest, UnusualNumbersAndShapes) {
  const uint64_t kMax = UINT64_MAX;
  DeviceImageBuilder numbers(root_ + "/numbers");
  numbers.Identifier(HexId(700))
      .Info(Dict({{"DeviceName", "Numbers"}},
                 {{"Catacity", kMax}, {"Audio", 0}, {"Video", kMax},
                  {"Photos", 0}, {"Others", 0}, {"Available", kMax}}));
  plist_t music = testsupport::FlatList(
      {Dict({{"title", "Huge"}}, {{"size", kMax}, {"time", kMax}}),
       Dict({{"title", "Zero"}}, {{"size", 0}, {"time", 0}}),
       plist_new_string("not a dictionary"), plist_new_uint(5),
       testsupport::ArrayOf({Dict({{"title", "nested"}})})});
  plist_dict_set_item(music, "number", plist_new_uint(kMax));
  numbers.List("Music", music)
      .List("Movies", plist_new_string("a list that is text"))
      .List("Photos", testsupport::ArrayOf({plist_new_string("/DCIM/a.jpg")}))
      .List("Books", testsupport::FlatList({Dict({{"title", "flat"}})}))
      .List("Playlists", testsupport::ArrayOf({plist_new_string("no group"),
                                               plist_new_uint(3)}));

  DeviceImageBuilder shapeless(root_ + "/shapeless");
  shapeless.Identifier(HexId(701))
      .Info(testsupport::ArrayOf({plist_new_string("not a dictionary")}))
      .List("Music", Dict({}, {{"number", 0}}))
      .List("CameraRoll", Dict({{"item", "text"}}, {{"number", 2}}));

  EXPECT_EQ(Detect({numbers.Write(), shapeless.Write()}, {HexId(700), HexId(701)}),
            "");
  ASSERT_EQ(List().device_count, 2);
  const DeviceContext& first = List().device_contexts[0];
  ASSERT_TRUE(first.valid);
  EXPECT_EQ(record::UInt(first.info, "Catacity"), kMax);
  EXPECT_EQ(record::UInt(first.info, "Audio"), 0u);
  EXPECT_EQ(record::UInt(first.info, "Available"), kMax);
  plist_t items = record::Items(first.music_list);
  EXPECT_EQ(record::Number(first.music_list), 0xffffffffu);
  ASSERT_EQ(record::ArraySize(items), 5u);
  EXPECT_EQ(record::UInt(record::ArrayItem(items, 0), "size"), kMax);
  EXPECT_EQ(record::UInt(record::ArrayItem(items, 0), "time"), kMax);
  EXPECT_EQ(record::UInt(record::ArrayItem(items, 1), "size"), 0u);
  for (uint32_t i = 2; i < 5; ++i) {
    EXPECT_EQ(record::String(record::ArrayItem(items, i), "title"), "") << i;
    EXPECT_EQ(record::UInt(record::ArrayItem(items, i), "size"), 0u) << i;
  }
  EXPECT_EQ(first.movie_list, nullptr);  // neither a dict nor an array
  EXPECT_EQ(record::Items(first.photo_list), nullptr);
  EXPECT_EQ(record::Number(first.photo_list), 0u);
  EXPECT_EQ(record::GroupCount(first.book_list), 0u);
  EXPECT_EQ(record::GroupCount(first.playlist_list), 2u);
  EXPECT_EQ(record::String(record::ArrayItem(first.playlist_list, 0), "name"), "");
  EXPECT_EQ(record::Items(record::ArrayItem(first.playlist_list, 1)), nullptr);

  const DeviceContext& second = List().device_contexts[1];
  ASSERT_TRUE(second.valid);
  EXPECT_EQ(second.info, nullptr);
  EXPECT_EQ(second.name, "Unknown Device");
  EXPECT_EQ(record::Items(second.music_list), nullptr);
  EXPECT_EQ(record::Items(second.camera_roll_list), nullptr);
  EXPECT_EQ(record::Number(second.camera_roll_list), 2u);
}

// A device library that enumerates entries whose "value" or "type" cannot
// be passed back unchanged: those devices fail to open, without a handle and
// without a work directory, and the others open as usual.
struct FakeService {
  static PodDeviceService* real;
  static std::vector<std::pair<std::string, std::string>> entries;  // value, type
  static int created;

  static plist_t GetDeviceList() {
    std::string xml = "<plist><array>";
    for (const auto& entry : entries)
      xml += "<dict><key>value</key><string>" + entry.first +
             "</string><key>type</key><string>" + entry.second +
             "</string></dict>";
    xml += "</array></plist>";
    plist_t array = nullptr;
    plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &array);
    return array;
  }
  static PodDevice* CreateDevice(const char* value, const char* type) {
    ++created;
    return real->CreateDevice(value, type);
  }
  static void FreeDevice(PodDevice* device) { real->FreeDevice(device); }
};
PodDeviceService* FakeService::real = nullptr;
std::vector<std::pair<std::string, std::string>> FakeService::entries;
int FakeService::created = 0;

TEST_F(HostileDeviceTest, EnumerationEntriesThatCannotBePassedBackFailToOpen) {
  // Real devices behind the identifiers, so that only the text is at fault.
  const std::string damaged_id = HexId(800), good_id = HexId(801);
  std::vector<std::string> images;
  for (const std::string& id : {damaged_id, good_id}) {
    DeviceImageBuilder image(root_ + "/entry-" + id);
    image.Identifier(id).Info(Dict({{"DeviceName", "Real " + id.substr(36)}}));
    images.push_back(image.Write());
  }
  const char nul[] = "ab\0cd";
  const char nul_type[] = "us\0b";
  FakeService::entries = {
      {std::string(nul, sizeof nul - 1), "usb"},
      {damaged_id, std::string(nul_type, sizeof nul_type - 1)},
      {"ab\xff" "cd", "usb"},
      {damaged_id, "pa\xc0\xaeth"},
      {damaged_id + "\xed\xa0\x80", "usb"},
      {good_id, "usb"},
  };
  FakeService::created = 0;
  FakeService::real = AppData::device_service_;
  PodDeviceService fake{FakeService::GetDeviceList, FakeService::CreateDevice,
                        FakeService::FreeDevice};
  AppData::device_service_ = &fake;
  struct Restore {
    ~Restore() { AppData::device_service_ = FakeService::real; }
  } restore;

  EXPECT_EQ(Detect(images, {good_id}), "Device connect failed.");
  ASSERT_EQ(List().device_count, 6);
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    const DeviceContext& context = List().device_contexts[i];
    EXPECT_FALSE(context.valid);
    EXPECT_EQ(context.device, nullptr);
    EXPECT_EQ(context.info, nullptr);
    EXPECT_EQ(context.id.Find(wxUniChar(0)), wxNOT_FOUND);
    EXPECT_EQ(context.type.Find(wxUniChar(0)), wxNOT_FOUND);
  }
  EXPECT_NE(List().device_contexts[2].id.Find(kBad), wxNOT_FOUND);
  EXPECT_NE(List().device_contexts[3].type.Find(kBad), wxNOT_FOUND);
  const DeviceContext& good = List().device_contexts[5];
  EXPECT_TRUE(good.valid);
  EXPECT_EQ(good.name, "Real " + good_id.substr(36));
  EXPECT_EQ(FakeService::created, 1);
}

}  // namespace
