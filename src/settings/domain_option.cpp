#include "settings/domain_option.h"

#include <wx/filefn.h>
#include <wx/log.h>

#include <vector>

DomainOption::DomainOption(const wxString& path) { SetFilePath(path); }

void DomainOption::SetFilePath(const wxString& path) {
  path_ = path;
  init();
}

bool DomainOption::CheckIntegrity() {
  if (!wxFileExists(path_)) return false;
  // A damaged file is no news for the user: the addresses stay empty.
  wxLogNull quiet;
  return document_.Load(path_, "UTF-8") && document_.GetRoot() != nullptr;
}

bool DomainOption::init() {
  wxString* const fields[] = {&help_url_,     &home_url_,   &support_url_,
                              &register_url_, &update_url_, &product_url_};
  for (wxString* field : fields) field->clear();
  if (!CheckIntegrity()) return false;
  wxXmlNode* urls = document_.GetRoot()->GetChildren();
  // Every node counts as a position, comments too.
  wxXmlNode* node = urls ? urls->GetChildren() : nullptr;
  size_t read = 0;
  for (; node && read < 6; node = node->GetNext()) *fields[read++] = node->GetNodeContent();
  if (read >= 5) update_url_ += "-update.xml";
  return read == 6;
}

wxString ProductVersion::GetVersion() { return "3.6.116"; }

namespace {

std::vector<unsigned long> VersionNumbers(const wxString& version) {
  std::vector<unsigned long> numbers;
  wxString rest = version;
  while (true) {
    const wxString part = rest.BeforeFirst('.');
    unsigned long number = 0;
    if (!part.ToULong(&number)) number = 0;
    numbers.push_back(number);
    if (!rest.Contains(".")) break;
    rest = rest.AfterFirst('.');
  }
  return numbers;
}

}  // namespace

int ProductVersion::CompareVersion(const wxString& a, const wxString& b) {
  const std::vector<unsigned long> left = VersionNumbers(a);
  const std::vector<unsigned long> right = VersionNumbers(b);
  for (size_t i = 0; i < left.size() || i < right.size(); ++i) {
    const unsigned long x = i < left.size() ? left[i] : 0;
    const unsigned long y = i < right.size() ? right[i] : 0;
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

wxString GetVersionNo(wxXmlDocument* document, const wxString& product) {
  wxString version;
  if (!document || !document->GetRoot()) return version;
  for (wxXmlNode* element = document->GetRoot()->GetChildren(); element;
       element = element->GetNext()) {
    if (element->GetType() != wxXML_ELEMENT_NODE) continue;
    for (wxXmlAttribute* attribute = element->GetAttributes(); attribute;
         attribute = attribute->GetNext()) {
      // The last attribute has none after it, so it never names the product.
      if (attribute->GetValue() == product && attribute->GetNext()) {
        version = attribute->GetNext()->GetValue();
        break;
      }
    }
  }
  return version;
}
