// The face file against the pictures its values describe.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "theme_test_util.h"

using namespace themetest;

namespace {

const char kMenuNormal[] = "/face/menu/text-normal-colour";
const char kMenuCurrent[] = "/face/menu/text-current-colour";
const char kExportCrop[] = "/face/base-button/export-button-crop";
const char kExportFont[] = "/face/base-button/export-button-crop/font";
const char kExportColour[] = "/face/base-button/export-button-crop/textcolour";
const char kTitleColour[] = "/face/titlebar/titletext-colour";

const std::map<std::string, FaceValue>& Face() {
  static const std::map<std::string, FaceValue> face = ReadFace(ThemeDir() + "/face.xml");
  return face;
}

FaceValue Value(const char* key) {
  auto it = Face().find(key);
  return it == Face().end() ? FaceValue() : it->second;
}

// Pixel height of a line of the default GUI font at a point size, with
// room for ascent and descent.
int LineHeight(int points) { return static_cast<int>(std::ceil(points * 96.0 / 72.0 * 1.2)); }

}  // namespace

TEST(FaceFile, HoldsTheSixKeysTheProgramReads) {
  for (const char* key :
       {kMenuNormal, kMenuCurrent, kExportCrop, kExportFont, kExportColour, kTitleColour})
    EXPECT_TRUE(Face().count(key)) << "missing: " << key;
}

TEST(FaceFile, ColoursAreWrittenAsBytes) {
  // Only the low eight bits count; anything outside 0 to 255 is a slip.
  for (const char* key : {kMenuNormal, kMenuCurrent, kExportColour, kTitleColour}) {
    FaceValue v = Value(key);
    for (int component : {v.x, v.y, v.width}) {
      EXPECT_GE(component, 0) << key;
      EXPECT_LE(component, 255) << key;
    }
  }
}

TEST(FaceFile, MenuCaptionsAreReadableOnTheMenuBar) {
  wxImage bar = LoadPicture("image/tool/menu_bar_bg.png");
  ASSERT_TRUE(bar.IsOk());
  Colour background = MeanColour(bar);
  Colour normal = FaceColour(Value(kMenuNormal));
  Colour current = FaceColour(Value(kMenuCurrent));
  EXPECT_GE(Contrast(normal, background), 4.5);
  EXPECT_GE(Contrast(current, background), 4.5);
  // The open menu's caption must stand out from the others.
  EXPECT_GE(Distance(normal, current), 60);
}

TEST(FaceFile, TitleTextIsReadableOnTheTitleBar) {
  wxImage title = LoadPicture("image/title/title_bg.png");
  ASSERT_TRUE(title.IsOk());
  EXPECT_GE(Contrast(FaceColour(Value(kTitleColour)), MeanColour(title)), 4.5);
}

TEST(FaceFile, ExportCropCutsEveryStateIntoCapsAndAPlainMiddle) {
  FaceValue crop = Value(kExportCrop);
  int points = Value(kExportFont).height;
  EXPECT_GE(points, 7);
  EXPECT_LE(points, 20);
  for (const char* entry : {"image/tool/export-normal.png", "image/tool/export-current.png",
                            "image/tool/export-pressed.png"}) {
    wxImage image = LoadPicture(entry);
    ASSERT_TRUE(image.IsOk()) << entry;
    EXPECT_GT(crop.x, 0) << entry;
    EXPECT_GT(crop.width, 0) << entry;
    ASSERT_LT(crop.x + crop.width, image.GetWidth()) << entry << ": no right cap left";
    // The middle is stretched under the caption: it may change only from
    // top to bottom.
    EXPECT_TRUE(RowsUniform(image, crop.x, crop.x + crop.width, 0))
        << entry << ": the middle piece changes across";
    EXPECT_GE(crop.y, 0) << entry;
    EXPECT_LE(crop.y + LineHeight(points), image.GetHeight()) << entry << ": caption too low";
  }
}

TEST(FaceFile, ExportCaptionIsReadableOnEveryState) {
  FaceValue crop = Value(kExportCrop);
  Colour caption = FaceColour(Value(kExportColour));
  int height = LineHeight(Value(kExportFont).height);
  for (const char* entry : {"image/tool/export-normal.png", "image/tool/export-current.png",
                            "image/tool/export-pressed.png"}) {
    wxImage image = LoadPicture(entry);
    ASSERT_TRUE(image.IsOk()) << entry;
    Colour under = MeanColour(image, wxRect(crop.x, crop.y, crop.width, height));
    EXPECT_GE(Contrast(caption, under), 4.5) << entry;
  }
}
