#include <gtest/gtest.h>
#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/filename.h>

#include <set>
#include <string>

#include "app/app_data.h"
#include "app/zl_app_path.h"
#include "device/communication.h"
#include "device/device_record.h"
#include "device/do_detect_device.h"
#include "device_image_fixture.h"
#include "test_support.h"

namespace {

using testsupport::DeviceImageBuilder;
using testsupport::Dict;

std::string HexId(int n) {
  char buffer[41];
  snprintf(buffer, sizeof buffer, "%040x", n);
  return buffer;
}

class DetectDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override { root_ = testsupport::MakeTempDir("images"); }
  void TearDown() override {
    testsupport::ConnectImages({});
    DetectDevices();  // releases what the test opened
  }

  std::string Image(const std::string& name, const std::string& id,
                    int status = 0, const char* device_name = "Phone") {
    DeviceImageBuilder image(root_ + "/" + name);
    image.Identifier(id).InitStatus(status);
    plist_t info = Dict({{"Type", "iPhone14,2"}}, {{"Catacity", 1000}});
    if (device_name)
      plist_dict_set_item(info, "DeviceName", plist_new_string(device_name));
    image.Info(info).List("Music",
                          testsupport::FlatList({Dict({{"title", "Song"}})}));
    return image.Write();
  }

  static CurrentDeviceList& List() { return AppData::current_device_list_; }
  std::string root_;
};

TEST_F(DetectDeviceTest, FirstFailureIsReportedAndOnlyOpenedDevicesAreValid) {
  testsupport::ConnectImages({Image("locked", HexId(1), 4),
                              Image("gone", HexId(2), 3),
                              Image("good", HexId(3), 0, "Second")});
  wxString warning = DetectDevices();
  EXPECT_EQ(warning, "Device is protected by passcode,unlock it first.");
  ASSERT_EQ(List().device_count, 3);
  EXPECT_EQ(List().current_index, 0);
  EXPECT_FALSE(List().device_contexts[0].valid);
  EXPECT_FALSE(List().device_contexts[1].valid);
  EXPECT_EQ(List().device_contexts[0].info, nullptr);
  const DeviceContext& good = List().device_contexts[2];
  EXPECT_TRUE(good.valid);
  EXPECT_EQ(good.name, "Second");
  EXPECT_EQ(good.id, HexId(3));
  EXPECT_EQ(good.type, "usb");
  EXPECT_EQ(record::Number(good.music_list), 1u);
  EXPECT_EQ(good.movie_list, nullptr);  // absent from the image
}

TEST_F(DetectDeviceTest, InitStatusesMapToCodesAndTexts) {
  const struct {
    int status;
    int code;
    const char* text;
  } cases[] = {
      {0, 0, ""},
      {3, 3, "No device detected, try to connect it."},
      {4, 4, "Device is protected by passcode,unlock it first."},
      {9, 1, "Device connect failed."},
  };
  for (const auto& c : cases) {
    std::string id = HexId(100 + c.status);
    testsupport::ConnectImages({Image("s" + std::to_string(c.status), id,
                                      c.status)});
    DeviceContext context;
    context.id = id;
    context.type = "usb";
    context.valid = true;
    context.device = DeviceService(AppData::device_service_)
                         .CreateDevice(id.c_str(), "usb");
    wxString message;
    EXPECT_EQ(DoInitDevice(&context, &message), c.code) << c.status;
    EXPECT_EQ(message, c.text) << c.status;
    EXPECT_EQ(context.valid, c.code == 0) << c.status;
    // A warning that already holds a text keeps it.
    wxString earlier = "earlier";
    DoInitDevice(&context, &earlier);
    EXPECT_EQ(earlier, "earlier");
    DeviceService(AppData::device_service_).FreeDevice(context.device);
  }
}

TEST_F(DetectDeviceTest, NoDeviceGivesNoWarning) {
  testsupport::ConnectImages({root_ + "/does-not-exist"});
  EXPECT_EQ(DetectDevices(), "");
  EXPECT_EQ(List().device_count, 0);
}

TEST_F(DetectDeviceTest, MissingDeviceNameIsUnknownDevice) {
  testsupport::ConnectImages({Image("anon", HexId(7), 0, nullptr)});
  EXPECT_EQ(DetectDevices(), "");
  ASSERT_EQ(List().device_count, 1);
  EXPECT_EQ(List().device_contexts[0].name, "Unknown Device");
}

TEST_F(DetectDeviceTest, PathDeviceIsUsedWithoutWorkDirectoryOrInit) {
  DeviceImageBuilder image(root_ + "/path");
  // Init would fail; a "path" device must never be asked.
  image.Identifier(HexId(8)).ConnectionType("path").InitStatus(3).Info(
      Dict({{"DeviceName", "Folder"}}));
  testsupport::ConnectImages({image.Write()});
  EXPECT_EQ(DetectDevices(), "");
  ASSERT_EQ(List().device_count, 1);
  EXPECT_TRUE(List().device_contexts[0].valid);
  EXPECT_EQ(List().device_contexts[0].name, "Folder");
  EXPECT_FALSE(wxDirExists(ZLAppPath::GetTemporaryDir() + "/" + HexId(8)));
}

TEST_F(DetectDeviceTest, WorkDirectoryOfAnEarlierRunStartsEmpty) {
  std::string id = HexId(9);
  wxString work = ZLAppPath::GetTemporaryDir() + "/" + id;
  wxFileName::Mkdir(work + "/database/old", 0777, wxPATH_MKDIR_FULL);
  testsupport::WriteFile((work + "/left-over.txt").utf8_string(), "x");
  testsupport::WriteFile((work + "/database/stale.db").utf8_string(), "x");

  testsupport::ConnectImages({Image("again", id)});
  EXPECT_EQ(DetectDevices(), "");
  EXPECT_FALSE(wxFileExists(work + "/left-over.txt"));
  EXPECT_FALSE(wxFileExists(work + "/database/stale.db"));
  EXPECT_FALSE(wxDirExists(work + "/database/old"));
  EXPECT_TRUE(wxDirExists(work + "/database"));
}

TEST(SafeDirectoryName, HostileIdentifiersStayInsideAndDistinct) {
  const char* const ids[] = {"",  ".",  "..", "/",  "\\", "../..", "a/b",
                             "a\\b", "a_2Fb", "%", "%2E", "%2E%2E", "ok-ID_1.x",
                             "options", "language.txt", "%6Fptions",
                             "%6Canguage.txt", "Options"};
  std::set<wxString> names;
  for (const char* id : ids) {
    wxString name = SafeDirectoryName(id);
    EXPECT_FALSE(name.empty()) << id;
    EXPECT_NE(name, ".") << id;
    EXPECT_NE(name, "..") << id;
    EXPECT_FALSE(name.Contains("/")) << id;
    EXPECT_FALSE(name.Contains("\\")) << id;
    EXPECT_FALSE(ZLAppPath::IsOwnTemporaryEntry(name)) << id;
    names.insert(name);
  }
  EXPECT_EQ(names.size(), sizeof(ids) / sizeof(ids[0]));
  EXPECT_EQ(SafeDirectoryName("ok-ID_1.x"), "ok-ID_1.x");
}

// Identifiers that name the program's own files beside the work
// directories: the options and the language choice survive detection.
TEST_F(DetectDeviceTest, IdentifiersNamingOwnFilesLeaveThemAlone) {
  const std::string options = ZLAppPath::GetOptionsFilePath().utf8_string();
  const std::string language = ZLAppPath::GetLanguageFilePath().utf8_string();
  testsupport::WriteFile(options, "<plist/>");
  testsupport::WriteFile(language, "89");
  testsupport::ConnectImages(
      {Image("o", "options"), Image("l", "language.txt")});
  EXPECT_EQ(DetectDevices(), "");
  ASSERT_EQ(List().device_count, 2);
  EXPECT_TRUE(List().device_contexts[0].valid);
  EXPECT_TRUE(List().device_contexts[1].valid);
  EXPECT_EQ(testsupport::ReadFile(options), "<plist/>");
  EXPECT_EQ(testsupport::ReadFile(language), "89");
}

TEST_F(DetectDeviceTest, HostileIdentifierRemovesNothingOutsideTheTemporaryDir) {
  wxString temp = ZLAppPath::GetTemporaryDir();
  wxString parent = temp.BeforeLast('/');
  wxString victim = parent + "/victim";
  wxMkdir(victim, 0777);
  testsupport::WriteFile((victim + "/keep.txt").utf8_string(), "precious");

  testsupport::ConnectImages({Image("evil1", "../victim"), Image("evil2", ".."),
                              Image("evil3", ""), Image("evil4", "/")});
  DetectDevices();
  EXPECT_TRUE(wxFileExists(victim + "/keep.txt"));
  EXPECT_TRUE(wxDirExists(temp));
  // Every work directory is a direct child of the temporary directory.
  wxDir dir(parent);
  wxString name;
  for (bool more = dir.GetFirst(&name, "", wxDIR_DIRS); more;
       more = dir.GetNext(&name))
    EXPECT_TRUE(name == "Portiva" || name == "victim") << name;
}

TEST_F(DetectDeviceTest, MoreThanTenDevicesUsesTheFirstTen) {
  std::vector<std::string> images;
  for (int i = 0; i < 12; ++i)
    images.push_back(Image("many" + std::to_string(i), HexId(200 + i), 0,
                           ("Device " + std::to_string(i)).c_str()));
  testsupport::ConnectImages(images);
  EXPECT_EQ(DetectDevices(), "");
  ASSERT_EQ(List().device_count, 10);
  EXPECT_EQ(List().device_contexts[9].name, "Device 9");
  // A second pass frees the first one's devices and opens them again.
  EXPECT_EQ(DetectDevices(), "");
  EXPECT_EQ(List().device_count, 10);
  EXPECT_TRUE(List().device_contexts[0].valid);
}

}  // namespace

namespace {

// Every category's list lands in its own field: each list of the image
// holds a different number of items, so a crossed wire shows.
TEST_F(DetectDeviceTest, EachListLandsInItsOwnField) {
  const struct {
    const char* image_key;
    plist_t DeviceContext::*field;
  } kLists[] = {
      {"Music", &DeviceContext::music_list},
      {"Movies", &DeviceContext::movie_list},
      {"TVShows", &DeviceContext::tv_show_list},
      {"Podcasts", &DeviceContext::podcast_list},
      {"Audiobooks", &DeviceContext::audiobook_list},
      {"Books", &DeviceContext::book_list},
      {"Ringtones", &DeviceContext::ringtone_list},
      {"Playlists", &DeviceContext::playlist_list},
      {"VoiceMemos", &DeviceContext::voice_memo_list},
      {"CameraRoll", &DeviceContext::camera_roll_list},
      {"Photos", &DeviceContext::photo_list},
  };
  DeviceImageBuilder image(root_ + "/all");
  image.Identifier(HexId(7)).Info(Dict({{"DeviceName", "All"}}));
  uint32_t count = 1;
  for (const auto& list : kLists) {
    std::vector<plist_t> items;
    for (uint32_t i = 0; i < count; ++i)
      items.push_back(Dict({{"title", list.image_key}}));
    image.List(list.image_key, testsupport::FlatList(items));
    ++count;
  }
  testsupport::ConnectImages({image.Write()});
  EXPECT_EQ(DetectDevices(), "");
  ASSERT_EQ(List().device_count, 1);
  const DeviceContext& context = List().device_contexts[0];
  count = 1;
  for (const auto& list : kLists) {
    EXPECT_EQ(record::Number(context.*list.field), count) << list.image_key;
    EXPECT_EQ(record::String(record::ArrayItem(record::Items(context.*list.field), 0),
                             "title"),
              list.image_key);
    ++count;
  }
}

}  // namespace
