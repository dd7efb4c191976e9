#include "ios_session.h"

#include <stdio.h>

#include <algorithm>
#include <mutex>

#include <libimobiledevice/libimobiledevice.h>
#include <libimobiledevice/lockdown.h>
#include <plist/plist.h>
#include <usbmuxd.h>

#include "pod_device_service.h"

namespace makerlib {

namespace {

const char kLabel[] = "portiva";

void Trace(const std::string& line) {
  fprintf(stdout, "......%s\n", line.c_str());
  fflush(stdout);
}

const char* Reason(lockdownd_error_t error) {
  switch (error) {
    case LOCKDOWN_E_PASSWORD_PROTECTED: return "passcode protected";
    case LOCKDOWN_E_PAIRING_DIALOG_RESPONSE_PENDING: return "waiting for the user to trust this computer";
    case LOCKDOWN_E_USER_DENIED_PAIRING: return "the user did not trust this computer";
    case LOCKDOWN_E_INVALID_HOST_ID: return "the device does not know this pair record";
    case LOCKDOWN_E_SSL_ERROR: return "ssl error";
    case LOCKDOWN_E_MUX_ERROR: return "usbmuxd connection failed";
    case LOCKDOWN_E_RECEIVE_TIMEOUT: return "no answer";
    case LOCKDOWN_E_PLIST_ERROR: return "bad answer";
    case LOCKDOWN_E_INVALID_CONF: return "pair record unusable";
    case LOCKDOWN_E_PAIRING_FAILED: return "pairing failed";
    case LOCKDOWN_E_INVALID_SERVICE: return "no such service";
    case LOCKDOWN_E_SERVICE_LIMIT: return "too many services";
    case LOCKDOWN_E_SESSION_INACTIVE: return "no session";
    case LOCKDOWN_E_MISSING_VALUE: return "no such value";
    default: return "lockdown error";
  }
}

void TraceLockdown(const std::string& udid, const char* step, lockdownd_error_t error) {
  Trace(std::string("lockdown: ") + udid + ": " + step + ": " + std::to_string(error) + " (" +
        Reason(error) + ")");
}

// Errors that say the conversation broke rather than what the device answered.
bool ConnectionError(lockdownd_error_t error) {
  return error == LOCKDOWN_E_MUX_ERROR || error == LOCKDOWN_E_RECEIVE_TIMEOUT ||
         error == LOCKDOWN_E_PLIST_ERROR || error == LOCKDOWN_E_SSL_ERROR;
}

std::vector<std::string> ListedUdids() {
  std::vector<std::string> udids;
  idevice_info_t* list = nullptr;
  int count = 0;
  if (idevice_get_device_list_extended(&list, &count) != IDEVICE_E_SUCCESS) return udids;
  for (int i = 0; i < count; ++i) {
    // A phone reachable over the network as well is listed twice.
    if (list[i]->conn_type != CONNECTION_USBMUXD || !list[i]->udid) continue;
    std::string udid = list[i]->udid;
    if (std::find(udids.begin(), udids.end(), udid) == udids.end()) udids.push_back(udid);
  }
  idevice_device_list_extended_free(list);
  return udids;
}

lockdownd_error_t ReadString(lockdownd_client_t client, const char* domain, const char* key,
                             std::string* out) {
  plist_t value = nullptr;
  lockdownd_error_t error = lockdownd_get_value(client, domain, key, &value);
  if (error == LOCKDOWN_E_SUCCESS && value && plist_get_node_type(value) == PLIST_STRING) {
    char* text = nullptr;
    plist_get_string_val(value, &text);
    if (text) *out = text;
    free(text);
  }
  if (value) plist_free(value);
  return error;
}

lockdownd_error_t ReadUint(lockdownd_client_t client, const char* domain, const char* key,
                           uint64_t* out) {
  plist_t value = nullptr;
  lockdownd_error_t error = lockdownd_get_value(client, domain, key, &value);
  if (error == LOCKDOWN_E_SUCCESS && value && plist_get_node_type(value) == PLIST_UINT) {
    plist_get_uint_val(value, out);
  }
  if (value) plist_free(value);
  return error;
}

}  // namespace

struct IosSession::Impl {
  idevice_t device = nullptr;
  // One handshake at a time: the library notes the device's version in the
  // shared device handle during it.
  std::mutex handshake;
};

std::vector<std::string> ListUsbDevices() { return ListedUdids(); }

IosSession::~IosSession() {
  if (impl_ && impl_->device) idevice_free(impl_->device);
}

bool IosSession::StillConnected() const {
  std::vector<std::string> udids = ListedUdids();
  return std::find(udids.begin(), udids.end(), udid_) != udids.end();
}

int IosSession::Open(const std::string& udid, std::shared_ptr<IosSession>* session) {
  if (!session) return POD_STATUS_BAD_ARGUMENT;
  session->reset();
  idevice_t device = nullptr;
  if (udid.empty() ||
      idevice_new_with_options(&device, udid.c_str(), IDEVICE_LOOKUP_USBMUX) != IDEVICE_E_SUCCESS) {
    Trace("lockdown: " + udid + ": not connected over USB");
    return POD_STATUS_NO_DEVICE;
  }
  std::shared_ptr<IosSession> opened(new IosSession);
  opened->udid_ = udid;
  opened->impl_.reset(new Impl);
  opened->impl_->device = device;

  // A device that answers other than its own refusal may simply be gone.
  auto failure = [&](lockdownd_error_t error) {
    if (error == LOCKDOWN_E_PASSWORD_PROTECTED ||
        error == LOCKDOWN_E_PAIRING_DIALOG_RESPONSE_PENDING) {
      return POD_STATUS_PASSCODE_LOCKED;
    }
    if (error == LOCKDOWN_E_USER_DENIED_PAIRING) return POD_STATUS_FAILED;
    return opened->StillConnected() ? POD_STATUS_FAILED : POD_STATUS_NO_DEVICE;
  };

  lockdownd_client_t client = nullptr;
  lockdownd_error_t error = lockdownd_client_new_with_handshake(device, &client, kLabel);
  if (error == LOCKDOWN_E_INVALID_HOST_ID || error == LOCKDOWN_E_SSL_ERROR) {
    // The device forgot this computer (or it was restored): drop the stale
    // record, so the handshake pairs afresh.
    TraceLockdown(udid, "handshake", error);
    lockdownd_client_t plain = nullptr;
    bool removed = false;
    if (lockdownd_client_new(device, &plain, kLabel) == LOCKDOWN_E_SUCCESS) {
      removed = lockdownd_unpair(plain, nullptr) == LOCKDOWN_E_SUCCESS;
      lockdownd_client_free(plain);
    }
    // The device refuses Unpair for a host it does not know; the record
    // goes all the same.
    if (!removed) usbmuxd_delete_pair_record(udid.c_str());
    Trace("lockdown: " + udid + ": pair record removed, pairing again");
    client = nullptr;
    error = lockdownd_client_new_with_handshake(device, &client, kLabel);
  }
  if (error != LOCKDOWN_E_SUCCESS) {
    TraceLockdown(udid, "handshake", error);
    return failure(error);
  }

  IosValues& values = opened->values_;
  struct {
    const char* domain;
    const char* key;
    std::string* text;
    uint64_t* number;
  } reads[] = {
      {nullptr, "DeviceName", &values.device_name, nullptr},
      {nullptr, "ProductType", &values.product_type, nullptr},
      {nullptr, "ProductVersion", &values.product_version, nullptr},
      {nullptr, "SerialNumber", &values.serial_number, nullptr},
      {"com.apple.disk_usage", "TotalDiskCapacity", nullptr, &values.total_capacity},
      {"com.apple.disk_usage", "AmountDataAvailable", nullptr, &values.available},
  };
  for (const auto& read : reads) {
    error = read.text ? ReadString(client, read.domain, read.key, read.text)
                      : ReadUint(client, read.domain, read.key, read.number);
    // A value the device does not give stays empty; a broken connection ends it.
    if (ConnectionError(error)) {
      TraceLockdown(udid, read.key, error);
      lockdownd_client_free(client);
      return failure(error);
    }
  }
  lockdownd_client_free(client);
  *session = opened;
  return POD_STATUS_OK;
}

afc_client_t IosSession::StartAfcClient(bool* gone) {
  bool lost = false;
  afc_client_t afc = nullptr;
  {
    std::lock_guard<std::mutex> lock(impl_->handshake);
    lockdownd_client_t client = nullptr;
    lockdownd_error_t error = lockdownd_client_new_with_handshake(impl_->device, &client, kLabel);
    lockdownd_service_descriptor_t service = nullptr;
    if (error == LOCKDOWN_E_SUCCESS) {
      error = lockdownd_start_service(client, AFC_SERVICE_NAME, &service);
      if (error != LOCKDOWN_E_SUCCESS) TraceLockdown(udid_, "start AFC", error);
    } else {
      TraceLockdown(udid_, "handshake", error);
    }
    if (client) lockdownd_client_free(client);
    if (error == LOCKDOWN_E_SUCCESS && service) {
      afc_error_t afc_error = afc_client_new(impl_->device, service, &afc);
      if (afc_error != AFC_E_SUCCESS) {
        Trace("afc: " + udid_ + ": connect: " + std::to_string(afc_error));
        afc = nullptr;
      }
    }
    if (service) lockdownd_service_descriptor_free(service);
  }
  if (!afc) lost = !StillConnected();
  if (gone) *gone = lost;
  return afc;
}

}  // namespace makerlib
