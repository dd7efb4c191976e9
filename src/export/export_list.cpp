#include "export/export_list.h"

#include "app/category_table.h"
#include "device/device_record.h"

namespace {

void AppendItems(ExportItemList* list, plist_t items_of, bool pictures,
                 const wxString& folder_name) {
  plist_t items = record::Items(items_of);
  const uint32_t count = record::ArraySize(items);
  for (uint32_t i = 0; i < count; ++i) {
    plist_t element = record::ArrayItem(items, i);
    if (plist_get_node_type(element) != PLIST_DICT) continue;
    std::unique_ptr<ExportItemInfo> item(new ExportItemInfo);
    item->path = record::String(element, "path");
    item->folder_name = folder_name;
    item->size = record::UInt(element, "size");
    item->title = pictures ? record::PictureName(item->path) : record::String(element, "title");
    list->push_back(std::move(item));
  }
}

}  // namespace

void AppendRecordExportItems(ExportItemList* list, plist_t node, ExportWalk walk,
                             const char* group_key) {
  if (!list || !node) return;
  switch (walk) {
    case ExportWalk::kFlat:
    case ExportWalk::kPictures:
      if (plist_get_node_type(node) == PLIST_DICT)
        AppendItems(list, node, walk == ExportWalk::kPictures, wxString());
      return;
    case ExportWalk::kOneGroup:
      if (plist_get_node_type(node) == PLIST_DICT)
        AppendItems(list, node, false, record::String(node, group_key));
      return;
    case ExportWalk::kGroups: {
      const uint32_t groups = record::GroupCount(node);
      for (uint32_t i = 0; i < groups; ++i)
        if (plist_t group = record::GroupAt(node, i))
          AppendItems(list, group, false, record::String(group, group_key));
      return;
    }
  }
}

void AppendCategoryExportItems(ExportItemList* list, int code, plist_t node) {
  const CategoryInfo* category = FindCategory(code);
  if (!category) return;
  const char* key = GroupNameKey(category->shape);
  if (category->shape == FillShape::kPictures)
    AppendRecordExportItems(list, node, ExportWalk::kPictures, nullptr);
  else if (!IsGrouped(*category))
    AppendRecordExportItems(list, node, ExportWalk::kFlat, nullptr);
  else if (code == category->group_code)
    AppendRecordExportItems(list, node, ExportWalk::kOneGroup, key);
  else
    AppendRecordExportItems(list, node, ExportWalk::kGroups, key);
}
