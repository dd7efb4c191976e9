#ifndef PORTIVA_TESTS_THEME_THEME_TEST_UTIL_H
#define PORTIVA_TESTS_THEME_THEME_TEST_UTIL_H

#include <wx/gdicmn.h>
#include <wx/image.h>

#include <map>
#include <string>
#include <vector>

namespace themetest {

// Themes/ of the build's install tree.
std::string ThemeDir();

// Every entry of Themes/default.zip by name, read once.
const std::map<std::string, std::string>& ArchiveEntries();
// Names in archive order, directories included.
const std::vector<std::string>& ArchiveNames();

// The entry decoded as PNG; an invalid image when missing or undecodable.
wxImage LoadPicture(const std::string& entry);

struct Colour {
  double r = 0, g = 0, b = 0;
};
Colour PixelColour(const wxImage& image, int x, int y);
// Mean colour of the rectangle, clipped to the image, ignoring alpha.
Colour MeanColour(const wxImage& image, const wxRect& rect);
Colour MeanColour(const wxImage& image);
double Distance(const Colour& a, const Colour& b);
// Contrast ratio of two colours after the usual sRGB luminance rule
// (1 for equal colours, 21 for black on white).
double Contrast(const Colour& a, const Colour& b);
// Mean absolute difference per channel (alpha included), 0 to 255.
double MeanDifference(const wxImage& a, const wxImage& b);
bool IsOpaque(const wxImage& image);
// Whether every row has one colour (and alpha) from x0 to x1 (exclusive).
bool RowsUniform(const wxImage& image, int x0, int x1, int tolerance);

// The face file read the way the program reads it: key path of every
// element that has attributes, with x, y, width and (any other name)
// height converted like atoi.
struct FaceValue {
  int x = 0, y = 0, width = 0, height = 0;
};
std::map<std::string, FaceValue> ReadFace(const std::string& path);
Colour FaceColour(const FaceValue& value);

}  // namespace themetest

#endif
