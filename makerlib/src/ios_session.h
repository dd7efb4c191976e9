// Phones and tablets over USB: enumeration through usbmuxd, the lockdown
// handshake, the device's values, and AFC services.
#ifndef PORTIVA_MAKERLIB_IOS_SESSION_H
#define PORTIVA_MAKERLIB_IOS_SESSION_H

#include <stdint.h>

#include <memory>
#include <string>
#include <vector>

#include <libimobiledevice/afc.h>

namespace makerlib {

// The UDIDs of the devices usbmuxd lists as connected over USB.
std::vector<std::string> ListUsbDevices();

// Values read from lockdown when the session opened.
struct IosValues {
  std::string device_name;     // DeviceName
  std::string product_type;    // ProductType, e.g. "iPhone14,2"
  std::string product_version; // ProductVersion
  std::string serial_number;   // SerialNumber
  uint64_t total_capacity = 0; // com.apple.disk_usage TotalDiskCapacity
  uint64_t available = 0;      // com.apple.disk_usage AmountDataAvailable
};

class IosSession {
 public:
  ~IosSession();
  IosSession(const IosSession&) = delete;
  IosSession& operator=(const IosSession&) = delete;

  // Opens the device: lockdown handshake (a stale pair record is removed and
  // the handshake tried once more), the values, then lockdown is closed
  // again. Returns a POD_STATUS_ code: 3 no such device, 4 locked or
  // waiting for the user to trust this computer, 1 any other failure; the
  // library's own reason is written as a trace line.
  static int Open(const std::string& udid, std::shared_ptr<IosSession>* session);

  const std::string& udid() const { return udid_; }
  const IosValues& values() const { return values_; }

  // A new AFC connection, started through a fresh lockdown client; null
  // when the device cannot give one (*gone then tells whether it went away).
  // The caller frees it with afc_client_free.
  afc_client_t StartAfcClient(bool* gone);

  // Whether usbmuxd still lists the device over USB: tells a device that
  // went away from a connection that merely failed.
  bool StillConnected() const;

 private:
  IosSession() = default;
  struct Impl;
  std::string udid_;
  IosValues values_;
  std::unique_ptr<Impl> impl_;
};

}  // namespace makerlib

#endif
