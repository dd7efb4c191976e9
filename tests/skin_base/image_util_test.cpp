#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/mstream.h>
#include <zip.h>

#include <string>

#include "common/image_util.h"
#include "test_support.h"

namespace {

wxColour PixelAt(const wxBitmap& bitmap, int x, int y) {
  wxImage image = bitmap.ConvertToImage();
  return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

wxBitmap Solid(int w, int h, const wxColour& colour) {
  wxImage image(w, h);
  image.SetRGB(wxRect(0, 0, w, h), colour.Red(), colour.Green(), colour.Blue());
  return wxBitmap(image, -1);
}

// A theme archive holding the given PNG pictures.
std::string MakeArchive(const std::vector<std::pair<std::string, wxImage>>& pictures) {
  std::string path = testsupport::MakeTempDir("theme") + "/default.zip";
  int error = 0;
  zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_EXCL, &error);
  std::vector<std::string> buffers;
  buffers.reserve(pictures.size());
  for (const auto& picture : pictures) {
    wxMemoryOutputStream out;
    picture.second.SaveFile(out, wxBITMAP_TYPE_PNG);
    std::string data(out.GetLength(), '\0');
    out.CopyTo(&data[0], data.size());
    buffers.push_back(data);
    zip_source_t* source =
        zip_source_buffer(zip, buffers.back().data(), buffers.back().size(), 0);
    zip_file_add(zip, picture.first.c_str(), source, ZIP_FL_OVERWRITE);
  }
  zip_close(zip);
  return path;
}

TEST(ImageUtil, TilingClipsTheLastRowAndColumn) {
  // A 10x10 tile whose corner pixel is marked, over a 25x12 bitmap.
  wxImage tile(10, 10);
  tile.SetRGB(wxRect(0, 0, 10, 10), 0, 0, 255);
  tile.SetRGB(0, 0, 255, 0, 0);
  wxBitmap small(tile, -1);
  wxBitmap big = Solid(25, 12, *wxWHITE);
  EXPECT_TRUE(ImageUtil::FillBigBitmapWithSmallBitmap(&big, &small));
  wxImage result = big.ConvertToImage();
  for (int x : {0, 10, 20})
    for (int y : {0, 10})
      EXPECT_EQ(result.GetRed(x, y), 255) << x << "," << y;
  // No stretched copies: the clipped pieces show the tile's own pixels.
  EXPECT_EQ(result.GetBlue(24, 11), 255);
  EXPECT_EQ(result.GetRed(24, 11), 0);
  EXPECT_EQ(result.GetRed(5, 5), 0);
}

TEST(ImageUtil, MaskToAlphaAndBack) {
  wxImage image(4, 1);
  image.SetRGB(0, 0, 255, 0, 255);  // the mask colour
  image.SetRGB(1, 0, 10, 20, 30);
  image.SetRGB(2, 0, 255, 0, 255);
  image.SetRGB(3, 0, 255, 0, 254);  // near, but not the mask colour
  image.SetMaskColour(255, 0, 255);
  wxBitmap masked(image, -1);
  wxImage alpha = GetBitmapWithAlpha(masked).ConvertToImage();
  ASSERT_TRUE(alpha.HasAlpha());
  EXPECT_FALSE(alpha.HasMask());
  EXPECT_EQ(alpha.GetAlpha(0, 0), 0);
  EXPECT_EQ(alpha.GetAlpha(1, 0), 255);
  EXPECT_EQ(alpha.GetAlpha(2, 0), 0);
  EXPECT_EQ(alpha.GetAlpha(3, 0), 255);

  wxImage with_alpha(2, 1);
  with_alpha.InitAlpha();
  with_alpha.SetAlpha(0, 0, 77);
  wxBitmap already(with_alpha, 32);
  wxBitmap same = GetBitmapWithAlpha(already);
  EXPECT_TRUE(same.IsSameAs(already));
}

TEST(ImageUtil, EntriesLoadByPathAndMissingOnesAreNull) {
  wxImage picture(3, 2);
  picture.SetRGB(wxRect(0, 0, 3, 2), 1, 2, 3);
  ImageUtil::SetThemeArchivePath(
      wxString::FromUTF8(MakeArchive({{"image/tool/x.png", picture}})));
  wxBitmap loaded = ImageUtil::GetBitmapResource("image/tool/x.png", wxBITMAP_TYPE_PNG);
  ASSERT_TRUE(loaded.IsOk());
  EXPECT_EQ(loaded.GetSize(), wxSize(3, 2));
  EXPECT_EQ(PixelAt(loaded, 2, 1), wxColour(1, 2, 3));

  EXPECT_FALSE(ImageUtil::GetBitmapResource("image/none.png", wxBITMAP_TYPE_PNG).IsOk());
  EXPECT_EQ(ImageUtil::GetBitmapResourceP("image/none.png", wxBITMAP_TYPE_PNG), nullptr);
  EXPECT_EQ(ImageUtil::GetWholeMaskImage("image/none.png", 128, wxBITMAP_TYPE_PNG), nullptr);
  ImageUtil::SetThemeArchivePath("/nonexistent/default.zip");
  EXPECT_EQ(ImageUtil::GetBitmapResourceP("image/tool/x.png", wxBITMAP_TYPE_PNG), nullptr);
  ImageUtil::SetThemeArchivePath("");
}

TEST(ImageUtil, AlphaThresholdClearsOnlyTheFaintPixels) {
  const unsigned char alphas[] = {0, 1, 127, 128, 255};
  wxImage picture(5, 1);
  picture.SetRGB(wxRect(0, 0, 5, 1), 200, 100, 50);
  picture.InitAlpha();
  for (int x = 0; x < 5; ++x) picture.SetAlpha(x, 0, alphas[x]);
  ImageUtil::SetThemeArchivePath(
      wxString::FromUTF8(MakeArchive({{"a.png", picture}})));
  wxBitmap* bitmap = ImageUtil::GetWholeMaskImage("a.png", 128, wxBITMAP_TYPE_PNG);
  ImageUtil::SetThemeArchivePath("");
  ASSERT_NE(bitmap, nullptr);
  wxImage result = bitmap->ConvertToImage();
  delete bitmap;
  ASSERT_TRUE(result.HasAlpha());
  const unsigned char expected[] = {0, 0, 0, 128, 255};
  for (int x = 0; x < 5; ++x)
    EXPECT_EQ(result.GetAlpha(x, 0), expected[x]) << x;
}

TEST(ImageUtil, CuttingSkipsMaskedSourcePixels) {
  // 20x20 source: left half is the mask colour, right half green.
  wxImage source(20, 20);
  source.SetRGB(wxRect(0, 0, 10, 20), 255, 0, 255);
  source.SetRGB(wxRect(10, 0, 10, 20), 0, 200, 0);
  source.SetMaskColour(255, 0, 255);
  wxBitmap source_bitmap(source, -1);
  ASSERT_TRUE(source_bitmap.GetMask());

  wxBitmap cut = ImageUtil::GetBackgroundImageFromPosition(source_bitmap, 5, 5, 10, 10);
  ASSERT_EQ(cut.GetSize(), wxSize(10, 10));
  // The right half of the rectangle comes from the source.
  EXPECT_EQ(PixelAt(cut, 5, 3), wxColour(0, 200, 0));
  EXPECT_EQ(PixelAt(cut, 9, 9), wxColour(0, 200, 0));
  // The covered half is not written: it is not the mask colour.
  EXPECT_NE(PixelAt(cut, 2, 3), wxColour(255, 0, 255));

  wxBitmap* owned = ImageUtil::GetBackgroundImageFromPositionP(source_bitmap, 10, 0, 4, 4);
  ASSERT_NE(owned, nullptr);
  EXPECT_EQ(PixelAt(*owned, 0, 0), wxColour(0, 200, 0));
  delete owned;
}

TEST(ImageUtil, BrushFillRepeatsFromTheTopLeft) {
  wxImage pattern(2, 1);
  pattern.SetRGB(0, 0, 255, 0, 0);
  pattern.SetRGB(1, 0, 0, 0, 255);
  wxBitmap pattern_bitmap(pattern, -1);
  wxBitmap target = Solid(5, 2, *wxWHITE);
  DrawBrushBitmap(&target, pattern_bitmap);
  EXPECT_EQ(PixelAt(target, 0, 0), wxColour(255, 0, 0));
  EXPECT_EQ(PixelAt(target, 1, 1), wxColour(0, 0, 255));
  EXPECT_EQ(PixelAt(target, 4, 0), wxColour(255, 0, 0));
}

}  // namespace
