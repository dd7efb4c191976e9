#include "afc_transport.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>
#include <utility>

#include <libimobiledevice/afc.h>

#include "ios_session.h"

namespace makerlib {

namespace {

const uint32_t kReadChunk = 1u << 20;
const int kMaxLinkDepth = 8;

class Connection {
 public:
  explicit Connection(afc_client_t client) : client_(client) {}
  ~Connection() { afc_client_free(client_); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  afc_client_t get() const { return client_; }

 private:
  afc_client_t client_;
};

// What the transport and its open files share: a file may outlive the
// transport and keeps its connection.
struct Shared {
  explicit Shared(std::shared_ptr<IosSession> s) : session(std::move(s)) {}
  std::shared_ptr<IosSession> session;
  std::atomic<bool> gone{false};
  std::mutex mutex;  // guards idle
  // Connections no call is using. A call takes one (or starts one) and
  // gives it back when done, so threads never share a connection and an
  // export keeps its one from file to file, while the workers that come and
  // go leave no connection behind each.
  std::vector<std::unique_ptr<Connection>> idle;
};

// One call's use of a connection; a connection that broke is not given back.
class Lease {
 public:
  Lease(std::shared_ptr<Shared> shared, std::unique_ptr<Connection> connection)
      : shared_(std::move(shared)), connection_(std::move(connection)) {}
  ~Lease() {
    if (!connection_ || broken_ || shared_->gone) return;
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->idle.push_back(std::move(connection_));
  }
  Lease(const Lease&) = delete;
  Lease& operator=(const Lease&) = delete;
  afc_client_t get() const { return connection_->get(); }
  void Break() { broken_ = true; }

 private:
  std::shared_ptr<Shared> shared_;
  std::unique_ptr<Connection> connection_;
  bool broken_ = false;
};

// How the library reports a connection that broke under it: nothing or too
// little came back, or the answers fell out of step.
bool ConnectionLost(afc_error_t error) {
  return error == AFC_E_MUX_ERROR || error == AFC_E_NOT_ENOUGH_DATA ||
         error == AFC_E_OP_HEADER_INVALID || error == AFC_E_SERVICE_NOT_CONNECTED;
}

TransportStatus Failure(Shared* shared, Lease* lease, afc_error_t error) {
  if (error == AFC_E_OBJECT_NOT_FOUND) return TransportStatus::kNotFound;
  if (!ConnectionLost(error)) return TransportStatus::kFailed;
  lease->Break();
  // A broken connection to a device still listed is this call's failure
  // only; the thread's next call connects afresh.
  if (shared->gone || !shared->session->StillConnected()) {
    shared->gone = true;
    return TransportStatus::kGone;
  }
  return TransportStatus::kFailed;
}

std::unique_ptr<Lease> Acquire(const std::shared_ptr<Shared>& shared, TransportStatus* status) {
  if (shared->gone) {
    *status = TransportStatus::kGone;
    return nullptr;
  }
  {
    std::lock_guard<std::mutex> lock(shared->mutex);
    if (!shared->idle.empty()) {
      std::unique_ptr<Connection> connection = std::move(shared->idle.back());
      shared->idle.pop_back();
      return std::unique_ptr<Lease>(new Lease(shared, std::move(connection)));
    }
  }
  bool gone = false;
  afc_client_t client = shared->session->StartAfcClient(&gone);
  if (!client) {
    if (gone) shared->gone = true;
    *status = gone ? TransportStatus::kGone : TransportStatus::kFailed;
    return nullptr;
  }
  return std::unique_ptr<Lease>(new Lease(shared, std::unique_ptr<Connection>(new Connection(client))));
}

class AfcFile : public RemoteFile {
 public:
  AfcFile(std::shared_ptr<Shared> shared, std::unique_ptr<Lease> lease, uint64_t handle,
          uint64_t size)
      : shared_(std::move(shared)), lease_(std::move(lease)), handle_(handle), remaining_(size) {}

  ~AfcFile() override {
    if (handle_ && !shared_->gone && afc_file_close(lease_->get(), handle_) != AFC_E_SUCCESS)
      lease_->Break();
  }

  int64_t Read(char* buffer, size_t size) override {
    if (!handle_ || shared_->gone) return -1;
    if (size == 0) return 0;
    // Never more than the file still holds: 1.3.0 overruns its own buffer
    // when an answer shorter than asked for is cut off by an unplug. At the
    // end one byte is asked for, which the device answers with nothing.
    const uint64_t want = std::min<uint64_t>(
        {static_cast<uint64_t>(size), kReadChunk, remaining_ == 0 ? 1 : remaining_});
    uint32_t got = 0;
    if (!ReadChunk(buffer, static_cast<uint32_t>(want), &got)) return -1;
    remaining_ -= std::min<uint64_t>(got, remaining_);
    if (got == 0) {
      // The library may take an answer cut off by an unplug for a whole one
      // (1.3.0 hands back the promised length, newer ones what arrived, so
      // possibly nothing): a broken connection shows only on the next
      // request, so the end is believed when asked once more.
      char probe[1];
      uint32_t more = 0;
      if (!ReadChunk(probe, sizeof probe, &more)) return -1;
      if (more > 0) {
        buffer[0] = probe[0];
        return 1;
      }
    }
    return got;
  }

 private:
  bool ReadChunk(char* buffer, uint32_t size, uint32_t* got) {
    afc_error_t error = afc_file_read(lease_->get(), handle_, buffer, size, got);
    if (error == AFC_E_SUCCESS) return true;
    if (ConnectionLost(error)) handle_ = 0;  // it died with its connection
    Failure(shared_.get(), lease_.get(), error);
    return false;
  }

  std::shared_ptr<Shared> shared_;
  std::unique_ptr<Lease> lease_;
  uint64_t handle_;
  uint64_t remaining_;  // bytes the file held when opened, still to come
};

class AfcTransport : public Transport {
 public:
  explicit AfcTransport(std::shared_ptr<IosSession> session)
      : shared_(std::make_shared<Shared>(std::move(session))) {}

  TransportStatus List(const std::string& path, std::vector<std::string>* names) override {
    names->clear();
    TransportStatus status = TransportStatus::kOk;
    std::unique_ptr<Lease> lease = Acquire(shared_, &status);
    if (!lease) return status;
    char** list = nullptr;
    afc_error_t error = afc_read_directory(lease->get(), path.c_str(), &list);
    if (error != AFC_E_SUCCESS) {
      if (list) afc_dictionary_free(list);
      return Failure(shared_.get(), lease.get(), error);
    }
    for (char** name = list; name && *name; ++name) {
      if (strcmp(*name, ".") != 0 && strcmp(*name, "..") != 0 && **name) names->push_back(*name);
    }
    if (list) afc_dictionary_free(list);
    return TransportStatus::kOk;
  }

  TransportStatus Stat(const std::string& path, RemoteEntry* entry) override {
    return StatFollowing(path, entry, 0);
  }

  TransportStatus Open(const std::string& path, std::unique_ptr<RemoteFile>* file) override {
    file->reset();
    RemoteEntry entry;
    TransportStatus status = Stat(path, &entry);
    if (status != TransportStatus::kOk) return status;
    const uint64_t size = entry.regular ? entry.size : UINT64_MAX;
    std::unique_ptr<Lease> lease = Acquire(shared_, &status);
    if (!lease) return status;
    uint64_t handle = 0;
    afc_error_t error = afc_file_open(lease->get(), path.c_str(), AFC_FOPEN_RDONLY, &handle);
    if (error != AFC_E_SUCCESS) return Failure(shared_.get(), lease.get(), error);
    if (handle == 0) return TransportStatus::kFailed;
    file->reset(new AfcFile(shared_, std::move(lease), handle, size));
    return TransportStatus::kOk;
  }

 private:
  TransportStatus StatFollowing(const std::string& path, RemoteEntry* entry, int depth) {
    *entry = RemoteEntry();
    TransportStatus status = TransportStatus::kOk;
    std::unique_ptr<Lease> lease = Acquire(shared_, &status);
    if (!lease) return status;
    char** info = nullptr;
    afc_error_t error = afc_get_file_info(lease->get(), path.c_str(), &info);
    if (error != AFC_E_SUCCESS || !info) {
      if (info) afc_dictionary_free(info);
      return error == AFC_E_SUCCESS ? TransportStatus::kFailed
                                    : Failure(shared_.get(), lease.get(), error);
    }
    lease.reset();  // a link is followed on a connection of its own
    std::string format;
    std::string link_target;
    for (char** item = info; item[0] && item[1]; item += 2) {
      const char* key = item[0];
      const char* value = item[1];
      if (!strcmp(key, "st_ifmt")) {
        format = value;
      } else if (!strcmp(key, "st_size")) {
        entry->size = strtoull(value, nullptr, 10);
      } else if (!strcmp(key, "st_birthtime")) {
        entry->birth_time = strtoll(value, nullptr, 10) / 1000000000;
      } else if (!strcmp(key, "st_mtime")) {
        entry->modify_time = strtoll(value, nullptr, 10) / 1000000000;
      } else if (!strcmp(key, "st_linktarget")) {
        link_target = value;
      }
    }
    afc_dictionary_free(info);
    entry->directory = format == "S_IFDIR";
    entry->regular = format == "S_IFREG";
    if (format != "S_IFLNK" || link_target.empty() || depth >= kMaxLinkDepth) {
      return TransportStatus::kOk;
    }
    // AFC answers for the link itself; the entry is what it points at.
    std::string target = link_target;
    if (target[0] != '/') {
      size_t slash = path.rfind('/');
      target = (slash == std::string::npos ? std::string() : path.substr(0, slash)) + "/" + target;
    }
    RemoteEntry followed;
    TransportStatus result = StatFollowing(target, &followed, depth + 1);
    if (result == TransportStatus::kOk) *entry = followed;
    // A link to nothing is an entry all the same, just not a file.
    return result == TransportStatus::kNotFound ? TransportStatus::kOk : result;
  }

  std::shared_ptr<Shared> shared_;
};

}  // namespace

std::unique_ptr<Transport> MakeAfcTransport(std::shared_ptr<IosSession> session) {
  if (!session) return nullptr;
  return std::unique_ptr<Transport>(new AfcTransport(std::move(session)));
}

}  // namespace makerlib
