#ifndef PORTIVA_TESTS_CATALOG_IN_MEMORY_H
#define PORTIVA_TESTS_CATALOG_IN_MEMORY_H

#include <wx/arrstr.h>
#include <wx/translation.h>

#include <map>
#include <string>

namespace testsupport {

// A message catalog in the binary form the toolkit loads.
std::string MessageCatalog(const std::map<std::string, std::string>& texts);

// Serves one catalog, for German, from memory.
class CatalogInMemory : public wxTranslationsLoader {
 public:
  explicit CatalogInMemory(std::string data) : data_(std::move(data)) {}
  wxMsgCatalog* LoadCatalog(const wxString& domain,
                            const wxString& language) override;
  wxArrayString GetAvailableTranslations(const wxString&) const override;

 private:
  std::string data_;
};

}  // namespace testsupport

#endif
