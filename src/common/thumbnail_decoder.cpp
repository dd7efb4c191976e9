#include "common/thumbnail_decoder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <mutex>
#include <vector>

// jpeglib.h needs stdio.h's FILE first.
#include <jerror.h>
#include <jpeglib.h>
#include <libheif/heif.h>
#include <png.h>

namespace {

// Beyond this a picture is refused rather than allocated.
constexpr uint64_t kMaxPixels = 200ull * 1000 * 1000;
// Cached copies are read whole; nothing a camera writes comes near this.
constexpr uint64_t kMaxFileBytes = 1ull << 30;
// A tile is an icon, not a picture.
constexpr int kMaxTile = 4096;
// Letterboxed previews of another shape than the picture are not used.
constexpr double kAspectTolerance = 0.02;

// Pixels borrowed from a decoder: 3 (RGB) or 4 (RGBA) bytes a pixel.
struct PixelView {
  const uint8_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  size_t stride = 0;
  int channels = 4;
};

struct Raster {
  int width = 0;
  int height = 0;
  // Left uninitialised: a forged header's pages are never touched when
  // the data behind it runs out.
  std::unique_ptr<uint8_t[]> rgba;

  bool Allocate(int w, int h) {
    rgba.reset(new (std::nothrow) uint8_t[static_cast<size_t>(w) * h * 4]);
    width = rgba ? w : 0;
    height = rgba ? h : 0;
    return rgba != nullptr;
  }
  uint8_t* Row(int y) { return rgba.get() + static_cast<size_t>(y) * width * 4; }
  PixelView View() const {
    return {rgba.get(), width, height, static_cast<size_t>(width) * 4, 4};
  }
};

// The cached copy, open. Its bytes are read where needed rather than
// whole: fresh pages for a few megabytes cost more than the decoding of a
// preview.
struct PictureFile {
  std::string path;
  int fd = -1;
  uint64_t size = 0;
  std::vector<uint8_t> head;  // the first bytes, up to kHeadBytes

  ~PictureFile() {
    if (fd >= 0) close(fd);
  }
};

// Enough for the markers up to the first scan of most camera JPEGs, so
// that a preview is decoded without reading the picture; kept small since
// fresh pages are dear. Files with more before their scan are read whole.
constexpr size_t kHeadBytes = 64 * 1024;
// The end of a JPEG is looked for in this much of the file's tail.
constexpr size_t kTailBytes = 64 * 1024;
// The JPEG decoder reads the file in pieces of this size.
constexpr size_t kReadPiece = 64 * 1024;

bool ReadAt(int fd, uint64_t offset, size_t count, uint8_t* to, size_t* got) {
  *got = 0;
  while (*got < count) {
    ssize_t n = pread(fd, to + *got, count - *got, static_cast<off_t>(offset + *got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    *got += static_cast<size_t>(n);
  }
  return true;
}

// Only regular files: a pipe or device named like a picture must not block
// a worker.
bool OpenPicture(const std::string& path, size_t head_bytes, PictureFile* file) {
  file->path = path;
  file->fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (file->fd < 0) return false;
  struct stat st;
  if (fstat(file->fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0 ||
      static_cast<uint64_t>(st.st_size) > kMaxFileBytes)
    return false;
  file->size = static_cast<uint64_t>(st.st_size);
  file->head.resize(static_cast<size_t>(std::min<uint64_t>(file->size, head_bytes)));
  size_t got = 0;
  if (!ReadAt(file->fd, 0, file->head.size(), file->head.data(), &got)) return false;
  file->head.resize(got);
  return got > 0;
}

bool ReadWhole(const PictureFile& file, std::vector<uint8_t>* data) {
  data->resize(static_cast<size_t>(file.size));
  size_t got = 0;
  if (!ReadAt(file.fd, 0, data->size(), data->data(), &got)) return false;
  data->resize(got);
  return got > 0;
}

bool IsHeifBrand(const uint8_t* brand, bool major) {
  static const char* const kHevcBrands[] = {"heic", "heix", "heim",
                                            "heis", "hevc", "hevx"};
  for (const char* b : kHevcBrands)
    if (memcmp(brand, b, 4) == 0) return true;
  // Generic brands say "some HEIF" only as the major brand; AVIF files list
  // them among their compatible ones too.
  return major && (memcmp(brand, "mif1", 4) == 0 || memcmp(brand, "msf1", 4) == 0);
}

PictureFormat SniffBuffer(const uint8_t* d, size_t n) {
  if (n >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF)
    return PictureFormat::kJpeg;
  static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (n >= 8 && memcmp(d, kPngSignature, 8) == 0) return PictureFormat::kPng;
  if (n >= 16 && memcmp(d + 4, "ftyp", 4) == 0) {
    size_t box = (size_t{d[0]} << 24) | (size_t{d[1]} << 16) | (size_t{d[2]} << 8) | d[3];
    if (IsHeifBrand(d + 8, true)) return PictureFormat::kHeif;
    size_t end = std::min(box, n);
    for (size_t p = 16; p + 4 <= end; p += 4)
      if (IsHeifBrand(d + p, false)) return PictureFormat::kHeif;
  }
  return PictureFormat::kUnknown;
}

// ---- Scaling and placing ----

// The size the picture takes in the tile: fitted, never enlarged.
void FitSize(int width, int height, int tile, int* fit_width, int* fit_height) {
  if (width <= tile && height <= tile) {
    *fit_width = width;
    *fit_height = height;
  } else if (width >= height) {
    *fit_width = tile;
    *fit_height = std::max(1, static_cast<int>(std::lround(double(height) * tile / width)));
  } else {
    *fit_height = tile;
    *fit_width = std::max(1, static_cast<int>(std::lround(double(width) * tile / height)));
  }
}

struct Taps {
  std::vector<int> first;      // first source index of each target index
  std::vector<int> count;      // how many source indices it covers
  std::vector<float> weights;  // count weights each, summing to 1
  std::vector<size_t> offset;  // where each target's weights start
};

// Area coverage of each target pixel over the source: a box filter, which
// with the decoder's own reduction to about twice the target keeps fine
// detail from turning into moiré.
Taps BoxTaps(int source, int target) {
  Taps t;
  t.first.resize(target);
  t.count.resize(target);
  t.offset.resize(target);
  const double scale = double(source) / target;
  for (int i = 0; i < target; ++i) {
    const double a = i * scale, b = (i + 1) * scale;
    int lo = std::min(source - 1, static_cast<int>(std::floor(a)));
    int hi = std::max(lo + 1, std::min(source, static_cast<int>(std::ceil(b))));
    t.first[i] = lo;
    t.count[i] = hi - lo;
    t.offset[i] = t.weights.size();
    double sum = 0;
    for (int s = lo; s < hi; ++s) {
      double w = std::min(b, s + 1.0) - std::max(a, double(s));
      if (w < 0) w = 0;
      t.weights.push_back(static_cast<float>(w));
      sum += w;
    }
    for (int k = 0; k < t.count[i]; ++k) {
      float& w = t.weights[t.offset[i] + k];
      w = sum > 0 ? static_cast<float>(w / sum) : 1.0f / t.count[i];
    }
  }
  return t;
}

// Averages with premultiplied alpha, so that the colour of transparent
// pixels does not bleed into the edges of what is visible.
Raster Resample(const PixelView& src, int width, int height) {
  const Taps tx = BoxTaps(src.width, width), ty = BoxTaps(src.height, height);
  // Horizontal pass first: a row of the source is read once.
  // Every element is written before it is read.
  std::unique_ptr<float[]> rows(new float[static_cast<size_t>(width) * src.height * 4]);
  for (int y = 0; y < src.height; ++y) {
    const uint8_t* in = src.pixels + src.stride * y;
    float* out = &rows[static_cast<size_t>(y) * width * 4];
    for (int x = 0; x < width; ++x) {
      float r = 0, g = 0, b = 0, a = 0;
      const float* w = &tx.weights[tx.offset[x]];
      const uint8_t* p = in + static_cast<size_t>(tx.first[x]) * src.channels;
      for (int k = 0; k < tx.count[x]; ++k, p += src.channels) {
        const float alpha = src.channels == 4 ? p[3] * (1.0f / 255) : 1.0f;
        const float wa = w[k] * alpha;
        r += wa * p[0];
        g += wa * p[1];
        b += wa * p[2];
        a += wa;
      }
      out[4 * x] = r;
      out[4 * x + 1] = g;
      out[4 * x + 2] = b;
      out[4 * x + 3] = a;
    }
  }
  Raster dst;
  if (!dst.Allocate(width, height)) return dst;
  for (int y = 0; y < height; ++y) {
    uint8_t* out = dst.Row(y);
    const float* w = &ty.weights[ty.offset[y]];
    for (int x = 0; x < width; ++x) {
      float acc[4] = {0, 0, 0, 0};
      const float* p = &rows[(static_cast<size_t>(ty.first[y]) * width + x) * 4];
      for (int k = 0; k < ty.count[y]; ++k, p += static_cast<size_t>(width) * 4)
        for (int c = 0; c < 4; ++c) acc[c] += w[k] * p[c];
      const float a = acc[3];
      for (int c = 0; c < 3; ++c) {
        const float v = a > 1e-6f ? acc[c] / a : 0.0f;
        out[4 * x + c] = static_cast<uint8_t>(std::min(255.0f, v + 0.5f));
      }
      out[4 * x + 3] = static_cast<uint8_t>(std::min(255.0f, a * 255 + 0.5f));
    }
  }
  return dst;
}

// EXIF orientation: which stored pixel shows at each displayed position.
void SourceOf(int orientation, int x, int y, int w, int h, int* sx, int* sy) {
  switch (orientation) {
    case 2: *sx = w - 1 - x; *sy = y; break;
    case 3: *sx = w - 1 - x; *sy = h - 1 - y; break;
    case 4: *sx = x; *sy = h - 1 - y; break;
    case 5: *sx = y; *sy = x; break;
    case 6: *sx = y; *sy = h - 1 - x; break;
    case 7: *sx = w - 1 - y; *sy = h - 1 - x; break;
    case 8: *sx = w - 1 - y; *sy = x; break;
    default: *sx = x; *sy = y; break;
  }
}

// The stored pixels, scaled to fit the displayed size of the whole picture
// and turned upright, centred on a transparent tile.
bool ComposeTile(const PixelView& src, int orientation, int shown_width,
                 int shown_height, int tile, wxImage* out) {
  if (src.width <= 0 || src.height <= 0 || shown_width <= 0 || shown_height <= 0)
    return false;
  const bool swaps = orientation >= 5 && orientation <= 8;
  int fit_width, fit_height;
  FitSize(shown_width, shown_height, tile, &fit_width, &fit_height);
  const int stored_width = swaps ? fit_height : fit_width;
  const int stored_height = swaps ? fit_width : fit_height;
  const Raster small = Resample(src, stored_width, stored_height);
  if (!small.rgba) return false;

  const size_t count = static_cast<size_t>(tile) * tile;
  unsigned char* rgb = static_cast<unsigned char*>(calloc(count, 3));
  unsigned char* alpha = static_cast<unsigned char*>(calloc(count, 1));
  if (!rgb || !alpha) {
    free(rgb);
    free(alpha);
    return false;
  }
  const int left = (tile - fit_width) / 2, top = (tile - fit_height) / 2;
  for (int y = 0; y < fit_height; ++y) {
    for (int x = 0; x < fit_width; ++x) {
      int sx, sy;
      SourceOf(orientation, x, y, stored_width, stored_height, &sx, &sy);
      const uint8_t* p = small.rgba.get() + (static_cast<size_t>(sy) * stored_width + sx) * 4;
      const size_t at = static_cast<size_t>(top + y) * tile + left + x;
      rgb[at * 3] = p[0];
      rgb[at * 3 + 1] = p[1];
      rgb[at * 3 + 2] = p[2];
      alpha[at] = p[3];
    }
  }
  // Takes both buffers over.
  wxImage image(tile, tile, rgb, alpha, false);
  if (!image.IsOk()) return false;
  *out = image;
  return true;
}

// ---- JPEG ----

struct JpegLayout {
  int width = 0;  // from the frame header; 0 when none was found
  int height = 0;
  size_t scan_data = 0;  // where the first scan's data starts; 0 when none
  const uint8_t* exif = nullptr;  // the TIFF structure of the first Exif APP1
  size_t exif_size = 0;
};

bool IsFrameMarker(uint8_t m) {
  return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

// Walks the markers up to the first scan.
bool ScanJpeg(const uint8_t* d, size_t n, JpegLayout* layout) {
  if (n < 4 || d[0] != 0xFF || d[1] != 0xD8) return false;
  size_t p = 2;
  while (p < n) {
    if (d[p] != 0xFF) break;  // not a marker: leave the rest to the decoder
    while (p < n && d[p] == 0xFF) ++p;
    if (p >= n) break;
    const uint8_t marker = d[p++];
    if (marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7)) continue;
    if (marker == 0xD9 || n - p < 2) break;
    const size_t length = (size_t{d[p]} << 8) | d[p + 1];
    if (length < 2 || length > n - p) break;
    const uint8_t* segment = d + p + 2;
    const size_t size = length - 2;
    if (marker == 0xDA) {
      layout->scan_data = p + length;
      break;
    }
    if (IsFrameMarker(marker) && size >= 5 && layout->width == 0) {
      layout->height = (segment[1] << 8) | segment[2];
      layout->width = (segment[3] << 8) | segment[4];
    } else if (marker == 0xE1 && !layout->exif && size > 6 &&
               memcmp(segment, "Exif\0\0", 6) == 0) {
      layout->exif = segment + 6;
      layout->exif_size = size - 6;
    }
    p += length;
  }
  return true;
}

// Every read is bounds-checked: the bytes come from whatever the device
// holds.
class TiffReader {
 public:
  TiffReader(const uint8_t* d, size_t n, bool big_endian)
      : d_(d), n_(n), big_(big_endian) {}

  bool U16(size_t at, uint32_t* v) const {
    if (at > n_ || n_ - at < 2) return false;
    *v = big_ ? (d_[at] << 8) | d_[at + 1] : d_[at] | (d_[at + 1] << 8);
    return true;
  }
  bool U32(size_t at, uint32_t* v) const {
    if (at > n_ || n_ - at < 4) return false;
    const uint8_t* b = d_ + at;
    *v = big_ ? (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3]
              : (uint32_t{b[3]} << 24) | (uint32_t{b[2]} << 16) | (uint32_t{b[1]} << 8) | b[0];
    return true;
  }
  // A SHORT or LONG entry's first value.
  bool Number(size_t entry, uint32_t* v) const {
    uint32_t type, count;
    if (!U16(entry + 2, &type) || !U32(entry + 4, &count) || count < 1) return false;
    if (type == 3) return U16(entry + 8, v);
    if (type == 4) return U32(entry + 8, v);
    return false;
  }

 private:
  const uint8_t* d_;
  size_t n_;
  bool big_;
};

struct ExifFacts {
  int orientation = 1;
  size_t thumb_offset = 0;  // inside the TIFF structure
  size_t thumb_size = 0;
};

// Calls visit(tag, entry offset) for each entry of the directory at ifd and
// returns the offset of the next directory (0 when none or unreadable).
template <typename Visit>
uint32_t WalkIfd(const TiffReader& tiff, size_t size, uint32_t ifd, Visit visit) {
  uint32_t count;
  if (ifd < 8 || !tiff.U16(ifd, &count)) return 0;
  // Entries that run past the end are not there.
  const size_t room = (size - ifd - 2) / 12;
  const size_t entries = std::min<size_t>(count, room);
  for (size_t i = 0; i < entries; ++i) {
    const size_t entry = ifd + 2 + 12 * i;
    uint32_t tag;
    if (tiff.U16(entry, &tag)) visit(tag, entry);
  }
  uint32_t next = 0;
  if (entries < count || !tiff.U32(ifd + 2 + 12 * entries, &next)) return 0;
  return next;
}

// IFD0 gives the orientation, IFD1 (the next one, and only that one) the
// embedded preview; nothing else is followed.
ExifFacts ParseExif(const uint8_t* d, size_t n) {
  ExifFacts facts;
  if (n < 8) return facts;
  bool big;
  if (d[0] == 'I' && d[1] == 'I') big = false;
  else if (d[0] == 'M' && d[1] == 'M') big = true;
  else return facts;
  const TiffReader tiff(d, n, big);
  uint32_t magic, ifd0;
  if (!tiff.U16(2, &magic) || magic != 42 || !tiff.U32(4, &ifd0)) return facts;
  const uint32_t ifd1 = WalkIfd(tiff, n, ifd0, [&](uint32_t tag, size_t entry) {
    uint32_t v;
    if (tag == 0x0112 && tiff.Number(entry, &v) && v >= 1 && v <= 8)
      facts.orientation = static_cast<int>(v);
  });
  if (ifd1 == 0 || ifd1 == ifd0) return facts;
  uint32_t offset = 0, length = 0;
  WalkIfd(tiff, n, ifd1, [&](uint32_t tag, size_t entry) {
    if (tag == 0x0201) tiff.Number(entry, &offset);
    if (tag == 0x0202) tiff.Number(entry, &length);
  });
  if (offset >= 8 && length >= 4 && offset < n && length <= n - offset &&
      d[offset] == 0xFF && d[offset + 1] == 0xD8) {
    facts.thumb_offset = offset;
    facts.thumb_size = length;
  }
  return facts;
}

struct JpegErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
};

void JpegErrorExit(j_common_ptr cinfo) {
  longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings stay quiet; but a file that ends early, or data cut off by a
// marker, would give a tile with a grey bottom, so those fail.
void JpegEmitMessage(j_common_ptr cinfo, int level) {
  if (level < 0 && (cinfo->err->msg_code == JWRN_JPEG_EOF ||
                    cinfo->err->msg_code == JWRN_HIT_MARKER))
    JpegErrorExit(cinfo);
}

void JpegOutputMessage(j_common_ptr) {}

// Reads the file in pieces into a buffer the caller owns.
struct FdSource {
  jpeg_source_mgr pub;  // first: the library sees only this
  int fd;
  uint64_t offset;
  uint8_t* buffer;
  size_t capacity;
};

void FdInitSource(j_decompress_ptr) {}
void FdTermSource(j_decompress_ptr) {}

boolean FdFillInput(j_decompress_ptr cinfo) {
  FdSource* src = reinterpret_cast<FdSource*>(cinfo->src);
  size_t got = 0;
  if (!ReadAt(src->fd, src->offset, src->capacity, src->buffer, &got) || got == 0) {
    // As the library's own sources do: warn (which fails, see above) and
    // hand it an end marker.
    WARNMS(cinfo, JWRN_JPEG_EOF);
    src->buffer[0] = 0xFF;
    src->buffer[1] = JPEG_EOI;
    got = 2;
  }
  src->offset += got;
  src->pub.next_input_byte = src->buffer;
  src->pub.bytes_in_buffer = got;
  return TRUE;
}

void FdSkipInput(j_decompress_ptr cinfo, long count) {
  FdSource* src = reinterpret_cast<FdSource*>(cinfo->src);
  if (count <= 0) return;
  const size_t skip = static_cast<size_t>(count);
  if (skip <= src->pub.bytes_in_buffer) {
    src->pub.next_input_byte += skip;
    src->pub.bytes_in_buffer -= skip;
    return;
  }
  src->offset += skip - src->pub.bytes_in_buffer;
  src->pub.bytes_in_buffer = 0;
}

// The strongest reduction the decoder does itself that still leaves twice
// the tile on the shorter side.
int DctDenominator(unsigned width, unsigned height, int tile) {
  const unsigned shorter = std::min(width, height);
  for (unsigned d : {8u, 4u, 2u})
    if ((shorter + d - 1) / d >= 2u * tile) return static_cast<int>(d);
  return 1;
}

// Decodes, reduced by DCT scaling, into RGBA: from the size bytes at data;
// or, when fd is not -1, from those as the file's first bytes and then the
// rest of the file through a buffer of the caller's. Nothing with a
// destructor lives in this frame: the library's errors return here by
// longjmp.
bool DecodeJpeg(const uint8_t* data, size_t size, int fd, uint8_t* buffer,
                size_t capacity, int tile, Raster* out, int* full_width,
                int* full_height) {
  jpeg_decompress_struct cinfo;
  FdSource source;
  JpegErrorManager jerr;
  cinfo.err = jpeg_std_error(&jerr.pub);
  jerr.pub.error_exit = JpegErrorExit;
  jerr.pub.emit_message = JpegEmitMessage;
  jerr.pub.output_message = JpegOutputMessage;
  if (setjmp(jerr.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  // A progressive picture keeps all its coefficients; past this the
  // library refuses instead of allocating.
  cinfo.mem->max_memory_to_use = 1024L * 1024 * 1024;
  if (fd < 0) {
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  } else {
    source.pub.init_source = FdInitSource;
    source.pub.fill_input_buffer = FdFillInput;
    source.pub.skip_input_data = FdSkipInput;
    source.pub.resync_to_restart = jpeg_resync_to_restart;
    source.pub.term_source = FdTermSource;
    source.pub.next_input_byte = data;
    source.pub.bytes_in_buffer = size;
    source.fd = fd;
    source.offset = size;
    source.buffer = buffer;
    source.capacity = capacity;
    cinfo.src = &source.pub;
  }
  jpeg_read_header(&cinfo, TRUE);
  cinfo.scale_num = 1;
  cinfo.scale_denom = DctDenominator(cinfo.image_width, cinfo.image_height, tile);
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBA;
  jpeg_calc_output_dimensions(&cinfo);
  const uint64_t pixels = uint64_t{cinfo.output_width} * cinfo.output_height;
  if (pixels == 0 || pixels > kMaxPixels || cinfo.output_components != 4) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  if (!out->Allocate(static_cast<int>(cinfo.output_width),
                     static_cast<int>(cinfo.output_height))) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  *full_width = static_cast<int>(cinfo.image_width);
  *full_height = static_cast<int>(cinfo.image_height);
  jpeg_start_decompress(&cinfo);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = out->Row(static_cast<int>(cinfo.output_scanline));
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  // Adobe writes CMYK inverted.
  const bool inverted = cinfo.saw_Adobe_marker;
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  if (cmyk) {
    for (size_t i = 0; i < pixels; ++i) {
      uint8_t* p = out->rgba.get() + i * 4;
      const int k = inverted ? p[3] : 255 - p[3];
      for (int c = 0; c < 3; ++c) {
        const int v = inverted ? p[c] : 255 - p[c];
        p[c] = static_cast<uint8_t>((v * k + 127) / 255);
      }
      p[3] = 255;
    }
  }
  return true;
}

bool AspectsMatch(int w1, int h1, int w2, int h2) {
  const double a = double(w1) * h2, b = double(w2) * h1;
  return std::fabs(a - b) <= kAspectTolerance * b;
}

// The whole main picture is there: an end marker follows its first scan
// (entropy-coded data never holds one). Looked for in the file's tail only;
// when that cannot tell, the answer is no.
bool HasEndAfter(const PictureFile& file, uint64_t scan_data) {
  const size_t count = static_cast<size_t>(std::min<uint64_t>(file.size, kTailBytes));
  const uint64_t start = file.size - count;
  std::vector<uint8_t> tail(count);
  size_t got = 0;
  if (!ReadAt(file.fd, start, count, tail.data(), &got) || got != count) return false;
  for (size_t p = count; p-- > 1;) {
    if (start + p - 1 < scan_data) break;
    if (tail[p] == 0xD9 && tail[p - 1] == 0xFF) return true;
  }
  return false;
}

bool DecodeJpegFile(const PictureFile& file, int tile, wxImage* out, ThumbnailInfo* info) {
  // The markers are normally all in the head; when they run past it, the
  // whole file is read and walked again.
  std::vector<uint8_t> whole;
  const uint8_t* d = file.head.data();
  size_t n = file.head.size();
  JpegLayout layout;
  if (!ScanJpeg(d, n, &layout)) return false;
  if (layout.scan_data == 0 && n < file.size) {
    if (!ReadWhole(file, &whole)) return false;
    d = whole.data();
    n = whole.size();
    layout = JpegLayout();
    if (!ScanJpeg(d, n, &layout)) return false;
  }
  const ExifFacts exif = layout.exif ? ParseExif(layout.exif, layout.exif_size) : ExifFacts();
  const int orientation = exif.orientation;
  const bool swaps = orientation >= 5;
  Raster raster;
  int full_width = 0, full_height = 0;

  if (exif.thumb_size > 0 && layout.width > 0 && layout.height > 0 &&
      layout.scan_data > 0) {
    const uint8_t* thumb = layout.exif + exif.thumb_offset;
    JpegLayout small;
    if (ScanJpeg(thumb, exif.thumb_size, &small) && small.width > 0 && small.height > 0 &&
        std::max(small.width, small.height) >= tile &&
        AspectsMatch(small.width, small.height, layout.width, layout.height) &&
        HasEndAfter(file, layout.scan_data) &&
        DecodeJpeg(thumb, exif.thumb_size, -1, nullptr, 0, tile, &raster, &full_width,
                   &full_height)) {
      const int w = swaps ? layout.height : layout.width;
      const int h = swaps ? layout.width : layout.height;
      if (!ComposeTile(raster.View(), orientation, w, h, tile, out)) return false;
      if (info) {
        info->from_embedded = true;
        info->source_width = w;
        info->source_height = h;
      }
      return true;
    }
  }
  bool decoded;
  if (!whole.empty() || n == file.size) {
    decoded = DecodeJpeg(d, n, -1, nullptr, 0, tile, &raster, &full_width, &full_height);
  } else {
    std::vector<uint8_t> buffer(kReadPiece);
    decoded = DecodeJpeg(d, n, file.fd, buffer.data(), buffer.size(), tile, &raster,
                         &full_width, &full_height);
  }
  if (!decoded) return false;
  const int w = swaps ? full_height : full_width;
  const int h = swaps ? full_width : full_height;
  if (!ComposeTile(raster.View(), orientation, w, h, tile, out)) return false;
  if (info) {
    info->from_embedded = false;
    info->source_width = w;
    info->source_height = h;
  }
  return true;
}

// ---- PNG ----

bool DecodePngFile(const PictureFile& file, int tile, wxImage* out, ThumbnailInfo* info) {
  const int fd = dup(file.fd);
  if (fd < 0) return false;
  std::unique_ptr<FILE, decltype(&fclose)> stream(fdopen(fd, "rb"), fclose);
  if (!stream) {
    close(fd);
    return false;
  }
  setvbuf(stream.get(), nullptr, _IOFBF, kReadPiece);
  if (fseeko(stream.get(), 0, SEEK_SET) != 0) return false;
  png_image image;
  memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_stdio(&image, stream.get())) return false;
  const uint64_t pixels = uint64_t{image.width} * image.height;
  Raster raster;
  bool ok = pixels > 0 && pixels <= kMaxPixels;
  if (ok) {
    image.format = PNG_FORMAT_RGBA;
    ok = raster.Allocate(static_cast<int>(image.width), static_cast<int>(image.height));
  }
  ok = ok && png_image_finish_read(&image, nullptr, raster.rgba.get(), 0, nullptr);
  png_image_free(&image);
  if (!ok || !ComposeTile(raster.View(), 1, raster.width, raster.height, tile, out))
    return false;
  if (info) {
    info->from_embedded = false;
    info->source_width = raster.width;
    info->source_height = raster.height;
  }
  return true;
}

// ---- HEIF ----

void StartHeif() {
  // Counted by the library; held for the life of the process so that the
  // decoders are registered once, before any two workers race to do it.
  static std::once_flag once;
  std::call_once(once, [] { heif_init(nullptr); });
}

using HeifContext = std::unique_ptr<heif_context, decltype(&heif_context_free)>;
using HeifHandle = std::unique_ptr<heif_image_handle, decltype(&heif_image_handle_release)>;
using HeifImage = std::unique_ptr<heif_image, decltype(&heif_image_release)>;
using HeifOptions =
    std::unique_ptr<heif_decoding_options, decltype(&heif_decoding_options_free)>;

// The smallest thumbnail of the picture's shape that still fills a tile.
HeifHandle PickHeifThumbnail(heif_image_handle* primary, int tile, int width, int height) {
  HeifHandle best(nullptr, heif_image_handle_release);
  const int count = heif_image_handle_get_number_of_thumbnails(primary);
  if (count <= 0) return best;
  std::vector<heif_item_id> ids(static_cast<size_t>(count));
  const int listed = heif_image_handle_get_list_of_thumbnail_IDs(primary, ids.data(), count);
  for (int i = 0; i < listed; ++i) {
    heif_image_handle* raw = nullptr;
    if (heif_image_handle_get_thumbnail(primary, ids[i], &raw).code != heif_error_Ok || !raw)
      continue;
    HeifHandle thumb(raw, heif_image_handle_release);
    const int w = heif_image_handle_get_width(raw), h = heif_image_handle_get_height(raw);
    if (w <= 0 || h <= 0 || std::max(w, h) < tile || !AspectsMatch(w, h, width, height))
      continue;
    if (!best || std::max(w, h) < std::max(heif_image_handle_get_width(best.get()),
                                           heif_image_handle_get_height(best.get())))
      best = std::move(thumb);
  }
  return best;
}

bool DecodeHeifFile(const PictureFile& file, int tile, wxImage* out, ThumbnailInfo* info) {
  StartHeif();
  HeifContext ctx(heif_context_alloc(), heif_context_free);
  if (!ctx) return false;
  // The library reads only the boxes and the one image it decodes.
  if (heif_context_read_from_file(ctx.get(), file.path.c_str(), nullptr).code != heif_error_Ok)
    return false;
  heif_image_handle* raw = nullptr;
  if (heif_context_get_primary_image_handle(ctx.get(), &raw).code != heif_error_Ok || !raw)
    return false;
  HeifHandle primary(raw, heif_image_handle_release);
  // Sizes as displayed: the library turns and crops as it decodes.
  const int width = heif_image_handle_get_width(raw);
  const int height = heif_image_handle_get_height(raw);
  if (width <= 0 || height <= 0 || uint64_t(width) * uint64_t(height) > kMaxPixels)
    return false;
  HeifHandle thumb = PickHeifThumbnail(raw, tile, width, height);
  heif_image_handle* source = thumb ? thumb.get() : primary.get();

  HeifOptions options(heif_decoding_options_alloc(), heif_decoding_options_free);
  if (!options) return false;
  options->convert_hdr_to_8bit = 1;
  const bool alpha = heif_image_handle_has_alpha_channel(source) != 0;
  heif_image* decoded = nullptr;
  if (heif_decode_image(source, &decoded, heif_colorspace_RGB,
                        alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                        options.get())
              .code != heif_error_Ok ||
      !decoded)
    return false;
  HeifImage image(decoded, heif_image_release);
  if (heif_image_get_bits_per_pixel_range(decoded, heif_channel_interleaved) != 8)
    return false;
  int stride = 0;
  const uint8_t* pixels = heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
  PixelView view{pixels, heif_image_get_width(decoded, heif_channel_interleaved),
                 heif_image_get_height(decoded, heif_channel_interleaved),
                 static_cast<size_t>(stride), alpha ? 4 : 3};
  if (!pixels || stride <= 0 || view.width <= 0 || view.height <= 0 ||
      size_t(stride) < size_t(view.width) * view.channels)
    return false;
  if (!ComposeTile(view, 1, width, height, tile, out)) return false;
  if (info) {
    info->from_embedded = static_cast<bool>(thumb);
    info->source_width = width;
    info->source_height = height;
  }
  return true;
}

}  // namespace

PictureFormat SniffPictureFormat(const std::string& path) {
  PictureFile file;
  if (!OpenPicture(path, 64, &file)) return PictureFormat::kUnknown;
  return SniffBuffer(file.head.data(), file.head.size());
}

bool DecodeThumbnail(const std::string& path, int tile, wxImage* out, ThumbnailInfo* info) {
  if (!out || tile <= 0 || tile > kMaxTile) return false;
  try {
    PictureFile file;
    if (!OpenPicture(path, kHeadBytes, &file)) return false;
    ThumbnailInfo facts;
    facts.format = SniffBuffer(file.head.data(), file.head.size());
    wxImage image;
    bool ok = false;
    switch (facts.format) {
      case PictureFormat::kJpeg: ok = DecodeJpegFile(file, tile, &image, &facts); break;
      case PictureFormat::kPng: ok = DecodePngFile(file, tile, &image, &facts); break;
      case PictureFormat::kHeif: ok = DecodeHeifFile(file, tile, &image, &facts); break;
      case PictureFormat::kUnknown: break;
    }
    if (!ok) return false;
    *out = image;
    if (info) *info = facts;
    return true;
  } catch (...) {
    // Out of memory, mostly; the tile simply stays empty.
    return false;
  }
}

bool SaveThumbnailPng(const wxImage& tile, const std::string& path) {
  if (!tile.IsOk() || path.empty()) return false;
  const int width = tile.GetWidth();
  const int height = tile.GetHeight();
  const unsigned char* rgb = tile.GetData();
  const unsigned char* alpha = tile.HasAlpha() ? tile.GetAlpha() : nullptr;
  std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
  for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i) {
    rgba[i * 4] = rgb[i * 3];
    rgba[i * 4 + 1] = rgb[i * 3 + 1];
    rgba[i * 4 + 2] = rgb[i * 3 + 2];
    rgba[i * 4 + 3] = alpha ? alpha[i] : 255;
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGBA;
  const std::string partial = path + ".partial";
  const bool written =
      png_image_write_to_file(&image, partial.c_str(), 0, rgba.data(), 0, nullptr) != 0;
  png_image_free(&image);
  if (!written || std::rename(partial.c_str(), path.c_str()) != 0) {
    std::remove(partial.c_str());
    return false;
  }
  return true;
}
