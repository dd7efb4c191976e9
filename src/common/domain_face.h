#ifndef PORTIVA_COMMON_DOMAIN_FACE_H
#define PORTIVA_COMMON_DOMAIN_FACE_H

#include <wx/colour.h>
#include <wx/font.h>
#include <wx/gdicmn.h>
#include <wx/string.h>

#include <map>

struct FaceConfigMapCmp {
  bool operator()(const wxString& a, const wxString& b) const {
    return a.compare(b) < 0;
  }
};

typedef std::map<wxString, wxRect*, FaceConfigMapCmp> FaceConfigMap;

// Key path of an element ("/face/menu/text-normal-colour") to the four
// integers of its attributes. Lives for the whole process.
extern FaceConfigMap* gFaceConfigMap;

// The face keys the program reads.
extern const char kFaceMenuTextNormalColour[];
extern const char kFaceMenuTextCurrentColour[];
extern const char kFaceExportButtonCrop[];
extern const char kFaceExportButtonFont[];
extern const char kFaceExportButtonTextColour[];
extern const char kFaceTitleTextColour[];

class DomainFace {
 public:
  DomainFace() {}
  ~DomainFace() {}

  // -1 when the file cannot be opened, 0 otherwise (also after a syntax
  // error, which is reported on standard error).
  static int LoadFace(const wxString& path);

  // Readers. A key that the theme lacks reads as black, the default GUI
  // font and no cut, instead of a missing entry.
  static wxColour GetColour(const wxString& key);
  static wxFont GetFont(const wxString& key);
  static wxRect GetRect(const wxString& key);
  static bool Has(const wxString& key);
};

#endif
