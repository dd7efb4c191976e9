// Mounted devices through the device library's contract: classic iPods
// written by libgpod and phones' media partitions written as folders,
// found through a mount table and a gvfs folder of the test's own.
#include <dirent.h>
#include <ftw.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "ipod_database.h"
#include "ipod_fixture.h"
#include "phone_fixture.h"
#include "pod_device_service.h"
#include "sim_device.h"

namespace {

using testsupport::IpodOptions;
using testsupport::IpodTrack;
using testsupport::PhoneContents;
using testsupport::PhoneOptions;
using testsupport::SimDevice;
using testsupport::TempFolder;

using ListCall = plist_t (*PodDevice::*)(PodDevice*, unsigned int, unsigned int);

// ---- reading records ------------------------------------------------------------

std::string String(plist_t dict, const char* key) {
  plist_t node = dict != nullptr ? plist_dict_get_item(dict, key) : nullptr;
  if (node == nullptr || plist_get_node_type(node) != PLIST_STRING) return "<none>";
  char* value = nullptr;
  plist_get_string_val(node, &value);
  std::string text = value != nullptr ? value : "";
  free(value);
  return text;
}

uint64_t Uint(plist_t dict, const char* key) {
  plist_t node = dict != nullptr ? plist_dict_get_item(dict, key) : nullptr;
  uint64_t value = 0;
  if (node != nullptr && plist_get_node_type(node) == PLIST_UINT) plist_get_uint_val(node, &value);
  return value;
}

std::vector<plist_t> Items(plist_t list) {
  std::vector<plist_t> items;
  plist_t array = list != nullptr && plist_get_node_type(list) == PLIST_DICT
                      ? plist_dict_get_item(list, "item")
                      : list;
  if (array == nullptr || plist_get_node_type(array) != PLIST_ARRAY) return items;
  for (uint32_t i = 0; i < plist_array_get_size(array); ++i)
    items.push_back(plist_array_get_item(array, i));
  return items;
}

std::vector<std::string> Titles(plist_t list) {
  std::vector<std::string> titles;
  for (plist_t item : Items(list)) titles.push_back(String(item, "title"));
  return titles;
}

struct Plist {
  explicit Plist(plist_t node = nullptr) : node(node) {}
  ~Plist() {
    if (node != nullptr) plist_free(node);
  }
  Plist(const Plist&) = delete;
  Plist& operator=(const Plist&) = delete;
  plist_t node;
};

std::string Xml(plist_t node) {
  char* xml = nullptr;
  uint32_t length = 0;
  plist_to_xml(node, &xml, &length);
  std::string text = xml != nullptr ? std::string(xml, length) : "";
  free(xml);
  return text;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Real(const std::string& path) {
  char* real = realpath(path.c_str(), nullptr);
  std::string text = real != nullptr ? real : "";
  free(real);
  return text;
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// What each progress report said.
std::vector<std::pair<uint64_t, uint8_t>> g_reports;
int g_abort_at_report = 0;  // 0: never
int Record(uint64_t total, uint64_t, uint8_t state, void*) {
  g_reports.push_back({total, state});
  return g_abort_at_report != 0 && static_cast<int>(g_reports.size()) == g_abort_at_report ? -1 : 0;
}

// ---- the test's own machine -----------------------------------------------------

class MountedDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = folder_.path();
    ASSERT_FALSE(root_.empty());
    table_ = root_ + "/mounts";
    gvfs_ = root_ + "/gvfs";
    tmp_ = root_ + "/tmp";
    ASSERT_EQ(0, mkdir(gvfs_.c_str(), 0755));
    ASSERT_EQ(0, mkdir(tmp_.c_str(), 0755));
    WriteTable();
    setenv("PORTIVA_MOUNT_TABLE", table_.c_str(), 1);
    setenv("PORTIVA_GVFS_ROOT", gvfs_.c_str(), 1);
    const char* tmpdir = getenv("TMPDIR");
    saved_tmpdir_ = tmpdir != nullptr ? tmpdir : "";
    setenv("TMPDIR", tmp_.c_str(), 1);
    unsetenv("PORTIVA_DEVICE_IMAGES");
    setenv("USBMUXD_SOCKET_ADDRESS", ("UNIX:" + root_ + "/no-usbmuxd").c_str(), 1);
    service_ = CreatePodDeviceService();
    ASSERT_NE(service_, nullptr);
    g_reports.clear();
    g_abort_at_report = 0;
  }

  void TearDown() override {
    for (PodDevice* device : devices_) service_->FreeDevice(device);
    FreePodDeviceService(service_);
    sim_.Stop();
    if (saved_tmpdir_.empty())
      unsetenv("TMPDIR");
    else
      setenv("TMPDIR", saved_tmpdir_.c_str(), 1);
  }

  // A line of the mount table, the mount point written as the kernel
  // writes it (a space as "\040").
  void Mount(const std::string& point, const std::string& type, const std::string& source = "/dev/sdb1") {
    std::string escaped;
    for (char c : point) escaped += c == ' ' ? std::string("\\040") : std::string(1, c);
    mounts_.push_back(source + " " + escaped + " " + type + " rw,nosuid,nodev 0 0");
    WriteTable();
  }
  void WriteTable() {
    std::ofstream out(table_);
    out << "proc /proc proc rw,nosuid 0 0\n";
    for (const std::string& line : mounts_) out << line << "\n";
  }

  std::string WriteIpod(const std::string& name, IpodOptions* options) {
    const std::string folder = root_ + "/" + name;
    std::string error;
    EXPECT_TRUE(testsupport::WriteIpod(folder, options, &error)) << error;
    return folder;
  }

  // An iPod with a track of every kind, playlists and two photos, mounted.
  std::string FullIpod() {
    std::vector<IpodTrack> more = std::move(full_.tracks);
    full_.tracks = testsupport::EveryKindOfTrack();
    full_.tracks.insert(full_.tracks.end(), more.begin(), more.end());
    full_.playlists = testsupport::SomePlaylists();
    full_.photos = testsupport::TwoPhotos();
    full_.sysinfo_extra = "visibleBuildID: 0x01128000 (1.1.2)\npszSerialNumber: 4H6011XYZ\n";
    const std::string folder = WriteIpod("ipod", &full_);
    Mount(folder, "vfat");
    return folder;
  }

  std::string WritePhone(const std::string& folder, PhoneContents* contents) {
    std::string error;
    EXPECT_TRUE(testsupport::WritePhone(folder, PhoneOptions(), contents, &error)) << error;
    return folder;
  }

  std::vector<std::pair<std::string, std::string>> Listed() {
    Plist list(service_->GetDeviceList());
    std::vector<std::pair<std::string, std::string>> entries;
    for (plist_t entry : Items(list.node)) entries.push_back({String(entry, "type"), String(entry, "value")});
    return entries;
  }

  // A "path" device, freed by the test's end; used without Init.
  PodDevice* Open(const std::string& value) {
    PodDevice* device = service_->CreateDevice(value.c_str(), "path");
    if (device != nullptr) devices_.push_back(device);
    return device;
  }

  plist_t List(PodDevice* device, ListCall call) {
    lists_.emplace_back(new Plist((device->*call)(device, 0, 0)));
    return lists_.back()->node;
  }

  plist_t Info(PodDevice* device) {
    lists_.emplace_back(new Plist(device->GetInfo(device)));
    return lists_.back()->node;
  }

  TempFolder folder_;
  std::string root_, table_, gvfs_, tmp_, saved_tmpdir_;
  std::vector<std::string> mounts_;
  PodDeviceService* service_ = nullptr;
  std::vector<PodDevice*> devices_;
  std::vector<std::unique_ptr<Plist>> lists_;
  IpodOptions full_;
  SimDevice sim_;
};

const char kGuid[] = "000A27001A2B3C4D";

TEST_F(MountedDeviceTest, EnumerationFindsMountedIpodsAndPhonesAndListsEachOnce) {
  // iPods: one named by SysInfo (written in lower case), one by
  // SysInfoExtended, one by nothing but its mount point; the first also
  // mounted a second time.
  IpodOptions by_sysinfo;
  by_sysinfo.sysinfo_guid = "0x000a27001a2b3c4d";
  const std::string first = WriteIpod("IPOD A", &by_sysinfo);
  IpodOptions by_extended;
  by_extended.model = "MA002";
  by_extended.sysinfo_guid.clear();
  by_extended.extended_guid = "000A2700FFEE0011";
  const std::string second = WriteIpod("ipod-b", &by_extended);
  IpodOptions unnamed;
  unnamed.model = "MA002";
  unnamed.sysinfo_guid.clear();
  const std::string third = WriteIpod("ipod-c", &unnamed);
  Mount(first, "vfat");
  Mount(second, "hfsplus");
  Mount(third, "exfat");
  Mount(first, "vfat", "/dev/sdc1");
  // Not iPods: an iPod folder on a network file system is never looked
  // into, nor is a folder that holds nothing; a mount point that is gone.
  IpodOptions remote;
  Mount(WriteIpod("remote", &remote), "nfs4", "server:/ipod");
  ASSERT_EQ(0, mkdir((root_ + "/stick").c_str(), 0755));
  Mount(root_ + "/stick", "vfat");
  Mount(root_ + "/unplugged", "vfat");

  // Phones: ifuse (no UDID in the table), gvfs, and one phone gvfs mounted
  // that usbmuxd lists as well; an app's documents and an empty folder are
  // no media partitions.
  PhoneContents contents;
  const std::string ifuse = WritePhone(root_ + "/iphone", &contents);
  Mount(ifuse, "fuse.ifuse", "ifuse");
  ASSERT_EQ(0, mkdir((root_ + "/other-fuse").c_str(), 0755));
  Mount(root_ + "/other-fuse", "fuse", "sshfs");
  const std::string gvfs_udid = "00008030-000E1D2C3B4A5968";
  WritePhone(gvfs_ + "/afc:host=" + gvfs_udid, &contents);
  SimDevice::Options usb;
  usb.root = WritePhone(gvfs_ + "/afc:host=" + usb.udid, &contents);
  ASSERT_TRUE(sim_.Start(usb));
  setenv("USBMUXD_SOCKET_ADDRESS", sim_.SocketAddress().c_str(), 1);
  WritePhone(gvfs_ + "/afc:host=" + gvfs_udid + ",port=3", &contents);
  ASSERT_EQ(0, mkdir((gvfs_ + "/afc:host=00008101-00112233445566AA").c_str(), 0755));

  const std::string third_real = Real(third), ifuse_real = Real(ifuse);
  using Entries = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(Listed(), (Entries{{"usb", usb.udid},
                               {"path", kGuid},
                               {"path", "000A2700FFEE0011"},
                               {"path", third_real},
                               {"path", ifuse_real},
                               {"path", gvfs_udid}}));
  for (const std::string& value : {std::string(kGuid), third_real, ifuse_real, gvfs_udid})
    EXPECT_NE(Open(value), nullptr) << value;

  // Read afresh each time: an unmounted iPod is gone from the list, and
  // from the devices that can be made.
  mounts_.erase(mounts_.begin());
  mounts_.erase(mounts_.begin() + 2);
  WriteTable();
  EXPECT_EQ(Listed(), (Entries{{"usb", usb.udid},
                               {"path", "000A2700FFEE0011"},
                               {"path", third_real},
                               {"path", ifuse_real},
                               {"path", gvfs_udid}}));
  EXPECT_EQ(service_->CreateDevice(kGuid, "path"), nullptr);
  // The tests' machine has no gvfs folder of its own.
  setenv("PORTIVA_GVFS_ROOT", (root_ + "/nowhere").c_str(), 1);
  EXPECT_EQ(Listed().back(), (std::pair<std::string, std::string>{"path", ifuse_real}));
}

// Where each track goes: by the bits of its media type.
struct KindCase {
  const char* title;
  ListCall list;  // null: in no list
};
const KindCase kKindCases[] = {
    {"Song", &PodDevice::GetMusicList},
    {"Old Song", &PodDevice::GetMusicList},
    {"Movie", &PodDevice::GetMovieList},
    {"Music Video", &PodDevice::GetMovieList},
    {"Rental", &PodDevice::GetMovieList},
    {"TV Show", &PodDevice::GetTVShowList},
    {"Music TV Show", &PodDevice::GetTVShowList},
    {"Podcast", &PodDevice::GetPodcastList},
    {"Video Podcast", &PodDevice::GetPodcastList},
    {"Lecture", &PodDevice::GetPodcastList},
    {"Audiobook", &PodDevice::GetAudiobookList},
    {"Voice Memo", &PodDevice::GetVoiceMemoList},
    {"Ringtone", &PodDevice::GetRingtoneList},
    {"Book", nullptr},        // e-books: the iPod only keeps them
    {"Not Copied", nullptr},  // no file on the iPod
};
const ListCall kTrackLists[] = {&PodDevice::GetMusicList,     &PodDevice::GetMovieList,
                                &PodDevice::GetTVShowList,    &PodDevice::GetPodcastList,
                                &PodDevice::GetAudiobookList, &PodDevice::GetVoiceMemoList,
                                &PodDevice::GetRingtoneList};

TEST_F(MountedDeviceTest, EveryTrackIsListedWithItsKindAndItsFileOnTheIpod) {
  FullIpod();
  PodDevice* ipod = Open(kGuid);
  ASSERT_NE(ipod, nullptr);
  std::map<std::string, const IpodTrack*> written;
  for (const IpodTrack& track : full_.tracks) written[track.title] = &track;

  for (const KindCase& kind : kKindCases) {
    SCOPED_TRACE(kind.title);
    const IpodTrack& track = *written.at(kind.title);
    int found = 0;
    for (ListCall list : kTrackLists) {
      for (plist_t item : Items(List(ipod, list))) {
        const bool memo = list == &PodDevice::GetVoiceMemoList;
        if (String(item, memo ? "name" : "title") != kind.title) continue;
        ++found;
        EXPECT_TRUE(list == kind.list);
        EXPECT_EQ(String(item, "path"), track.path);
        EXPECT_EQ(Uint(item, "size"), track.size);
        EXPECT_EQ(Uint(item, "time"), track.time_ms);
        if (memo) {
          EXPECT_EQ(String(item, "title"), kind.title);
        } else {
          EXPECT_EQ(String(item, "artist"), track.artist);
          EXPECT_EQ(String(item, "album"), track.album);
          EXPECT_EQ(String(item, "genre"), track.genre);
        }
      }
    }
    EXPECT_EQ(found, kind.list != nullptr ? 1 : 0);
  }
  // The untitled song is shown by its file's name; the paths are the
  // iPod's with ":" turned into "/".
  const IpodTrack& untitled = *written.at("");
  const std::string stem = untitled.path.substr(untitled.path.rfind('/') + 1);
  EXPECT_EQ(Titles(List(ipod, &PodDevice::GetMusicList)),
            (std::vector<std::string>{"Song", "Old Song", stem.substr(0, stem.rfind('.'))}));
  EXPECT_EQ(untitled.path.rfind("/iPod_Control/Music/F", 0), 0u);
  EXPECT_EQ(Uint(List(ipod, &PodDevice::GetMusicList), "number"), 3u);
  // What iPods do not have.
  EXPECT_EQ(List(ipod, &PodDevice::GetBookList), nullptr);
  EXPECT_EQ(List(ipod, &PodDevice::GetCameraRollList), nullptr);
}

TEST_F(MountedDeviceTest, PlaylistsAreTheUsersOwnWithTheirTracksInOrder) {
  FullIpod();
  PodDevice* ipod = Open(kGuid);
  ASSERT_NE(ipod, nullptr);
  // Neither the master playlist (every track) nor the podcasts playlist;
  // a member without a file on the iPod is left out.
  std::vector<std::pair<std::string, std::vector<std::string>>> groups;
  for (plist_t group : Items(List(ipod, &PodDevice::GetPlaylistList))) {
    groups.push_back({String(group, "name"), Titles(group)});
    EXPECT_EQ(Uint(group, "number"), groups.back().second.size());
  }
  EXPECT_EQ(groups, (std::vector<std::pair<std::string, std::vector<std::string>>>{
                        {"Road", {"Old Song", "Movie", "Song"}}, {"Empty", {}}}));
  // Each one is the record the category list has.
  plist_t road = Items(List(ipod, &PodDevice::GetPlaylistList))[0];
  plist_t song = Items(List(ipod, &PodDevice::GetMusicList))[0];
  EXPECT_EQ(Xml(Items(road)[2]), Xml(song));
}

TEST_F(MountedDeviceTest, PhotosExportAsTheFullResolutionFileOrTheLargestThumbnailInPng) {
  FullIpod();
  PodDevice* ipod = Open(kGuid);
  ASSERT_NE(ipod, nullptr);
  std::vector<plist_t> photos = Items(List(ipod, &PodDevice::GetPhotoList));
  ASSERT_EQ(photos.size(), 2u);
  const testsupport::IpodPhoto& full = full_.photos[0];
  const testsupport::IpodPhoto& thumbs = full_.photos[1];
  EXPECT_EQ(String(photos[0], "path"), full.path);
  EXPECT_EQ(Uint(photos[0], "size"), full.content.size());
  const std::string png_path = String(photos[1], "path");
  EXPECT_EQ(png_path, "/Photos/Thumbs/Photo " + std::to_string(thumbs.id) + ".png");
  EXPECT_GT(Uint(photos[1], "size"), 0u);
  // The date the photo was taken, in local time.
  const time_t taken = testsupport::kPhotoTakenAt;
  struct tm local;
  localtime_r(&taken, &local);
  char date[32];
  strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S", &local);
  for (plist_t photo : photos) EXPECT_EQ(String(photo, "time"), date);

  const std::string out = root_ + "/out";
  ASSERT_EQ(0, mkdir(out.c_str(), 0755));
  ASSERT_EQ(ipod->ExportFile(ipod, full.path.c_str(), (out + "/full.jpg").c_str(), Record), POD_STATUS_OK);
  EXPECT_EQ(ReadFile(out + "/full.jpg"), full.content);
  ASSERT_EQ(ipod->ExportFile(ipod, png_path.c_str(), (out + "/thumb.png").c_str(), Record), POD_STATUS_OK);
  const std::string png = ReadFile(out + "/thumb.png");
  EXPECT_EQ(png.compare(0, 8, "\x89PNG\r\n\x1a\n"), 0);
  GdkPixbuf* picture = gdk_pixbuf_new_from_file((out + "/thumb.png").c_str(), nullptr);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(gdk_pixbuf_get_width(picture), thumbs.thumb_width);
  EXPECT_EQ(gdk_pixbuf_get_height(picture), thumbs.thumb_height);
  g_object_unref(picture);
  // Each file ended with its own total, reported as finished.
  ASSERT_GE(g_reports.size(), 4u);
  EXPECT_EQ(g_reports.back(), (std::pair<uint64_t, uint8_t>{png.size(), POD_EXPORT_FINISHED}));
}

TEST_F(MountedDeviceTest, ThePhotoDatabaseIsReadWithinItsBytesAndHugeThumbnailsAreRefused) {
  const std::string folder = FullIpod();
  const std::string database = folder + "/Photos/Photo Database";
  std::string bytes = ReadFile(database);
  std::map<uint32_t, makerlib::PhotoFacts> facts;
  ASSERT_TRUE(makerlib::ScanPhotoDatabase(bytes, &facts));
  ASSERT_EQ(facts.size(), 2u);
  EXPECT_EQ(facts[full_.photos[0].id].full_resolution, ":Full Resolution:2024:03:04:IMG_1000.JPG");
  EXPECT_EQ(facts[full_.photos[1].id].full_resolution, "");
  EXPECT_EQ(facts[full_.photos[1].id].time, testsupport::kPhotoTakenAt);
  // Cut anywhere, or with a length gone wrong, it is read no further than
  // it goes (the sanitizer builds tell).
  for (size_t size = 0; size < bytes.size(); size += 7)
    makerlib::ScanPhotoDatabase(bytes.substr(0, size), &facts);
  for (size_t at = 0; at + 4 <= bytes.size(); at += 4) {
    std::string damaged = bytes;
    damaged[at + 2] = '\x7f';
    makerlib::ScanPhotoDatabase(damaged, &facts);
  }

  // libgpod reads a thumbnail whole into memory, whatever size the
  // database claims: such a photo is not offered.
  const size_t second = bytes.find("mhii", bytes.find("mhii") + 4);
  ASSERT_NE(second, std::string::npos);
  for (size_t at = bytes.find("mhni", second); at != std::string::npos && at < bytes.find("mhsd", second);
       at = bytes.find("mhni", at + 4))
    bytes.replace(at + 24, 4, std::string("\xff\xff\xff\x7f", 4));
  std::ofstream(database, std::ios::binary) << bytes;
  PodDevice* ipod = Open(kGuid);
  ASSERT_NE(ipod, nullptr);
  std::vector<plist_t> photos = Items(List(ipod, &PodDevice::GetPhotoList));
  ASSERT_EQ(photos.size(), 1u);
  EXPECT_EQ(String(photos[0], "path"), full_.photos[0].path);
}

TEST_F(MountedDeviceTest, ExportsNeverReplaceLeaveNothingWhenStoppedAndStayOnTheIpod) {
  const std::string folder = FullIpod();
  PodDevice* ipod = Open(kGuid);
  ASSERT_NE(ipod, nullptr);
  const std::string song = String(Items(List(ipod, &PodDevice::GetMusicList))[0], "path");
  const std::string png = String(Items(List(ipod, &PodDevice::GetPhotoList))[1], "path");
  const std::string out = root_ + "/out";
  ASSERT_EQ(0, mkdir(out.c_str(), 0755));
  for (const std::string& path : {song, full_.photos[0].path, png}) {
    SCOPED_TRACE(path);
    const std::string target = out + "/taken";
    std::ofstream(target) << "mine";
    EXPECT_NE(ipod->ExportFile(ipod, path.c_str(), target.c_str(), nullptr), POD_STATUS_OK);
    EXPECT_EQ(ReadFile(target), "mine");
    g_reports.clear();
    g_abort_at_report = 1;
    EXPECT_NE(ipod->ExportFile(ipod, path.c_str(), (out + "/stopped").c_str(), Record), POD_STATUS_OK);
    EXPECT_FALSE(Exists(out + "/stopped"));
    g_abort_at_report = 0;
    remove(target.c_str());
  }
  // Device paths cannot leave the mount, not even through a link.
  std::ofstream(root_ + "/secret") << "secret";
  ASSERT_EQ(0, symlink((root_ + "/secret").c_str(), (folder + "/iPod_Control/leak").c_str()));
  for (const char* path : {"/../secret", "/iPod_Control/leak", "/iPod_Control/../../secret"})
    EXPECT_NE(ipod->ExportFile(ipod, path, (out + "/leak").c_str(), nullptr), POD_STATUS_OK) << path;
  EXPECT_FALSE(Exists(out + "/leak"));
  // A folder comes whole.
  const std::string music_folder = song.substr(0, song.rfind('/'));
  ASSERT_EQ(ipod->ExportDirectory(ipod, music_folder.c_str(), (out + "/folder").c_str()), POD_STATUS_OK);
  EXPECT_EQ(ReadFile(out + "/folder" + song.substr(song.rfind('/'))), full_.tracks[0].content);
}

TEST_F(MountedDeviceTest, InformationNamesTheIpodAndItsFiguresAddUpToTheCapacity) {
  const std::string folder = FullIpod();
  PodDevice* ipod = Open(kGuid);
  ASSERT_NE(ipod, nullptr);
  plist_t info = Info(ipod);
  EXPECT_EQ(String(info, "DeviceName"), "Test iPod");
  EXPECT_NE(String(info, "Type").find("iPod"), std::string::npos) << String(info, "Type");
  EXPECT_NE(String(info, "Type").find("Classic"), std::string::npos) << String(info, "Type");
  EXPECT_EQ(String(info, "SerialNumber"), "4H6011XYZ");
  EXPECT_EQ(String(info, "Version"), "1.1.2");

  struct statvfs fs;
  ASSERT_EQ(0, statvfs(folder.c_str(), &fs));
  const uint64_t capacity = static_cast<uint64_t>(fs.f_blocks) * fs.f_frsize;
  EXPECT_EQ(Uint(info, "Catacity"), capacity);
  auto sum = [&](std::initializer_list<ListCall> calls) {
    uint64_t bytes = 0;
    for (ListCall call : calls)
      for (plist_t item : Items(List(ipod, call))) bytes += Uint(item, "size");
    return bytes;
  };
  EXPECT_EQ(Uint(info, "Audio"),
            sum({&PodDevice::GetMusicList, &PodDevice::GetPodcastList, &PodDevice::GetAudiobookList,
                 &PodDevice::GetRingtoneList, &PodDevice::GetVoiceMemoList}));
  EXPECT_EQ(Uint(info, "Video"), sum({&PodDevice::GetMovieList, &PodDevice::GetTVShowList}));
  EXPECT_EQ(Uint(info, "Photos"), sum({&PodDevice::GetPhotoList}));
  EXPECT_GT(Uint(info, "Audio"), 0u);
  EXPECT_EQ(Uint(info, "Audio") + Uint(info, "Video") + Uint(info, "Photos") +
                Uint(info, "Others") + Uint(info, "Available"),
            capacity);
  EXPECT_LE(Uint(info, "Available"), capacity);
}

// Models libgpod sets up differently; those that sign their database need
// a FireWire GUID, which names them. What the iPod wrote in SysInfoExtended
// comes before SysInfo.
struct ModelCase {
  const char* model;
  bool guid;
  const char* family;
  const char* extended_serial;
};
const ModelCase kModelCases[] = {
    {"MA002", false, "Video", ""},  // fifth generation
    {"MB029", true, "Classic", "8K7391ABY5N"},
    {"MA978", true, "Nano", ""},  // third generation nano
};

TEST_F(MountedDeviceTest, IpodsOfEachKindAreNamedAndRead) {
  for (const ModelCase& model : kModelCases) {
    SCOPED_TRACE(model.model);
    IpodOptions options;
    options.model = model.model;
    if (!model.guid) options.sysinfo_guid.clear();
    options.sysinfo_extra = "pszSerialNumber: 4H6011XYZ\n";
    options.extended_serial = model.extended_serial;
    options.tracks.resize(1);
    options.tracks[0].title = std::string("Song on ") + model.model;
    options.tracks[0].time_ms = 50;
    const std::string folder = WriteIpod(model.model, &options);
    mounts_.clear();
    Mount(folder, "vfat");
    const std::string value = model.guid ? kGuid : Real(folder);
    EXPECT_EQ(Listed(), (std::vector<std::pair<std::string, std::string>>{{"path", value}}));
    PodDevice* ipod = Open(value);
    ASSERT_NE(ipod, nullptr);
    plist_t info = Info(ipod);
    EXPECT_NE(String(info, "Type").find("iPod"), std::string::npos) << String(info, "Type");
    EXPECT_NE(String(info, "Type").find(model.family), std::string::npos) << String(info, "Type");
    EXPECT_EQ(String(info, "SerialNumber"), model.extended_serial[0] ? model.extended_serial : "4H6011XYZ");
    EXPECT_EQ(Titles(List(ipod, &PodDevice::GetMusicList)),
              std::vector<std::string>{options.tracks[0].title});
    // No photos put on it: no photo database.
    EXPECT_EQ(List(ipod, &PodDevice::GetPhotoList), nullptr);
  }
}

TEST_F(MountedDeviceTest, ADeviceThatWentAwayFailsItsCallsCleanly) {
  const std::string folder = FullIpod();
  PodDevice* read = Open(kGuid);
  PodDevice* unread = Open(kGuid);
  ASSERT_NE(read, nullptr);
  ASSERT_NE(unread, nullptr);
  const std::string song = String(Items(List(read, &PodDevice::GetMusicList))[0], "path");
  const std::string png = String(Items(List(read, &PodDevice::GetPhotoList))[1], "path");
  EXPECT_EQ(read->IsConnected(read), 1);
  EXPECT_GT(read->GetFreeSpace(read), 0u);
  const std::string out = root_ + "/out";
  ASSERT_EQ(0, mkdir(out.c_str(), 0755));

  // Unplugged, and then another disk, no iPod, mounted at the same place.
  ASSERT_EQ(0, rename(folder.c_str(), (root_ + "/away").c_str()));
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    if (round == 1) {
      ASSERT_EQ(0, mkdir(folder.c_str(), 0755));
    }
    EXPECT_EQ(read->IsConnected(read), 0);
    EXPECT_EQ(read->GetFreeSpace(read), 0u);
    for (const std::string& path : {song, png})
      EXPECT_NE(read->ExportFile(read, path.c_str(), (out + "/file").c_str(), Record), POD_STATUS_OK);
    EXPECT_NE(read->ExportDirectory(read, "/iPod_Control", (out + "/folder").c_str()), POD_STATUS_OK);
    EXPECT_FALSE(Exists(out + "/file"));
    EXPECT_FALSE(Exists(out + "/folder"));
    // What was read stays readable; what was not is not there.
    EXPECT_EQ(Items(List(read, &PodDevice::GetMusicList)).size(), 3u);
    EXPECT_EQ(unread->GetInfo(unread), nullptr);
    EXPECT_EQ(List(unread, &PodDevice::GetMusicList), nullptr);
    EXPECT_EQ(service_->CreateDevice(kGuid, "path"), nullptr);
  }
}

// Every entry below a folder with its size and modification time.
std::map<std::string, std::string> g_tree;
int Note(const char* path, const struct stat* st, int, struct FTW*) {
  g_tree[path] = std::to_string(st->st_mode) + " " + std::to_string(st->st_size) + " " +
                 std::to_string(st->st_mtim.tv_sec) + "." + std::to_string(st->st_mtim.tv_nsec);
  return 0;
}
std::map<std::string, std::string> Tree(const std::string& folder) {
  g_tree.clear();
  nftw(folder.c_str(), Note, 16, FTW_PHYS);
  return g_tree;
}

TEST_F(MountedDeviceTest, NothingOnTheIpodIsEverWritten) {
  const std::string folder = FullIpod();
  // libgpod makes a missing artwork folder when it looks for cover art.
  for (bool artwork : {true, false}) {
    SCOPED_TRACE(artwork);
    if (!artwork) {
      ASSERT_EQ(0, remove((folder + "/iPod_Control/Artwork/ArtworkDB").c_str()));
      ASSERT_EQ(0, rmdir((folder + "/iPod_Control/Artwork").c_str()));
    }
    const auto before = Tree(folder);
    PodDevice* ipod = Open(kGuid);
    ASSERT_NE(ipod, nullptr);
    EXPECT_EQ(String(Info(ipod), "DeviceName"), "Test iPod");
    for (ListCall list : kTrackLists) List(ipod, list);
    EXPECT_EQ(Items(List(ipod, &PodDevice::GetMusicList)).size(), 3u);
    EXPECT_EQ(Items(List(ipod, &PodDevice::GetPlaylistList)).size(), 2u);
    std::vector<plist_t> photos = Items(List(ipod, &PodDevice::GetPhotoList));
    ASSERT_EQ(photos.size(), 2u);
    const std::string out = root_ + "/out-" + std::to_string(artwork);
    ASSERT_EQ(0, mkdir(out.c_str(), 0755));
    EXPECT_EQ(ipod->ExportFile(ipod, String(photos[1], "path").c_str(), (out + "/a.png").c_str(),
                               nullptr),
              POD_STATUS_OK);
    EXPECT_EQ(ipod->ExportDirectory(ipod, "/iPod_Control/iTunes", (out + "/itunes").c_str()),
              POD_STATUS_OK);
    EXPECT_EQ(Tree(folder), before);
  }
}

TEST_F(MountedDeviceTest, AMountedPhoneIsReadFromItsMediaPartitionInAWorkFolderOfItsOwn) {
  const std::string udid = "00008030-000E1D2C3B4A5968";
  PhoneContents contents;
  WritePhone(gvfs_ + "/afc:host=" + udid, &contents);
  PodDevice* phone = Open(udid);
  ASSERT_NE(phone, nullptr);
  std::vector<std::string> titles;
  for (const testsupport::PhoneTrack& track : contents.music) titles.push_back(track.title);
  EXPECT_EQ(Titles(List(phone, &PodDevice::GetMusicList)), titles);
  EXPECT_EQ(Items(List(phone, &PodDevice::GetCameraRollList)).size(), contents.camera_roll.size());
  EXPECT_EQ(Items(List(phone, &PodDevice::GetPhotoList)).size(), contents.photos.size());
  plist_t info = Info(phone);
  EXPECT_EQ(String(info, "DeviceName"), "<none>");  // the program names it
  EXPECT_EQ(Uint(info, "Audio") + Uint(info, "Video") + Uint(info, "Photos") +
                Uint(info, "Others") + Uint(info, "Available"),
            Uint(info, "Catacity"));
  EXPECT_GT(Uint(info, "Catacity"), 0u);

  const std::string out = root_ + "/song";
  const testsupport::PhoneTrack& song = contents.music[0];
  ASSERT_EQ(phone->ExportFile(phone, song.path.c_str(), out.c_str(), nullptr), POD_STATUS_OK);
  EXPECT_EQ(ReadFile(out), ReadFile(contents.root + song.path));

  // The database copies went into a folder the device made under TMPDIR;
  // it goes with the device.
  auto work_folders = [this] {
    int count = 0;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(tmp_.c_str()), closedir);
    while (struct dirent* entry = readdir(dir.get()))
      if (std::string(entry->d_name).rfind("portiva-mounted-", 0) == 0) ++count;
    return count;
  };
  EXPECT_EQ(work_folders(), 1);
  service_->FreeDevice(phone);
  devices_.clear();
  EXPECT_EQ(work_folders(), 0);
}

// Threads that read the device for the first time together, then export
// from it while it is freed: each copy stops, leaves nothing, and the
// device goes when the last one returns.
std::mutex g_gate_mutex;
std::condition_variable g_gate;
int g_waiting = 0;
bool g_freed = false;
int WaitForFree(uint64_t, uint64_t, uint8_t state, void*) {
  if (state != POD_EXPORT_IN_PROGRESS) return 0;
  std::unique_lock<std::mutex> lock(g_gate_mutex);
  ++g_waiting;
  g_gate.notify_all();
  g_gate.wait(lock, [] { return g_freed; });
  return 0;
}

TEST_F(MountedDeviceTest, ExportsOnManyThreadsStopWhenTheDeviceIsFreed) {
  // A song of more than one chunk: the copy goes on after the first.
  IpodTrack song;
  song.title = "Long Song";
  song.time_ms = 70000;
  full_.tracks.push_back(song);
  FullIpod();
  PodDevice* ipod = service_->CreateDevice(kGuid, "path");
  ASSERT_NE(ipod, nullptr);
  const std::string out = root_ + "/out";
  ASSERT_EQ(0, mkdir(out.c_str(), 0755));
  constexpr int kThreads = 6;
  std::vector<int> results(kThreads, -1);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      // Half of them a song, half the photo kept only as thumbnails.
      Plist list(t % 2 == 0 ? ipod->GetMusicList(ipod, 0, 0) : ipod->GetPhotoList(ipod, 0, 0));
      std::vector<plist_t> items = Items(list.node);
      const std::string path = items.empty() ? "" : String(items.back(), "path");
      results[t] = ipod->ExportFile(ipod, path.c_str(), (out + "/" + std::to_string(t)).c_str(),
                                    WaitForFree);
    });
  }
  {
    std::unique_lock<std::mutex> lock(g_gate_mutex);
    ASSERT_TRUE(g_gate.wait_for(lock, std::chrono::seconds(30), [] { return g_waiting == kThreads; }));
  }
  service_->FreeDevice(ipod);
  {
    std::lock_guard<std::mutex> lock(g_gate_mutex);
    g_freed = true;
  }
  g_gate.notify_all();
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_NE(results[t], POD_STATUS_OK) << t;
    EXPECT_FALSE(Exists(out + "/" + std::to_string(t))) << t;
  }
}

}  // namespace
