#include "catalog_in_memory.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace testsupport {

std::string MessageCatalog(const std::map<std::string, std::string>& texts) {
  std::map<std::string, std::string> entries = texts;
  entries[""] = "Content-Type: text/plain; charset=UTF-8\n";
  const uint32_t count = static_cast<uint32_t>(entries.size());
  std::string out;
  auto put = [&out](uint32_t value) {
    for (int i = 0; i < 4; ++i)
      out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
  };
  const uint32_t originals = 28;
  const uint32_t translations = originals + 8 * count;
  uint32_t offset = translations + 8 * count;
  for (uint32_t value :
       {0x950412deu, 0u, count, originals, translations, 0u, offset})
    put(value);
  std::string strings;
  std::vector<std::pair<uint32_t, uint32_t>> from, to;
  for (const auto& entry : entries) {
    from.emplace_back(entry.first.size(), offset + strings.size());
    strings += entry.first + '\0';
  }
  for (const auto& entry : entries) {
    to.emplace_back(entry.second.size(), offset + strings.size());
    strings += entry.second + '\0';
  }
  for (const auto& pair : from) put(pair.first), put(pair.second);
  for (const auto& pair : to) put(pair.first), put(pair.second);
  return out + strings;
}

wxMsgCatalog* CatalogInMemory::LoadCatalog(const wxString& domain,
                                           const wxString& language) {
  if (language != "de") return nullptr;
  return wxMsgCatalog::CreateFromData(
      wxScopedCharBuffer::CreateNonOwned(data_.data(), data_.size()), domain);
}

wxArrayString CatalogInMemory::GetAvailableTranslations(
    const wxString&) const {
  wxArrayString languages;
  languages.push_back("de");
  return languages;
}

}  // namespace testsupport
