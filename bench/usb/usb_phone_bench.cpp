// Opening a large phone over USB through the device library, against the
// simulated phone on a local socket (so the figures are this machine's
// share of the work, not the cable's): the handshake, the music library of
// 50,000 songs read from its database, 20,000 camera roll pictures listed
// and looked at one by one over AFC; then one 64 MiB export.
#include <plist/plist.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <string>

#include "phone_fixture.h"
#include "pod_device_service.h"
#include "sim_device.h"

namespace {

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

uint64_t Count(plist_t list) {
  plist_t number = list ? plist_dict_get_item(list, "number") : nullptr;
  uint64_t value = 0;
  if (number) plist_get_uint_val(number, &value);
  return value;
}

}  // namespace

int main() {
  testsupport::TempFolder temp;
  const std::string root = temp.path() + "/partition";
  testsupport::PhoneOptions options;
  options.extra_songs = 50000;
  testsupport::PhoneContents contents;
  std::string error;
  if (!testsupport::WritePhone(root, options, &contents, &error)) {
    fprintf(stderr, "cannot write the phone: %s\n", error.c_str());
    return 1;
  }
  const std::string folder = root + "/DCIM/101APPLE";
  testsupport::MakeFolders(folder);
  const std::string picture = testsupport::MakeJpeg(64, 48);
  for (int i = 0; i < 20000; ++i) {
    char name[32];
    snprintf(name, sizeof name, "/IMG_%05d.JPG", i);
    testsupport::WriteBytes(folder + name, picture);
  }
  testsupport::WriteBytes(folder + "/IMG_BIG.MOV", std::string(64u << 20, 'v'));

  testsupport::SimDevice sim;
  testsupport::SimDevice::Options phone;
  phone.root = root;
  if (!sim.Start(phone)) return 1;
  setenv("USBMUXD_SOCKET_ADDRESS", sim.SocketAddress().c_str(), 1);

  PodDeviceService* service = CreatePodDeviceService();
  PodDevice* device = service->CreateDevice(phone.udid.c_str(), "usb");
  const std::string work = temp.path() + "/work";
  mkdir(work.c_str(), 0777);
  auto start = std::chrono::steady_clock::now();
  const int status = device->Init(device, work.c_str());
  const double init_ms = Since(start);
  if (status != 0) {
    fprintf(stderr, "Init: %d\n", status);
    return 1;
  }
  start = std::chrono::steady_clock::now();
  plist_t music = device->GetMusicList(device, 0, 0);
  plist_t camera_roll = device->GetCameraRollList(device, 0, 0);
  const double lists_ms = Since(start);
  printf("Init (handshake, values, every list read): %.0f ms\n", init_ms);
  printf("  songs %llu, camera roll %llu\n", static_cast<unsigned long long>(Count(music)),
         static_cast<unsigned long long>(Count(camera_roll)));
  printf("music + camera roll lists handed out: %.0f ms\n", lists_ms);
  plist_free(music);
  plist_free(camera_roll);

  start = std::chrono::steady_clock::now();
  const int exported =
      device->ExportFile(device, "/DCIM/101APPLE/IMG_BIG.MOV", (work + "/big.mov").c_str(), nullptr);
  const double export_ms = Since(start);
  printf("64 MiB export: %d, %.0f ms, %.0f MB/s\n", exported, export_ms,
         64.0 * 1.048576 / (export_ms / 1000));
  service->FreeDevice(device);
  FreePodDeviceService(service);
  return 0;
}
