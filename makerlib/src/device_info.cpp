#include "device_info.h"

#include <algorithm>

namespace makerlib {

plist_t MakeInfo(const IosValues& values, const MediaUsage& usage) {
  const uint64_t total = values.total_capacity;
  const uint64_t available = std::min(values.available, total);
  uint64_t left = total - available;
  auto take = [&left](uint64_t bytes) {
    const uint64_t taken = std::min(bytes, left);
    left -= taken;
    return taken;
  };
  const uint64_t audio = take(usage.audio);
  const uint64_t video = take(usage.video);
  const uint64_t photos = take(usage.photos);
  plist_t info = plist_new_dict();
  plist_dict_set_item(info, "DeviceName", plist_new_string(values.device_name.c_str()));
  plist_dict_set_item(info, "Type", plist_new_string(values.product_type.c_str()));
  plist_dict_set_item(info, "Catacity", plist_new_uint(total));
  plist_dict_set_item(info, "Version", plist_new_string(values.product_version.c_str()));
  plist_dict_set_item(info, "SerialNumber", plist_new_string(values.serial_number.c_str()));
  plist_dict_set_item(info, "Audio", plist_new_uint(audio));
  plist_dict_set_item(info, "Video", plist_new_uint(video));
  plist_dict_set_item(info, "Photos", plist_new_uint(photos));
  plist_dict_set_item(info, "Others", plist_new_uint(left));
  plist_dict_set_item(info, "Available", plist_new_uint(available));
  return info;
}

}  // namespace makerlib
