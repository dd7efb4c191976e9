#include "settings/domain_option.h"

#include <curl/curl.h>
#include <wx/filefn.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/thread.h>

#include <memory>
#include <mutex>
#include <vector>

#include "app/my_event.h"
#include "app/transfer_app.h"
#include "app/zl_app_path.h"

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

wxString ProductVersion::GetVersion() { return PORTIVA_VERSION; }

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

// ---- the update check -------------------------------------------------------

namespace {

// Larger answers are no update document.
const size_t kMaxDocumentBytes = 1 << 20;

size_t Collect(char* data, size_t size, size_t count, void* user) {
  wxMemoryOutputStream* body = static_cast<wxMemoryOutputStream*>(user);
  const size_t bytes = size * count;
  if (body->GetSize() + bytes > kMaxDocumentBytes) return 0;
  body->Write(data, bytes);
  return bytes;
}

void PostUpdateResult(const wxString& version) {
  wxCommandEvent* event = new wxCommandEvent(wxEVT_CHECK_FOR_UPDATE, 0);
  event->SetString(version.Clone());
  // Dropped when the main window is gone.
  wxGetApp().frame_.Queue(event);
}

// Runs one update check off the GUI thread.
class DoCheckForUpdate : public wxThread {
 public:
  DoCheckForUpdate(const wxString& address, long time_limit)
      : wxThread(wxTHREAD_DETACHED), address_(address.Clone()), time_limit_(time_limit) {}

 protected:
  ExitCode Entry() override {
    wxString version;
    std::unique_ptr<wxInputStream> stream(ReadHttpURL(address_, time_limit_));
    if (stream) version = CreateXmlFromInputStream(stream.get());
    PostUpdateResult(version);
    return nullptr;
  }

 private:
  wxString address_;
  long time_limit_;
};

}  // namespace

long DomainOption::update_time_limit_ = 10;

void DomainOption::StartCheckVersionNoForUpdate() {
  DoCheckForUpdate* check = new DoCheckForUpdate(update_url_, update_time_limit_);
  if (check->Run() != wxTHREAD_NO_ERROR) {
    delete check;
    PostUpdateResult(wxString());
  }
}

wxInputStream* ReadHttpURL(const wxString& address, long time_limit_seconds) {
  static std::once_flag initialised;
  std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  if (address.empty()) return nullptr;
  CURL* curl = curl_easy_init();
  if (!curl) return nullptr;
  wxMemoryOutputStream body;
  const wxScopedCharBuffer url = address.utf8_str();
  curl_easy_setopt(curl, CURLOPT_URL, url.data());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, time_limit_seconds);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, time_limit_seconds);
  // Worker threads must not be woken by the timer signals.
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
  const CURLcode result = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(curl);
  if (result != CURLE_OK || status < 200 || status >= 300) return nullptr;
  return new wxMemoryInputStream(body);
}

wxString CreateXmlFromInputStream(wxInputStream* stream) {
  if (!stream) return wxString();
  wxLogNull quiet;
  wxXmlDocument document;
  if (!document.Load(*stream, "UTF-8")) return wxString();
  return GetVersionNo(&document, ZLAppPath::GetWholeProductAlias());
}
