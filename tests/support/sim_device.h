// A simulated phone behind its own usbmuxd socket: usbmuxd (device list,
// connections, pair records, BUID), lockdown (values, pairing, sessions,
// services) and AFC over a folder laid out like a media partition. Sessions
// and services never ask for SSL, so the real libimobiledevice runs its
// whole handshake and the AFC traffic in the clear against it.
//
// Point the library at it with
//   setenv("USBMUXD_SOCKET_ADDRESS", sim.SocketAddress().c_str(), 1);
// before the first library call.
#ifndef PORTIVA_TESTS_SUPPORT_SIM_DEVICE_H
#define PORTIVA_TESTS_SUPPORT_SIM_DEVICE_H

#include <stddef.h>
#include <stdint.h>

#include <memory>
#include <string>
#include <vector>

namespace testsupport {

class SimDevice {
 public:
  // How the device answers a request to pair; only seen when the host has
  // no pair record the device trusts.
  enum class Mode {
    kNormal,        // pairs at once
    kLocked,        // "PasswordProtected": the passcode is on and the phone locked
    kTrustPending,  // "PairingDialogResponsePending": the trust dialog is up
    kRefused,       // "UserDeniedPairing": the user tapped Don't Trust
    // The host holds a pair record the device no longer knows: StartSession
    // answers "InvalidHostID" until the host pairs again.
    kInvalidHostId,
  };

  struct Options {
    std::string udid = "00008110-001A2B3C4D5E6F01";
    std::string root;  // the folder served as the media partition
    Mode mode = Mode::kNormal;
    std::string device_name = "Test iPhone";
    std::string product_type = "iPhone14,2";
    std::string product_version = "16.6";
    std::string serial_number = "F2LXK0SIMD01";
    uint64_t total_capacity = 128000000000ull;
    uint64_t available = 41000000000ull;
    // The host already holds a pair record the device trusts.
    bool paired = true;
    // Listed as reachable over the network instead of USB.
    bool network = false;
    // After this many bytes of file data (all AFC connections together) the
    // device goes away in the middle of the answer; 0 never.
    uint64_t unplug_after_bytes = 0;
    // Each file read answers at most this many bytes; 0 as many as asked.
    size_t short_read_bytes = 0;
  };

  struct Counters {
    int pair_requests = 0;
    int validate_requests = 0;
    int unpair_requests = 0;
    int sessions_started = 0;
    int services_started = 0;
    int afc_connections = 0;
    int pair_records_saved = 0;
    int pair_records_deleted = 0;
    uint64_t file_bytes_served = 0;
    uint64_t largest_read_request = 0;  // the most bytes one AFC read asked for
  };

  SimDevice();
  ~SimDevice();  // stops
  SimDevice(const SimDevice&) = delete;
  SimDevice& operator=(const SimDevice&) = delete;

  // Opens the socket in a fresh temporary folder, serving this device.
  bool Start(const Options& options);
  // Another device on the same socket (after Start); false when the udid is
  // taken.
  bool AddDevice(const Options& options);
  // "UNIX:/tmp/.../usbmuxd"
  std::string SocketAddress() const;

  // The device goes away: every connection to it closes and usbmuxd no
  // longer lists it. An empty udid means the first device.
  void Unplug(const std::string& udid = "");
  // E.g. the user answers the trust dialog.
  void SetMode(Mode mode, const std::string& udid = "");

  Counters counters(const std::string& udid = "") const;
  bool HasPairRecord(const std::string& udid = "") const;
  // Every usbmuxd and lockdown request in order, e.g. "usbmuxd ReadBUID",
  // "lockdown GetValue ProductVersion",
  // "lockdown GetValue com.apple.disk_usage/TotalDiskCapacity".
  std::vector<std::string> Requests() const;

  // Closes every connection, joins every thread, removes the socket.
  void Stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace testsupport

#endif
