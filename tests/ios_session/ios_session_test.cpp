// The USB session and the AFC transport against the real libimobiledevice
// and libusbmuxd, talking to a simulated phone.
#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "afc_transport.h"
#include "ios_session.h"
#include "pod_device_service.h"
#include "sim_device.h"
#include "watchdog.h"
#include "transport.h"

namespace {

using makerlib::IosSession;
using makerlib::RemoteEntry;
using makerlib::RemoteFile;
using makerlib::Transport;
using makerlib::TransportStatus;
using testsupport::SimDevice;

using testsupport::Watchdog;

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(generator());
  return bytes;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void SetTimes(const std::string& path, time_t birth, time_t modified) {
  // The simulation reports the access time as the birth time.
  struct timespec times[2] = {{birth, 250000000}, {modified, 999999999}};
  ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW));
}

const std::string kPhoto = RandomBytes(3 * (1u << 20) + 12345, 1);  // more than one read
const std::string kVideo = RandomBytes(700000, 2);
const std::string kNote = "A note on the phone.\n";

class IosSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/phone-root-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    root_ = pattern;
    for (const char* dir : {"/DCIM", "/DCIM/100APPLE", "/DCIM/101APPLE", "/PhotoData"}) {
      ASSERT_EQ(0, mkdir((root_ + dir).c_str(), 0755));
    }
    WriteFile(root_ + "/DCIM/100APPLE/IMG_0001.JPG", kPhoto);
    WriteFile(root_ + "/DCIM/100APPLE/IMG_0002.MOV", kVideo);
    WriteFile(root_ + "/DCIM/100APPLE/IMG_0003.TXT", kNote);
    WriteFile(root_ + "/DCIM/101APPLE/EMPTY.JPG", "");
    ASSERT_EQ(0, symlink("../100APPLE/IMG_0003.TXT", (root_ + "/DCIM/101APPLE/LINK.TXT").c_str()));
    ASSERT_EQ(0, symlink("NOWHERE.JPG", (root_ + "/DCIM/101APPLE/DANGLING.JPG").c_str()));
    SetTimes(root_ + "/DCIM/100APPLE/IMG_0001.JPG", 1500000000, 1600000000);
    options_.root = root_;
  }

  void TearDown() override {
    sim_.Stop();
    if (!root_.empty()) nftw(root_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
  }

  void StartSim() {
    ASSERT_TRUE(sim_.Start(options_));
    ASSERT_EQ(0, setenv("USBMUXD_SOCKET_ADDRESS", sim_.SocketAddress().c_str(), 1));
  }

  // Opens the simulated phone; fails the test unless it opens.
  std::shared_ptr<IosSession> OpenSession() {
    std::shared_ptr<IosSession> session;
    EXPECT_EQ(POD_STATUS_OK, IosSession::Open(options_.udid, &session));
    return session;
  }

  std::string root_;
  SimDevice::Options options_;
  SimDevice sim_;
  Watchdog watchdog_{60};
};

TEST_F(IosSessionTest, ListsDevicesOnUsbOnly) {
  StartSim();
  SimDevice::Options second = options_;
  second.udid = "00008030-000E1D2C3B4A5968";
  ASSERT_TRUE(sim_.AddDevice(second));
  SimDevice::Options wireless = options_;
  wireless.udid = "00008101-00112233445566AA";
  wireless.network = true;
  ASSERT_TRUE(sim_.AddDevice(wireless));

  std::vector<std::string> udids = makerlib::ListUsbDevices();
  std::sort(udids.begin(), udids.end());
  EXPECT_EQ((std::vector<std::string>{second.udid, options_.udid}), udids);

  std::shared_ptr<IosSession> session;
  EXPECT_EQ(POD_STATUS_NO_DEVICE, IosSession::Open(wireless.udid, &session));
  EXPECT_EQ(nullptr, session);

  sim_.Unplug(second.udid);
  EXPECT_EQ(std::vector<std::string>{options_.udid}, makerlib::ListUsbDevices());
}

TEST_F(IosSessionTest, OpensAPairedPhoneAndReadsItsValues) {
  options_.device_name = "Anna's iPhone";
  options_.product_type = "iPhone15,3";
  options_.product_version = "17.2.1";
  options_.serial_number = "G6TZ12ABCD34";
  options_.total_capacity = 255983177728ull;
  options_.available = 10737418240ull;
  StartSim();

  std::shared_ptr<IosSession> session = OpenSession();
  ASSERT_NE(nullptr, session);
  EXPECT_EQ(options_.udid, session->udid());
  // Serial number and disk usage are only given inside a session.
  const makerlib::IosValues& values = session->values();
  EXPECT_EQ("Anna's iPhone", values.device_name);
  EXPECT_EQ("iPhone15,3", values.product_type);
  EXPECT_EQ("17.2.1", values.product_version);
  EXPECT_EQ("G6TZ12ABCD34", values.serial_number);
  EXPECT_EQ(255983177728ull, values.total_capacity);
  EXPECT_EQ(10737418240ull, values.available);

  SimDevice::Counters counters = sim_.counters();
  EXPECT_EQ(0, counters.pair_requests);
  EXPECT_EQ(1, counters.sessions_started);
  std::vector<std::string> requests = sim_.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ("lockdown StopSession", requests.back()) << "lockdown is left open";
}

TEST_F(IosSessionTest, PairsAPhoneSeenForTheFirstTime) {
  options_.paired = false;
  StartSim();
  ASSERT_FALSE(sim_.HasPairRecord());

  ASSERT_NE(nullptr, OpenSession());
  EXPECT_TRUE(sim_.HasPairRecord());
  ASSERT_NE(nullptr, OpenSession());
  SimDevice::Counters counters = sim_.counters();
  EXPECT_EQ(1, counters.pair_requests) << "the saved record is used the second time";
  EXPECT_EQ(1, counters.pair_records_saved);
  EXPECT_EQ(2, counters.sessions_started);
}

TEST_F(IosSessionTest, PairingRefusalsMapToStatuses) {
  struct Case {
    SimDevice::Mode mode;
    int status;
    const char* trace;
  } cases[] = {
      {SimDevice::Mode::kLocked, POD_STATUS_PASSCODE_LOCKED, ": -17 (passcode protected)"},
      {SimDevice::Mode::kTrustPending, POD_STATUS_PASSCODE_LOCKED, ": -19 ("},
      {SimDevice::Mode::kRefused, POD_STATUS_FAILED, ": -18 ("},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.trace);
    sim_.Stop();
    options_.paired = false;
    options_.mode = c.mode;
    options_.udid = "00008110-000000000000001" + std::to_string(static_cast<int>(c.mode));
    SimDevice sim;
    ASSERT_TRUE(sim.Start(options_));
    ASSERT_EQ(0, setenv("USBMUXD_SOCKET_ADDRESS", sim.SocketAddress().c_str(), 1));

    std::shared_ptr<IosSession> session;
    testing::internal::CaptureStdout();
    const int status = IosSession::Open(options_.udid, &session);
    const std::string trace = testing::internal::GetCapturedStdout();
    EXPECT_EQ(c.status, status);
    EXPECT_EQ(nullptr, session);
    EXPECT_NE(std::string::npos, trace.find("......lockdown: " + options_.udid)) << trace;
    EXPECT_NE(std::string::npos, trace.find(c.trace)) << trace;
    EXPECT_EQ(1, sim.counters().pair_requests);
    EXPECT_EQ(0, sim.counters().sessions_started);
    EXPECT_FALSE(sim.HasPairRecord());
  }
}

TEST_F(IosSessionTest, OpensOnceTheUserTrustsThisComputer) {
  options_.paired = false;
  options_.mode = SimDevice::Mode::kTrustPending;
  StartSim();
  std::shared_ptr<IosSession> session;
  EXPECT_EQ(POD_STATUS_PASSCODE_LOCKED, IosSession::Open(options_.udid, &session));

  sim_.SetMode(SimDevice::Mode::kNormal);
  EXPECT_EQ(POD_STATUS_OK, IosSession::Open(options_.udid, &session));
  EXPECT_NE(nullptr, session);
  EXPECT_EQ(2, sim_.counters().pair_requests);
}

TEST_F(IosSessionTest, StalePairRecordIsRemovedAndThePhonePairedAgain) {
  options_.mode = SimDevice::Mode::kInvalidHostId;
  StartSim();
  ASSERT_TRUE(sim_.HasPairRecord());

  testing::internal::CaptureStdout();
  std::shared_ptr<IosSession> session = OpenSession();
  const std::string trace = testing::internal::GetCapturedStdout();
  ASSERT_NE(nullptr, session);
  EXPECT_NE(std::string::npos, trace.find(": -21 (")) << trace;
  EXPECT_EQ(options_.device_name, session->values().device_name);

  SimDevice::Counters counters = sim_.counters();
  EXPECT_EQ(1, counters.pair_records_deleted);
  EXPECT_EQ(1, counters.pair_requests);
  EXPECT_EQ(1, counters.sessions_started);
  EXPECT_TRUE(sim_.HasPairRecord());
  // The old record goes before the new pairing, so the new one is kept.
  std::vector<std::string> requests = sim_.Requests();
  auto deleted = std::find(requests.begin(), requests.end(), "usbmuxd DeletePairRecord");
  auto paired = std::find(requests.begin(), requests.end(), "lockdown Pair");
  EXPECT_LT(deleted - requests.begin(), paired - requests.begin());
  EXPECT_NE(requests.end(), paired);

  // Then it opens at once.
  ASSERT_NE(nullptr, OpenSession());
  EXPECT_EQ(1, sim_.counters().pair_requests);
}

TEST_F(IosSessionTest, AbsentDeviceOrUsbmuxdIsNoDevice) {
  StartSim();
  std::shared_ptr<IosSession> session;
  EXPECT_EQ(POD_STATUS_NO_DEVICE, IosSession::Open("00008110-00FFFFFFFFFFFFFF", &session));
  EXPECT_EQ(POD_STATUS_NO_DEVICE, IosSession::Open("", &session));
  sim_.Unplug();
  EXPECT_EQ(POD_STATUS_NO_DEVICE, IosSession::Open(options_.udid, &session));

  sim_.Stop();  // no usbmuxd at all
  EXPECT_TRUE(makerlib::ListUsbDevices().empty());
  EXPECT_EQ(POD_STATUS_NO_DEVICE, IosSession::Open(options_.udid, &session));
  EXPECT_EQ(nullptr, session);
}

TEST_F(IosSessionTest, ListsStatsAndReadsTheMediaPartition) {
  StartSim();
  std::shared_ptr<IosSession> session = OpenSession();
  ASSERT_NE(nullptr, session);
  std::unique_ptr<Transport> afc = makerlib::MakeAfcTransport(session);
  ASSERT_NE(nullptr, afc);

  std::vector<std::string> names;
  ASSERT_EQ(TransportStatus::kOk, afc->List("/", &names));
  std::sort(names.begin(), names.end());
  EXPECT_EQ((std::vector<std::string>{"DCIM", "PhotoData"}), names);
  ASSERT_EQ(TransportStatus::kOk, afc->List("/DCIM/100APPLE", &names));
  std::sort(names.begin(), names.end());
  EXPECT_EQ((std::vector<std::string>{"IMG_0001.JPG", "IMG_0002.MOV", "IMG_0003.TXT"}), names);
  EXPECT_EQ(TransportStatus::kNotFound, afc->List("/DCIM/999APPLE", &names));

  RemoteEntry entry;
  ASSERT_EQ(TransportStatus::kOk, afc->Stat("/DCIM/100APPLE/IMG_0001.JPG", &entry));
  EXPECT_TRUE(entry.regular);
  EXPECT_FALSE(entry.directory);
  EXPECT_EQ(kPhoto.size(), entry.size);
  EXPECT_EQ(1500000000, entry.birth_time);
  EXPECT_EQ(1600000000, entry.modify_time);
  ASSERT_EQ(TransportStatus::kOk, afc->Stat("/DCIM", &entry));
  EXPECT_TRUE(entry.directory);
  EXPECT_FALSE(entry.regular);
  ASSERT_EQ(TransportStatus::kOk, afc->Stat("/DCIM/101APPLE/LINK.TXT", &entry));
  EXPECT_TRUE(entry.regular) << "a link stands for what it points at";
  EXPECT_EQ(kNote.size(), entry.size);
  ASSERT_EQ(TransportStatus::kOk, afc->Stat("/DCIM/101APPLE/DANGLING.JPG", &entry));
  EXPECT_FALSE(entry.regular);
  EXPECT_FALSE(entry.directory);
  EXPECT_EQ(TransportStatus::kNotFound, afc->Stat("/DCIM/100APPLE/IMG_9999.JPG", &entry));

  struct {
    const char* path;
    const std::string& bytes;
  } files[] = {
      {"/DCIM/100APPLE/IMG_0001.JPG", kPhoto},
      {"/DCIM/100APPLE/IMG_0002.MOV", kVideo},
      {"/DCIM/101APPLE/LINK.TXT", kNote},
      {"/DCIM/101APPLE/EMPTY.JPG", ""},
  };
  for (const auto& file : files) {
    std::string text;
    EXPECT_EQ(TransportStatus::kOk, makerlib::ReadRemoteFile(afc.get(), file.path, &text));
    EXPECT_TRUE(text == file.bytes) << file.path << ": " << text.size() << " bytes";
  }
  std::unique_ptr<RemoteFile> file;
  EXPECT_EQ(TransportStatus::kNotFound, afc->Open("/DCIM/100APPLE/IMG_9999.JPG", &file));
  EXPECT_NE(TransportStatus::kOk, afc->Open("/DCIM/100APPLE", &file));
  EXPECT_EQ(nullptr, file);

  EXPECT_EQ(1, sim_.counters().afc_connections);
}

TEST_F(IosSessionTest, EachThreadReadsOverItsOwnConnection) {
  StartSim();
  std::shared_ptr<IosSession> session = OpenSession();
  ASSERT_NE(nullptr, session);
  std::unique_ptr<Transport> afc = makerlib::MakeAfcTransport(session);

  const int kThreads = 4;
  std::vector<int> identical(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&afc, &identical, t] {
      const char* path = t % 2 ? "/DCIM/100APPLE/IMG_0002.MOV" : "/DCIM/100APPLE/IMG_0001.JPG";
      const std::string& expected = t % 2 ? kVideo : kPhoto;
      for (int round = 0; round < 3; ++round) {
        std::string text;
        RemoteEntry entry;
        if (afc->Stat(path, &entry) == TransportStatus::kOk && entry.size == expected.size() &&
            makerlib::ReadRemoteFile(afc.get(), path, &text) == TransportStatus::kOk &&
            text == expected) {
          identical[t]++;
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(std::vector<int>(kThreads, 3), identical);
  EXPECT_EQ(kThreads, sim_.counters().afc_connections);

  afc.reset();
  // Every connection was given back: the session still starts new ones.
  afc = makerlib::MakeAfcTransport(session);
  std::vector<std::string> names;
  EXPECT_EQ(TransportStatus::kOk, afc->List("/DCIM", &names));
}

TEST_F(IosSessionTest, ShortReadsAreNotTheEnd) {
  options_.short_read_bytes = 4000;
  StartSim();
  std::shared_ptr<IosSession> session = OpenSession();
  ASSERT_NE(nullptr, session);
  std::unique_ptr<Transport> afc = makerlib::MakeAfcTransport(session);

  std::string text;
  EXPECT_EQ(TransportStatus::kOk,
            makerlib::ReadRemoteFile(afc.get(), "/DCIM/100APPLE/IMG_0002.MOV", &text));
  EXPECT_TRUE(text == kVideo) << text.size() << " bytes";
}

TEST_F(IosSessionTest, UnplugMidReadIsGoneAndLaterCallsFailFast) {
  // In the middle of an answer, and right after a whole one, so that only
  // the header of the next one arrives.
  for (uint64_t cut : {uint64_t{1536} * 1024, uint64_t{1} << 20}) {
    SCOPED_TRACE(cut);
    sim_.Stop();
    SimDevice sim;
    options_.unplug_after_bytes = cut;
    ASSERT_TRUE(sim.Start(options_));
    ASSERT_EQ(0, setenv("USBMUXD_SOCKET_ADDRESS", sim.SocketAddress().c_str(), 1));
    std::shared_ptr<IosSession> session;
    ASSERT_EQ(POD_STATUS_OK, IosSession::Open(options_.udid, &session));
    std::unique_ptr<Transport> afc = makerlib::MakeAfcTransport(session);

    // A second thread holds its own connection, which goes too.
    std::vector<std::string> names;
    std::thread other([&afc, &names] { afc->List("/DCIM", &names); });
    other.join();
    ASSERT_EQ(2u, names.size());

    std::unique_ptr<RemoteFile> file;
    ASSERT_EQ(TransportStatus::kOk, afc->Open("/DCIM/100APPLE/IMG_0001.JPG", &file));
    std::string text;
    std::vector<char> buffer(1u << 20);
    int64_t got = 0;
    while ((got = file->Read(buffer.data(), buffer.size())) > 0) {
      text.append(buffer.data(), static_cast<size_t>(got));
    }
    // What came just before the failure may be filler for the part that
    // never arrived; the failure itself always shows before an end would.
    EXPECT_EQ(-1, got) << "the cut looked like the end of the file";
    EXPECT_LT(text.size(), kPhoto.size());

    const size_t requests = sim.Requests().size();
    const auto start = std::chrono::steady_clock::now();
    RemoteEntry entry;
    EXPECT_EQ(TransportStatus::kGone, afc->Stat("/DCIM", &entry));
    EXPECT_EQ(TransportStatus::kGone, afc->List("/DCIM", &names));
    std::unique_ptr<RemoteFile> again;
    EXPECT_EQ(TransportStatus::kGone, afc->Open("/DCIM/100APPLE/IMG_0002.MOV", &again));
    EXPECT_EQ(-1, file->Read(buffer.data(), buffer.size()));
    std::thread late([&afc, &names] {
      EXPECT_EQ(TransportStatus::kGone, afc->List("/DCIM", &names));
    });
    late.join();
    file.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(requests, sim.Requests().size()) << "a call after the unplug reached usbmuxd";
    EXPECT_EQ(POD_STATUS_NO_DEVICE, IosSession::Open(options_.udid, &session));
  }
}

}  // namespace
