#ifndef PORTIVA_TESTS_DEVICE_IMAGE_FIXTURE_H
#define PORTIVA_TESTS_DEVICE_IMAGE_FIXTURE_H

#include <plist/plist.h>

#include <string>
#include <vector>

namespace testsupport {

// Writes small device images and points the device library at them.
class DeviceImageBuilder {
 public:
  explicit DeviceImageBuilder(const std::string& dir);
  ~DeviceImageBuilder();

  DeviceImageBuilder& Identifier(const std::string& id);
  DeviceImageBuilder& ConnectionType(const std::string& type);
  DeviceImageBuilder& InitStatus(int status);
  // Takes ownership of the node.
  DeviceImageBuilder& Info(plist_t info);
  DeviceImageBuilder& List(const std::string& key, plist_t list);
  DeviceImageBuilder& File(const std::string& device_path,
                           const std::string& content);
  // Any other key of the description ("ThrottleBytesPerSecond",
  // "FailingFiles"); takes ownership of the node.
  DeviceImageBuilder& Setting(const std::string& key, plist_t value);

  // A stand-in for a string value whose bytes no string node can be built
  // with (a NUL inside, bad UTF-8): put it where the value goes, and Write
  // puts the bytes there, with "&", "<" and ">" escaped.
  std::string Raw(const std::string& bytes);

  // Writes device.plist and returns the image folder.
  std::string Write();

 private:
  std::string dir_;
  plist_t description_;
  std::vector<std::string> raw_;
};

// A dictionary with string and unsigned values, e.g.
// Dict({{"DeviceName", "Pad"}}, {{"Catacity", 64}}).
plist_t Dict(const std::vector<std::pair<std::string, std::string>>& strings,
             const std::vector<std::pair<std::string, uint64_t>>& numbers = {});
// A flat list {"item": items, "number": count}; takes ownership of items.
plist_t FlatList(const std::vector<plist_t>& items);
// A group {name_key: name, "number": count, "item": items}.
plist_t Group(const std::string& name_key, const std::string& name,
              const std::vector<plist_t>& items);
plist_t ArrayOf(const std::vector<plist_t>& nodes);

// Sets PORTIVA_DEVICE_IMAGES to the folders, ":"-separated.
void ConnectImages(const std::vector<std::string>& folders);

}  // namespace testsupport

#endif
