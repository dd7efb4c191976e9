#include "common/image_util.h"

#include <wx/brush.h>
#include <wx/dcmemory.h>
#include <wx/filename.h>
#include <wx/filesys.h>
#include <wx/pen.h>

#include <algorithm>
#include <memory>

#include "app/app_util.h"

namespace {
wxString& ThemeArchiveOverride() {
  static wxString path;
  return path;
}
}  // namespace

wxString ImageUtil::GetThemeArchivePath() {
  if (!ThemeArchiveOverride().empty()) return ThemeArchiveOverride();
  return AppUtil::getInstallDirectory() + "/Themes/default.zip";
}

void ImageUtil::SetThemeArchivePath(const wxString& path) {
  ThemeArchiveOverride() = path;
}

wxImage ImageUtil::LoadImage(const wxString& path, long type) {
  wxString location =
      wxFileSystem::FileNameToURL(wxFileName(GetThemeArchivePath())) +
      "#zip:" + path;
  std::unique_ptr<wxFileSystem> fs(new wxFileSystem);
  std::unique_ptr<wxFSFile> file(fs->OpenFile(location, wxFS_READ));
  wxImage image;
  if (!file || !file->GetStream()) return image;
  image.LoadFile(*file->GetStream(), static_cast<wxBitmapType>(type), -1);
  return image;
}

wxBitmap ImageUtil::GetBitmapResource(const wxString& path, long type) {
  wxBitmap* bitmap = GetBitmapResourceP(path, type);
  if (!bitmap) return wxNullBitmap;
  wxBitmap result = *bitmap;
  delete bitmap;
  return result;
}

wxBitmap* ImageUtil::GetBitmapResourceP(const wxString& path, long type) {
  return GetWholeMaskImage(path, 0, type);
}

wxBitmap* ImageUtil::GetWholeMaskImage(const wxString& path, int threshold,
                                       long type) {
  wxImage image = LoadImage(path, type);
  if (!image.IsOk()) return nullptr;
  if (threshold > 0 && image.HasAlpha()) {
    unsigned char mask_r = image.GetMaskRed();
    unsigned char mask_g = image.GetMaskGreen();
    unsigned char mask_b = image.GetMaskBlue();
    unsigned char* rgb = image.GetData();
    unsigned char* alpha = image.GetAlpha();
    const long count = static_cast<long>(image.GetWidth()) * image.GetHeight();
    for (long i = 0; i < count; ++i) {
      if (alpha[i] != 0 && alpha[i] < threshold) {
        rgb[3 * i] = mask_r;
        rgb[3 * i + 1] = mask_g;
        rgb[3 * i + 2] = mask_b;
        alpha[i] = 0;
      }
    }
  }
  wxBitmap* bitmap = new wxBitmap(image, -1);
  if (!bitmap->IsOk()) {
    delete bitmap;
    return nullptr;
  }
  return bitmap;
}

wxBitmap ImageUtil::GetBackgroundImageFromPosition(wxBitmap& source, int x,
                                                   int y, int width,
                                                   int height) {
  wxBitmap result(width, height, -1);
  wxMemoryDC target_dc(result);
  wxMemoryDC source_dc(source);
  target_dc.Blit(0, 0, width, height, &source_dc, x, y, wxCOPY, true);
  target_dc.SelectObject(wxNullBitmap);
  source_dc.SelectObject(wxNullBitmap);
  return result;
}

wxBitmap* ImageUtil::GetBackgroundImageFromPositionP(wxBitmap& source, int x,
                                                     int y, int width,
                                                     int height) {
  return new wxBitmap(
      GetBackgroundImageFromPosition(source, x, y, width, height));
}

bool ImageUtil::FillBigBitmapWithSmallBitmap(wxBitmap* big, wxBitmap* small) {
  const int big_w = big->GetWidth();
  const int big_h = big->GetHeight();
  const int w = small->GetWidth();
  const int h = small->GetHeight();
  if (w <= 0 || h <= 0) return true;
  wxMemoryDC big_dc(*big);
  wxMemoryDC small_dc(*small);
  for (int y = 0; y <= big_h; y += h) {
    for (int x = 0; x <= big_w; x += w) {
      int cw = std::min(w, big_w - x);
      int ch = std::min(h, big_h - y);
      if (cw <= 0 || ch <= 0) continue;
      big_dc.Blit(x, y, cw, ch, &small_dc, 0, 0, wxCOPY, true);
    }
  }
  big_dc.SelectObject(wxNullBitmap);
  small_dc.SelectObject(wxNullBitmap);
  return true;
}

void ImageUtil::ConvertMaskToAlpha(wxImage& image) {
  wxASSERT_MSG(image.HasMask(), "image.HasMask()");
  wxASSERT_MSG(!image.HasAlpha(), "!image.HasAlpha()");
  if (!image.HasMask() || image.HasAlpha()) return;
  const unsigned char mask_r = image.GetMaskRed();
  const unsigned char mask_g = image.GetMaskGreen();
  const unsigned char mask_b = image.GetMaskBlue();
  image.SetAlpha();
  unsigned char* alpha = image.GetAlpha();
  const unsigned char* rgb = image.GetData();
  const long count = static_cast<long>(image.GetWidth()) * image.GetHeight();
  for (long i = 0; i < count; ++i) {
    const bool masked = rgb[3 * i] == mask_r && rgb[3 * i + 1] == mask_g &&
                        rgb[3 * i + 2] == mask_b;
    alpha[i] = masked ? 0 : 255;
  }
  image.SetMask(false);
}

wxBitmap GetBitmapWithAlpha(wxBitmap& bitmap) {
  wxImage image = bitmap.ConvertToImage();
  if (!image.HasAlpha() && image.HasMask()) {
    ImageUtil::ConvertMaskToAlpha(image);
    return wxBitmap(image, -1);
  }
  return bitmap;
}

void DrawBrushBitmap(wxBitmap* target, wxBitmap& pattern) {
  wxMemoryDC dc(*target);
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(pattern));
  dc.DrawRectangle(0, 0, target->GetWidth(), target->GetHeight());
  dc.SelectObject(wxNullBitmap);
}
