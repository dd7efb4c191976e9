// Pictures painted by code (landscapes, city nights, flowers, posters, phone
// screens) and their JPEG and PNG encodings.
#ifndef PORTIVA_GENERATORS_PICTURE_H
#define PORTIVA_GENERATORS_PICTURE_H

#include <cstdint>
#include <string>
#include <vector>

#include "gen_util.h"

namespace gen {

struct Color {
  double r, g, b;  // 0 .. 255
};

// RGB, 8 bits a channel, rows top to bottom.
class Canvas {
 public:
  Canvas(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  const uint8_t* data() const { return pixels_.data(); }

  Color Get(int x, int y) const;
  void Set(int x, int y, const Color& c);
  // Mixes c over the pixel; alpha 0 .. 1.
  void Blend(int x, int y, const Color& c, double alpha);

  void VerticalGradient(const Color& top, const Color& bottom);
  // Soft-edged disc; soft is the width of the edge in pixels.
  void Disc(double cx, double cy, double radius, const Color& c, double alpha, double soft);
  void Glow(double cx, double cy, double radius, const Color& c, double strength);
  void Rect(double x0, double y0, double x1, double y1, const Color& c, double alpha);
  void RoundRect(double x0, double y0, double x1, double y1, double radius, const Color& c,
                 double alpha);
  void Triangle(double ax, double ay, double bx, double by, double cx, double cy, const Color& c,
                double alpha);
  void Vignette(double strength);
  void Grain(Rng& rng, double amount);

 private:
  int width_;
  int height_;
  std::vector<uint8_t> pixels_;
};

enum class Scene {
  kLandscape,
  kSeaside,
  kCityNight,
  kBokeh,
  kPoster,
  kFlower,
  kScreenshot,
};

constexpr int kSceneCount = 7;

// phase (0 .. 1) moves things along, for the frames of a clip.
void PaintScene(Canvas& canvas, Scene scene, uint64_t seed, double phase);

Color Hsv(double hue_degrees, double saturation, double value);

bool EncodeJpeg(const Canvas& canvas, int quality, std::string* out);
bool EncodePng(const Canvas& canvas, std::string* out);

}  // namespace gen

#endif
