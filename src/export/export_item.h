#ifndef PORTIVA_EXPORT_EXPORT_ITEM_H
#define PORTIVA_EXPORT_EXPORT_ITEM_H

#include <wx/string.h>

#include <cstdint>
#include <memory>
#include <vector>

// One file or directory to export.
class ExportItemInfo {
 public:
  virtual ~ExportItemInfo() {}
  wxString path;         // on the device, as the record or row gives it
  wxString folder_name;  // sub-folder of the export folder; empty for none
  wxString title;        // what the exported file is named after
  uint64_t size = 0;     // bytes on the device, 0 when not known; for the
                         // overall progress only
};

typedef std::vector<std::unique_ptr<ExportItemInfo>> ExportItemList;

// One export request; it owns its items.
class ExportCatalogInfo {
 public:
  virtual ~ExportCatalogInfo() {}
  int32_t category = 0;    // selects the default export folder
  wxString export_folder;  // the folder that receives the export
  ExportItemList items;    // in export order
};

#endif
