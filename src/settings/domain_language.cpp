#include "settings/domain_language.h"

#include <wx/string.h>

#include <string>

#include "app/file_util.h"
#include "app/zl_app_path.h"

void DomainLanguage::SetDefaultLanguage(int language) {
  WriteFileWhole(ZLAppPath::GetLanguageFilePath(),
                 std::to_string(language));
}
