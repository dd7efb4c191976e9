#include "device_image_fixture.h"

#include <sys/stat.h>

#include <cstdlib>

#include "test_support.h"

namespace testsupport {

namespace {
void MakeDirs(const std::string& path) {
  for (size_t pos = 1; pos != std::string::npos;) {
    pos = path.find('/', pos + 1);
    mkdir(path.substr(0, pos).c_str(), 0777);
  }
}
}  // namespace

DeviceImageBuilder::DeviceImageBuilder(const std::string& dir)
    : dir_(dir), description_(plist_new_dict()) {
  MakeDirs(dir_ + "/files");
}

DeviceImageBuilder::~DeviceImageBuilder() { plist_free(description_); }

DeviceImageBuilder& DeviceImageBuilder::Identifier(const std::string& id) {
  plist_dict_set_item(description_, "Identifier", plist_new_string(id.c_str()));
  return *this;
}

DeviceImageBuilder& DeviceImageBuilder::ConnectionType(const std::string& t) {
  plist_dict_set_item(description_, "ConnectionType",
                      plist_new_string(t.c_str()));
  return *this;
}

DeviceImageBuilder& DeviceImageBuilder::InitStatus(int status) {
  plist_dict_set_item(description_, "InitStatus",
                      plist_new_uint(static_cast<uint64_t>(status)));
  return *this;
}

DeviceImageBuilder& DeviceImageBuilder::Info(plist_t info) {
  plist_dict_set_item(description_, "Info", info);
  return *this;
}

DeviceImageBuilder& DeviceImageBuilder::List(const std::string& key,
                                             plist_t list) {
  plist_t lists = plist_dict_get_item(description_, "Lists");
  if (!lists) {
    lists = plist_new_dict();
    plist_dict_set_item(description_, "Lists", lists);
  }
  plist_dict_set_item(lists, key.c_str(), list);
  return *this;
}

DeviceImageBuilder& DeviceImageBuilder::File(const std::string& device_path,
                                             const std::string& content) {
  std::string path = dir_ + "/files" + device_path;
  MakeDirs(path.substr(0, path.rfind('/')));
  WriteFile(path, content);
  return *this;
}

DeviceImageBuilder& DeviceImageBuilder::Setting(const std::string& key, plist_t value) {
  plist_dict_set_item(description_, key.c_str(), value);
  return *this;
}

namespace {
std::string RawMarker(size_t index) {
  return "@@raw-" + std::to_string(index) + "@@";
}
}  // namespace

std::string DeviceImageBuilder::Raw(const std::string& bytes) {
  raw_.push_back(bytes);
  return RawMarker(raw_.size() - 1);
}

std::string DeviceImageBuilder::Write() {
  char* xml = nullptr;
  uint32_t length = 0;
  plist_to_xml(description_, &xml, &length);
  std::string text(xml, length);
  free(xml);
  for (size_t i = 0; i < raw_.size(); ++i) {
    std::string escaped;
    for (char c : raw_[i]) {
      if (c == '&') escaped += "&amp;";
      else if (c == '<') escaped += "&lt;";
      else if (c == '>') escaped += "&gt;";
      else escaped += c;
    }
    const std::string marker = RawMarker(i);
    for (size_t at = text.find(marker); at != std::string::npos;
         at = text.find(marker, at + escaped.size()))
      text.replace(at, marker.size(), escaped);
  }
  WriteFile(dir_ + "/device.plist", text);
  return dir_;
}

plist_t Dict(const std::vector<std::pair<std::string, std::string>>& strings,
             const std::vector<std::pair<std::string, uint64_t>>& numbers) {
  plist_t dict = plist_new_dict();
  for (const auto& s : strings)
    plist_dict_set_item(dict, s.first.c_str(), plist_new_string(s.second.c_str()));
  for (const auto& n : numbers)
    plist_dict_set_item(dict, n.first.c_str(), plist_new_uint(n.second));
  return dict;
}

plist_t ArrayOf(const std::vector<plist_t>& nodes) {
  plist_t array = plist_new_array();
  for (plist_t node : nodes) plist_array_append_item(array, node);
  return array;
}

plist_t FlatList(const std::vector<plist_t>& items) {
  plist_t list = plist_new_dict();
  plist_dict_set_item(list, "item", ArrayOf(items));
  plist_dict_set_item(list, "number", plist_new_uint(items.size()));
  return list;
}

plist_t Group(const std::string& name_key, const std::string& name,
              const std::vector<plist_t>& items) {
  plist_t group = plist_new_dict();
  plist_dict_set_item(group, name_key.c_str(), plist_new_string(name.c_str()));
  plist_dict_set_item(group, "number", plist_new_uint(items.size()));
  plist_dict_set_item(group, "item", ArrayOf(items));
  return group;
}

void ConnectImages(const std::vector<std::string>& folders) {
  std::string value;
  for (const std::string& folder : folders) {
    if (!value.empty()) value += ":";
    value += folder;
  }
  setenv("PORTIVA_DEVICE_IMAGES", value.c_str(), 1);
}

}  // namespace testsupport
