#include "settings/domain_language.h"

#include <wx/ffile.h>
#include <wx/string.h>

#include "app/zl_app_path.h"

void DomainLanguage::SetDefaultLanguage(int language) {
  wxFFile file(ZLAppPath::GetLanguageFilePath(), "wb");
  if (file.IsOpened()) file.Write(wxString::Format("%d", language));
}
