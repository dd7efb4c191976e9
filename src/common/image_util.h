#ifndef PORTIVA_COMMON_IMAGE_UTIL_H
#define PORTIVA_COMMON_IMAGE_UTIL_H

#include <wx/bitmap.h>
#include <wx/image.h>
#include <wx/string.h>

// Theme pictures by their path inside the theme archive, and the bitmap
// operations the skinned controls are built from. Nothing is cached: each
// load opens the archive again, so controls load their pictures once.
class ImageUtil {
 public:
  virtual ~ImageUtil() {}

  static wxBitmap GetBitmapResource(const wxString& path, long type);
  // Caller owns the result; null when the entry cannot be read.
  static wxBitmap* GetBitmapResourceP(const wxString& path, long type);
  // As GetBitmapResourceP, with pixels whose alpha is neither 0 nor at
  // least the threshold made fully transparent.
  static wxBitmap* GetWholeMaskImage(const wxString& path, int threshold,
                                     long type);

  static wxBitmap GetBackgroundImageFromPosition(wxBitmap& source, int x,
                                                 int y, int width, int height);
  static wxBitmap* GetBackgroundImageFromPositionP(wxBitmap& source, int x,
                                                   int y, int width,
                                                   int height);
  // Covers big with copies of small, clipping the last row and column.
  static bool FillBigBitmapWithSmallBitmap(wxBitmap* big, wxBitmap* small);
  static void ConvertMaskToAlpha(wxImage& image);

  // The archive the pictures come from; settable so that tests and tools
  // can point at another theme.
  static wxString GetThemeArchivePath();
  static void SetThemeArchivePath(const wxString& path);

  // Loads an entry as an image; an invalid image when it cannot be read.
  static wxImage LoadImage(const wxString& path, long type);
};

// The bitmap with its mask turned into alpha, or the bitmap itself.
wxBitmap GetBitmapWithAlpha(wxBitmap& bitmap);
// Fills the whole target with the pattern, repeated from its top-left.
void DrawBrushBitmap(wxBitmap* target, wxBitmap& pattern);

#endif
