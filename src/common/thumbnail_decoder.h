#ifndef PORTIVA_COMMON_THUMBNAIL_DECODER_H
#define PORTIVA_COMMON_THUMBNAIL_DECODER_H

#include <wx/image.h>

#include <string>

// Camera-roll pictures as square tiles. Runs on the copy workers: it
// never makes a bitmap or touches a window, and calls may overlap.

enum class PictureFormat { kUnknown, kJpeg, kPng, kHeif };

// By the file's first bytes, never by its name. kUnknown also when the
// file cannot be read.
PictureFormat SniffPictureFormat(const std::string& path);

struct ThumbnailInfo {
  PictureFormat format = PictureFormat::kUnknown;
  // Decoded from the picture's own small preview (EXIF or HEIF thumbnail)
  // rather than from the picture itself.
  bool from_embedded = false;
  // The full picture's size as displayed (after its orientation).
  int source_width = 0;
  int source_height = 0;
};

// The picture as a tile x tile RGBA image: scaled to fit (never enlarged),
// centred, the rest fully transparent, and upright. false, with *out and
// *info untouched, for an unknown format, an empty, truncated or corrupt
// file, or a picture too large to decode sensibly.
bool DecodeThumbnail(const std::string& path, int tile, wxImage* out,
                     ThumbnailInfo* info = nullptr);

// Writes a decoded tile as a PNG, alpha kept, through a temporary name so
// that no half-written file is left under the path. Safe from several
// threads at once.
bool SaveThumbnailPng(const wxImage& tile, const std::string& path);

#endif
