// The USB device as the program sees it, through the device library's C
// table only: the real libimobiledevice and libusbmuxd talk to a simulated
// phone that serves a media partition written by code.
#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <plist/plist.h>

#include "phone_fixture.h"
#include "plist_read.h"
#include "pod_device_service.h"
#include "sim_device.h"
#include "watchdog.h"

namespace {

using testsupport::PhoneContents;
using testsupport::SimDevice;
using testsupport::TempFolder;

constexpr uint64_t kMiB = 1u << 20;
constexpr const char kNoUsbmuxd[] = "UNIX:/nonexistent/usbmuxd";

using testsupport::Keys;
using testsupport::Num;
using testsupport::Str;
using testsupport::Watchdog;

// ---- plists and files ----------------------------------------------------------

struct PlistFree {
  void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using Plist = std::unique_ptr<void, PlistFree>;

std::vector<plist_t> Items(plist_t array) {
  std::vector<plist_t> out;
  if (array == nullptr || plist_get_node_type(array) != PLIST_ARRAY) return out;
  for (uint32_t i = 0; i < plist_array_get_size(array); ++i) out.push_back(plist_array_get_item(array, i));
  return out;
}

std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(generator());
  return bytes;
}

std::string ReadFile(const std::string& path) {
  std::string bytes;
  FILE* f = fopen(path.c_str(), "rb");
  if (f == nullptr) return "<missing>";
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  fclose(f);
  return bytes;
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// Every entry below a folder: relative path to bytes, folders as "name/".
void Tree(const std::string& root, const std::string& rel, std::map<std::string, std::string>* out) {
  DIR* dir = opendir((root + rel).c_str());
  if (dir == nullptr) return;
  while (dirent* e = readdir(dir)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    const std::string child = rel + "/" + name;
    struct stat st;
    if (lstat((root + child).c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      (*out)[child + "/"] = "";
      Tree(root, child, out);
    } else {
      (*out)[child] = ReadFile(root + child);
    }
  }
  closedir(dir);
}

std::map<std::string, std::string> Tree(const std::string& root) {
  std::map<std::string, std::string> out;
  Tree(root, "", &out);
  return out;
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : Tree(folder)) names.push_back(entry.first);
  return names;
}

// ---- the progress callback, which carries no user data -------------------------

struct Report {
  uint64_t total, done;
  uint8_t state;
};

// What the callbacks see and how a test holds one back.
struct Progress {
  std::mutex mutex;
  std::condition_variable cv;
  std::vector<Report> reports;
  int abort_at = -1;           // the report answered with -1
  bool first_report = false;   // the held export reported once
  bool released = false;       // the held export may go on
};
Progress* g_progress = nullptr;

int Record(uint64_t total, uint64_t done, uint8_t state, void* user) {
  EXPECT_EQ(nullptr, user);
  std::lock_guard<std::mutex> lock(g_progress->mutex);
  g_progress->reports.push_back({total, done, state});
  return static_cast<int>(g_progress->reports.size()) - 1 == g_progress->abort_at ? -1 : 0;
}

// Reports its first chunk, then waits until the test releases it.
int Hold(uint64_t, uint64_t, uint8_t state, void*) {
  std::unique_lock<std::mutex> lock(g_progress->mutex);
  g_progress->reports.push_back({0, 0, state});
  if (!g_progress->first_report) {
    g_progress->first_report = true;
    g_progress->cv.notify_all();
    EXPECT_TRUE(g_progress->cv.wait_for(lock, std::chrono::seconds(60),
                                        [] { return g_progress->released; }));
  }
  return 0;
}

bool WaitFirstReport() {
  std::unique_lock<std::mutex> lock(g_progress->mutex);
  return g_progress->cv.wait_for(lock, std::chrono::seconds(60),
                                 [] { return g_progress->first_report; });
}

void ReleaseHeld() {
  std::lock_guard<std::mutex> lock(g_progress->mutex);
  g_progress->released = true;
  g_progress->cv.notify_all();
}

size_t Finished(const std::vector<Report>& reports) {
  return static_cast<size_t>(std::count_if(
      reports.begin(), reports.end(), [](const Report& r) { return r.state == POD_EXPORT_FINISHED; }));
}

// ---- the device table ------------------------------------------------------------

using ListGetter = plist_t (*PodDevice::*)(PodDevice*, unsigned int, unsigned int);

const struct {
  const char* name;
  ListGetter get;
} kLists[] = {
    {"music", &PodDevice::GetMusicList},         {"playlists", &PodDevice::GetPlaylistList},
    {"movies", &PodDevice::GetMovieList},        {"podcasts", &PodDevice::GetPodcastList},
    {"TV shows", &PodDevice::GetTVShowList},     {"audiobooks", &PodDevice::GetAudiobookList},
    {"voice memos", &PodDevice::GetVoiceMemoList}, {"ringtones", &PodDevice::GetRingtoneList},
    {"photos", &PodDevice::GetPhotoList},        {"books", &PodDevice::GetBookList},
    {"camera roll", &PodDevice::GetCameraRollList},
};

Plist List(PodDevice* device, ListGetter get) { return Plist((device->*get)(device, 0, 0)); }

// The big files the chunked tests copy, beside the camera roll.
const std::string kBig = "/DCIM/102APPLE/IMG_0201.MOV";
const std::string kBigBytes = RandomBytes(5 * kMiB + 12345, 1);
const std::string kOther = "/DCIM/102APPLE/IMG_0202.MOV";
const std::string kOtherBytes = RandomBytes(4 * kMiB + 7, 2);

class UsbDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_progress = &progress_;
    unsetenv("PORTIVA_DEVICE_IMAGES");
    setenv("USBMUXD_SOCKET_ADDRESS", kNoUsbmuxd, 1);
    ASSERT_FALSE(temp_.path().empty());
    // Nothing this machine has mounted is listed beside the phone.
    ASSERT_TRUE(testsupport::WriteBytes(temp_.path() + "/mounts", ""));
    setenv("PORTIVA_MOUNT_TABLE", (temp_.path() + "/mounts").c_str(), 1);
    setenv("PORTIVA_GVFS_ROOT", (temp_.path() + "/no-gvfs").c_str(), 1);
    std::string error;
    ASSERT_TRUE(testsupport::WritePhone(temp_.path() + "/phone", {}, &phone_, &error)) << error;
    out_ = temp_.path() + "/out";
    ASSERT_TRUE(testsupport::MakeFolders(out_));
    options_.root = phone_.root;
    service_ = CreatePodDeviceService();
    ASSERT_NE(nullptr, service_);
  }

  void TearDown() override {
    for (PodDevice* device : devices_) service_->FreeDevice(device);
    FreePodDeviceService(service_);
    sim_.reset();
    setenv("USBMUXD_SOCKET_ADDRESS", kNoUsbmuxd, 1);
    unsetenv("PORTIVA_DEVICE_IMAGES");
    unsetenv("PORTIVA_MOUNT_TABLE");
    unsetenv("PORTIVA_GVFS_ROOT");
    g_progress = nullptr;
  }

  // A fresh simulated phone (and usbmuxd) in place of the last one.
  void Plug(const SimDevice::Options& options) {
    sim_.reset(new SimDevice);
    ASSERT_TRUE(sim_->Start(options));
    setenv("USBMUXD_SOCKET_ADDRESS", sim_->SocketAddress().c_str(), 1);
  }
  void Plug() { Plug(options_); }

  PodDevice* Create(const std::string& udid) {
    PodDevice* device = service_->CreateDevice(udid.c_str(), "usb");
    EXPECT_NE(nullptr, device);
    if (device != nullptr) devices_.push_back(device);
    return device;
  }

  int Init(PodDevice* device) {
    const std::string work = temp_.path() + "/work" + std::to_string(works_++);
    EXPECT_TRUE(testsupport::MakeFolders(work));
    return device->Init(device, work.c_str());
  }

  // The plugged phone, opened; null (and a failure) unless it opens.
  PodDevice* Open() {
    PodDevice* device = Create(options_.udid);
    if (device == nullptr) return nullptr;
    const int status = Init(device);
    EXPECT_EQ(POD_STATUS_OK, status);
    return status == POD_STATUS_OK ? device : nullptr;
  }

  // The file bytes opening the phone reads, so that a cut can be placed
  // after them.
  uint64_t OpeningBytes() {
    Plug();
    PodDevice* probe = Open();
    EXPECT_NE(nullptr, probe);
    const uint64_t bytes = sim_->counters().file_bytes_served;
    if (probe != nullptr) Free(probe);
    return bytes;
  }

  void Free(PodDevice* device) {
    devices_.erase(std::remove(devices_.begin(), devices_.end(), device), devices_.end());
    service_->FreeDevice(device);
  }

  void AddToPhone(const std::string& device_path, const std::string& bytes) {
    const std::string path = phone_.root + device_path;
    ASSERT_TRUE(testsupport::MakeFolders(path.substr(0, path.rfind('/'))));
    ASSERT_TRUE(testsupport::WriteBytes(path, bytes));
  }

  std::string OnPhone(const std::string& device_path) { return ReadFile(phone_.root + device_path); }

  const testsupport::PhoneBook& EpubFolder() {
    for (const auto& group : phone_.books)
      for (const auto& book : group.items)
        if (book.directory) return book;
    ADD_FAILURE() << "the fixture has no EPUB folder";
    return phone_.books.at(0).items.at(0);
  }

  // What a device that is not open does: serves nothing, copies nothing.
  void ExpectClosed(PodDevice* device) {
    EXPECT_EQ(nullptr, Plist(device->GetInfo(device)));
    for (const auto& list : kLists) EXPECT_EQ(nullptr, List(device, list.get)) << list.name;
    const std::string song = out_ + "/closed-song";
    EXPECT_NE(POD_STATUS_OK, device->ExportFile(device, phone_.music.at(0).path.c_str(), song.c_str(), Record));
    EXPECT_FALSE(Exists(song));
    const std::string book = out_ + "/closed-book";
    EXPECT_NE(POD_STATUS_OK, device->ExportDirectory(device, EpubFolder().path.c_str(), book.c_str()));
    EXPECT_FALSE(Exists(book));
    std::lock_guard<std::mutex> lock(progress_.mutex);
    EXPECT_EQ(0u, Finished(progress_.reports));
  }

  Watchdog watchdog_{240};
  Progress progress_;
  TempFolder temp_;
  PhoneContents phone_;
  std::string out_;
  SimDevice::Options options_;
  std::unique_ptr<SimDevice> sim_;
  PodDeviceService* service_ = nullptr;
  std::vector<PodDevice*> devices_;
  int works_ = 0;
};

// ---- enumeration ------------------------------------------------------------------

std::vector<std::pair<std::string, std::string>> Entries(plist_t list) {
  std::vector<std::pair<std::string, std::string>> out;
  EXPECT_TRUE(list != nullptr && plist_get_node_type(list) == PLIST_ARRAY);
  for (plist_t entry : Items(list)) {
    EXPECT_EQ((std::set<std::string>{"type", "value"}), Keys(entry));
    out.push_back({Str(entry, "type"), Str(entry, "value")});
  }
  return out;
}

// A device image folder holding only its identifier and a name.
std::string WriteImage(const std::string& folder, const std::string& id) {
  EXPECT_TRUE(testsupport::MakeFolders(folder + "/files"));
  plist_t description = plist_new_dict();
  plist_dict_set_item(description, "Identifier", plist_new_string(id.c_str()));
  plist_t info = plist_new_dict();
  plist_dict_set_item(info, "DeviceName", plist_new_string("Image"));
  plist_dict_set_item(description, "Info", info);
  char* xml = nullptr;
  uint32_t size = 0;
  plist_to_xml(description, &xml, &size);
  EXPECT_TRUE(testsupport::WriteBytes(folder + "/device.plist", std::string(xml, size)));
  free(xml);
  plist_free(description);
  return folder;
}

TEST_F(UsbDeviceTest, EnumerationListsThePhoneOnceBesideTheDeviceImages) {
  Plug();
  using Entry = std::pair<std::string, std::string>;
  EXPECT_EQ((std::vector<Entry>{{"usb", options_.udid}}),
            Entries(Plist(service_->GetDeviceList()).get()));

  // An image of its own, and one that names the phone: the phone comes once.
  const std::string image_id(40, 'a');
  const std::string image = WriteImage(temp_.path() + "/image", image_id);
  const std::string same = WriteImage(temp_.path() + "/same", options_.udid);
  setenv("PORTIVA_DEVICE_IMAGES", (image + ":" + same).c_str(), 1);
  EXPECT_EQ((std::vector<Entry>{{"usb", image_id}, {"usb", options_.udid}}),
            Entries(Plist(service_->GetDeviceList()).get()));

  // No usbmuxd at all: an empty list, not a failure.
  unsetenv("PORTIVA_DEVICE_IMAGES");
  sim_.reset();
  EXPECT_EQ(std::vector<Entry>{}, Entries(Plist(service_->GetDeviceList()).get()));
}

// ---- opening ------------------------------------------------------------------------

TEST_F(UsbDeviceTest, InitAnswersEveryOutcomeOfTheHandshake) {
  struct Case {
    const char* name;
    SimDevice::Mode mode;
    bool paired;
    const char* udid;  // asked for instead of the phone's, when not null
    bool usbmuxd;
    int status;
    bool work_is_file = false;  // the work directory given is a plain file
  };
  const Case cases[] = {
      {"paired", SimDevice::Mode::kNormal, true, nullptr, true, POD_STATUS_OK},
      {"seen for the first time", SimDevice::Mode::kNormal, false, nullptr, true, POD_STATUS_OK},
      {"locked", SimDevice::Mode::kLocked, false, nullptr, true, POD_STATUS_PASSCODE_LOCKED},
      {"trust pending", SimDevice::Mode::kTrustPending, false, nullptr, true, POD_STATUS_PASSCODE_LOCKED},
      {"refused", SimDevice::Mode::kRefused, false, nullptr, true, POD_STATUS_FAILED},
      // Unpaired and paired again within the one Init.
      {"stale pair record", SimDevice::Mode::kInvalidHostId, true, nullptr, true, POD_STATUS_OK},
      {"another phone", SimDevice::Mode::kNormal, true, "00008110-00FFFFFFFFFFFFFF", true, POD_STATUS_NO_DEVICE},
      {"no usbmuxd", SimDevice::Mode::kNormal, true, nullptr, false, POD_STATUS_NO_DEVICE},
      {"work directory unusable", SimDevice::Mode::kNormal, true, nullptr, true,
       POD_STATUS_WORK_DIR_UNUSABLE, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimDevice::Options options = options_;
    options.mode = c.mode;
    options.paired = c.paired;
    Plug(options);
    if (!c.usbmuxd) {
      sim_.reset();
      setenv("USBMUXD_SOCKET_ADDRESS", kNoUsbmuxd, 1);
    }
    PodDevice* device = Create(c.udid != nullptr ? c.udid : options.udid);
    ASSERT_NE(nullptr, device);
    if (c.work_is_file) {
      const std::string work = temp_.path() + "/work-file";
      ASSERT_TRUE(testsupport::WriteBytes(work, "a file"));
      EXPECT_EQ(c.status, device->Init(device, work.c_str()));
    } else {
      EXPECT_EQ(c.status, Init(device));
    }
    if (c.status == POD_STATUS_OK) {
      EXPECT_EQ(options.device_name, Str(Plist(device->GetInfo(device)).get(), "DeviceName"));
      EXPECT_TRUE(sim_->HasPairRecord());
    } else {
      ExpectClosed(device);
    }
    if (c.mode == SimDevice::Mode::kInvalidHostId) {
      EXPECT_EQ(1, sim_->counters().pair_records_deleted);
      EXPECT_EQ(1, sim_->counters().pair_requests);
    }
  }
}

TEST_F(UsbDeviceTest, AFailedInitLeavesTheDeviceClosedUntilOneSucceeds) {
  SimDevice::Options options = options_;
  options.mode = SimDevice::Mode::kTrustPending;
  options.paired = false;
  Plug(options);
  PodDevice* device = Create(options.udid);
  ASSERT_NE(nullptr, device);
  EXPECT_EQ(POD_STATUS_PASSCODE_LOCKED, Init(device));
  ExpectClosed(device);

  // The user taps Trust; the program opens the same handle again.
  sim_->SetMode(SimDevice::Mode::kNormal);
  ASSERT_EQ(POD_STATUS_OK, Init(device));
  EXPECT_NE(nullptr, Plist(device->GetInfo(device)));
  EXPECT_NE(nullptr, List(device, &PodDevice::GetMusicList));

  // Opened once, then gone at the next Init: nothing of the old opening stays.
  sim_->Unplug();
  EXPECT_EQ(POD_STATUS_NO_DEVICE, Init(device));
  ExpectClosed(device);
  EXPECT_EQ(POD_STATUS_BAD_ARGUMENT, device->Init(device, ""));
}

// ---- the information ----------------------------------------------------------------

TEST_F(UsbDeviceTest, InformationNamesThePhoneAndItsKind) {
  struct Case {
    const char* product_type;
    const char* kind;  // what the program looks for in "Type"
  } cases[] = {{"iPhone14,2", "iPhone"}, {"iPad13,4", "iPad"}, {"iPod9,1", "iPod"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.product_type);
    SimDevice::Options options = options_;
    options.product_type = c.product_type;
    options.device_name = std::string("Anna's ") + c.kind;
    options.product_version = "17.2.1";
    options.serial_number = std::string("SN-") + c.kind;
    Plug(options);
    PodDevice* device = Open();
    ASSERT_NE(nullptr, device);
    Plist info(device->GetInfo(device));
    ASSERT_NE(nullptr, info);
    EXPECT_EQ((std::set<std::string>{"Audio", "Available", "Catacity", "DeviceName", "Others",
                                     "Photos", "SerialNumber", "Type", "Version", "Video"}),
              Keys(info.get()));
    EXPECT_EQ(options.device_name, Str(info.get(), "DeviceName"));
    EXPECT_EQ(c.product_type, Str(info.get(), "Type"));
    EXPECT_NE(std::string::npos, Str(info.get(), "Type").find(c.kind));
    EXPECT_EQ("17.2.1", Str(info.get(), "Version"));
    EXPECT_EQ(options.serial_number, Str(info.get(), "SerialNumber"));
  }
}

template <typename Item>
uint64_t SizeOf(const std::vector<Item>& items) {
  uint64_t sum = 0;
  for (const Item& item : items) sum += item.size;
  return sum;
}

TEST_F(UsbDeviceTest, CapacityFiguresAddUpToTheCapacityWhateverThePhoneSays) {
  const uint64_t audio = SizeOf(phone_.music) + SizeOf(phone_.podcasts) + SizeOf(phone_.audiobooks) +
                         SizeOf(phone_.ringtones) + SizeOf(phone_.voice_memos);
  const uint64_t video = SizeOf(phone_.movies) + SizeOf(phone_.tv_shows);
  const uint64_t photos = SizeOf(phone_.camera_roll) + SizeOf(phone_.photos);
  ASSERT_TRUE(audio > 0 && video > 0 && photos > 0);
  const uint64_t media = audio + video + photos;

  struct Case {
    const char* name;
    uint64_t total, available;
  } cases[] = {
      {"roomy", 128000000000ull, 41000000000ull},
      {"full", 64000000000ull, 0},
      {"used space is just the lists", 10000000000ull, 10000000000ull - media},
      {"lists bigger than the used space", 10000000000ull, 10000000000ull - media / 2},
      {"available above total", 1000000000ull, 2000000000ull},
      {"available equals total", 1000000000ull, 1000000000ull},
      {"zero capacity", 0, 0},
      {"zero capacity, space available", 0, 5000000000ull},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimDevice::Options options = options_;
    options.total_capacity = c.total;
    options.available = c.available;
    Plug(options);
    PodDevice* device = Open();
    ASSERT_NE(nullptr, device);
    Plist info(device->GetInfo(device));
    ASSERT_NE(nullptr, info);
    const uint64_t got_audio = Num(info.get(), "Audio"), got_video = Num(info.get(), "Video"),
                   got_photos = Num(info.get(), "Photos"), others = Num(info.get(), "Others"),
                   available = Num(info.get(), "Available");
    EXPECT_EQ(c.total, Num(info.get(), "Catacity"));
    EXPECT_EQ(std::min(c.available, c.total), available);
    // Each figure alone is at most the capacity, so the sum cannot wrap.
    for (uint64_t figure : {got_audio, got_video, got_photos, others, available})
      ASSERT_LE(figure, c.total);
    EXPECT_EQ(c.total, got_audio + got_video + got_photos + others + available);
    const uint64_t used = c.total - std::min(c.available, c.total);
    if (used >= media) {
      EXPECT_EQ(audio, got_audio);
      EXPECT_EQ(video, got_video);
      EXPECT_EQ(photos, got_photos);
      EXPECT_EQ(used - media, others);
    } else {
      // The lists cannot take more than is used.
      EXPECT_LE(got_audio, audio);
      EXPECT_LE(got_video, video);
      EXPECT_LE(got_photos, photos);
      EXPECT_EQ(0u, others);
    }
  }
}

// ---- the lists ------------------------------------------------------------------------

// One line per item of a flat list: its path and one other field.
std::vector<std::string> FlatLines(plist_t list, const char* field) {
  std::vector<std::string> out;
  EXPECT_TRUE(list != nullptr && plist_get_node_type(list) == PLIST_DICT);
  if (list == nullptr || plist_get_node_type(list) != PLIST_DICT) return out;
  std::vector<plist_t> items = Items(plist_dict_get_item(list, "item"));
  EXPECT_EQ(items.size(), Num(list, "number"));
  for (plist_t item : items) {
    std::string other = strcmp(field, "size") == 0 ? std::to_string(Num(item, "size")) : Str(item, field);
    out.push_back(Str(item, "path") + " | " + other);
  }
  return out;
}

// A line per group ("name:") and per item of it (path and title).
std::vector<std::string> GroupLines(plist_t list, const char* name_key) {
  std::vector<std::string> out;
  EXPECT_TRUE(list != nullptr && plist_get_node_type(list) == PLIST_ARRAY);
  for (plist_t group : Items(list)) {
    out.push_back(Str(group, name_key) + ":");
    std::vector<plist_t> items = Items(plist_dict_get_item(group, "item"));
    EXPECT_EQ(items.size(), Num(group, "number"));
    for (plist_t item : items) out.push_back(Str(item, "path") + " | " + Str(item, "title"));
  }
  return out;
}

template <typename Item>
std::vector<std::string> Expected(const std::vector<Item>& items, std::function<std::string(const Item&)> other) {
  std::vector<std::string> out;
  for (const Item& item : items) out.push_back(item.path + " | " + other(item));
  return out;
}

template <typename Item>
std::vector<std::string> ExpectedGroups(const std::vector<testsupport::PhoneGroup<Item>>& groups) {
  std::vector<std::string> out;
  for (const auto& group : groups) {
    out.push_back(group.name + ":");
    for (const Item& item : group.items) out.push_back(item.path + " | " + item.title);
  }
  return out;
}

TEST_F(UsbDeviceTest, TheElevenListsHoldWhatThePartitionHolds) {
  Plug();
  PodDevice* device = Open();
  ASSERT_NE(nullptr, device);
  using testsupport::PhoneMemo;
  using testsupport::PhonePicture;
  using testsupport::PhoneTrack;
  auto title = [](const PhoneTrack& t) { return t.title; };
  auto size = [](const PhonePicture& p) { return std::to_string(p.size); };
  auto name = [](const PhoneMemo& m) { return m.name; };
  struct Case {
    const char* name;
    ListGetter get;
    std::function<std::vector<std::string>(plist_t)> read;
    std::vector<std::string> expected;
  };
  auto flat = [](const char* field) { return [field](plist_t list) { return FlatLines(list, field); }; };
  auto grouped = [](const char* key) { return [key](plist_t list) { return GroupLines(list, key); }; };
  const Case cases[] = {
      {"music", &PodDevice::GetMusicList, flat("title"), Expected<PhoneTrack>(phone_.music, title)},
      {"movies", &PodDevice::GetMovieList, flat("title"), Expected<PhoneTrack>(phone_.movies, title)},
      {"TV shows", &PodDevice::GetTVShowList, flat("title"), Expected<PhoneTrack>(phone_.tv_shows, title)},
      {"podcasts", &PodDevice::GetPodcastList, flat("title"), Expected<PhoneTrack>(phone_.podcasts, title)},
      {"audiobooks", &PodDevice::GetAudiobookList, flat("title"), Expected<PhoneTrack>(phone_.audiobooks, title)},
      {"ringtones", &PodDevice::GetRingtoneList, flat("title"), Expected<PhoneTrack>(phone_.ringtones, title)},
      {"voice memos", &PodDevice::GetVoiceMemoList, flat("name"), Expected<PhoneMemo>(phone_.voice_memos, name)},
      {"camera roll", &PodDevice::GetCameraRollList, flat("size"), Expected<PhonePicture>(phone_.camera_roll, size)},
      {"photos", &PodDevice::GetPhotoList, flat("size"), Expected<PhonePicture>(phone_.photos, size)},
      {"playlists", &PodDevice::GetPlaylistList, grouped("name"), ExpectedGroups(phone_.playlists)},
      {"books", &PodDevice::GetBookList, grouped("catalog"), ExpectedGroups(phone_.books)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(c.expected.empty()) << "the fixture has none, so nothing is checked";
    EXPECT_EQ(c.expected, c.read(List(device, c.get).get()));
  }

  // Each call hands out a copy of its own.
  Plist first = List(device, &PodDevice::GetMusicList);
  ASSERT_NE(nullptr, first);
  plist_dict_set_item(first.get(), "number", plist_new_uint(0));
  plist_array_remove_item(plist_dict_get_item(first.get(), "item"), 0);
  first.reset();
  EXPECT_EQ(Expected<PhoneTrack>(phone_.music, title),
            FlatLines(List(device, &PodDevice::GetMusicList).get(), "title"));
  Plist info(device->GetInfo(device));
  plist_dict_remove_item(info.get(), "DeviceName");
  info.reset();
  EXPECT_EQ(options_.device_name, Str(Plist(device->GetInfo(device)).get(), "DeviceName"));
}

// ---- exports ------------------------------------------------------------------------------

TEST_F(UsbDeviceTest, ExportsASongAPictureAndAnEpubFolderByteForByte) {
  Plug();
  PodDevice* device = Open();
  ASSERT_NE(nullptr, device);
  const struct {
    const char* name;
    std::string path;
  } files[] = {{"song", phone_.music.at(0).path}, {"picture", phone_.camera_roll.at(0).path}};
  for (const auto& file : files) {
    SCOPED_TRACE(file.name);
    const std::string target = out_ + "/" + file.name;
    ASSERT_EQ(POD_STATUS_OK, device->ExportFile(device, file.path.c_str(), target.c_str(), Record));
    const std::string bytes = ReadFile(target);
    EXPECT_FALSE(bytes.empty());
    EXPECT_TRUE(bytes == OnPhone(file.path)) << bytes.size() << " bytes";
  }

  const std::string book = EpubFolder().path;
  const std::map<std::string, std::string> expected = Tree(phone_.root + book);
  ASSERT_GE(expected.size(), 4u);
  // Into a new folder, and into one that is already there.
  const std::string fresh = out_ + "/new/moby.epub";
  ASSERT_TRUE(testsupport::MakeFolders(out_ + "/new"));
  ASSERT_EQ(POD_STATUS_OK, device->ExportDirectory(device, book.c_str(), fresh.c_str()));
  EXPECT_TRUE(Tree(fresh) == expected) << ::testing::PrintToString(Names(fresh));
  const std::string existing = out_ + "/existing";
  ASSERT_TRUE(testsupport::MakeFolders(existing));
  ASSERT_EQ(POD_STATUS_OK, device->ExportDirectory(device, (book + "/").c_str(), existing.c_str()));
  EXPECT_TRUE(Tree(existing) == expected) << ::testing::PrintToString(Names(existing));
}

TEST_F(UsbDeviceTest, ProgressComesAfterEveryChunkAndOnceAtTheEnd) {
  const struct {
    const char* name;
    std::string path;
    std::string bytes;
  } files[] = {
      {"empty", "/DCIM/102APPLE/IMG_0203.MOV", ""},
      {"one byte", "/DCIM/102APPLE/IMG_0204.MOV", "x"},
      {"whole chunks", "/DCIM/102APPLE/IMG_0205.MOV", RandomBytes(3 * kMiB, 3)},
      {"a part chunk at the end", kBig, kBigBytes},
  };
  for (const auto& file : files) AddToPhone(file.path, file.bytes);
  Plug();
  PodDevice* device = Open();
  ASSERT_NE(nullptr, device);
  for (const auto& file : files) {
    SCOPED_TRACE(file.name);
    progress_.reports.clear();
    const std::string target = out_ + "/" + file.name;
    ASSERT_EQ(POD_STATUS_OK, device->ExportFile(device, file.path.c_str(), target.c_str(), Record));
    const std::string bytes = ReadFile(target);
    EXPECT_TRUE(bytes == file.bytes) << bytes.size() << " bytes";

    const std::vector<Report> reports = progress_.reports;
    const uint64_t total = file.bytes.size();
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(1u, Finished(reports));
    EXPECT_EQ(POD_EXPORT_FINISHED, reports.back().state);
    EXPECT_EQ(total, reports.back().total);
    EXPECT_EQ(total, reports.back().done);
    uint64_t last = 0;
    for (size_t i = 0; i + 1 < reports.size(); ++i) {
      EXPECT_EQ(POD_EXPORT_IN_PROGRESS, reports[i].state) << i;
      EXPECT_EQ(total, reports[i].total) << i;
      EXPECT_GT(reports[i].done, last) << i;
      last = reports[i].done;
    }
    if (total > 0) {
      EXPECT_EQ(total, last) << "the last chunk was not reported";
    }
    if (total > 2 * kMiB) {
      EXPECT_GE(reports.size(), 4u) << "a big file in one report";
    }
  }
}

TEST_F(UsbDeviceTest, ACallbackAnsweringMinusOneAbortsAndLeavesNoFile) {
  AddToPhone(kBig, kBigBytes);
  Plug();
  PodDevice* device = Open();
  ASSERT_NE(nullptr, device);
  for (int abort_at : {0, 2}) {
    SCOPED_TRACE(abort_at);
    progress_.reports.clear();
    progress_.abort_at = abort_at;
    const std::string target = out_ + "/aborted" + std::to_string(abort_at);
    EXPECT_NE(POD_STATUS_OK, device->ExportFile(device, kBig.c_str(), target.c_str(), Record));
    EXPECT_FALSE(Exists(target));
    EXPECT_EQ(static_cast<size_t>(abort_at) + 1, progress_.reports.size()) << "reports after the abort";
    EXPECT_EQ(0u, Finished(progress_.reports));
  }
  // The device goes on serving.
  progress_.abort_at = -1;
  const std::string target = out_ + "/after";
  ASSERT_EQ(POD_STATUS_OK, device->ExportFile(device, kBig.c_str(), target.c_str(), nullptr));
  EXPECT_TRUE(ReadFile(target) == kBigBytes);
}

TEST_F(UsbDeviceTest, AnExistingTargetIsNeverReplaced) {
  Plug();
  PodDevice* device = Open();
  ASSERT_NE(nullptr, device);
  const std::string song = phone_.music.at(0).path;
  const std::string elsewhere = out_ + "/elsewhere";
  ASSERT_TRUE(testsupport::WriteBytes(elsewhere, "not to be touched"));
  const std::string file = out_ + "/file", link = out_ + "/link", dangling = out_ + "/dangling",
                    folder = out_ + "/folder";
  ASSERT_TRUE(testsupport::WriteBytes(file, "mine"));
  ASSERT_EQ(0, symlink(elsewhere.c_str(), link.c_str()));
  ASSERT_EQ(0, symlink((out_ + "/nowhere").c_str(), dangling.c_str()));
  ASSERT_TRUE(testsupport::MakeFolders(folder));
  const std::map<std::string, std::string> before = Tree(out_);
  for (const std::string& target : {file, link, dangling, folder}) {
    SCOPED_TRACE(target);
    EXPECT_NE(POD_STATUS_OK, device->ExportFile(device, song.c_str(), target.c_str(), Record));
  }
  EXPECT_TRUE(Tree(out_) == before) << ::testing::PrintToString(Names(out_));
  EXPECT_FALSE(Exists(out_ + "/nowhere"));
  char buffer[256] = {};
  EXPECT_EQ(static_cast<ssize_t>(elsewhere.size()), readlink(link.c_str(), buffer, sizeof buffer - 1));
  EXPECT_EQ(0u, Finished(progress_.reports));

  // A folder export meeting a file of the same name fails and takes back
  // what it made, but nothing that was there.
  const std::string book = out_ + "/book";
  ASSERT_TRUE(testsupport::MakeFolders(book));
  ASSERT_TRUE(testsupport::WriteBytes(book + "/mimetype", "mine"));
  EXPECT_NE(POD_STATUS_OK, device->ExportDirectory(device, EpubFolder().path.c_str(), book.c_str()));
  EXPECT_EQ((std::vector<std::string>{"/mimetype"}), Names(book));
  EXPECT_EQ("mine", ReadFile(book + "/mimetype"));
}

TEST_F(UsbDeviceTest, AnUnplugMidExportFailsThatFileAndEveryLaterCallFast) {
  AddToPhone(kBig, kBigBytes);
  const uint64_t opening = OpeningBytes();

  // In the middle of a whole chunk's answer, and right after one.
  for (uint64_t into_export : {kMiB + kMiB / 2, 2 * kMiB}) {
    SCOPED_TRACE(into_export);
    SimDevice::Options options = options_;
    options.unplug_after_bytes = opening + into_export;
    Plug(options);
    PodDevice* device = Open();
    ASSERT_NE(nullptr, device);
    ASSERT_EQ(opening, sim_->counters().file_bytes_served);

    progress_.reports.clear();
    const std::string target = out_ + "/cut" + std::to_string(into_export);
    EXPECT_NE(POD_STATUS_OK, device->ExportFile(device, kBig.c_str(), target.c_str(), Record));
    EXPECT_FALSE(Exists(target));
    EXPECT_FALSE(progress_.reports.empty()) << "the cut came before the export";
    EXPECT_EQ(0u, Finished(progress_.reports));

    const size_t requests = sim_->Requests().size();
    const auto start = std::chrono::steady_clock::now();
    const std::string song = out_ + "/song" + std::to_string(into_export);
    EXPECT_NE(POD_STATUS_OK, device->ExportFile(device, phone_.music.at(0).path.c_str(), song.c_str(), Record));
    EXPECT_FALSE(Exists(song));
    const std::string book = out_ + "/book" + std::to_string(into_export);
    EXPECT_NE(POD_STATUS_OK, device->ExportDirectory(device, EpubFolder().path.c_str(), book.c_str()));
    EXPECT_FALSE(Exists(book));
    std::thread other([&] {
      const std::string picture = out_ + "/picture" + std::to_string(into_export);
      EXPECT_NE(POD_STATUS_OK,
                device->ExportFile(device, phone_.camera_roll.at(0).path.c_str(), picture.c_str(), nullptr));
      EXPECT_FALSE(Exists(picture));
    });
    other.join();
    EXPECT_EQ(requests, sim_->Requests().size()) << "a call after the unplug reached the phone";
    EXPECT_EQ(POD_STATUS_NO_DEVICE, Init(device));
    ExpectClosed(device);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  }
}

// An answer shorter than asked for (the end of a file) cut by the unplug:
// libimobiledevice 1.3.0 counts such an answer up past what it holds and
// copies that much, which the sanitizer builds report.
TEST_F(UsbDeviceTest, AnUnplugInsideTheLastAnswerOfAFileFailsCleanly) {
  AddToPhone(kBig, kBigBytes);
  const uint64_t opening = OpeningBytes();

  // While opening reads the databases.
  SimDevice::Options options = options_;
  options.unplug_after_bytes = 1000;
  Plug(options);
  PodDevice* device = Create(options.udid);
  ASSERT_NE(nullptr, device);
  EXPECT_EQ(POD_STATUS_NO_DEVICE, Init(device));
  ExpectClosed(device);

  // In the last, part chunk of an export.
  options.unplug_after_bytes = opening + 5 * kMiB + 6000;
  Plug(options);
  device = Open();
  ASSERT_NE(nullptr, device);
  const std::string target = out_ + "/cut";
  EXPECT_NE(POD_STATUS_OK, device->ExportFile(device, kBig.c_str(), target.c_str(), Record));
  EXPECT_FALSE(Exists(target));
  EXPECT_EQ(0u, Finished(progress_.reports));
}

TEST_F(UsbDeviceTest, FreeDeviceDuringAnExportStopsItWithoutAPartialFile) {
  AddToPhone(kBig, kBigBytes);
  Plug();
  PodDevice* device = Open();
  ASSERT_NE(nullptr, device);
  const std::string target = out_ + "/freed";
  int result = POD_STATUS_OK;
  std::thread exporter([&] { result = device->ExportFile(device, kBig.c_str(), target.c_str(), Hold); });
  ASSERT_TRUE(WaitFirstReport());
  Free(device);  // while the export holds it
  ReleaseHeld();
  exporter.join();
  EXPECT_NE(POD_STATUS_OK, result);
  EXPECT_FALSE(Exists(target));
  std::lock_guard<std::mutex> lock(progress_.mutex);
  EXPECT_EQ(0u, Finished(progress_.reports));
}

TEST_F(UsbDeviceTest, TwoThreadsExportFromOneDeviceAtOnce) {
  AddToPhone(kBig, kBigBytes);
  AddToPhone(kOther, kOtherBytes);
  Plug();
  PodDevice* device = Open();
  ASSERT_NE(nullptr, device);
  // The export worker is held in the middle of its file while the thumbnail
  // loader copies a big file and every picture of the camera roll.
  int worker = -1;
  std::thread export_worker([&] {
    worker = device->ExportFile(device, kBig.c_str(), (out_ + "/worker").c_str(), Hold);
  });
  ASSERT_TRUE(WaitFirstReport());
  std::vector<int> loader;
  std::thread thumbnails([&] {
    loader.push_back(device->ExportFile(device, kOther.c_str(), (out_ + "/loader").c_str(), nullptr));
    for (size_t i = 0; i < phone_.camera_roll.size(); ++i)
      loader.push_back(device->ExportFile(device, phone_.camera_roll[i].path.c_str(),
                                          (out_ + "/thumb" + std::to_string(i)).c_str(), nullptr));
  });
  thumbnails.join();
  ReleaseHeld();
  export_worker.join();

  EXPECT_EQ(POD_STATUS_OK, worker);
  EXPECT_TRUE(ReadFile(out_ + "/worker") == kBigBytes);
  EXPECT_EQ(std::vector<int>(phone_.camera_roll.size() + 1, POD_STATUS_OK), loader);
  EXPECT_TRUE(ReadFile(out_ + "/loader") == kOtherBytes);
  for (size_t i = 0; i < phone_.camera_roll.size(); ++i)
    EXPECT_TRUE(ReadFile(out_ + "/thumb" + std::to_string(i)) == OnPhone(phone_.camera_roll[i].path)) << i;
}

}  // namespace
