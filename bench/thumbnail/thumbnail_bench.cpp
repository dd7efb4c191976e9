// Thumbnail decoding as the copy workers do it: writes its own pictures
// into a temporary folder, decodes each into a 100 x 100 tile a number of
// times and prints the median and worst time and the source that was used.
//
//   thumbnail_bench [--runs N] [--keep] [--no-heif]
//
// The pictures: a 12-megapixel photo-like JPEG (gradients, shapes and
// noise, quality 90) without and with a 160 x 120 EXIF preview, a
// 2000 x 1500 PNG, and the same photo as HEIC without and with a 320-pixel
// thumbnail, written by heif-enc (libheif-examples); encoding those takes
// a while. N (default 20) is the count for the fast cases; slow ones run
// fewer times. --keep leaves the folder; --no-heif leaves the HEIC files
// out (and the wait for their encoding).
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

// jpeglib.h needs stdio.h's FILE first.
#include <jpeglib.h>
#include <png.h>

#include "bench_files.h"
#include "common/thumbnail_decoder.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kTile = 100;

struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
};

// Smooth colour fields, a few hard-edged discs and sensor-like noise: about
// what a phone photo costs to decode.
Picture MakePhoto(int width, int height) {
  Picture p;
  p.width = width;
  p.height = height;
  p.rgb.resize(static_cast<size_t>(width) * height * 3);
  uint32_t seed = 12345;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double u = double(x) / width, v = double(y) / height;
      double r = 60 + 150 * u, g = 40 + 160 * v,
             b = 128 + 90 * std::sin(6.0 * u + 4.0 * v) * std::cos(3.0 * v);
      for (int k = 0; k < 5; ++k) {
        const double cx = 0.15 + 0.17 * k, cy = 0.3 + 0.1 * (k % 3), rad = 0.05 + 0.02 * k;
        if ((u - cx) * (u - cx) * 1.78 + (v - cy) * (v - cy) < rad * rad) {
          r = 230 - 30 * k;
          g = 40 + 40 * k;
          b = 90;
        }
      }
      uint8_t* px = &p.rgb[(static_cast<size_t>(y) * width + x) * 3];
      const double c[3] = {r, g, b};
      for (int i = 0; i < 3; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double noise = double((seed >> 24) & 0xFF) / 255.0 * 28 - 14;
        px[i] = static_cast<uint8_t>(std::clamp(c[i] + noise, 0.0, 255.0));
      }
    }
  }
  return p;
}

Picture Shrink(const Picture& p, int factor) {
  Picture s;
  s.width = p.width / factor;
  s.height = p.height / factor;
  s.rgb.resize(static_cast<size_t>(s.width) * s.height * 3);
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x)
      for (int c = 0; c < 3; ++c) {
        int sum = 0;
        for (int dy = 0; dy < factor; ++dy)
          for (int dx = 0; dx < factor; ++dx)
            sum += p.rgb[((static_cast<size_t>(y) * factor + dy) * p.width + x * factor + dx) * 3 + c];
        s.rgb[(static_cast<size_t>(y) * s.width + x) * 3 + c] =
            static_cast<uint8_t>(sum / (factor * factor));
      }
  return s;
}

std::string EncodeJpeg(const Picture& p, int quality) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* mem = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &mem, &size);
  c.image_width = p.width;
  c.image_height = p.height;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(&p.rgb[size_t{c.next_scanline} * p.width * 3]);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::string out(reinterpret_cast<char*>(mem), size);
  free(mem);
  return out;
}

void Put16(std::string* s, uint32_t v) {
  *s += static_cast<char>(v & 0xFF);
  *s += static_cast<char>(v >> 8);
}
void Put32(std::string* s, uint32_t v) {
  for (int i = 0; i < 4; ++i) *s += static_cast<char>(v >> (8 * i));
}

// The picture with an APP1 whose IFD1 holds the preview (little-endian).
std::string WithExifPreview(const std::string& jpeg, const std::string& preview) {
  std::string tiff = "II";
  Put16(&tiff, 42);
  Put32(&tiff, 8);
  Put16(&tiff, 1);  // IFD0: orientation 1
  Put16(&tiff, 0x0112), Put16(&tiff, 3), Put32(&tiff, 1), Put16(&tiff, 1), Put16(&tiff, 0);
  Put32(&tiff, 26);  // IFD1 right after
  Put16(&tiff, 2);
  Put16(&tiff, 0x0201), Put16(&tiff, 4), Put32(&tiff, 1), Put32(&tiff, 26 + 2 + 24 + 4);
  Put16(&tiff, 0x0202), Put16(&tiff, 4), Put32(&tiff, 1),
      Put32(&tiff, static_cast<uint32_t>(preview.size()));
  Put32(&tiff, 0);
  tiff += preview;
  const size_t length = 2 + 6 + tiff.size();
  std::string app1 = "\xFF\xE1";
  app1 += static_cast<char>(length >> 8);
  app1 += static_cast<char>(length & 0xFF);
  app1 += std::string("Exif\0\0", 6) + tiff;
  return jpeg.substr(0, 2) + app1 + jpeg.substr(2);
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && ok;
}

bool WritePng(const std::string& path, const Picture& p) {
  png_image image;
  memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = p.width;
  image.height = p.height;
  image.format = PNG_FORMAT_RGB;
  return png_image_write_to_file(&image, path.c_str(), 0, p.rgb.data(), 0, nullptr) != 0;
}

double FileMiB(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_size / (1024.0 * 1024.0) : 0;
}

double Ms(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

void Measure(const char* name, const std::string& path, int runs, const char* goal) {
  wxImage image;
  ThumbnailInfo info;
  if (!DecodeThumbnail(path, kTile, &image, &info)) {  // also warms the page cache
    printf("%-26s cannot be decoded\n", name);
    return;
  }
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const Clock::time_point start = Clock::now();
    wxImage tile;
    DecodeThumbnail(path, kTile, &tile);
    times.push_back(Ms(start, Clock::now()));
  }
  std::sort(times.begin(), times.end());
  printf("%-26s %8.2f ms median %8.2f ms worst  %3d runs  %6.2f MiB  %dx%d from %s%s%s\n",
         name, times[times.size() / 2], times.back(), runs, FileMiB(path),
         info.source_width, info.source_height,
         info.from_embedded ? "embedded thumbnail" : "the picture", goal[0] ? "  goal " : "",
         goal);
}

// Both copy workers decoding at once: time per picture over the pair.
void MeasureTwoWorkers(const char* name, const std::string& path, int runs) {
  const Clock::time_point start = Clock::now();
  std::vector<std::thread> workers;
  for (int w = 0; w < 2; ++w)
    workers.emplace_back([&] {
      for (int i = 0; i < runs; ++i) {
        wxImage tile;
        DecodeThumbnail(path, kTile, &tile);
      }
    });
  for (auto& w : workers) w.join();
  const double total = Ms(start, Clock::now());
  printf("%-26s %8.2f ms a picture with two workers (%d pictures in %.0f ms)\n", name,
         total / (2 * runs), 2 * runs, total);
}

bool HeifEnc(const std::string& source, const std::string& out, const char* extra) {
  const std::string command = std::string("heif-enc -q 80 ") + extra + " -o '" + out + "' '" +
                              source + "' >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 20;
  bool keep = false, heif = true;
  for (int i = 1; i < argc; ++i) {
    if (!strcmp(argv[i], "--runs") && i + 1 < argc) runs = std::max(1, atoi(argv[++i]));
    else if (!strcmp(argv[i], "--keep")) keep = true;
    else if (!strcmp(argv[i], "--no-heif")) heif = false;
    else {
      fprintf(stderr, "usage: %s [--runs N] [--keep] [--no-heif]\n", argv[0]);
      return 2;
    }
  }
  const std::string dir = bench::MakeTempDir("thumbnail-bench", "pictures");
  if (dir.empty()) {
    fprintf(stderr, "cannot make a temporary folder\n");
    return 1;
  }
  printf("writing pictures into %s\n", dir.c_str());
  fflush(stdout);
  const Picture photo = MakePhoto(4000, 3000);
  const std::string jpeg = EncodeJpeg(photo, 90);
  const std::string preview = EncodeJpeg(Shrink(photo, 25), 85);
  const std::string plain_jpg = dir + "/plain.jpg", exif_jpg = dir + "/exif.jpg";
  const std::string png = dir + "/screen.png";
  const std::string heic = dir + "/plain.heic", thumb_heic = dir + "/thumb.heic";
  bool ok = WriteBytes(plain_jpg, jpeg) && WriteBytes(exif_jpg, WithExifPreview(jpeg, preview)) &&
            WritePng(png, Shrink(photo, 2));
  const Clock::time_point encode = Clock::now();
  const bool heif_ok = ok && heif && HeifEnc(plain_jpg, heic, "") &&
                       HeifEnc(plain_jpg, thumb_heic, "-t 320");
  if (heif_ok) printf("heif-enc took %.1f s for both HEIC files\n", Ms(encode, Clock::now()) / 1000);
  if (!ok) {
    fprintf(stderr, "cannot write the pictures\n");
    if (!keep) bench::RemoveTree(dir);
    return 1;
  }
  printf("tile %d x %d, one thread unless said\n", kTile, kTile);
  Measure("JPEG 12 MP", plain_jpg, runs, "<= 25 ms");
  Measure("JPEG 12 MP + EXIF preview", exif_jpg, runs * 5, "");
  Measure("PNG 3 MP", png, std::max(1, runs / 2), "");
  if (heif_ok) {
    Measure("HEIC 12 MP", heic, std::max(1, runs / 4), "");
    Measure("HEIC 12 MP + thumbnail", thumb_heic, runs * 5, "<= 15 ms");
  } else if (heif) {
    printf("HEIC skipped: heif-enc failed (libheif-examples installed?)\n");
  }
  MeasureTwoWorkers("JPEG 12 MP", plain_jpg, runs);
  if (heif_ok) MeasureTwoWorkers("HEIC 12 MP + thumbnail", thumb_heic, runs * 5);
  if (keep)
    printf("pictures kept in %s\n", dir.c_str());
  else
    bench::RemoveTree(dir);
  return 0;
}
