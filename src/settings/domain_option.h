#ifndef PORTIVA_SETTINGS_DOMAIN_OPTION_H
#define PORTIVA_SETTINGS_DOMAIN_OPTION_H

#include <wx/string.h>
#include <wx/xml/xml.h>

// The address file: the help, support and product pages and the update
// document's address, read by their position in it, not by their names.
class DomainOption {
 public:
  explicit DomainOption(const wxString& path);
  virtual ~DomainOption() {}

  void SetFilePath(const wxString& path);
  // True when the file was read and all six positions were there; what was
  // not found stays empty.
  bool init();
  // The file exists, loads as UTF-8 XML and has a root element.
  bool CheckIntegrity();

  const wxString& help_url() const { return help_url_; }
  const wxString& home_url() const { return home_url_; }
  const wxString& support_url() const { return support_url_; }
  const wxString& register_url() const { return register_url_; }
  // The fifth address followed by "-update.xml".
  const wxString& update_url() const { return update_url_; }
  const wxString& product_url() const { return product_url_; }

  // Asks the update address for the published version on a worker thread;
  // the answer reaches the main window as a wxEVT_CHECK_FOR_UPDATE event
  // whose string is the version, empty when the check failed.
  void StartCheckVersionNoForUpdate();
  // How long the check may take, in seconds.
  static long update_time_limit_;

 private:
  wxString path_;
  wxXmlDocument document_;
  wxString help_url_;
  wxString home_url_;
  wxString support_url_;
  wxString register_url_;
  wxString update_url_;
  wxString product_url_;
};

// The running version and the order of version texts.
class ProductVersion {
 public:
  static wxString GetVersion();
  // Negative when a is older than b, zero when they are the same, positive
  // when a is newer: dot-separated numbers compared one by one, a missing
  // one counting as 0, anything that is not a number as 0.
  static int CompareVersion(const wxString& a, const wxString& b);
};

// The published version of the product in an update document: in each
// child element of the root, the value of the attribute right after the
// first attribute whose value is the product's name; a later element's
// match replaces an earlier one. Empty when nothing matches.
wxString GetVersionNo(wxXmlDocument* document, const wxString& product);

class wxInputStream;

// The document at an http or https address, redirects followed and
// certificates checked, within the time limit; null when it could not be
// had. The caller owns the stream.
wxInputStream* ReadHttpURL(const wxString& address, long time_limit_seconds);
// The published version of this product in an XML document read from the
// stream; empty when the stream is no such document.
wxString CreateXmlFromInputStream(wxInputStream* stream);

#endif
