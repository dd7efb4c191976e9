#include "common/domain_face.h"

#include <expat.h>
#include <wx/settings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/file_util.h"

FaceConfigMap* gFaceConfigMap = new FaceConfigMap;

const char kFaceMenuTextNormalColour[] = "/face/menu/text-normal-colour";
const char kFaceMenuTextCurrentColour[] = "/face/menu/text-current-colour";
const char kFaceExportButtonCrop[] = "/face/base-button/export-button-crop";
const char kFaceExportButtonFont[] =
    "/face/base-button/export-button-crop/font";
const char kFaceExportButtonTextColour[] =
    "/face/base-button/export-button-crop/textcolour";
const char kFaceTitleTextColour[] = "/face/titlebar/titletext-colour";

namespace {

// Face keys are a few levels deep; deeper elements are parsed but neither
// recorded nor added to the path, so memory stays proportional to the file.
const int kMaxFaceDepth = 32;
const int kMaxFaceFontSize = 96;

// The key path of the element being read, shared by all levels: each level
// remembers only where its own part begins.
struct FaceParse {
  std::string path;
  std::vector<size_t> starts;
  int depth = 0;
};

void XMLCALL StartElementHandler(void* user_data, const XML_Char* name,
                                 const XML_Char** atts) {
  FaceParse* parse = static_cast<FaceParse*>(user_data);
  if (++parse->depth > kMaxFaceDepth) return;
  parse->starts.push_back(parse->path.size());
  parse->path += "/";
  parse->path += name;
  if (!atts || !atts[0]) return;

  wxRect* rect = new wxRect(0, 0, 0, 0);
  for (int i = 0; atts[i] && atts[i + 1]; i += 2) {
    int value = atoi(atts[i + 1]);
    if (strcmp(atts[i], "x") == 0)
      rect->x = value;
    else if (strcmp(atts[i], "y") == 0)
      rect->y = value;
    else if (strcmp(atts[i], "width") == 0)
      rect->width = value;
    else
      rect->height = value;
  }
  // The replaced rectangle is left alone: nobody frees face entries.
  (*gFaceConfigMap)[wxString::FromUTF8(parse->path)] = rect;
}

void XMLCALL EndElementHandler(void* user_data, const XML_Char*) {
  FaceParse* parse = static_cast<FaceParse*>(user_data);
  if (parse->depth == 0) return;
  if (parse->depth-- > kMaxFaceDepth) return;
  parse->path.resize(parse->starts.back());
  parse->starts.pop_back();
}

}  // namespace

int DomainFace::LoadFace(const wxString& path) {
  // A pipe, a folder or anything else but a regular file is no face file.
  std::string xml;
  if (!ReadRegularFile(path, &xml)) return -1;

  XML_Parser parser = XML_ParserCreate(nullptr);
  FaceParse parse;
  XML_SetUserData(parser, &parse);
  XML_SetElementHandler(parser, StartElementHandler, EndElementHandler);
  // Errors found only at the end of the document (an empty or truncated
  // file) are not reported.
  if (XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), 0) ==
      XML_STATUS_ERROR) {
    fprintf(stderr, "%s at line %lu ->%s\n",
            XML_ErrorString(XML_GetErrorCode(parser)),
            static_cast<unsigned long>(XML_GetCurrentLineNumber(parser)),
            path.utf8_string().c_str());
  } else {
    XML_Parse(parser, nullptr, 0, 1);
  }
  XML_ParserFree(parser);
  return 0;
}

namespace {
const wxRect* Find(const wxString& key) {
  FaceConfigMap::const_iterator it = gFaceConfigMap->find(key);
  return it == gFaceConfigMap->end() ? nullptr : it->second;
}
}  // namespace

bool DomainFace::Has(const wxString& key) { return Find(key) != nullptr; }

wxColour DomainFace::GetColour(const wxString& key) {
  const wxRect* rect = Find(key);
  if (!rect) return *wxBLACK;
  return wxColour(rect->x & 0xff, rect->y & 0xff, rect->width & 0xff, 255);
}

wxFont DomainFace::GetFont(const wxString& key) {
  wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  const wxRect* rect = Find(key);
  // Sizes the toolkit would refuse, or that no caption could use, keep
  // the default.
  if (rect && rect->height > 0 && rect->height <= kMaxFaceFontSize)
    font.SetPointSize(rect->height);
  return font;
}

wxRect DomainFace::GetRect(const wxString& key) {
  const wxRect* rect = Find(key);
  return rect ? *rect : wxRect(0, 0, 0, 0);
}
