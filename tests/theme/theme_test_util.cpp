#include "theme_test_util.h"

#include <expat.h>
#include <gtest/gtest.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <zip.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace themetest {

std::string ThemeDir() {
  const char* root = getenv("PORTIVA_TEST_ROOT");
  return std::string(root ? root : PORTIVA_DEFAULT_TEST_ROOT) + "/Themes";
}

namespace {

struct Archive {
  std::map<std::string, std::string> entries;
  std::vector<std::string> names;
};

const Archive& TheArchive() {
  static const Archive archive = [] {
    Archive result;
    std::string path = ThemeDir() + "/default.zip";
    int error = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (!zip) {
      ADD_FAILURE() << "cannot open " << path << " (libzip error " << error << ")";
      return result;
    }
    zip_int64_t count = zip_get_num_entries(zip, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
      zip_stat_t stat;
      if (zip_stat_index(zip, i, 0, &stat) != 0) continue;
      std::string name = stat.name;
      result.names.push_back(name);
      std::string data(stat.size, '\0');
      zip_file_t* file = zip_fopen_index(zip, i, 0);
      if (!file) continue;
      zip_int64_t got = zip_fread(file, data.data(), stat.size);
      zip_fclose(file);
      if (got == static_cast<zip_int64_t>(stat.size)) result.entries[name] = data;
    }
    zip_close(zip);
    return result;
  }();
  return archive;
}

double Linear(double c) {
  c /= 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(const Colour& c) {
  return 0.2126 * Linear(c.r) + 0.7152 * Linear(c.g) + 0.0722 * Linear(c.b);
}

unsigned char Alpha(const wxImage& image, int x, int y) {
  return image.HasAlpha() ? image.GetAlpha(x, y) : 255;
}

struct Node {
  Node* parent;
  std::string key;
};

struct FaceParse {
  Node* top = nullptr;
  std::map<std::string, FaceValue>* values = nullptr;
};

void XMLCALL Start(void* data, const XML_Char* name, const XML_Char** attributes) {
  FaceParse* parse = static_cast<FaceParse*>(data);
  Node* node = new Node{parse->top, (parse->top ? parse->top->key : "") + "/" + name};
  parse->top = node;
  if (!attributes[0]) return;
  FaceValue value;
  for (int i = 0; attributes[i]; i += 2) {
    std::string attribute = attributes[i];
    int number = atoi(attributes[i + 1]);
    if (attribute == "x") value.x = number;
    else if (attribute == "y") value.y = number;
    else if (attribute == "width") value.width = number;
    else value.height = number;
  }
  (*parse->values)[node->key] = value;
}

void XMLCALL End(void* data, const XML_Char*) {
  FaceParse* parse = static_cast<FaceParse*>(data);
  Node* node = parse->top;
  parse->top = node->parent;
  delete node;
}

}  // namespace

const std::map<std::string, std::string>& ArchiveEntries() { return TheArchive().entries; }

const std::vector<std::string>& ArchiveNames() { return TheArchive().names; }

wxImage LoadPicture(const std::string& entry) {
  const auto& entries = ArchiveEntries();
  auto it = entries.find(entry);
  if (it == entries.end()) return wxImage();
  wxMemoryInputStream stream(it->second.data(), it->second.size());
  wxImage image;
  wxLogNull quiet;
  image.LoadFile(stream, wxBITMAP_TYPE_PNG);
  return image;
}

Colour PixelColour(const wxImage& image, int x, int y) {
  return Colour{double(image.GetRed(x, y)), double(image.GetGreen(x, y)),
                double(image.GetBlue(x, y))};
}

Colour MeanColour(const wxImage& image, const wxRect& rect) {
  wxRect clipped = rect.Intersect(wxRect(0, 0, image.GetWidth(), image.GetHeight()));
  Colour sum;
  int n = 0;
  for (int y = clipped.y; y < clipped.GetBottom() + 1; ++y) {
    for (int x = clipped.x; x < clipped.GetRight() + 1; ++x) {
      Colour c = PixelColour(image, x, y);
      sum.r += c.r;
      sum.g += c.g;
      sum.b += c.b;
      ++n;
    }
  }
  if (n) {
    sum.r /= n;
    sum.g /= n;
    sum.b /= n;
  }
  return sum;
}

Colour MeanColour(const wxImage& image) {
  return MeanColour(image, wxRect(0, 0, image.GetWidth(), image.GetHeight()));
}

double Distance(const Colour& a, const Colour& b) {
  return std::sqrt((a.r - b.r) * (a.r - b.r) + (a.g - b.g) * (a.g - b.g) +
                   (a.b - b.b) * (a.b - b.b));
}

double Contrast(const Colour& a, const Colour& b) {
  double la = Luminance(a) + 0.05, lb = Luminance(b) + 0.05;
  return la > lb ? la / lb : lb / la;
}

double MeanDifference(const wxImage& a, const wxImage& b) {
  if (a.GetSize() != b.GetSize()) return 255;
  double sum = 0;
  for (int y = 0; y < a.GetHeight(); ++y) {
    for (int x = 0; x < a.GetWidth(); ++x) {
      sum += std::abs(a.GetRed(x, y) - b.GetRed(x, y));
      sum += std::abs(a.GetGreen(x, y) - b.GetGreen(x, y));
      sum += std::abs(a.GetBlue(x, y) - b.GetBlue(x, y));
      sum += std::abs(Alpha(a, x, y) - Alpha(b, x, y));
    }
  }
  return sum / (4.0 * a.GetWidth() * a.GetHeight());
}

bool IsOpaque(const wxImage& image) {
  if (!image.HasAlpha()) return !image.HasMask();
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x)
      if (image.GetAlpha(x, y) != 255) return false;
  return true;
}

bool RowsUniform(const wxImage& image, int x0, int x1, int tolerance) {
  for (int y = 0; y < image.GetHeight(); ++y) {
    for (int x = x0 + 1; x < x1; ++x) {
      if (std::abs(image.GetRed(x, y) - image.GetRed(x0, y)) > tolerance ||
          std::abs(image.GetGreen(x, y) - image.GetGreen(x0, y)) > tolerance ||
          std::abs(image.GetBlue(x, y) - image.GetBlue(x0, y)) > tolerance ||
          std::abs(Alpha(image, x, y) - Alpha(image, x0, y)) > tolerance)
        return false;
    }
  }
  return true;
}

std::map<std::string, FaceValue> ReadFace(const std::string& path) {
  std::map<std::string, FaceValue> values;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    ADD_FAILURE() << "cannot read " << path;
    return values;
  }
  std::stringstream text;
  text << in.rdbuf();
  std::string content = text.str();

  FaceParse parse;
  parse.values = &values;
  XML_Parser parser = XML_ParserCreate(nullptr);
  XML_SetUserData(parser, &parse);
  XML_SetElementHandler(parser, Start, End);
  if (XML_Parse(parser, content.data(), static_cast<int>(content.size()), 1) ==
      XML_STATUS_ERROR) {
    ADD_FAILURE() << path << ": " << XML_ErrorString(XML_GetErrorCode(parser))
                  << " at line " << XML_GetCurrentLineNumber(parser);
  }
  XML_ParserFree(parser);
  while (parse.top) End(&parse, nullptr);
  return values;
}

Colour FaceColour(const FaceValue& value) {
  return Colour{double(value.x & 0xff), double(value.y & 0xff), double(value.width & 0xff)};
}

}  // namespace themetest

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  wxInitializer toolkit;
  if (!toolkit.IsOk()) {
    fprintf(stderr, "cannot initialise the toolkit\n");
    return 1;
  }
  wxImage::AddHandler(new wxPNGHandler);
  return RUN_ALL_TESTS();
}
