#include "picture.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>
#include <png.h>

namespace gen {

namespace {

constexpr double kPi = 3.14159265358979323846;

uint8_t Clamp8(double v) {
  if (v <= 0) return 0;
  if (v >= 255) return 255;
  return static_cast<uint8_t>(v + 0.5);
}

Color Lerp(const Color& a, const Color& b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Color Scale(const Color& c, double f) { return {c.r * f, c.g * f, c.b * f}; }

double Smooth(double edge0, double edge1, double x) {
  double t = std::min(1.0, std::max(0.0, (x - edge0) / (edge1 - edge0)));
  return t * t * (3 - 2 * t);
}

// Vertical bounds of a shape clipped to the canvas, as integer rows.
void Clip(double lo, double hi, int limit, int* a, int* b) {
  *a = std::max(0, static_cast<int>(std::floor(lo)));
  *b = std::min(limit - 1, static_cast<int>(std::ceil(hi)));
}

// A ridge line: heights of a mountain range per column, from a few sines.
std::vector<double> Ridge(Rng& rng, int width, double base, double amplitude) {
  double freq[4], phase[4], amp[4];
  for (int k = 0; k < 4; ++k) {
    freq[k] = rng.Uniform(1.0, 3.0) * (k + 1) * 2.0 * kPi / width;
    phase[k] = rng.Uniform(0, 2 * kPi);
    amp[k] = amplitude / (k + 1.5);
  }
  std::vector<double> h(static_cast<size_t>(width));
  for (int x = 0; x < width; ++x) {
    double v = base;
    for (int k = 0; k < 4; ++k) v -= amp[k] * std::sin(freq[k] * x + phase[k]);
    // A sharp-ish crest looks more like rock than a pure sine does.
    v -= amplitude * 0.15 * std::fabs(std::sin(freq[3] * 1.7 * x + phase[0]));
    h[static_cast<size_t>(x)] = v;
  }
  return h;
}

void FillBelow(Canvas& c, const std::vector<double>& ridge, const Color& top, const Color& bottom) {
  for (int x = 0; x < c.width(); ++x) {
    double r = ridge[static_cast<size_t>(x)];
    int y0 = std::max(0, static_cast<int>(std::floor(r)));
    for (int y = y0; y < c.height(); ++y) {
      double cover = std::min(1.0, std::max(0.0, y + 1 - r));
      double t = (y - r) / std::max(1.0, c.height() - r);
      c.Blend(x, y, Lerp(top, bottom, std::min(1.0, t * 2)), cover);
    }
  }
}

void Clouds(Canvas& c, Rng& rng, double max_y, double phase, const Color& tint) {
  int clouds = rng.Range(2, 6);
  double w = c.width();
  for (int k = 0; k < clouds; ++k) {
    double cx = std::fmod(rng.Uniform(0, w) + phase * w * 0.3, w * 1.2) - w * 0.1;
    double cy = rng.Uniform(0.05, 1.0) * max_y;
    double size = rng.Uniform(0.04, 0.09) * w;
    for (int p = 0; p < 7; ++p) {
      c.Disc(cx + rng.Uniform(-2.2, 2.2) * size, cy + rng.Uniform(-0.4, 0.4) * size,
             size * rng.Uniform(0.6, 1.2), tint, 0.22, size * 0.6);
    }
  }
}

void PaintLandscape(Canvas& c, Rng& rng, double phase) {
  const double w = c.width(), h = c.height();
  int mood = rng.Range(0, 2);
  Color top, horizon;
  if (mood == 0) {
    top = Hsv(rng.Uniform(200, 220), 0.65, 0.85);
    horizon = Hsv(rng.Uniform(190, 205), 0.25, 0.98);
  } else if (mood == 1) {
    top = Hsv(rng.Uniform(210, 250), 0.55, 0.55);
    horizon = Hsv(rng.Uniform(20, 40), 0.55, 1.0);
  } else {
    top = Hsv(rng.Uniform(255, 280), 0.5, 0.35);
    horizon = Hsv(rng.Uniform(330, 350), 0.45, 0.9);
  }
  const double horizon_y = h * rng.Uniform(0.5, 0.66);
  for (int y = 0; y < c.height(); ++y) {
    Color row = Lerp(top, horizon, std::min(1.0, y / horizon_y));
    for (int x = 0; x < c.width(); ++x) c.Set(x, y, row);
  }
  double sun_x = w * rng.Uniform(0.15, 0.85) + w * 0.1 * phase;
  double sun_y = horizon_y * rng.Uniform(0.35, 0.8) - horizon_y * 0.1 * phase;
  Color sun = mood == 0 ? Color{255, 250, 230} : Color{255, 210, 150};
  c.Glow(sun_x, sun_y, w * 0.25, sun, 0.5);
  c.Disc(sun_x, sun_y, w * 0.035, sun, 1.0, 2.0);
  Clouds(c, rng, horizon_y * 0.7, phase, mood == 0 ? Color{255, 255, 255} : Color{255, 200, 190});

  Color rock = Hsv(rng.Uniform(90, 150), rng.Uniform(0.2, 0.5), rng.Uniform(0.25, 0.4));
  int layers = rng.Range(2, 4);
  for (int k = 0; k < layers; ++k) {
    double haze = 1.0 - static_cast<double>(k + 1) / (layers + 1);
    double base = horizon_y - h * 0.12 * haze - h * 0.02;
    auto ridge = Ridge(rng, c.width(), base, h * (0.05 + 0.08 * haze));
    Color near = Lerp(rock, horizon, haze * 0.75);
    FillBelow(c, ridge, near, Scale(near, 0.8));
  }
  const bool lake = rng.Chance(0.5);
  if (lake) {
    int water = static_cast<int>(horizon_y + h * 0.04);
    for (int y = water; y < c.height(); ++y) {
      double depth = (y - water) / (h - water);
      int src = 2 * water - y;
      if (src < 0) src = 0;
      for (int x = 0; x < c.width(); ++x) {
        int sx = std::min(c.width() - 1, std::max(0, x + static_cast<int>(3 * std::sin(y * 0.35 + x * 0.01))));
        Color m = c.Get(sx, src);
        Color tinted = Lerp(m, Color{30, 60, 90}, 0.25 + 0.4 * depth);
        c.Set(x, y, tinted);
      }
    }
  } else {
    Color grass = Hsv(rng.Uniform(75, 115), 0.55, 0.55);
    std::vector<double> meadow(static_cast<size_t>(c.width()));
    double tilt = rng.Uniform(-0.05, 0.05);
    for (int x = 0; x < c.width(); ++x) {
      meadow[static_cast<size_t>(x)] = horizon_y + h * 0.06 + tilt * (x - w / 2) +
                                       h * 0.015 * std::sin(x * 6.0 / w);
    }
    FillBelow(c, meadow, grass, Scale(grass, 0.6));
    int trees = rng.Range(3, 9);
    for (int t = 0; t < trees; ++t) {
      double tx = rng.Uniform(0, w);
      double ty = meadow[static_cast<size_t>(std::min(w - 1, std::max(0.0, tx)))] + rng.Uniform(0, h * 0.2);
      double size = h * rng.Uniform(0.05, 0.14) * (ty / h);
      Color leaf = Hsv(rng.Uniform(100, 150), 0.6, 0.3);
      c.Rect(tx - size * 0.06, ty - size * 0.2, tx + size * 0.06, ty + size * 0.15, Color{70, 45, 30}, 1.0);
      c.Triangle(tx, ty - size * 1.4, tx - size * 0.45, ty - size * 0.1, tx + size * 0.45, ty - size * 0.1, leaf, 1.0);
    }
  }
}

void PaintSeaside(Canvas& c, Rng& rng, double phase) {
  const double w = c.width(), h = c.height();
  Color top = Hsv(rng.Uniform(200, 260), 0.6, rng.Uniform(0.4, 0.8));
  Color horizon = Hsv(rng.Uniform(15, 45), rng.Uniform(0.4, 0.7), 1.0);
  Color sea = Hsv(rng.Uniform(190, 215), 0.7, 0.45);
  const double horizon_y = h * rng.Uniform(0.45, 0.6);
  const double sun_x = w * rng.Uniform(0.25, 0.75);
  const double sun_y = horizon_y - h * (0.05 + 0.1 * (1 - phase));
  for (int y = 0; y < c.height(); ++y) {
    for (int x = 0; x < c.width(); ++x) {
      if (y < horizon_y) {
        c.Set(x, y, Lerp(top, horizon, std::pow(y / horizon_y, 1.6)));
      } else {
        double d = (y - horizon_y) / (h - horizon_y);
        Color base = Lerp(Lerp(horizon, sea, 0.6), Scale(sea, 0.6), d);
        // Glitter of the sun on the waves, in a column under it.
        double col = std::exp(-std::pow((x - sun_x) / (w * (0.03 + 0.08 * d)), 2));
        double wave = 0.5 + 0.5 * std::sin(y * 0.9 / (1 + d * 3) + std::sin(x * 0.05 + y) * 2 + phase * 6);
        c.Set(x, y, Lerp(base, Color{255, 235, 190}, col * wave * 0.8));
      }
    }
  }
  c.Glow(sun_x, sun_y, w * 0.3, Color{255, 220, 170}, 0.45);
  c.Disc(sun_x, sun_y, w * 0.045, Color{255, 245, 220}, 1.0, 2.0);
  Clouds(c, rng, horizon_y * 0.6, phase, Color{255, 190, 170});
  // Beach in the foreground, curved.
  std::vector<double> shore(static_cast<size_t>(c.width()));
  double bend = rng.Uniform(0.05, 0.15) * h;
  for (int x = 0; x < c.width(); ++x) {
    double u = x / w;
    shore[static_cast<size_t>(x)] = h * 0.82 - bend * std::sin(u * kPi) + h * 0.01 * std::sin(u * 17);
  }
  Color sand = Hsv(rng.Uniform(30, 42), 0.35, 0.85);
  FillBelow(c, shore, sand, Scale(sand, 0.75));
}

void PaintCityNight(Canvas& c, Rng& rng, double phase) {
  const double w = c.width(), h = c.height();
  Color top{8, 10, 30};
  Color low = Hsv(rng.Uniform(260, 300), 0.6, 0.35);
  c.VerticalGradient(top, low);
  int stars = static_cast<int>(w * h / 4000);
  for (int s = 0; s < stars; ++s) {
    int x = static_cast<int>(rng.Below(static_cast<uint32_t>(c.width())));
    int y = static_cast<int>(rng.Below(static_cast<uint32_t>(c.height() * 0.6)));
    c.Blend(x, y, Color{255, 255, 240}, rng.Uniform(0.2, 0.9));
  }
  double mx = w * rng.Uniform(0.1, 0.9), my = h * rng.Uniform(0.1, 0.3);
  c.Glow(mx, my, w * 0.12, Color{200, 210, 255}, 0.35);
  c.Disc(mx, my, w * 0.03, Color{240, 240, 225}, 1.0, 1.5);
  c.Disc(mx + w * 0.012, my - w * 0.006, w * 0.026, Color{25, 25, 55}, 0.85, 1.5);
  c.Glow(w / 2, h, w * 0.8, Color{255, 140, 60}, 0.25);
  for (int row = 0; row < 2; ++row) {
    double x = -rng.Uniform(0, w * 0.05);
    while (x < w) {
      double bw = w * rng.Uniform(0.04, 0.11);
      double bh = h * rng.Uniform(0.15, row == 0 ? 0.55 : 0.35);
      Color body = Hsv(rng.Uniform(220, 260), 0.3, row == 0 ? 0.12 : 0.18);
      double top_y = h - bh;
      c.Rect(x, top_y, x + bw, h, body, 1.0);
      double win = std::max(2.0, w * 0.006);
      for (double wy = top_y + win * 2; wy < h - win; wy += win * 2.2) {
        for (double wx = x + win; wx < x + bw - win; wx += win * 1.9) {
          if (rng.Chance(0.35 + 0.2 * phase)) {
            c.Rect(wx, wy, wx + win, wy + win * 1.3, Hsv(rng.Uniform(35, 55), 0.6, 1.0), 0.9);
          }
        }
      }
      x += bw + w * rng.Uniform(0.0, 0.02);
    }
  }
}

void PaintBokeh(Canvas& c, Rng& rng, double phase) {
  const double w = c.width(), h = c.height();
  double hue = rng.Uniform(0, 360);
  c.VerticalGradient(Hsv(hue, 0.6, 0.15), Hsv(hue + 40, 0.7, 0.35));
  int n = rng.Range(40, 110);
  for (int k = 0; k < n; ++k) {
    double r = w * rng.Uniform(0.015, 0.09);
    double x = rng.Uniform(0, w) + std::sin(phase * 2 * kPi + k) * w * 0.02;
    double y = rng.Uniform(0, h) + std::cos(phase * 2 * kPi + k) * h * 0.02;
    Color col = Hsv(hue + rng.Uniform(-50, 80), rng.Uniform(0.3, 0.9), 1.0);
    c.Disc(x, y, r, col, rng.Uniform(0.15, 0.45), r * rng.Uniform(0.05, 0.3));
  }
}

void PaintPoster(Canvas& c, Rng& rng, double phase) {
  static const Color kPalette[] = {{220, 50, 40}, {30, 70, 160}, {245, 195, 40},
                                   {25, 25, 25},  {240, 235, 220}, {40, 140, 110}};
  const double w = c.width(), h = c.height();
  Color paper = Hsv(rng.Uniform(30, 50), 0.12, 0.95);
  c.VerticalGradient(paper, Scale(paper, 0.95));
  int n = rng.Range(5, 10);
  double s = std::min(w, h);
  for (int k = 0; k < n; ++k) {
    const Color& col = kPalette[rng.Below(6)];
    double x = rng.Uniform(0, w), y = rng.Uniform(0, h);
    double size = s * rng.Uniform(0.1, 0.45);
    switch (rng.Below(3)) {
      case 0:
        c.Disc(x + phase * s * 0.1, y, size / 2, col, 1.0, 1.2);
        break;
      case 1:
        c.Rect(x - size / 2, y - size / 4, x + size / 2, y + size / 4 + phase * s * 0.05, col, 1.0);
        break;
      default:
        c.Triangle(x, y - size / 2, x - size / 2, y + size / 2, x + size / 2, y + size / 2 - phase * s * 0.1,
                   col, 1.0);
    }
  }
  // A thick rule, as posters often have.
  c.Rect(w * 0.08, h * 0.9, w * 0.92, h * 0.9 + s * 0.02, Color{25, 25, 25}, 1.0);
}

void PaintFlower(Canvas& c, Rng& rng, double phase) {
  const double w = c.width(), h = c.height();
  Color leaf = Hsv(rng.Uniform(80, 140), 0.6, 0.35);
  c.VerticalGradient(Scale(leaf, 1.3), Scale(leaf, 0.6));
  for (int k = 0; k < 25; ++k) {
    double r = w * rng.Uniform(0.03, 0.1);
    c.Disc(rng.Uniform(0, w), rng.Uniform(0, h), r, Hsv(rng.Uniform(60, 150), 0.5, rng.Uniform(0.4, 0.9)),
           0.25, r * 0.5);
  }
  int flowers = rng.Range(1, 3);
  for (int f = 0; f < flowers; ++f) {
    double cx = w * rng.Uniform(0.25, 0.75), cy = h * rng.Uniform(0.3, 0.7);
    double radius = std::min(w, h) * rng.Uniform(0.15, 0.32) / (f + 1);
    int petals = rng.Range(5, 12);
    double turn = rng.Uniform(0, kPi) + phase * 0.5;
    Color petal = Hsv(rng.Uniform(-40, 60), rng.Uniform(0.5, 0.9), 0.95);
    Color heart = Hsv(rng.Uniform(35, 55), 0.9, 0.9);
    int y0, y1;
    Clip(cy - radius, cy + radius, c.height(), &y0, &y1);
    int x0 = std::max(0, static_cast<int>(cx - radius)), x1 = std::min(c.width() - 1, static_cast<int>(cx + radius));
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) {
        double dx = x - cx, dy = y - cy;
        double r = std::sqrt(dx * dx + dy * dy);
        double theta = std::atan2(dy, dx) + turn;
        double edge = radius * (0.45 + 0.55 * std::pow(std::fabs(std::cos(petals * theta / 2)), 0.6));
        if (r > edge + 1.5) continue;
        double cover = std::min(1.0, edge + 1.0 - r);
        double t = r / radius;
        Color col = Lerp(Scale(petal, 0.7), petal, Smooth(0.1, 0.9, t));
        col = Lerp(col, Color{255, 255, 255}, 0.25 * Smooth(0.6, 1.0, t));
        c.Blend(x, y, col, cover);
      }
    }
    c.Disc(cx, cy, radius * 0.18, heart, 1.0, 2.0);
    c.Disc(cx - radius * 0.04, cy - radius * 0.04, radius * 0.07, Scale(heart, 1.15), 0.6, radius * 0.05);
  }
}

void PaintScreenshot(Canvas& c, Rng& rng, double phase) {
  const double w = c.width(), h = c.height();
  const bool dark = rng.Chance(0.4);
  Color bg = dark ? Color{18, 18, 22} : Color{242, 242, 247};
  Color card = dark ? Color{38, 38, 44} : Color{255, 255, 255};
  Color ink = dark ? Color{230, 230, 235} : Color{30, 30, 35};
  Color faint = dark ? Color{120, 120, 130} : Color{160, 160, 168};
  Color accent = Hsv(rng.Uniform(0, 360), 0.7, 0.9);
  c.VerticalGradient(bg, bg);
  double u = w / 100.0;
  // Status bar: clock, signal, battery.
  c.RoundRect(6 * u, 3 * u, 16 * u, 5.5 * u, u, ink, 1.0);
  for (int b = 0; b < 4; ++b) c.Rect(72 * u + b * 2 * u, 5.5 * u - b * 0.7 * u - u, 73.2 * u + b * 2 * u, 5.5 * u, ink, 1.0);
  c.RoundRect(84 * u, 3 * u, 93 * u, 5.5 * u, 0.8 * u, ink, 1.0);
  // Big title.
  c.RoundRect(6 * u, 12 * u, (30 + rng.Uniform(10, 30)) * u, 17 * u, u, ink, 1.0);
  double y = 22 * u;
  int row = 0;
  while (y < h - 28 * u) {
    double row_h = rng.Chance(0.3) ? 34 * u : 16 * u;
    c.RoundRect(4 * u, y, 96 * u, y + row_h, 3 * u, card, 1.0);
    Color icon = Hsv(rng.Uniform(0, 360), 0.6, 0.9);
    c.RoundRect(7 * u, y + 3 * u, 17 * u, y + 13 * u, 2.5 * u, icon, 1.0);
    c.RoundRect(21 * u, y + 4 * u, (21 + rng.Uniform(25, 60)) * u, y + 6.5 * u, u, ink, 1.0);
    c.RoundRect(21 * u, y + 9 * u, (21 + rng.Uniform(15, 50)) * u, y + 11 * u, u, faint, 1.0);
    if (row_h > 20 * u) {
      // A picture in a card, a gradient standing in for a photo.
      double px0 = 7 * u, py0 = y + 15 * u, px1 = 93 * u, py1 = y + row_h - 3 * u;
      Color from = Hsv(rng.Uniform(0, 360), 0.5, 0.9), to = Hsv(rng.Uniform(0, 360), 0.6, 0.6);
      for (int yy = static_cast<int>(py0); yy < static_cast<int>(py1); ++yy) {
        c.RoundRect(px0, yy, px1, yy + 1, 0, Lerp(from, to, (yy - py0) / (py1 - py0)), 1.0);
      }
    }
    if (row == 1 + static_cast<int>(phase * 3)) c.Disc(88 * u, y + row_h / 2, 2.5 * u, accent, 1.0, 1.0);
    y += row_h + 3 * u;
    ++row;
  }
  // Tab bar.
  c.Rect(0, h - 20 * u, w, h, card, 1.0);
  for (int t = 0; t < 4; ++t) {
    c.RoundRect((12 + t * 22) * u, h - 16 * u, (20 + t * 22) * u, h - 10 * u, 2 * u, t == 0 ? accent : faint, 1.0);
  }
  c.RoundRect(35 * u, h - 3 * u, 65 * u, h - 2 * u, 0.5 * u, ink, 1.0);
}

struct JpegError {
  jpeg_error_mgr mgr;
  jmp_buf jump;
};

void JpegFail(j_common_ptr info) {
  JpegError* err = reinterpret_cast<JpegError*>(info->err);
  std::longjmp(err->jump, 1);
}

void PngWrite(png_structp png, png_bytep data, png_size_t length) {
  std::string* out = static_cast<std::string*>(png_get_io_ptr(png));
  out->append(reinterpret_cast<const char*>(data), length);
}

void PngFlush(png_structp) {}

}  // namespace

Color Hsv(double hue, double s, double v) {
  hue = std::fmod(hue, 360.0);
  if (hue < 0) hue += 360.0;
  double c = v * s;
  double x = c * (1 - std::fabs(std::fmod(hue / 60.0, 2.0) - 1));
  double m = v - c;
  double r = 0, g = 0, b = 0;
  if (hue < 60) { r = c; g = x; }
  else if (hue < 120) { r = x; g = c; }
  else if (hue < 180) { g = c; b = x; }
  else if (hue < 240) { g = x; b = c; }
  else if (hue < 300) { r = x; b = c; }
  else { r = c; b = x; }
  return {(r + m) * 255, (g + m) * 255, (b + m) * 255};
}

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height * 3, 0) {}

Color Canvas::Get(int x, int y) const {
  const uint8_t* p = &pixels_[(static_cast<size_t>(y) * width_ + x) * 3];
  return {static_cast<double>(p[0]), static_cast<double>(p[1]), static_cast<double>(p[2])};
}

void Canvas::Set(int x, int y, const Color& c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  uint8_t* p = &pixels_[(static_cast<size_t>(y) * width_ + x) * 3];
  p[0] = Clamp8(c.r);
  p[1] = Clamp8(c.g);
  p[2] = Clamp8(c.b);
}

void Canvas::Blend(int x, int y, const Color& c, double alpha) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || alpha <= 0) return;
  uint8_t* p = &pixels_[(static_cast<size_t>(y) * width_ + x) * 3];
  p[0] = Clamp8(p[0] + (c.r - p[0]) * alpha);
  p[1] = Clamp8(p[1] + (c.g - p[1]) * alpha);
  p[2] = Clamp8(p[2] + (c.b - p[2]) * alpha);
}

void Canvas::VerticalGradient(const Color& top, const Color& bottom) {
  for (int y = 0; y < height_; ++y) {
    Color row = Lerp(top, bottom, height_ > 1 ? static_cast<double>(y) / (height_ - 1) : 0.0);
    for (int x = 0; x < width_; ++x) Set(x, y, row);
  }
}

void Canvas::Disc(double cx, double cy, double radius, const Color& c, double alpha, double soft) {
  soft = std::max(0.75, soft);
  const double outer = radius + soft, inner = std::max(0.0, radius - soft);
  int y0, y1;
  Clip(cy - outer, cy + outer, height_, &y0, &y1);
  for (int y = y0; y <= y1; ++y) {
    const double dy = y + 0.5 - cy;
    const double span2 = outer * outer - dy * dy;
    if (span2 <= 0) continue;
    const double span = std::sqrt(span2);
    // Inside the inner circle the cover is whole: no distance needed there.
    const double inner2 = inner * inner - dy * dy;
    const double core = inner2 > 0 ? std::sqrt(inner2) : -1.0;
    int x0, x1;
    Clip(cx - span - 0.5, cx + span - 0.5, width_, &x0, &x1);
    for (int x = x0; x <= x1; ++x) {
      const double dx = x + 0.5 - cx;
      if (std::fabs(dx) < core) {
        Blend(x, y, c, alpha);
        continue;
      }
      const double cover = 1.0 - Smooth(radius - soft, radius + soft, std::sqrt(dx * dx + dy * dy));
      if (cover > 0) Blend(x, y, c, cover * alpha);
    }
  }
}

void Canvas::Glow(double cx, double cy, double radius, const Color& c, double strength) {
  int y0, y1, x0, x1;
  Clip(cy - radius, cy + radius, height_, &y0, &y1);
  Clip(cx - radius, cx + radius, width_, &x0, &x1);
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      double d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy)) / radius;
      if (d < 1) Blend(x, y, c, strength * (1 - d) * (1 - d));
    }
  }
}

void Canvas::Rect(double x0, double y0, double x1, double y1, const Color& c, double alpha) {
  int ya, yb, xa, xb;
  Clip(y0, y1 - 1, height_, &ya, &yb);
  Clip(x0, x1 - 1, width_, &xa, &xb);
  for (int y = ya; y <= yb; ++y) {
    double cy = std::min(1.0, std::min(y + 1 - y0, y1 - y));
    for (int x = xa; x <= xb; ++x) {
      double cx = std::min(1.0, std::min(x + 1 - x0, x1 - x));
      double cover = std::max(0.0, cx) * std::max(0.0, cy);
      Blend(x, y, c, cover * alpha);
    }
  }
}

void Canvas::RoundRect(double x0, double y0, double x1, double y1, double radius, const Color& c,
                       double alpha) {
  radius = std::min(radius, std::min(x1 - x0, y1 - y0) / 2);
  int ya, yb, xa, xb;
  Clip(y0, y1, height_, &ya, &yb);
  Clip(x0, x1, width_, &xa, &xb);
  for (int y = ya; y <= yb; ++y) {
    for (int x = xa; x <= xb; ++x) {
      double px = x + 0.5, py = y + 0.5;
      // Distance outside the rounded rectangle (negative inside).
      double qx = std::fabs(px - (x0 + x1) / 2) - ((x1 - x0) / 2 - radius);
      double qy = std::fabs(py - (y0 + y1) / 2) - ((y1 - y0) / 2 - radius);
      double ox = std::max(qx, 0.0), oy = std::max(qy, 0.0);
      double outside = std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0) - radius;
      double cover = std::min(1.0, std::max(0.0, 0.5 - outside));
      if (cover > 0) Blend(x, y, c, cover * alpha);
    }
  }
}

void Canvas::Triangle(double ax, double ay, double bx, double by, double cx, double cy, const Color& c,
                      double alpha) {
  int ya, yb, xa, xb;
  Clip(std::min(ay, std::min(by, cy)), std::max(ay, std::max(by, cy)), height_, &ya, &yb);
  Clip(std::min(ax, std::min(bx, cx)), std::max(ax, std::max(bx, cx)), width_, &xa, &xb);
  double area = (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
  if (std::fabs(area) < 1e-9) return;
  double sign = area > 0 ? 1.0 : -1.0;
  auto edge = [sign](double x0, double y0, double x1, double y1, double px, double py) {
    double len = std::sqrt((x1 - x0) * (x1 - x0) + (y1 - y0) * (y1 - y0));
    return sign * ((x1 - x0) * (py - y0) - (y1 - y0) * (px - x0)) / std::max(len, 1e-9);
  };
  for (int y = ya; y <= yb; ++y) {
    for (int x = xa; x <= xb; ++x) {
      double px = x + 0.5, py = y + 0.5;
      double d = std::min(edge(ax, ay, bx, by, px, py),
                          std::min(edge(bx, by, cx, cy, px, py), edge(cx, cy, ax, ay, px, py)));
      double cover = std::min(1.0, std::max(0.0, d + 0.5));
      if (cover > 0) Blend(x, y, c, cover * alpha);
    }
  }
}

void Canvas::Vignette(double strength) {
  const double cx = width_ / 2.0, cy = height_ / 2.0;
  const double norm = 1.0 / (cx * cx + cy * cy);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      double d2 = ((x - cx) * (x - cx) + (y - cy) * (y - cy)) * norm;
      double f = 1.0 - strength * d2 * d2;
      uint8_t* p = &pixels_[(static_cast<size_t>(y) * width_ + x) * 3];
      for (int k = 0; k < 3; ++k) p[k] = Clamp8(p[k] * f);
    }
  }
}

void Canvas::Grain(Rng& rng, double amount) {
  for (size_t i = 0; i < pixels_.size(); i += 3) {
    uint64_t bits = rng.Next();
    // One noise value for all three channels: luminance grain, like a sensor.
    double n = ((bits & 0xFF) + ((bits >> 8) & 0xFF) - 255.0) / 255.0 * amount;
    for (int k = 0; k < 3; ++k) pixels_[i + k] = Clamp8(pixels_[i + k] + n);
  }
}

void PaintScene(Canvas& canvas, Scene scene, uint64_t seed, double phase) {
  Rng rng(seed);
  switch (scene) {
    case Scene::kLandscape: PaintLandscape(canvas, rng, phase); break;
    case Scene::kSeaside: PaintSeaside(canvas, rng, phase); break;
    case Scene::kCityNight: PaintCityNight(canvas, rng, phase); break;
    case Scene::kBokeh: PaintBokeh(canvas, rng, phase); break;
    case Scene::kPoster: PaintPoster(canvas, rng, phase); break;
    case Scene::kFlower: PaintFlower(canvas, rng, phase); break;
    case Scene::kScreenshot: PaintScreenshot(canvas, rng, phase); return;
  }
  if (scene != Scene::kPoster) canvas.Vignette(0.35);
  // A fixed grain seed keeps the frames of a clip from flickering.
  Rng grain(seed ^ 0x5DEECE66Dull);
  canvas.Grain(grain, scene == Scene::kPoster ? 2.0 : 5.0);
}

bool EncodeJpeg(const Canvas& canvas, int quality, std::string* out) {
  jpeg_compress_struct cinfo;
  JpegError err;
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = JpegFail;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(canvas.width());
  cinfo.image_height = static_cast<JDIMENSION>(canvas.height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(canvas.data() + static_cast<size_t>(cinfo.next_scanline) * canvas.width() * 3);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  out->assign(reinterpret_cast<const char*>(buffer), size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return true;
}

bool EncodePng(const Canvas& canvas, std::string* out) {
  out->clear();
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return false;
  }
  png_set_write_fn(png, out, PngWrite, PngFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(canvas.width()), static_cast<png_uint_32>(canvas.height()), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < canvas.height(); ++y) {
    png_write_row(png, const_cast<png_bytep>(canvas.data() + static_cast<size_t>(y) * canvas.width() * 3));
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace gen
