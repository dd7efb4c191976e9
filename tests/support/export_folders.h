#ifndef PORTIVA_TESTS_SUPPORT_EXPORT_FOLDERS_H
#define PORTIVA_TESTS_SUPPORT_EXPORT_FOLDERS_H

#include <string>

#include "app/category_table.h"
#include "settings/option_data.h"

namespace testsupport {

// Exports go straight into out/<each category's own folder>, and ask at
// the end; returns the options as they were, for the test to put back.
inline OptionConfig ExportIntoFolder(const std::string& out) {
  const OptionConfig saved = OptionData::data_;
  OptionData::data_.select_folder = false;
  OptionData::data_.show_finished = true;
  for (const CategoryInfo& category : kCategories)
    OptionData::data_.*category.folder = wxString::FromUTF8(out) + category.default_folder;
  return saved;
}

}  // namespace testsupport

#endif
