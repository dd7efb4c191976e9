#include "common/domain_face.h"

#include <expat.h>
#include <wx/settings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

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

struct FaceNode {
  FaceNode* parent;
  wxString path;
};

void XMLCALL StartElementHandler(void* user_data, const XML_Char* name,
                                 const XML_Char** atts) {
  FaceNode** top = static_cast<FaceNode**>(user_data);
  FaceNode* node = new FaceNode;
  node->parent = *top;
  node->path = (*top ? (*top)->path : wxString()) + "/" +
               wxString::FromUTF8(name);
  *top = node;
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
  (*gFaceConfigMap)[node->path] = rect;
}

void XMLCALL EndElementHandler(void* user_data, const XML_Char*) {
  FaceNode** top = static_cast<FaceNode**>(user_data);
  FaceNode* node = *top;
  if (!node) return;
  *top = node->parent;
  delete node;
}

}  // namespace

int DomainFace::LoadFace(const wxString& path) {
  wxScopedCharBuffer utf8_path = path.utf8_str();
  FILE* file = fopen(utf8_path.data(), "rb");
  if (!file) return -1;

  XML_Parser parser = XML_ParserCreate(nullptr);
  FaceNode* top = nullptr;
  XML_SetUserData(parser, &top);
  XML_SetElementHandler(parser, StartElementHandler, EndElementHandler);

  char* buffer = new char[1024];
  while (!feof(file)) {
    size_t read = fread(buffer, 1, 1024, file);
    if (ferror(file)) break;
    if (XML_Parse(parser, buffer, static_cast<int>(read), 0) ==
        XML_STATUS_ERROR) {
      fprintf(stderr, "%s at line %lu ->%s\n",
              XML_ErrorString(XML_GetErrorCode(parser)),
              static_cast<unsigned long>(XML_GetCurrentLineNumber(parser)),
              utf8_path.data());
      break;
    }
  }
  XML_Parse(parser, buffer, 0, 1);
  delete[] buffer;
  XML_ParserFree(parser);
  // Elements left open by an error or a truncated file.
  while (top) {
    FaceNode* parent = top->parent;
    delete top;
    top = parent;
  }
  fclose(file);
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
  if (rect && rect->height > 0) font.SetPointSize(rect->height);
  return font;
}

wxRect DomainFace::GetRect(const wxString& key) {
  const wxRect* rect = Find(key);
  return rect ? *rect : wxRect(0, 0, 0, 0);
}
