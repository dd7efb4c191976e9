#include "common/thumbnail_decoder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// jpeglib.h needs stdio.h's FILE first.
#include <jpeglib.h>
#include <libheif/heif.h>
#include <png.h>

#include "test_support.h"

namespace {

constexpr int kTile = 100;

struct Rgb {
  uint8_t r, g, b;
};
constexpr Rgb kRed{220, 30, 30}, kGreen{30, 200, 30}, kBlue{30, 30, 220},
    kWhite{240, 240, 240}, kYellow{230, 220, 30};

using Paint = std::function<Rgb(int x, int y)>;

Paint Solid(Rgb c) {
  return [c](int, int) { return c; };
}
Paint TopBottom(int height, Rgb top, Rgb bottom) {
  return [=](int, int y) { return y < height / 2 ? top : bottom; };
}
Paint Quadrants(int width, int height, Rgb tl, Rgb tr, Rgb bl, Rgb br) {
  return [=](int x, int y) {
    const bool right = x >= width / 2, low = y >= height / 2;
    return low ? (right ? br : bl) : (right ? tr : tl);
  };
}

std::string EncodeJpeg(int width, int height, const Paint& paint, int quality = 95) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* mem = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &mem, &size);
  c.image_width = width;
  c.image_height = height;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
  while (c.next_scanline < c.image_height) {
    for (int x = 0; x < width; ++x) {
      const Rgb p = paint(x, static_cast<int>(c.next_scanline));
      row[3 * x] = p.r;
      row[3 * x + 1] = p.g;
      row[3 * x + 2] = p.b;
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::string out(reinterpret_cast<char*>(mem), size);
  free(mem);
  return out;
}

// A TIFF structure as cameras put in APP1: IFD0 with a model name and the
// orientation, IFD1 pointing at an embedded JPEG. The positions of the
// fields let cases garble them.
struct Exif {
  bool big_endian = false;
  std::string tiff;
  size_t ifd0_count = 0;  // where IFD0's entry count is
  size_t ifd1_pointer = 0;
  size_t thumb_offset = 0;  // where the JPEGInterchangeFormat value is
  size_t thumb_length = 0;

  void Put16(size_t at, uint32_t v) {
    tiff[at] = static_cast<char>(big_endian ? v >> 8 : v);
    tiff[at + 1] = static_cast<char>(big_endian ? v : v >> 8);
  }
  void Put32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
      tiff[at + i] = static_cast<char>(v >> (big_endian ? 24 - 8 * i : 8 * i));
  }
  size_t Add16(uint32_t v) {
    tiff.append(2, '\0');
    Put16(tiff.size() - 2, v);
    return tiff.size() - 2;
  }
  size_t Add32(uint32_t v) {
    tiff.append(4, '\0');
    Put32(tiff.size() - 4, v);
    return tiff.size() - 4;
  }
  // One entry; returns where its value field is.
  size_t AddEntry(uint32_t tag, uint32_t type, uint32_t value) {
    Add16(tag);
    Add16(type);
    Add32(1);
    if (type == 3) {
      const size_t at = Add16(value);
      Add16(0);
      return at;
    }
    return Add32(value);
  }
};

// orientation 0 leaves the tag out; an empty thumb leaves IFD1 out.
Exif BuildExif(bool big_endian, int orientation, const std::string& thumb) {
  Exif e;
  e.big_endian = big_endian;
  e.tiff = big_endian ? "MM" : "II";
  e.Add16(42);
  e.Add32(8);
  e.ifd0_count = e.Add16(orientation ? 2 : 1);
  // Model, four ASCII bytes held in the entry itself.
  e.Add16(0x0110);
  e.Add16(2);
  e.Add32(4);
  e.tiff.append("cam", 4);
  if (orientation) e.AddEntry(0x0112, 3, static_cast<uint32_t>(orientation));
  e.ifd1_pointer = e.Add32(0);
  if (!thumb.empty()) {
    e.Put32(e.ifd1_pointer, static_cast<uint32_t>(e.tiff.size()));
    e.Add16(3);
    e.AddEntry(0x0103, 3, 6);
    e.thumb_offset = e.AddEntry(0x0201, 4, 0);
    e.thumb_length = e.AddEntry(0x0202, 4, static_cast<uint32_t>(thumb.size()));
    e.Add32(0);
    e.Put32(e.thumb_offset, static_cast<uint32_t>(e.tiff.size()));
    e.tiff += thumb;
  }
  return e;
}

std::string WithExif(const std::string& jpeg, const std::string& tiff) {
  const size_t length = 2 + 6 + tiff.size();
  std::string app1 = "\xFF\xE1";
  app1 += static_cast<char>(length >> 8);
  app1 += static_cast<char>(length & 0xFF);
  app1 += std::string("Exif\0\0", 6) + tiff;
  return jpeg.substr(0, 2) + app1 + jpeg.substr(2);
}

bool WritePng(const std::string& path, int width, int height,
              const std::function<void(int x, int y, uint8_t* rgba)>& paint) {
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) paint(x, y, &pixels[(static_cast<size_t>(y) * width + x) * 4]);
  png_image image;
  memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = width;
  image.height = height;
  image.format = PNG_FORMAT_RGBA;
  return png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr) != 0;
}

// A whole, valid greyscale PNG of any size, written a row at a time.
bool WriteHugePng(const std::string& path, int width, int height) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<uint8_t> row(static_cast<size_t>(width), 0x80);
  bool ok = png && info;
  if (ok && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, f);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, 0, PNG_FILTER_NONE);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) png_write_row(png, row.data());
    png_write_end(png, nullptr);
  } else {
    ok = false;
  }
  png_destroy_write_struct(&png, &info);
  return fclose(f) == 0 && ok;
}

heif_image* MakeHeifImage(int width, int height, const Paint& paint) {
  heif_image* image = nullptr;
  if (heif_image_create(width, height, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image)
          .code != heif_error_Ok)
    return nullptr;
  heif_image_add_plane(image, heif_channel_interleaved, width, height, 8);
  int stride = 0;
  uint8_t* p = heif_image_get_plane(image, heif_channel_interleaved, &stride);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const Rgb c = paint(x, y);
      uint8_t* q = p + static_cast<size_t>(y) * stride + 3 * x;
      q[0] = c.r;
      q[1] = c.g;
      q[2] = c.b;
    }
  return image;
}

// Painted at width x height, then scaled by the encoder to fit bbox.
struct HeifThumb {
  int width = 0;  // 0: none
  int height = 0;
  int bbox = 0;
  Paint paint;
};

// Thumbnail and picture are stored the same way and carry the same
// orientation, as a camera writes them.
bool WriteHeif(const std::string& path, int width, int height, const Paint& paint,
               int orientation = 1, const HeifThumb& thumb = {}) {
  heif_context* ctx = heif_context_alloc();
  heif_encoder* encoder = nullptr;
  if (heif_context_get_encoder_for_format(ctx, heif_compression_HEVC, &encoder).code !=
      heif_error_Ok) {
    heif_context_free(ctx);
    return false;
  }
  heif_encoder_set_lossy_quality(encoder, 90);
  heif_encoder_set_logging_level(encoder, 0);
  heif_encoding_options* options = heif_encoding_options_alloc();
  options->image_orientation = static_cast<heif_orientation>(orientation);
  heif_image* image = MakeHeifImage(width, height, paint);
  heif_image_handle* handle = nullptr;
  bool ok = image && heif_context_encode_image(ctx, image, encoder, options, &handle).code ==
                         heif_error_Ok;
  if (ok && thumb.width > 0) {
    // Encoding another image and assigning it as the thumbnail swaps the
    // two in libheif 1.15; this call gets it right.
    heif_image* other = MakeHeifImage(thumb.width, thumb.height, thumb.paint);
    heif_image_handle* thumb_handle = nullptr;
    ok = other && heif_context_encode_thumbnail(ctx, other, handle, encoder, options, thumb.bbox,
                                                &thumb_handle)
                          .code == heif_error_Ok &&
         thumb_handle;
    heif_image_handle_release(thumb_handle);
    heif_image_release(other);
  }
  ok = ok && heif_context_write_to_file(ctx, path.c_str()).code == heif_error_Ok;
  heif_image_handle_release(handle);
  heif_image_release(image);
  heif_encoding_options_free(options);
  heif_encoder_release(encoder);
  heif_context_free(ctx);
  return ok;
}

struct Px {
  int r, g, b, a;
};

Px At(const wxImage& image, int x, int y) {
  const unsigned char* d = image.GetData() + 3 * (static_cast<size_t>(y) * image.GetWidth() + x);
  return {d[0], d[1], d[2], image.GetAlpha(x, y)};
}

::testing::AssertionResult Near(const Px& p, Rgb c, int tolerance = 40) {
  if (p.a == 255 && std::abs(p.r - c.r) <= tolerance && std::abs(p.g - c.g) <= tolerance &&
      std::abs(p.b - c.b) <= tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "pixel (" << p.r << "," << p.g << "," << p.b << ","
                                       << p.a << ") is not (" << int(c.r) << "," << int(c.g)
                                       << "," << int(c.b) << ",255)";
}

// The opaque part of a decoded tile.
struct Band {
  int left = kTile, top = kTile, right = -1, bottom = -1;
  int width() const { return right - left + 1; }
  int height() const { return bottom - top + 1; }
};

Band OpaqueBand(const wxImage& image) {
  Band b;
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x)
      if (image.GetAlpha(x, y) > 0) {
        b.left = std::min(b.left, x);
        b.right = std::max(b.right, x);
        b.top = std::min(b.top, y);
        b.bottom = std::max(b.bottom, y);
      }
  return b;
}

// Pixels at the middle of each quarter of the band.
Px Quarter(const wxImage& image, const Band& b, bool right, bool low) {
  return At(image, b.left + b.width() * (right ? 3 : 1) / 4,
            b.top + b.height() * (low ? 3 : 1) / 4);
}

class ThumbnailDecoderTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = testsupport::MakeTempDir("thumbs"); }
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = dir_ + "/" + name;
    testsupport::WriteFile(path, bytes);
    return path;
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  std::string dir_;
};

TEST_F(ThumbnailDecoderTest, SniffsTheContentNotTheName) {
  const std::string jpeg = EncodeJpeg(64, 48, Solid(kRed));
  const std::string heif = Path("photo.JPG");
  ASSERT_TRUE(WriteHeif(heif, 64, 64, Solid(kBlue)));
  const std::string png = Path("photo.jpeg");
  ASSERT_TRUE(WritePng(png, 8, 8, [](int, int, uint8_t* p) { p[0] = p[1] = p[2] = p[3] = 200; }));
  const struct {
    std::string path;
    PictureFormat format;
  } kCases[] = {
      {Write("x.png", jpeg), PictureFormat::kJpeg},
      {Write("IMG_0001.JPG", jpeg), PictureFormat::kJpeg},
      {png, PictureFormat::kPng},
      {heif, PictureFormat::kHeif},
      {Write("anim.gif", "GIF89a\x01\0\x01\0\0\0\0;"), PictureFormat::kUnknown},
      {Write("notes.jpg", "just some text, long enough to look at"), PictureFormat::kUnknown},
      // AVIF shares the container but is not a camera-roll format here.
      {Write("pic.heic", std::string("\0\0\0\x1C" "ftypavif\0\0\0\0avifmif1miaf", 28)),
       PictureFormat::kUnknown},
      {Write("empty.jpg", ""), PictureFormat::kUnknown},
      {Path("missing.jpg"), PictureFormat::kUnknown},
      {dir_, PictureFormat::kUnknown},
  };
  for (const auto& c : kCases) EXPECT_EQ(SniffPictureFormat(c.path), c.format) << c.path;

  wxImage image;
  ThumbnailInfo info;
  ASSERT_TRUE(DecodeThumbnail(kCases[0].path, kTile, &image, &info));
  EXPECT_EQ(info.format, PictureFormat::kJpeg);
  EXPECT_TRUE(Near(At(image, 50, 50), kRed));
}

// The picture fits the tile with its shape kept, centred, never enlarged;
// the rest of the tile is see-through.
TEST_F(ThumbnailDecoderTest, FitsCentredKeepingTheShape) {
  const struct {
    const char* name;
    int width, height;
    bool png;
    Band band;
  } kCases[] = {
      {"wide.jpg", 400, 100, false, {0, 37, 99, 61}},
      {"tall.jpg", 100, 400, false, {37, 0, 61, 99}},
      {"big.jpg", 4000, 3000, false, {0, 12, 99, 86}},
      {"small.jpg", 60, 40, false, {20, 30, 79, 69}},
      {"exact.jpg", 100, 100, false, {0, 0, 99, 99}},
      {"wide.png", 400, 100, true, {0, 37, 99, 61}},
      {"small.png", 30, 70, true, {35, 15, 64, 84}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string path = Path(c.name);
    if (c.png) {
      ASSERT_TRUE(WritePng(path, c.width, c.height, [](int, int, uint8_t* p) {
        p[0] = kBlue.r, p[1] = kBlue.g, p[2] = kBlue.b, p[3] = 255;
      }));
    } else {
      testsupport::WriteFile(path, EncodeJpeg(c.width, c.height, Solid(kBlue)));
    }
    wxImage image;
    ThumbnailInfo info;
    ASSERT_TRUE(DecodeThumbnail(path, kTile, &image, &info));
    ASSERT_EQ(image.GetWidth(), kTile);
    ASSERT_EQ(image.GetHeight(), kTile);
    ASSERT_TRUE(image.HasAlpha());
    EXPECT_EQ(info.source_width, c.width);
    EXPECT_EQ(info.source_height, c.height);
    EXPECT_FALSE(info.from_embedded);
    const Band b = OpaqueBand(image);
    EXPECT_EQ(b.left, c.band.left);
    EXPECT_EQ(b.top, c.band.top);
    EXPECT_EQ(b.right, c.band.right);
    EXPECT_EQ(b.bottom, c.band.bottom);
    // Opaque right to its edges, transparent outside.
    for (int y = b.top; y <= b.bottom; ++y)
      for (int x = b.left; x <= b.right; ++x) ASSERT_TRUE(Near(At(image, x, y), kBlue));
    if (b.top > 0) {
      EXPECT_EQ(At(image, 50, b.top - 1).a, 0);
    }
    if (b.left > 0) {
      EXPECT_EQ(At(image, b.left - 1, 50).a, 0);
    }
  }
}

// Fine stripes must average to grey, not come out as bold bands: through
// the JPEG decoder's own reduction, and through the scaling alone.
TEST_F(ThumbnailDecoderTest, DownscalesWithoutAliasing) {
  const std::string jpeg = Path("stripes.jpg");
  testsupport::WriteFile(jpeg, EncodeJpeg(3000, 3000, [](int x, int) {
                           return (x / 3) % 2 ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
                         }));
  const std::string png = Path("stripes.png");
  ASSERT_TRUE(WritePng(png, 390, 390, [](int x, int, uint8_t* p) {
    p[0] = p[1] = p[2] = (x / 2) % 2 ? 255 : 0;
    p[3] = 255;
  }));
  for (const std::string& path : {jpeg, png}) {
    SCOPED_TRACE(path);
    wxImage image;
    ASSERT_TRUE(DecodeThumbnail(path, kTile, &image));
    int lowest = 255, highest = 0;
    for (int x = 5; x < 95; ++x) {
      lowest = std::min(lowest, At(image, x, 50).r);
      highest = std::max(highest, At(image, x, 50).r);
    }
    EXPECT_GT(lowest, 90);
    EXPECT_LT(highest, 165);
  }
}

// Every EXIF orientation, in both byte orders, shows the picture upright.
// The stored picture is 160 x 80 with red, green, blue and white quarters
// (top-left, top-right, bottom-left, bottom-right).
TEST_F(ThumbnailDecoderTest, TurnsJpegUprightByExifOrientation) {
  const std::string plain =
      EncodeJpeg(160, 80, Quadrants(160, 80, kRed, kGreen, kBlue, kWhite));
  const struct {
    int orientation;
    Rgb tl, tr, bl, br;  // as displayed
  } kCases[] = {
      {1, kRed, kGreen, kBlue, kWhite},
      {2, kGreen, kRed, kWhite, kBlue},   // mirrored left to right
      {3, kWhite, kBlue, kGreen, kRed},   // half a turn
      {4, kBlue, kWhite, kRed, kGreen},   // mirrored top to bottom
      {5, kRed, kBlue, kGreen, kWhite},   // mirrored about the diagonal
      {6, kBlue, kRed, kWhite, kGreen},   // needs a quarter turn clockwise
      {7, kWhite, kGreen, kBlue, kRed},   // mirrored about the other diagonal
      {8, kGreen, kWhite, kRed, kBlue},   // needs a quarter turn anticlockwise
      {9, kRed, kGreen, kBlue, kWhite},   // out of range: as stored
  };
  for (bool big_endian : {false, true}) {
    for (const auto& c : kCases) {
      SCOPED_TRACE(::testing::Message() << "orientation " << c.orientation
                                        << (big_endian ? " big-endian" : " little-endian"));
      const std::string path =
          Write("turned.jpg", WithExif(plain, BuildExif(big_endian, c.orientation, "").tiff));
      wxImage image;
      ThumbnailInfo info;
      ASSERT_TRUE(DecodeThumbnail(path, kTile, &image, &info));
      const bool turned = c.orientation >= 5 && c.orientation <= 8;
      EXPECT_EQ(info.source_width, turned ? 80 : 160);
      EXPECT_EQ(info.source_height, turned ? 160 : 80);
      const Band b = OpaqueBand(image);
      EXPECT_EQ(b.width(), turned ? 50 : 100);
      EXPECT_EQ(b.height(), turned ? 100 : 50);
      EXPECT_TRUE(Near(Quarter(image, b, false, false), c.tl));
      EXPECT_TRUE(Near(Quarter(image, b, true, false), c.tr));
      EXPECT_TRUE(Near(Quarter(image, b, false, true), c.bl));
      EXPECT_TRUE(Near(Quarter(image, b, true, true), c.br));
    }
  }
}

// The embedded preview is green, the picture red: the colour tells which
// one was decoded.
TEST_F(ThumbnailDecoderTest, UsesTheEmbeddedPreviewOnlyWhenItFits) {
  const struct {
    const char* what;
    int width, height;          // the picture
    int thumb_width, thumb_height;
    int orientation;
    bool embedded;
  } kCases[] = {
      {"same shape, big enough", 640, 480, 160, 120, 1, true},
      {"letterboxed 16:9 in 4:3", 640, 360, 160, 120, 1, false},
      {"smaller than the tile", 640, 480, 80, 60, 1, false},
      {"within the shape tolerance", 645, 480, 160, 120, 1, true},
      {"turned by the picture's orientation", 640, 480, 160, 120, 6, true},
  };
  for (bool big_endian : {false, true}) {
    for (const auto& c : kCases) {
      SCOPED_TRACE(::testing::Message() << c.what << (big_endian ? " big-endian" : ""));
      const std::string thumb = EncodeJpeg(c.thumb_width, c.thumb_height,
                                           TopBottom(c.thumb_height, kGreen, kYellow), 90);
      const std::string main =
          EncodeJpeg(c.width, c.height, TopBottom(c.height, kRed, kBlue));
      const std::string path =
          Write("preview.jpg", WithExif(main, BuildExif(big_endian, c.orientation, thumb).tiff));
      wxImage image;
      ThumbnailInfo info;
      ASSERT_TRUE(DecodeThumbnail(path, kTile, &image, &info));
      EXPECT_EQ(info.from_embedded, c.embedded);
      const bool turned = c.orientation == 6;
      EXPECT_EQ(info.source_width, turned ? c.height : c.width);
      const Band b = OpaqueBand(image);
      // The tile takes the picture's shape whichever source it came from.
      const int shown_width = turned ? c.height : c.width;
      const int shown_height = turned ? c.width : c.height;
      EXPECT_NEAR(double(b.width()) / b.height(), double(shown_width) / shown_height, 0.03);
      const Rgb first = c.embedded ? kGreen : kRed;    // the stored top half
      const Rgb second = c.embedded ? kYellow : kBlue;
      if (turned) {
        EXPECT_TRUE(Near(Quarter(image, b, true, false), first));
        EXPECT_TRUE(Near(Quarter(image, b, false, false), second));
      } else {
        EXPECT_TRUE(Near(Quarter(image, b, false, false), first));
        EXPECT_TRUE(Near(Quarter(image, b, false, true), second));
      }
    }
  }
}

// Long segments ahead of the EXIF block (maker data, colour profiles) push
// the first scan far into the file; the preview is still found, and the
// picture still decodes when the preview does not fit.
TEST_F(ThumbnailDecoderTest, FindsThePreviewBehindLongSegments) {
  std::string padding;
  for (int i = 0; i < 3; ++i)  // three APP15 segments of 40000 bytes
    padding += std::string("\xFF\xEF\x9C\x40", 4) + std::string(40000 - 2, 'p');
  const struct {
    int thumb_width, thumb_height;
    bool embedded;
  } kCases[] = {{160, 120, true}, {160, 90, false}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.embedded ? "fits" : "letterboxed");
    const std::string thumb = EncodeJpeg(c.thumb_width, c.thumb_height, Solid(kGreen), 90);
    const std::string jpeg =
        WithExif(EncodeJpeg(640, 480, Solid(kRed)), BuildExif(true, 3, thumb).tiff);
    const std::string path = Write("padded.jpg", jpeg.substr(0, 2) + padding + jpeg.substr(2));
    wxImage image;
    ThumbnailInfo info;
    ASSERT_TRUE(DecodeThumbnail(path, kTile, &image, &info));
    EXPECT_EQ(info.from_embedded, c.embedded);
    EXPECT_TRUE(Near(At(image, 50, 50), c.embedded ? kGreen : kRed));
  }
}

// EXIF from a device is untrusted: whatever its offsets and counts say,
// the picture itself still decodes, and nothing is read out of bounds.
TEST_F(ThumbnailDecoderTest, SurvivesGarbledExif) {
  const std::string thumb = EncodeJpeg(160, 120, Solid(kGreen), 90);
  const std::string main = EncodeJpeg(640, 480, Solid(kRed));
  const struct {
    const char* what;
    std::function<void(Exif&)> garble;
  } kCases[] = {
      {"preview offset past the end",
       [](Exif& e) { e.Put32(e.thumb_offset, static_cast<uint32_t>(e.tiff.size() + 100)); }},
      {"preview length past the end",
       [](Exif& e) { e.Put32(e.thumb_length, static_cast<uint32_t>(e.tiff.size())); }},
      {"offset plus length wraps around",
       [](Exif& e) {
         e.Put32(e.thumb_offset, 0xFFFFFFF0u);
         e.Put32(e.thumb_length, 0x20);
       }},
      {"preview offset at no JPEG", [](Exif& e) { e.Put32(e.thumb_offset, 8); }},
      {"preview cut short",
       [&thumb](Exif& e) { e.Put32(e.thumb_length, static_cast<uint32_t>(thumb.size() / 2)); }},
      {"IFD1 past the end", [](Exif& e) { e.Put32(e.ifd1_pointer, 0x7FFFFFF0u); }},
      {"IFD1 is IFD0 again", [](Exif& e) { e.Put32(e.ifd1_pointer, 8); }},
      {"IFD1 in the header", [](Exif& e) { e.Put32(e.ifd1_pointer, 2); }},
      {"IFD1 at the last byte",
       [](Exif& e) { e.Put32(e.ifd1_pointer, static_cast<uint32_t>(e.tiff.size() - 1)); }},
      {"IFD0 claims more entries than there are", [](Exif& e) { e.Put16(e.ifd0_count, 0xFFFF); }},
      {"IFD0 past the end", [](Exif& e) { e.Put32(4, 0xFFFFFFFFu); }},
      {"TIFF header cut short", [](Exif& e) { e.tiff.resize(6); }},
      {"unknown byte order", [](Exif& e) { e.tiff[1] = 'X'; }},
      {"wrong magic number", [](Exif& e) { e.Put16(2, 43); }},
      {"nothing after the marker", [](Exif& e) { e.tiff.clear(); }},
  };
  for (bool big_endian : {false, true}) {
    for (const auto& c : kCases) {
      SCOPED_TRACE(::testing::Message() << c.what << (big_endian ? " big-endian" : ""));
      Exif exif = BuildExif(big_endian, 1, thumb);
      c.garble(exif);
      const std::string path = Write("garbled.jpg", WithExif(main, exif.tiff));
      wxImage image;
      ThumbnailInfo info;
      ASSERT_TRUE(DecodeThumbnail(path, kTile, &image, &info));
      EXPECT_FALSE(info.from_embedded);
      EXPECT_TRUE(Near(At(image, 50, 50), kRed));
    }
  }
}

TEST_F(ThumbnailDecoderTest, RefusesWhatItCannotDecode) {
  const std::string main = EncodeJpeg(640, 480, TopBottom(480, kRed, kBlue));
  // Big enough to be read in pieces rather than at once.
  const std::string busy = EncodeJpeg(1500, 1000, [](int x, int y) {
    return Rgb{static_cast<uint8_t>(x * 37 + y * 11), static_cast<uint8_t>(x * y),
               static_cast<uint8_t>(x ^ y)};
  });
  ASSERT_GT(busy.size(), 256u * 1024);
  const std::string with_preview =
      WithExif(main, BuildExif(false, 1, EncodeJpeg(160, 120, Solid(kGreen), 90)).tiff);
  const std::string png_path = Path("whole.png");
  ASSERT_TRUE(WritePng(png_path, 300, 200, [](int x, int y, uint8_t* p) {
    p[0] = static_cast<uint8_t>(x * 7), p[1] = static_cast<uint8_t>(y * 13), p[2] = 9, p[3] = 255;
  }));
  const std::string png = testsupport::ReadFile(png_path);
  std::string bad_crc = png;
  bad_crc[bad_crc.size() / 2] ^= 0x55;  // inside the image data
  const std::string heif_path = Path("whole.heic");
  ASSERT_TRUE(WriteHeif(heif_path, 256, 128, Solid(kRed)));
  const std::string heif = testsupport::ReadFile(heif_path);
  // SOI and a frame header claiming 60000 x 60000, then nothing.
  std::string forged = main.substr(0, main.find("\xFF\xC0", 0, 2) + 9);
  forged[forged.size() - 4] = static_cast<char>(0xEA), forged[forged.size() - 3] = 0x60;
  forged[forged.size() - 2] = static_cast<char>(0xEA), forged[forged.size() - 1] = 0x60;

  const std::string pipe = Path("pipe.jpg");  // must not block the worker
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);

  const struct {
    const char* what;
    std::string path;
  } kCases[] = {
      {"empty", Write("empty.jpg", "")},
      {"text", Write("text.jpg", "not a picture at all, but long enough")},
      {"GIF", Write("anim.gif", "GIF89a\x01\0\x01\0\x80\0\0\0\0\0\xff\xff\xff!\xf9;")},
      {"JPEG cut in the middle", Write("cut.jpg", main.substr(0, main.size() / 2))},
      {"large JPEG cut", Write("bigcut.jpg", busy.substr(0, busy.size() * 2 / 3))},
      {"JPEG markers only", Write("head.jpg", main.substr(0, 20))},
      {"JPEG with a forged size and no data", Write("forged.jpg", forged)},
      {"JPEG cut, its preview whole", Write("cutp.jpg", with_preview.substr(0, with_preview.size() * 3 / 4))},
      {"PNG cut", Write("cut.png", png.substr(0, png.size() / 2))},
      {"PNG with damaged data", Write("crc.png", bad_crc)},
      {"HEIF cut", Write("cut.heic", heif.substr(0, heif.size() / 2))},
      {"HEIF header only", Write("head.heic", heif.substr(0, 40))},
      {"missing", Path("missing.jpg")},
      {"a folder", dir_},
      {"a pipe", pipe},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    wxImage image(7, 7);
    ThumbnailInfo info;
    info.source_width = 12345;
    EXPECT_FALSE(DecodeThumbnail(c.path, kTile, &image, &info));
    EXPECT_EQ(image.GetWidth(), 7);
    EXPECT_EQ(info.source_width, 12345);
  }
  // Whole files, for contrast, do decode.
  wxImage image;
  EXPECT_TRUE(DecodeThumbnail(Write("whole.jpg", main), kTile, &image));
  EXPECT_TRUE(DecodeThumbnail(Write("busy.jpg", busy), kTile, &image));
  EXPECT_TRUE(DecodeThumbnail(png_path, kTile, &image));
  EXPECT_TRUE(DecodeThumbnail(heif_path, kTile, &image));
  EXPECT_FALSE(DecodeThumbnail(heif_path, 0, &image));
}

// A valid picture of 225 megapixels is refused before anything that size
// is allocated.
TEST_F(ThumbnailDecoderTest, RefusesAbsurdSizes) {
  const std::string path = Path("huge.png");
  ASSERT_TRUE(WriteHugePng(path, 15000, 15000));
  wxImage image;
  EXPECT_FALSE(DecodeThumbnail(path, kTile, &image));
  EXPECT_FALSE(image.IsOk());
}

// Alpha survives, and the colour under fully transparent pixels does not
// bleed into the visible edge next to them.
TEST_F(ThumbnailDecoderTest, KeepsPngAlpha) {
  const std::string path = Path("alpha.png");
  // Three 100-pixel columns: opaque red, half-transparent blue, and green
  // that is fully transparent.
  ASSERT_TRUE(WritePng(path, 300, 150, [](int x, int, uint8_t* p) {
    const Rgb c = x < 100 ? kRed : x < 200 ? kBlue : kGreen;
    p[0] = c.r, p[1] = c.g, p[2] = c.b;
    p[3] = x < 100 ? 255 : x < 200 ? 128 : 0;
  }));
  wxImage image;
  ThumbnailInfo info;
  ASSERT_TRUE(DecodeThumbnail(path, kTile, &image, &info));
  EXPECT_EQ(info.format, PictureFormat::kPng);
  // 100 x 50, rows 25 to 74.
  EXPECT_TRUE(Near(At(image, 15, 50), kRed));
  const Px half = At(image, 50, 50);
  EXPECT_NEAR(half.a, 128, 2);
  EXPECT_NEAR(half.b, kBlue.b, 3);
  EXPECT_EQ(At(image, 85, 50).a, 0);
  EXPECT_EQ(At(image, 50, 24).a, 0);
  // The column straddling half-transparent blue and transparent green.
  const Px edge = At(image, 66, 50);
  EXPECT_GT(edge.a, 0);
  EXPECT_LT(edge.a, 128);
  EXPECT_NEAR(edge.g, kBlue.g, 3);
  EXPECT_NEAR(edge.b, kBlue.b, 3);
}

// The stored picture is 256 x 128, red over blue; its thumbnail green
// over yellow.
TEST_F(ThumbnailDecoderTest, DecodesHeifThumbnailOrPictureUpright) {
  const struct {
    const char* what;
    int width, height, orientation;
    HeifThumb thumb;
    bool embedded;
  } kCases[] = {
      {"no thumbnail", 256, 128, 1, {}, false},
      {"thumbnail big enough", 256, 128, 1, {256, 128, 128, TopBottom(128, kGreen, kYellow)},
       true},
      {"thumbnail too small", 256, 128, 1, {256, 128, 64, TopBottom(128, kGreen, kYellow)},
       false},
      {"thumbnail of another shape", 256, 144, 1,
       {256, 192, 128, TopBottom(192, kGreen, kYellow)}, false},
      {"turned, no thumbnail", 256, 128, 6, {}, false},
      {"turned, with thumbnail", 256, 128, 6, {256, 128, 128, TopBottom(128, kGreen, kYellow)},
       true},
      {"mirrored", 256, 128, 4, {}, false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    const std::string path = Path("picture.heic");
    ASSERT_TRUE(WriteHeif(path, c.width, c.height, TopBottom(c.height, kRed, kBlue),
                          c.orientation, c.thumb));
    wxImage image;
    ThumbnailInfo info;
    ASSERT_TRUE(DecodeThumbnail(path, kTile, &image, &info));
    EXPECT_EQ(info.format, PictureFormat::kHeif);
    EXPECT_EQ(info.from_embedded, c.embedded);
    const bool turned = c.orientation == 6;
    EXPECT_EQ(info.source_width, turned ? c.height : c.width);
    EXPECT_EQ(info.source_height, turned ? c.width : c.height);
    const Band b = OpaqueBand(image);
    EXPECT_EQ(std::max(b.width(), b.height()), kTile);
    EXPECT_EQ(b.width() > b.height(), !turned);
    const Rgb top = c.embedded ? kGreen : kRed;
    const Rgb bottom = c.embedded ? kYellow : kBlue;
    if (turned) {  // the stored top is on the right
      EXPECT_TRUE(Near(Quarter(image, b, true, true), top));
      EXPECT_TRUE(Near(Quarter(image, b, false, true), bottom));
    } else if (c.orientation == 4) {
      EXPECT_TRUE(Near(Quarter(image, b, false, true), top));
      EXPECT_TRUE(Near(Quarter(image, b, false, false), bottom));
    } else {
      EXPECT_TRUE(Near(Quarter(image, b, false, false), top));
      EXPECT_TRUE(Near(Quarter(image, b, false, true), bottom));
    }
  }
}

// What the command-line encoder writes (a scaled thumbnail of the same
// picture) decodes through the thumbnail.
TEST_F(ThumbnailDecoderTest, DecodesHeifFromTheCommandLineEncoder) {
  const std::string png = Path("source.png");
  ASSERT_TRUE(WritePng(png, 400, 300, [](int, int y, uint8_t* p) {
    const Rgb c = y < 150 ? kRed : kBlue;
    p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = 255;
  }));
  const std::string heic = Path("IMG_0002.HEIC");
  const std::string command = "heif-enc -q 85 -t 160 --no-alpha -o '" + heic + "' '" + png +
                              "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  wxImage image;
  ThumbnailInfo info;
  ASSERT_TRUE(DecodeThumbnail(heic, kTile, &image, &info));
  EXPECT_TRUE(info.from_embedded);
  EXPECT_EQ(info.source_width, 400);
  EXPECT_EQ(info.source_height, 300);
  const Band b = OpaqueBand(image);
  EXPECT_EQ(b.width(), 100);
  EXPECT_EQ(b.height(), 75);
  EXPECT_TRUE(Near(Quarter(image, b, false, false), kRed));
  EXPECT_TRUE(Near(Quarter(image, b, true, true), kBlue));
}

// Workers decode at the same time, now the same file, now different ones;
// every result matches the one decoded alone.
TEST_F(ThumbnailDecoderTest, DecodesFromSeveralThreadsAtOnce) {
  std::vector<std::string> files;
  files.push_back(Write("main.jpg", EncodeJpeg(1200, 900, Quadrants(1200, 900, kRed, kGreen,
                                                                    kBlue, kWhite))));
  files.push_back(Write("preview.jpg",
                        WithExif(EncodeJpeg(640, 480, Solid(kRed)),
                                 BuildExif(true, 6, EncodeJpeg(160, 120, Solid(kGreen))).tiff)));
  files.push_back(Path("alpha.png"));
  ASSERT_TRUE(WritePng(files.back(), 500, 300, [](int x, int y, uint8_t* p) {
    p[0] = static_cast<uint8_t>(x), p[1] = static_cast<uint8_t>(y), p[2] = 40;
    p[3] = static_cast<uint8_t>(x + y);
  }));
  files.push_back(Path("thumb.heic"));
  ASSERT_TRUE(WriteHeif(files.back(), 256, 128, Solid(kRed), 1,
                        {256, 128, 128, TopBottom(128, kGreen, kYellow)}));
  files.push_back(Path("plain.heic"));
  ASSERT_TRUE(WriteHeif(files.back(), 320, 240, TopBottom(240, kRed, kBlue), 8));

  // Pixels and alpha of each file decoded alone.
  std::vector<std::string> expected;
  for (const auto& f : files) {
    wxImage image;
    ASSERT_TRUE(DecodeThumbnail(f, kTile, &image)) << f;
    expected.push_back(std::string(reinterpret_cast<char*>(image.GetData()), kTile * kTile * 3) +
                       std::string(reinterpret_cast<char*>(image.GetAlpha()), kTile * kTile));
  }
  constexpr int kThreads = 3, kRounds = 4;
  std::vector<int> mismatches(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kRounds * static_cast<int>(files.size()); ++i) {
        // Thread 0 and 1 walk the files in step, thread 2 out of step.
        const size_t k = (i + (t == 2 ? 1 : 0)) % files.size();
        wxImage image;
        if (!DecodeThumbnail(files[k], kTile, &image) ||
            std::string(reinterpret_cast<char*>(image.GetData()), kTile * kTile * 3) +
                    std::string(reinterpret_cast<char*>(image.GetAlpha()), kTile * kTile) !=
                expected[k])
          ++mismatches[t];
      }
    });
  }
  for (auto& t : threads) t.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

}  // namespace
