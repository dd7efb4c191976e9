#ifndef PORTIVA_WINDOW_DO_LOAD_PICTURE_H
#define PORTIVA_WINDOW_DO_LOAD_PICTURE_H

#include <wx/image.h>
#include <wx/string.h>
#include <wx/thread.h>

#include <atomic>
#include <cstdint>
#include <memory>

class EventTarget;

// One picture category's share of the thumbnail loading: its hand-shake
// pairs, generation counter, thread event ids and cache folder.
struct PictureCategory {
  const char* name;  // for the trace lines
  int begin_id;      // request for the next picture
  int end_id;        // report of a loaded picture
  wxMutex& count_lock;
  int& count;
  wxMutex& begin_lock;
  wxCondition& begin_cond;
  wxMutex& end_lock;
  wxCondition& end_cond;
  const char* cache_subdir;
  int content_view;  // the thumbnail view's number in the content view
};

extern const PictureCategory kCameraRollPictures;
extern const PictureCategory kPhotoPictures;

// One step of a loader: the GUI chooses the picture, the worker loads it.
// Lives on the worker's stack; the GUI reads and writes it only while the
// worker waits for the answer.
struct LoadPictureInfo {
  LoadPictureInfo() = default;
  LoadPictureInfo(LoadPictureInfo&&) = default;
  LoadPictureInfo& operator=(LoadPictureInfo&&) = default;
  virtual ~LoadPictureInfo() = default;

  bool all_shown = false;  // GUI: nothing left to show, the worker ends
  bool no_more = false;    // GUI: nothing chosen this time
  bool loaded = false;     // worker: image holds the thumbnail
  int32_t generation = 0;  // worker's generation
  int32_t index = 0;       // GUI: the thumbnail to load
  wxString path;           // GUI: its device path
  // GUI: the picture was loaded in this fill already and its thumbnail was
  // dropped to bound memory: it is made again from the cache.
  bool reuse_cached = false;
  // worker: the decoded thumbnail; the GUI thread makes the bitmap.
  std::unique_ptr<wxImage> image;
};

// The cached copy of a picture: the device's folder under the program's
// temporary folder, the category's folder, and the item's number with the
// last component of the device path (pictures in different device folders
// often share a name).
wxString PictureCachePath(const wxString& device_id, const PictureCategory& category,
                          int32_t index, const wxString& device_path);

// Whether the device path names a video, which has no picture to decode
// and can be far too large to copy for a thumbnail.
bool IsVideoPath(const wxString& device_path);

// A thumbnail loader: a detached thread that asks the navigation pane for
// the next picture, copies it off the device into the cache, decodes it and
// hands the thumbnail back, until its generation is over or every
// thumbnail is shown.
class DoLoadPicture : public wxThread {
 public:
  DoLoadPicture(const PictureCategory& category, int32_t generation,
                EventTarget* target);
  ~DoLoadPicture() override;

  // Copies the chosen picture into the cache, decodes it and keeps only its
  // thumbnail there (holding the device list lock).
  void LoadOnePictureFromDevice(LoadPictureInfo& info);

  // How many loaders exist now, of both categories.
  static int RunningCount();

  // Thumbnails are this many pixels square.
  static constexpr int kThumbnailSize = 100;

 protected:
  ExitCode Entry() override;

 private:
  static std::atomic<int> running_;
  const PictureCategory& category_;
  int32_t generation_;
  EventTarget* target_;
};

#endif
