/* Device library: finds connected handhelds, opens them, reports what they
 * hold as property-list nodes and copies files off them.
 *
 * Every node a function returns belongs to the caller, who frees it with
 * plist_free. Every path is UTF-8. Functions of the device table take the
 * handle itself as first argument; functions of the service table take no
 * service argument. */
#ifndef POD_DEVICE_SERVICE_H
#define POD_DEVICE_SERVICE_H

#include <stdint.h>
#include <plist/plist.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Status codes of Init. Other non-zero values are other failures. */
#define POD_STATUS_OK 0
#define POD_STATUS_FAILED 1
#define POD_STATUS_BAD_ARGUMENT 2
#define POD_STATUS_NO_DEVICE 3
#define POD_STATUS_PASSCODE_LOCKED 4
#define POD_STATUS_WORK_DIR_UNUSABLE 5

/* Export states passed to the progress callback. */
#define POD_EXPORT_IN_PROGRESS 0
#define POD_EXPORT_FINISHED 1

/* Progress of one file: called after every chunk with state 0, then once
 * with (total, total, 1) when the file is complete. Returning -1 during the
 * copy aborts it, 0 lets it go on; the answer to the final report is not
 * used. The user pointer is always null. */
typedef int (*PodExportCallback)(uint64_t total, uint64_t done, uint8_t state,
                                 void* user);

typedef struct PodDevice PodDevice;

/* Order matters: callers index this table as laid out here. */
struct PodDevice {
  /* Not used by the program. */
  int (*GetLibraryVersion)(PodDevice* self);
  int (*IsConnected)(PodDevice* self);

  /* Opens the device; a POD_STATUS_ code or another failure. A device of
   * type "path" is used without it. */
  int (*Init)(PodDevice* self, const char* work_directory);
  /* Null before the device is open or when it reports no information. */
  plist_t (*GetInfo)(PodDevice* self);
  /* Copies one file to local_path, which it creates: an existing file is
   * never replaced. 0 on success; on failure or abort no file is left. */
  int (*ExportFile)(PodDevice* self, const char* device_path,
                    const char* local_path, PodExportCallback callback);

  /* Not used by the program. */
  int (*ImportFile)(PodDevice* self, const char* local_path,
                    const char* device_path, PodExportCallback callback);

  /* Copies a folder tree into local_directory, created unless it is already
   * a folder; files in it are never replaced. 0 on success; on failure what
   * the call created is removed again. */
  int (*ExportDirectory)(PodDevice* self, const char* device_path,
                         const char* local_directory);

  /* Not used by the program. */
  int (*DeleteFile)(PodDevice* self, const char* device_path);
  uint64_t (*GetFreeSpace)(PodDevice* self);

  /* The lists, null when the device has none of that kind; both arguments
   * are always 0. */
  plist_t (*GetMusicList)(PodDevice* self, unsigned int a, unsigned int b);
  plist_t (*GetPlaylistList)(PodDevice* self, unsigned int a, unsigned int b);
  plist_t (*GetMovieList)(PodDevice* self, unsigned int a, unsigned int b);
  plist_t (*GetPodcastList)(PodDevice* self, unsigned int a, unsigned int b);
  plist_t (*GetTVShowList)(PodDevice* self, unsigned int a, unsigned int b);
  plist_t (*GetAudiobookList)(PodDevice* self, unsigned int a, unsigned int b);
  plist_t (*GetVoiceMemoList)(PodDevice* self, unsigned int a, unsigned int b);
  plist_t (*GetRingtoneList)(PodDevice* self, unsigned int a, unsigned int b);
  plist_t (*GetPhotoList)(PodDevice* self, unsigned int a, unsigned int b);
  plist_t (*GetBookList)(PodDevice* self, unsigned int a, unsigned int b);
  plist_t (*GetCameraRollList)(PodDevice* self, unsigned int a, unsigned int b);
};

typedef struct PodDeviceService {
  /* Array of dictionaries with the string keys "type" and "value". */
  plist_t (*GetDeviceList)(void);
  PodDevice* (*CreateDevice)(const char* value, const char* type);
  /* Null is allowed. A call of the device still running on another thread
   * keeps it until that call returns; an export then stops and fails. */
  void (*FreeDevice)(PodDevice* device);
} PodDeviceService;

PodDeviceService* CreatePodDeviceService(void);
void FreePodDeviceService(PodDeviceService* service);

#ifdef __cplusplus
}
#endif

#endif
