#ifndef PORTIVA_EXPORT_EXPORT_LIST_H
#define PORTIVA_EXPORT_EXPORT_LIST_H

#include <plist/plist.h>

#include "export/export_item.h"

// How a record node is walked for its export items.
enum class ExportWalk {
  kFlat,      // its "item" array; titled by "title"
  kGroups,    // an array of groups, each one's "item" array in its folder
  kOneGroup,  // one group's "item" array in its folder
  kPictures,  // its "item" array; titled by the picture's name
};

// Appends one item per element of the node, in stored order, without
// clearing the list. group_key names a group's folder ("catalog" or
// "name"); a missing key gives an empty folder, a missing "item" array or
// a node of the wrong shape no items.
void AppendRecordExportItems(ExportItemList* list, plist_t node, ExportWalk walk,
                             const char* group_key);

// The same for a category code (1 to 13) from the category table: its
// whole list, or one group for a group code.
void AppendCategoryExportItems(ExportItemList* list, int code, plist_t node);

#endif
