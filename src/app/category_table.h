#ifndef PORTIVA_APP_CATEGORY_TABLE_H
#define PORTIVA_APP_CATEGORY_TABLE_H

#include <wx/string.h>

#include <cstddef>

#include "device/device_context.h"
#include "device/device_record.h"
#include "pod_device_service.h"

struct OptionConfig;

// How a category's list is laid out and so how its views are filled.
enum class FillShape {
  kFlat,              // "item" array of media
  kGroupedByCatalog,  // array of groups labelled by "catalog"
  kGroupedByName,     // array of groups labelled by "name"
  kPictures,          // "item" array of pictures
  kVoiceMemos,        // "item" array of memos, named by "name" or "title"
};

// A list operation of the device library's table.
typedef plist_t (*PodDevice::*PodListSlot)(PodDevice*, unsigned int,
                                          unsigned int);

// Everything the program keeps per media category, in one place.
struct CategoryInfo {
  CategoryCode code;
  const char* name;        // English source text, translated when shown
  const char* tree_image;  // theme archive path, 16 by 16
  PodListSlot list;
  plist_t DeviceContext::*list_field;
  wxString OptionConfig::*folder;
  const char* options_key;
  const char* default_folder;  // under the data directory
  int export_all_id;
  const char* export_all_label;
  int open_folder_id;
  const char* open_folder_label;
  const char* folder_label;  // its row in the options dialog
  FillShape shape;
  // Code of one group of a grouped list, kCategoryDevice when flat.
  CategoryCode group_code;
};

// The eleven media categories in tree, fetch and options-file order.
constexpr size_t kCategoryCount = 11;
extern const CategoryInfo kCategories[kCategoryCount];

// The category of a code (1 to 13; a group code gives its parent list's
// entry), or null.
const CategoryInfo* FindCategory(int code);
// The category whose "Export All" or open-folder command this is, or null.
const CategoryInfo* FindCategoryByExportAllId(int id);
const CategoryInfo* FindCategoryByOpenFolderId(int id);

// The key that names a group of a grouped list: "catalog" or "name".
const char* GroupNameKey(FillShape shape);
// Whether the category's list is an array of groups.
bool IsGrouped(const CategoryInfo& category);

// Image-list index of the tree image of kCategories[i]: the four device
// pictures come first.
const int kFirstCategoryTreeImage = 4;

#endif
