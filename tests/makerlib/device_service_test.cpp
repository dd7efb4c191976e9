// End-to-end tests of the device library against small device images.
#include <gtest/gtest.h>
#include <malloc.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "pod_device_service.h"
#include "test_support.h"

namespace {

using namespace makerlib_test;

std::string Id(int n) {
  char buffer[41];
  snprintf(buffer, sizeof buffer, "%040x", n);
  return buffer;
}

constexpr const char kSong[] = "/iTunes_Control/Music/F01/ABCD.mp3";
constexpr size_t kSongSize = 3 * 1024 * 1024 + 512 * 1024;
constexpr size_t kMiB = 1024 * 1024;

// A description with information and all eleven lists.
plist_t Description(const std::string& id) {
  plist_t root = plist_new_dict();
  plist_dict_set_item(root, "Identifier", plist_new_string(id.c_str()));
  plist_t info = plist_new_dict();
  plist_dict_set_item(info, "DeviceName", plist_new_string(("Pod " + id.substr(id.size() > 4 ? id.size() - 4 : 0)).c_str()));
  plist_dict_set_item(info, "Catacity", plist_new_uint(64000000000ull));
  plist_dict_set_item(root, "Info", info);
  plist_t lists = plist_new_dict();
  for (const char* key : {"Music", "Movies", "Podcasts", "TVShows", "Audiobooks",
                          "VoiceMemos", "Ringtones", "Photos", "CameraRoll"})
    plist_dict_set_item(lists, key, FlatList(key));
  plist_dict_set_item(lists, "Books", GroupedList("catalog", "Books"));
  plist_dict_set_item(lists, "Playlists", GroupedList("name", "Playlists"));
  plist_dict_set_item(root, "Lists", lists);
  return root;
}

void SetUInt(plist_t dict, const char* key, uint64_t value) {
  plist_dict_set_item(dict, key, plist_new_uint(value));
}

struct Report {
  uint64_t total;
  uint64_t done;
  uint8_t state;
  bool operator==(const Report& o) const {
    return total == o.total && done == o.done && state == o.state;
  }
};

// The callback carries no user data, so the recorder is global.
std::vector<Report> g_reports;
int g_abort_at = -1;  // index of the report answered with -1

int Record(uint64_t total, uint64_t done, uint8_t state, void* user) {
  EXPECT_EQ(user, nullptr);
  g_reports.push_back({total, done, state});
  return static_cast<int>(g_reports.size()) - 1 == g_abort_at ? -1 : 0;
}

class MakerDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(root_.path().empty());
    service_ = CreatePodDeviceService();
    ASSERT_NE(service_, nullptr);
    g_reports.clear();
    g_abort_at = -1;
  }
  void TearDown() override {
    for (PodDevice* device : devices_) service_->FreeDevice(device);
    FreePodDeviceService(service_);
    unsetenv("PORTIVA_DEVICE_IMAGES");
  }

  // Writes the image folder root/name with this description (which it frees).
  std::string AddImage(const std::string& name, plist_t description) {
    std::string folder = root_ / name;
    MakeDirs(folder + "/files");
    WritePlist(folder + "/device.plist", description);
    plist_free(description);
    return folder;
  }

  void SetImages(const std::vector<std::string>& folders) {
    std::string value;
    for (const std::string& folder : folders) value += folder + ":";
    setenv("PORTIVA_DEVICE_IMAGES", value.c_str(), 1);
  }

  PodDevice* Create(const std::string& id, const char* type = "usb") {
    PodDevice* device = service_->CreateDevice(id.c_str(), type);
    if (device != nullptr) devices_.push_back(device);
    return device;
  }

  std::string NewWorkDir() {
    std::string dir = root_ / ("work" + std::to_string(work_count_++));
    MakeDirs(dir);
    return dir;
  }

  PodDevice* Open(const std::string& id) {
    PodDevice* device = Create(id);
    if (device == nullptr) return nullptr;
    int status = device->Init(device, NewWorkDir().c_str());
    EXPECT_EQ(status, POD_STATUS_OK);
    return status == POD_STATUS_OK ? device : nullptr;
  }

  void Forget(PodDevice* device) {
    for (auto it = devices_.begin(); it != devices_.end(); ++it)
      if (*it == device) {
        devices_.erase(it);
        return;
      }
  }

  TempDir root_;
  PodDeviceService* service_ = nullptr;
  std::vector<PodDevice*> devices_;
  int work_count_ = 0;
};

// ---- enumeration ---------------------------------------------------------------

TEST_F(MakerDeviceTest, EnumerationListsValidImagesInOrderAndSkipsTheRest) {
  std::string first = AddImage("first", Description(Id(1)));
  plist_t d = Description(Id(2));
  plist_dict_set_item(d, "ConnectionType", plist_new_string("path"));
  std::string second = AddImage("second", d);
  std::string garbage = root_ / "garbage";
  WriteFile(garbage + "/device.plist", "<?xml version=\"1.0\"?><plist><dict><key>");
  plist_t no_id = plist_new_dict();
  plist_dict_set_item(no_id, "Info", plist_new_dict());
  std::string anonymous = AddImage("anonymous", no_id);
  plist_t bad_id = Description("../../escape");
  std::string escaping = AddImage("escaping", bad_id);
  std::string not_a_dict = root_ / "array";
  plist_t array = plist_new_array();
  WritePlist(not_a_dict + "/device.plist", array);
  plist_free(array);

  SetImages({root_ / "missing", garbage, first, "", anonymous, escaping,
             not_a_dict, second, first});
  plist_t list = service_->GetDeviceList();
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(plist_get_node_type(list), PLIST_ARRAY);
  ASSERT_EQ(plist_array_get_size(list), 2u);  // the repeated folder counts once
  plist_t entry = plist_array_get_item(list, 0);
  EXPECT_EQ(StringOf(plist_dict_get_item(entry, "type")), "usb");
  EXPECT_EQ(StringOf(plist_dict_get_item(entry, "value")), Id(1));
  entry = plist_array_get_item(list, 1);
  EXPECT_EQ(StringOf(plist_dict_get_item(entry, "type")), "path");
  EXPECT_EQ(StringOf(plist_dict_get_item(entry, "value")), Id(2));
  plist_free(list);
}

TEST_F(MakerDeviceTest, EnumerationFollowsTheEnvironmentAtEachCall) {
  unsetenv("PORTIVA_DEVICE_IMAGES");
  plist_t list = service_->GetDeviceList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(plist_get_node_type(list), PLIST_ARRAY);
  EXPECT_EQ(plist_array_get_size(list), 0u);
  plist_free(list);

  std::string folder = AddImage("one", Description(Id(1)));
  SetImages({folder});
  list = service_->GetDeviceList();
  EXPECT_EQ(plist_array_get_size(list), 1u);
  plist_free(list);

  // A rewritten description is noticed even though it was seen before.
  plist_t changed = Description(Id(9));
  plist_dict_set_item(changed, "ConnectionType", plist_new_string("path"));
  WritePlist(folder + "/device.plist", changed);
  plist_free(changed);
  list = service_->GetDeviceList();
  ASSERT_EQ(plist_array_get_size(list), 1u);
  EXPECT_EQ(StringOf(plist_dict_get_item(plist_array_get_item(list, 0), "value")), Id(9));
  EXPECT_EQ(StringOf(plist_dict_get_item(plist_array_get_item(list, 0), "type")), "path");
  plist_free(list);

  setenv("PORTIVA_DEVICE_IMAGES", "", 1);
  list = service_->GetDeviceList();
  EXPECT_EQ(plist_array_get_size(list), 0u);
  plist_free(list);
}

// ---- opening -------------------------------------------------------------------

TEST_F(MakerDeviceTest, InitReturnsTheImageStatusAndOpensOnlyOnZero) {
  struct Case {
    const char* name;
    bool has_status;
    uint64_t status;  // as stored in the description
    int expected;
  };
  const Case cases[] = {
      {"default", false, 0, POD_STATUS_OK},
      {"zero", true, 0, POD_STATUS_OK},
      {"no device", true, 3, POD_STATUS_NO_DEVICE},
      {"passcode", true, 4, POD_STATUS_PASSCODE_LOCKED},
      {"other", true, 17, 17},
      {"negative", true, static_cast<uint64_t>(-2), -2},
  };
  std::vector<std::string> folders;
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    plist_t d = Description(Id(static_cast<int>(i) + 1));
    if (cases[i].has_status) SetUInt(d, "InitStatus", cases[i].status);
    folders.push_back(AddImage("image" + std::to_string(i), d));
  }
  SetImages(folders);
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    SCOPED_TRACE(cases[i].name);
    PodDevice* device = Create(Id(static_cast<int>(i) + 1));
    ASSERT_NE(device, nullptr);
    // Not opened yet: nothing is served.
    EXPECT_EQ(device->GetInfo(device), nullptr);
    std::string work = NewWorkDir();
    EXPECT_EQ(device->Init(device, work.c_str()), cases[i].expected);
    plist_t info = device->GetInfo(device);
    plist_t music = device->GetMusicList(device, 0, 0);
    if (cases[i].expected == POD_STATUS_OK) {
      EXPECT_EQ(ReadFile(work + "/device.plist"),
                ReadFile(folders[i] + "/device.plist"));
      EXPECT_NE(info, nullptr);
      EXPECT_NE(music, nullptr);
    } else {
      EXPECT_FALSE(Exists(work + "/device.plist"));
      EXPECT_EQ(info, nullptr);
      EXPECT_EQ(music, nullptr);
    }
    if (info != nullptr) plist_free(info);
    if (music != nullptr) plist_free(music);
  }
}

TEST_F(MakerDeviceTest, UnknownDeviceGivesAHandleThatReportsNoDevice) {
  SetImages({AddImage("one", Description(Id(1)))});
  for (const char* value : {"ffffffffffffffffffffffffffffffffffffffff", ""}) {
    PodDevice* device = Create(value);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->Init(device, NewWorkDir().c_str()), POD_STATUS_NO_DEVICE);
    EXPECT_EQ(device->GetInfo(device), nullptr);
    EXPECT_EQ(device->GetBookList(device, 0, 0), nullptr);
    EXPECT_NE(device->ExportFile(device, kSong, (root_ / "x").c_str(), nullptr), 0);
    EXPECT_FALSE(Exists(root_ / "x"));
  }
  service_->FreeDevice(nullptr);
}

TEST_F(MakerDeviceTest, ImageRemovedAfterCreateReportsNoDevice) {
  std::string folder = AddImage("gone", Description(Id(1)));
  SetImages({folder});
  PodDevice* device = Create(Id(1));
  ASSERT_NE(device, nullptr);
  ASSERT_EQ(rename(folder.c_str(), (root_ / "elsewhere").c_str()), 0);
  EXPECT_EQ(device->Init(device, NewWorkDir().c_str()), POD_STATUS_NO_DEVICE);
}

TEST_F(MakerDeviceTest, UnusableWorkDirectoryIsReported) {
  SetImages({AddImage("one", Description(Id(1)))});
  WriteFile(root_ / "plain_file", "x");
  for (std::string work : {root_ / "does/not/exist", root_ / "plain_file"}) {
    SCOPED_TRACE(work);
    PodDevice* device = Create(Id(1));
    EXPECT_EQ(device->Init(device, work.c_str()), POD_STATUS_WORK_DIR_UNUSABLE);
    EXPECT_EQ(device->GetInfo(device), nullptr);
  }
  EXPECT_EQ(ReadFile(root_ / "plain_file"), "x");
  PodDevice* device = Create(Id(1));
  EXPECT_EQ(device->Init(device, nullptr), POD_STATUS_BAD_ARGUMENT);
}

TEST_F(MakerDeviceTest, OpenedDeviceIsServedFromTheWorkCopy) {
  std::string folder = AddImage("one", Description(Id(1)));
  SetImages({folder});
  PodDevice* device = Open(Id(1));
  ASSERT_NE(device, nullptr);
  // Later changes to the image do not reach an opened device.
  plist_t changed = Description(Id(1));
  plist_dict_remove_item(changed, "Info");
  WritePlist(folder + "/device.plist", changed);
  plist_free(changed);
  plist_t info = device->GetInfo(device);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(StringOf(plist_dict_get_item(info, "DeviceName")), "Pod 0001");
  plist_free(info);
}

TEST_F(MakerDeviceTest, PathDeviceIsServedWithoutInit) {
  plist_t d = Description(Id(5));
  plist_dict_set_item(d, "ConnectionType", plist_new_string("path"));
  std::string folder = AddImage("path", d);
  WriteFile(folder + "/files" + kSong, "song");
  SetImages({folder});
  PodDevice* device = Create(Id(5), "path");
  ASSERT_NE(device, nullptr);
  plist_t info = device->GetInfo(device);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(StringOf(plist_dict_get_item(info, "DeviceName")), "Pod 0005");
  plist_free(info);
  plist_t books = device->GetBookList(device, 0, 0);
  ASSERT_NE(books, nullptr);
  EXPECT_EQ(plist_get_node_type(books), PLIST_ARRAY);
  plist_free(books);
  EXPECT_EQ(device->ExportFile(device, kSong, (root_ / "song.mp3").c_str(), nullptr), 0);
  EXPECT_EQ(ReadFile(root_ / "song.mp3"), "song");
}

// ---- records ---------------------------------------------------------------------

using ListOp = plist_t (*)(PodDevice*, unsigned int, unsigned int);

struct ListCase {
  ListOp PodDevice::*op;
  const char* key;
  const char* group_key;  // null for flat lists
};

const ListCase kLists[] = {
    {&PodDevice::GetMusicList, "Music", nullptr},
    {&PodDevice::GetPlaylistList, "Playlists", "name"},
    {&PodDevice::GetMovieList, "Movies", nullptr},
    {&PodDevice::GetPodcastList, "Podcasts", nullptr},
    {&PodDevice::GetTVShowList, "TVShows", nullptr},
    {&PodDevice::GetAudiobookList, "Audiobooks", nullptr},
    {&PodDevice::GetVoiceMemoList, "VoiceMemos", nullptr},
    {&PodDevice::GetRingtoneList, "Ringtones", nullptr},
    {&PodDevice::GetPhotoList, "Photos", nullptr},
    {&PodDevice::GetBookList, "Books", "catalog"},
    {&PodDevice::GetCameraRollList, "CameraRoll", nullptr},
};

TEST_F(MakerDeviceTest, EachListOperationReturnsAFreshCopyOfItsOwnList) {
  SetImages({AddImage("one", Description(Id(1)))});
  PodDevice* device = Open(Id(1));
  ASSERT_NE(device, nullptr);
  for (const ListCase& c : kLists) {
    SCOPED_TRACE(c.key);
    ListOp op = device->*c.op;
    plist_t first = op(device, 0, 0);
    plist_t second = op(device, 0, 0);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    plist_t expected = c.group_key ? GroupedList(c.group_key, c.key) : FlatList(c.key);
    EXPECT_EQ(ToXml(first), ToXml(expected));
    // The caller owns each copy: changing and freeing one leaves the next intact.
    if (c.group_key == nullptr)
      plist_dict_set_item(first, "number", plist_new_uint(99));
    else
      plist_array_append_item(first, plist_new_dict());
    plist_free(first);
    EXPECT_EQ(ToXml(second), ToXml(expected));
    plist_free(second);
    plist_t third = op(device, 0, 0);
    EXPECT_EQ(ToXml(third), ToXml(expected));
    plist_free(third);
    plist_free(expected);
  }
  plist_t info = device->GetInfo(device);
  plist_t info2 = device->GetInfo(device);
  ASSERT_NE(info, nullptr);
  EXPECT_NE(info, info2);
  EXPECT_EQ(plist_get_node_type(info), PLIST_DICT);
  uint64_t capacity = 0;
  plist_get_uint_val(plist_dict_get_item(info, "Catacity"), &capacity);
  EXPECT_EQ(capacity, 64000000000ull);
  plist_free(info);
  plist_free(info2);
}

// Description texts in the many ways XML allows; "@ID@" is the identifier.
// Each device must serve exactly what the parser reads from the whole text.
const struct {
  const char* name;
  const char* xml;
} kStyledDescriptions[] = {
    {"bare dict without prolog",
     "<dict><key>Identifier</key><string>@ID@</string>"
     "<key>Info</key><dict><key>DeviceName</key><string>Bare</string></dict>"
     "<key>Lists</key><dict><key>Music</key><dict><key>number</key><integer>0</integer>"
     "<key>item</key><array/></dict></dict></dict>"},
    {"comments, instructions and a document type with an internal subset",
     "<?xml version=\"1.0\"?>\n<!DOCTYPE plist [ <!ENTITY x \"a>b\"> ]>\n"
     "<!-- <dict> in a comment -->\n<plist version=\"1.0\"><?pi <dict>?><dict>"
     "<key>Identifier</key><!-- between --><string>@ID@</string>"
     "<key>Lists</key><!-- <key>Music</key> --><dict>"
     "<key>Mus<!-- inside -->ic</key><dict><key>item</key><array><dict>"
     "<key>title</key><string>a <!-- not text --> b</string></dict></array></dict>"
     "</dict><key>Info</key><dict/></dict></plist>"},
    {"escaped and CDATA keys, spaced tags, quoted '>' in attributes",
     "<plist version = \"1>0\" ><dict >\n\t<key >Identifier</key >"
     "<string>@ID@</string>"
     "<key>Li&#115;ts</key><dict>"
     "<key><![CDATA[Movies]]></key><array><string><![CDATA[</array> <dict>]]></string>"
     "<string>&lt;&amp;&gt;</string></array>"
     "<key>TV&#x53;hows</key><dict><key>item</key><array/></dict>"
     "</dict></dict></plist>"},
    {"repeated keys: the last counts",
     "<plist><dict><key>Identifier</key><string>@ID@</string>"
     "<key>Lists</key><dict><key>Music</key><array><string>first</string></array></dict>"
     "<key>Info</key><string>not a dict</string>"
     "<key>Lists</key><dict>"
     "<key>Music</key><array><string>old</string></array>"
     "<key>Movies</key><array><string>movie</string></array>"
     "<key>Music</key><array><string>second</string></array>"
     "<key>Photos</key><array/><key>Photos</key><string>no list</string>"
     "</dict></dict></plist>"},
    {"every kind of value inside a list",
     "<plist><dict><key>Identifier</key><string>@ID@</string><key>Lists</key><dict>"
     "<key>Books</key><array><dict><key>catalog</key><string>All</string>"
     "<key>number</key><integer>2</integer><key>item</key><array>"
     "<dict><key>t</key><true/><key>f</key><false/><key>r</key><real>1.5</real>"
     "<key>d</key><data>aGVsbG8=</data><key>n</key><integer>-3</integer>"
     "<key>date</key><date>2024-05-17T14:03:22Z</date>"
     "<key>nested</key><array><array/><dict/></array></dict>"
     "<dict><key>title</key><string/></dict></array></dict></array>"
     "</dict></dict></plist>"},
    {"information given twice, the second time under an escaped key",
     "<plist><dict><key>Identifier</key><string>@ID@</string>"
     "<key>Info</key><dict><key>DeviceName</key><string>first</string></dict>"
     "<key>Inf&#111;</key><dict><key>DeviceName</key><string>second</string>"
     "</dict></dict></plist>"},
    {"information replaced by a value that is not a dictionary",
     "<plist><dict><key>Identifier</key><string>@ID@</string>"
     "<key>Info</key><dict><key>DeviceName</key><string>gone</string></dict>"
     "<key>Info</key><integer>7</integer></dict></plist>"},
    {"lists that are not a dictionary",
     "<plist><dict><key>Identifier</key><string>@ID@</string>"
     "<key>Lists</key><array><dict><key>Music</key><array/></dict></array>"
     "</dict></plist>"},
    {"empty lists dictionary",
     "<plist><dict><key>Identifier</key><string>@ID@</string><key>Lists</key><dict/>"
     "</dict></plist>"},
};

std::string WithIdentifier(std::string xml, const std::string& id) {
  xml.replace(xml.find("@ID@"), 4, id);
  return xml;
}

std::string XmlOrNull(plist_t node) { return node ? ToXml(node) : "null"; }

TEST_F(MakerDeviceTest, DescriptionsAreServedAsTheParserReadsThem) {
  int n = 0;
  for (const auto& c : kStyledDescriptions) {
    SCOPED_TRACE(c.name);
    const std::string id = Id(100 + n);
    const std::string xml = WithIdentifier(c.xml, id);
    const std::string folder = root_ / ("styled" + std::to_string(n++));
    MakeDirs(folder + "/files");
    WriteFile(folder + "/device.plist", xml);
    plist_t whole = nullptr;
    plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &whole);
    ASSERT_NE(whole, nullptr);
    SetImages({folder});
    PodDevice* device = Open(id);
    ASSERT_NE(device, nullptr);

    plist_t expected_info = plist_dict_get_item(whole, "Info");
    if (expected_info && plist_get_node_type(expected_info) != PLIST_DICT)
      expected_info = nullptr;
    plist_t info = device->GetInfo(device);
    EXPECT_EQ(XmlOrNull(info), XmlOrNull(expected_info));
    if (info) plist_free(info);

    plist_t lists = plist_dict_get_item(whole, "Lists");
    if (lists && plist_get_node_type(lists) != PLIST_DICT) lists = nullptr;
    for (const ListCase& list : kLists) {
      plist_t expected = lists ? plist_dict_get_item(lists, list.key) : nullptr;
      if (expected && plist_get_node_type(expected) != PLIST_DICT &&
          plist_get_node_type(expected) != PLIST_ARRAY)
        expected = nullptr;
      plist_t served = (device->*list.op)(device, 0, 0);
      EXPECT_EQ(XmlOrNull(served), XmlOrNull(expected)) << list.key;
      if (served) plist_free(served);
    }
    plist_free(whole);
  }
}

TEST_F(MakerDeviceTest, BrokenMarkupRefusesTheImageAndAnUnreadableListReadsAsAbsent) {
  const char* const refused[] = {
      // Tags that do not match inside a list.
      "<plist><dict><key>Identifier</key><string>@ID@</string><key>Lists</key><dict>"
      "<key>Music</key><dict><key>item</key><array></dict></array></dict></dict></plist>",
      // Text between the entries of the lists.
      "<plist><dict><key>Identifier</key><string>@ID@</string><key>Lists</key><dict>"
      "stray<key>Music</key><array/></dict></dict></plist>",
      // A list cut short.
      "<plist><dict><key>Identifier</key><string>@ID@</string><key>Lists</key><dict>"
      "<key>Music</key><array><string>x</string>",
      // Broken outside the lists.
      "<plist><dict><key>Identifier</key><string>@ID@</string><key>Info</key><dict>"
      "<key>DeviceName</key><bogus/></dict><key>Lists</key><dict/></dict></plist>",
  };
  std::vector<std::string> folders;
  int n = 0;
  for (const char* xml : refused) {
    folders.push_back(root_ / ("broken" + std::to_string(n)));
    WriteFile(folders.back() + "/device.plist", WithIdentifier(xml, Id(200 + n)));
    ++n;
  }
  // An identifier with a NUL byte inside.
  const char nul_identifier[] =
      "<plist><dict><key>Identifier</key><string>ab\0cd</string></dict></plist>";
  folders.push_back(root_ / "nul");
  WriteFile(folders.back() + "/device.plist",
            std::string(nul_identifier, sizeof nul_identifier - 1));
  // A connection type with a NUL byte inside: not taken for "usb".
  const char nul_type[] =
      "<plist><dict><key>Identifier</key><string>@ID@</string>"
      "<key>ConnectionType</key><string>pa\0th</string></dict></plist>";
  folders.push_back(root_ / "nul-type");
  WriteFile(folders.back() + "/device.plist",
            WithIdentifier(std::string(nul_type, sizeof nul_type - 1), Id(299)));
  // Well formed, but the parser refuses what one list holds: the other lists
  // are still served.
  const std::string id = Id(300);
  folders.push_back(root_ / "odd");
  WriteFile(folders.back() + "/device.plist",
            WithIdentifier("<plist><dict><key>Identifier</key><string>@ID@</string>"
                           "<key>Lists</key><dict>"
                           "<key>Music</key><array><bogus/></array>"
                           "<key>Movies</key><array><string>m</string></array>"
                           "</dict></dict></plist>",
                           id));
  SetImages(folders);

  plist_t list = service_->GetDeviceList();
  ASSERT_EQ(plist_array_get_size(list), 1u);
  EXPECT_EQ(StringOf(plist_dict_get_item(plist_array_get_item(list, 0), "value")), id);
  plist_free(list);
  PodDevice* device = Open(id);
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(device->GetMusicList(device, 0, 0), nullptr);
  plist_t movies = device->GetMovieList(device, 0, 0);
  ASSERT_NE(movies, nullptr);
  EXPECT_EQ(plist_array_get_size(movies), 1u);
  plist_free(movies);
}

// The bytes the parser reads from one string element.
std::string ParsedString(const std::string& bytes) {
  const std::string xml = "<plist><string>" + bytes + "</string></plist>";
  plist_t node = nullptr;
  plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &node);
  std::string value = StringOf(node);
  if (node) plist_free(node);
  return value;
}

// Whether a string node's buffer holds as many bytes as its length says. A
// copied node (plist_copy) holds only those up to the first NUL.
bool HoldsItsLength(plist_t node) {
  uint64_t length = 0;
  const char* value = plist_get_string_ptr(node, &length);
  return value != nullptr &&
         malloc_usable_size(const_cast<char*>(value)) > length;
}

// Strings that no string node can be built with reach the caller as the
// parser read them, in nodes that hold every byte their length names.
TEST_F(MakerDeviceTest, StringsAreServedAsParsed) {
  const char nul_inside[] = "ab\0cd and more text after the NUL byte";
  const std::string values[] = {
      std::string(nul_inside, sizeof nul_inside - 1),
      "a\xff" "b", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80",
      std::string(100000, 'x') + "\nsecond line",
  };
  for (const char* type : {"usb", "path"}) {
    int n = 0;
    for (const std::string& value : values) {
      SCOPED_TRACE(std::string(type) + " value " + std::to_string(n));
      const std::string expected = ParsedString(value);
      ASSERT_EQ(expected.size(), value.size());
      const std::string id = Id(400 + n);
      const std::string folder =
          root_ / (std::string(type) + "-bytes" + std::to_string(n++));
      MakeDirs(folder + "/files");
      WriteFile(folder + "/device.plist",
                "<plist><dict><key>Identifier</key><string>" + id +
                    "</string><key>ConnectionType</key><string>" + type +
                    "</string><key>Info</key><dict><key>DeviceName</key>"
                    "<string>" + value + "</string><key>Version</key><string>" +
                    value + "</string></dict><key>Lists</key><dict>"
                    "<key>Music</key><dict><key>item</key><array><dict>"
                    "<key>title</key><string>" + value + "</string></dict>"
                    "</array></dict></dict></dict></plist>");
      SetImages({folder});
      PodDevice* device = Create(id, type);
      ASSERT_NE(device, nullptr);
      if (std::string(type) == "usb") {
        ASSERT_EQ(device->Init(device, NewWorkDir().c_str()), POD_STATUS_OK);
      }
      plist_t info = device->GetInfo(device);
      plist_t music = device->GetMusicList(device, 0, 0);
      plist_t item = plist_array_get_item(plist_dict_get_item(music, "item"), 0);
      for (plist_t node : {plist_dict_get_item(info, "DeviceName"),
                           plist_dict_get_item(info, "Version"),
                           plist_dict_get_item(item, "title")}) {
        ASSERT_NE(node, nullptr);
        EXPECT_TRUE(HoldsItsLength(node));
        if (HoldsItsLength(node)) {
          EXPECT_EQ(StringOf(node), expected);
        }
      }
      if (info) plist_free(info);
      if (music) plist_free(music);
    }
  }
}

TEST_F(MakerDeviceTest, PathDeviceFollowsItsImageAndRefusesOneNamingAnother) {
  auto path_description = [](int n, const char* name) {
    plist_t d = Description(Id(n));
    plist_dict_set_item(d, "ConnectionType", plist_new_string("path"));
    plist_dict_set_item(plist_dict_get_item(d, "Info"), "DeviceName",
                        plist_new_string(name));
    return d;
  };
  std::string folder = AddImage("path", path_description(5, "Before"));
  SetImages({folder});
  PodDevice* device = Create(Id(5), "path");
  ASSERT_NE(device, nullptr);
  plist_t info = device->GetInfo(device);
  EXPECT_EQ(StringOf(plist_dict_get_item(info, "DeviceName")), "Before");
  plist_free(info);

  // Rewritten in place, as an editor or a generator does.
  plist_t changed = path_description(5, "After the change");
  plist_dict_remove_item(plist_dict_get_item(changed, "Lists"), "Music");
  WritePlist(folder + "/device.plist", changed);
  plist_free(changed);
  info = device->GetInfo(device);
  EXPECT_EQ(StringOf(plist_dict_get_item(info, "DeviceName")), "After the change");
  plist_free(info);
  EXPECT_EQ(device->GetMusicList(device, 0, 0), nullptr);
  plist_t movies = device->GetMovieList(device, 0, 0);
  EXPECT_NE(movies, nullptr);
  plist_free(movies);

  plist_t other = path_description(6, "Another device");
  WritePlist(folder + "/device.plist", other);
  plist_free(other);
  EXPECT_EQ(device->GetInfo(device), nullptr);
  EXPECT_EQ(device->GetMovieList(device, 0, 0), nullptr);
}

TEST_F(MakerDeviceTest, AbsentInfoAndListsGiveNull) {
  plist_t d = Description(Id(1));
  plist_dict_remove_item(d, "Info");
  plist_dict_remove_item(plist_dict_get_item(d, "Lists"), "Books");
  plist_dict_remove_item(plist_dict_get_item(d, "Lists"), "Music");
  plist_t bare = plist_new_dict();
  plist_dict_set_item(bare, "Identifier", plist_new_string(Id(2).c_str()));
  SetImages({AddImage("one", d), AddImage("bare", bare)});

  PodDevice* device = Open(Id(1));
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(device->GetInfo(device), nullptr);
  EXPECT_EQ(device->GetBookList(device, 0, 0), nullptr);
  EXPECT_EQ(device->GetMusicList(device, 0, 0), nullptr);
  plist_t movies = device->GetMovieList(device, 0, 0);
  EXPECT_NE(movies, nullptr);
  plist_free(movies);

  device = Open(Id(2));
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(device->GetInfo(device), nullptr);
  for (const ListCase& c : kLists) EXPECT_EQ((device->*c.op)(device, 0, 0), nullptr) << c.key;
}

TEST_F(MakerDeviceTest, UnusedOperationsAreSafe) {
  SetImages({AddImage("one", Description(Id(1)))});
  PodDevice* device = Open(Id(1));
  ASSERT_NE(device, nullptr);
  WriteFile(root_ / "local.txt", "x");
  EXPECT_NE(device->ImportFile(device, (root_ / "local.txt").c_str(), "/a", nullptr), 0);
  EXPECT_NE(device->DeleteFile(device, kSong), 0);
  EXPECT_EQ(device->GetFreeSpace(device), 0u);
  device->GetLibraryVersion(device);
  EXPECT_EQ(device->IsConnected(device), 1);
}

// ---- exports -------------------------------------------------------------------------

class MakerExportTest : public MakerDeviceTest {
 protected:
  void SetUp() override {
    MakerDeviceTest::SetUp();
    plist_t d = Description(Id(1));
    plist_t failing = plist_new_array();
    plist_array_append_item(failing, plist_new_string("/iTunes_Control/Music/F02/FAIL.mp3"));
    plist_array_append_item(failing, plist_new_string("/Books/broken.epub/OEBPS/ch2.xhtml"));
    plist_dict_set_item(d, "FailingFiles", failing);
    image_ = AddImage("image", d);
    files_ = image_ + "/files";
    song_ = Pattern(kSongSize);
    WriteFile(files_ + kSong, song_);
    WriteFile(files_ + "/iTunes_Control/Music/F02/FAIL.mp3", Pattern(2 * kMiB, 2));
    WriteFile(files_ + "/empty.m4a", "");
    for (const char* book : {"/Books/good.epub", "/Books/broken.epub"}) {
      WriteFile(files_ + book + "/mimetype", "application/epub+zip");
      WriteFile(files_ + book + "/META-INF/container.xml", "<container/>");
      WriteFile(files_ + book + "/OEBPS/ch1.xhtml", Pattern(300000, 3));
      WriteFile(files_ + book + "/OEBPS/ch2.xhtml", "<html/>");
      MakeDirs(files_ + book + "/OEBPS/empty");
    }
    WriteFile(root_ / "outside.txt", "secret");
    MakeDirs(root_ / "outside_dir");
    WriteFile(root_ / "outside_dir/secret.txt", "secret");
    symlink((root_ / "outside.txt").c_str(), (files_ + "/link_out.mp3").c_str());
    symlink((root_ / "outside_dir").c_str(), (files_ + "/dir_out").c_str());
    symlink("iTunes_Control/Music/F01/ABCD.mp3", (files_ + "/link_in.mp3").c_str());
    SetImages({image_});
    device_ = Open(Id(1));
    ASSERT_NE(device_, nullptr);
    out_ = root_ / "out";
    MakeDirs(out_);
  }

  int Export(const char* device_path, const std::string& target,
             PodExportCallback callback = Record) {
    return device_->ExportFile(device_, device_path, target.c_str(), callback);
  }

  std::string image_, files_, song_, out_;
  PodDevice* device_ = nullptr;
};

TEST_F(MakerExportTest, ReportsEveryChunkThenOneFinish) {
  ASSERT_EQ(Export(kSong, out_ + "/song.mp3"), 0);
  EXPECT_EQ(ReadFile(out_ + "/song.mp3"), song_);
  const uint64_t total = kSongSize;
  std::vector<Report> expected = {{total, 1 * kMiB, 0},
                                  {total, 2 * kMiB, 0},
                                  {total, 3 * kMiB, 0},
                                  {total, total, 0},
                                  {total, total, 1}};
  EXPECT_EQ(g_reports, expected);

  g_reports.clear();
  ASSERT_EQ(Export("/empty.m4a", out_ + "/empty.m4a"), 0);
  EXPECT_EQ(g_reports, (std::vector<Report>{{0, 0, 1}}));
  EXPECT_TRUE(Exists(out_ + "/empty.m4a"));

  // Without a callback the copy is the same.
  ASSERT_EQ(Export(kSong, out_ + "/quiet.mp3", nullptr), 0);
  EXPECT_EQ(ReadFile(out_ + "/quiet.mp3"), song_);
}

TEST_F(MakerExportTest, AbortAndFailureLeaveNoFile) {
  g_abort_at = 1;
  EXPECT_NE(Export(kSong, out_ + "/aborted.mp3"), 0);
  EXPECT_FALSE(Exists(out_ + "/aborted.mp3"));
  EXPECT_EQ(g_reports.size(), 2u);  // nothing after the -1
  for (const Report& r : g_reports) EXPECT_EQ(r.state, 0);

  g_reports.clear();
  g_abort_at = -1;
  EXPECT_NE(Export("/iTunes_Control/Music/F02/FAIL.mp3", out_ + "/fail.mp3"), 0);
  EXPECT_FALSE(Exists(out_ + "/fail.mp3"));
  ASSERT_FALSE(g_reports.empty());
  EXPECT_EQ(g_reports.back().done, kMiB);  // broke off half way
  for (const Report& r : g_reports) EXPECT_EQ(r.state, 0);

  // The same file under another spelling of its path fails too.
  EXPECT_NE(Export("//iTunes_Control/./Music/F02/FAIL.mp3", out_ + "/fail2.mp3"), 0);
  EXPECT_FALSE(Exists(out_ + "/fail2.mp3"));

  EXPECT_NE(Export("/iTunes_Control/Music/F01/NONE.mp3", out_ + "/none.mp3"), 0);
  EXPECT_FALSE(Exists(out_ + "/none.mp3"));
  EXPECT_NE(Export(kSong, out_ + "/no/such/folder.mp3"), 0);
}

TEST_F(MakerExportTest, ExistingTargetIsNeverReplaced) {
  WriteFile(out_ + "/song.mp3", "keep me");
  EXPECT_NE(Export(kSong, out_ + "/song.mp3"), 0);
  EXPECT_EQ(ReadFile(out_ + "/song.mp3"), "keep me");
  // Nor is the file a dangling link points at created.
  symlink((root_ / "created_through_link").c_str(), (out_ + "/link.mp3").c_str());
  EXPECT_NE(Export(kSong, out_ + "/link.mp3"), 0);
  EXPECT_FALSE(Exists(root_ / "created_through_link"));
  EXPECT_TRUE(Exists(out_ + "/link.mp3"));
}

TEST_F(MakerExportTest, PathsOutOfTheImageAreRefused) {
  const char* refused[] = {
      "iTunes_Control/Music/F01/ABCD.mp3",  // relative
      "",
      "/../outside.txt",
      "/iTunes_Control/../../outside.txt",
      "/iTunes_Control/Music/../Music/F01/ABCD.mp3",  // ".." even if it stays inside
      "/link_out.mp3",
      "/dir_out/secret.txt",
      "/",  // a folder, not a file
      "/Books/good.epub",
  };
  int n = 0;
  for (const char* path : refused) {
    SCOPED_TRACE(path);
    std::string target = out_ + "/refused" + std::to_string(n++);
    EXPECT_NE(Export(path, target), 0);
    EXPECT_FALSE(Exists(target));
  }
  EXPECT_NE(device_->ExportFile(device_, nullptr, (out_ + "/null").c_str(), Record), 0);
  // A link that stays inside the image is followed.
  ASSERT_EQ(Export("/link_in.mp3", out_ + "/in.mp3"), 0);
  EXPECT_EQ(ReadFile(out_ + "/in.mp3"), song_);
}

TEST_F(MakerExportTest, ThrottleKeepsTheAverageRate) {
  plist_t d = Description(Id(3));
  SetUInt(d, "ThrottleBytesPerSecond", 2 * kMiB);
  std::string slow = AddImage("slow", d);
  WriteFile(slow + "/files/one.mp3", Pattern(kMiB));
  SetImages({slow});
  PodDevice* device = Open(Id(3));
  ASSERT_NE(device, nullptr);
  auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(device->ExportFile(device, "/one.mp3", (out_ + "/one.mp3").c_str(), Record), 0);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_GE(seconds, 0.45);  // 1 MiB at 2 MiB/s; sleeping never ends early
  EXPECT_EQ(ReadFile(out_ + "/one.mp3"), Pattern(kMiB));
  // Small chunks under a limit, so progress keeps moving.
  EXPECT_GE(g_reports.size(), 4u);
}

TEST_F(MakerExportTest, DirectoryTreeIsCopied) {
  const std::string target = out_ + "/good.epub.dir";
  ASSERT_EQ(device_->ExportDirectory(device_, "/Books/good.epub", target.c_str()), 0);
  for (const char* name : {"mimetype", "META-INF/container.xml", "OEBPS/ch1.xhtml",
                           "OEBPS/ch2.xhtml"})
    EXPECT_EQ(ReadFile(target + "/" + name), ReadFile(files_ + "/Books/good.epub/" + name)) << name;
  struct stat st;
  EXPECT_TRUE(stat((target + "/OEBPS/empty").c_str(), &st) == 0 && S_ISDIR(st.st_mode));
  EXPECT_TRUE(g_reports.empty());  // no callback for folders
}

TEST_F(MakerExportTest, DirectoryExportNeverReplacesAndCleansUpOnlyItsOwn) {
  // An existing folder is used, but a file already in it is not replaced.
  const std::string target = out_ + "/existing";
  WriteFile(target + "/OEBPS/ch2.xhtml", "mine");
  EXPECT_NE(device_->ExportDirectory(device_, "/Books/good.epub", target.c_str()), 0);
  EXPECT_EQ(ReadFile(target + "/OEBPS/ch2.xhtml"), "mine");
  EXPECT_TRUE(Exists(target + "/OEBPS"));
  // What the failed call created is gone again.
  EXPECT_FALSE(Exists(target + "/META-INF"));
  EXPECT_FALSE(Exists(target + "/mimetype"));
  EXPECT_FALSE(Exists(target + "/OEBPS/ch1.xhtml"));

  // A file where the folder should be.
  WriteFile(out_ + "/plain", "plain");
  EXPECT_NE(device_->ExportDirectory(device_, "/Books/good.epub", (out_ + "/plain").c_str()), 0);
  EXPECT_EQ(ReadFile(out_ + "/plain"), "plain");

  // A failing file inside the tree: the whole new folder is removed.
  EXPECT_NE(device_->ExportDirectory(device_, "/Books/broken.epub", (out_ + "/broken").c_str()), 0);
  EXPECT_FALSE(Exists(out_ + "/broken"));

  // Sources that are not folders inside the image.
  for (const char* path : {kSong, "/dir_out", "/Books/../Books/good.epub", "Books/good.epub",
                           "/Books/none.epub"}) {
    SCOPED_TRACE(path);
    EXPECT_NE(device_->ExportDirectory(device_, path, (out_ + "/bad").c_str()), 0);
    EXPECT_FALSE(Exists(out_ + "/bad"));
  }
}

TEST_F(MakerExportTest, LinkOutOfTheImageInsideATreeFailsTheExport) {
  symlink((root_ / "outside.txt").c_str(), (files_ + "/Books/good.epub/OEBPS/leak.xhtml").c_str());
  EXPECT_NE(device_->ExportDirectory(device_, "/Books/good.epub", (out_ + "/leak").c_str()), 0);
  EXPECT_FALSE(Exists(out_ + "/leak"));
}

// ---- threads -----------------------------------------------------------------------------

std::atomic<int> g_progress_calls{0};
int CountProgress(uint64_t, uint64_t, uint8_t, void*) {
  ++g_progress_calls;
  return 0;
}

TEST_F(MakerDeviceTest, ListsAreFetchedFromSeveralThreadsAtOnce) {
  SetImages({AddImage("one", Description(Id(1)))});
  PodDevice* device = Open(Id(1));
  ASSERT_NE(device, nullptr);
  std::vector<std::string> expected;
  for (const ListCase& c : kLists) {
    plist_t list = c.group_key ? GroupedList(c.group_key, c.key) : FlatList(c.key);
    expected.push_back(ToXml(list));
    plist_free(list);
  }
  std::atomic<int> wrong{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 4; ++t)
    readers.emplace_back([&] {
      for (int round = 0; round < 5; ++round)
        for (size_t i = 0; i < sizeof kLists / sizeof kLists[0]; ++i) {
          plist_t list = (device->*kLists[i].op)(device, 0, 0);
          if (list == nullptr || ToXml(list) != expected[i]) ++wrong;
          if (list != nullptr) plist_free(list);
        }
    });
  for (std::thread& reader : readers) reader.join();
  EXPECT_EQ(wrong, 0);
}

TEST_F(MakerExportTest, ListsAreReadWhileAnExportRunsAndFreeingStopsIt) {
  plist_t d = Description(Id(4));
  SetUInt(d, "ThrottleBytesPerSecond", 4 * kMiB);
  std::string slow = AddImage("slow", d);
  WriteFile(slow + "/files/big.mp3", Pattern(8 * kMiB));
  SetImages({slow});
  PodDevice* device = Open(Id(4));
  ASSERT_NE(device, nullptr);

  const std::string target = out_ + "/big.mp3";
  std::atomic<int> result{12345};
  g_progress_calls = 0;
  std::thread worker([&] {
    result = device->ExportFile(device, "/big.mp3", target.c_str(), CountProgress);
  });
  while (g_progress_calls < 2 && result == 12345) {
    plist_t music = device->GetMusicList(device, 0, 0);
    EXPECT_NE(music, nullptr);
    plist_free(music);
    plist_t info = device->GetInfo(device);
    plist_free(info);
  }
  // Detection frees the device while the copy is still running.
  Forget(device);
  service_->FreeDevice(device);
  worker.join();
  EXPECT_NE(result, 0);
  EXPECT_FALSE(Exists(target));
}

}  // namespace
