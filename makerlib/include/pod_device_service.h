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

/* Progress of one file. Returning -1 aborts the copy, 0 lets it go on.
 * The user pointer is always null. */
typedef int (*PodExportCallback)(uint64_t total, uint64_t done, uint8_t state,
                                 void* user);

typedef struct PodDevice PodDevice;

/* Order matters: callers index this table as laid out here. */
struct PodDevice {
  /* Not used by the program. */
  int (*GetLibraryVersion)(PodDevice* self);
  int (*IsConnected)(PodDevice* self);

  int (*Init)(PodDevice* self, const char* work_directory);
  plist_t (*GetInfo)(PodDevice* self);
  int (*ExportFile)(PodDevice* self, const char* device_path,
                    const char* local_path, PodExportCallback callback);

  /* Not used by the program. */
  int (*ImportFile)(PodDevice* self, const char* local_path,
                    const char* device_path, PodExportCallback callback);

  int (*ExportDirectory)(PodDevice* self, const char* device_path,
                         const char* local_directory);

  /* Not used by the program. */
  int (*DeleteFile)(PodDevice* self, const char* device_path);
  uint64_t (*GetFreeSpace)(PodDevice* self);

  /* The lists; both arguments are always 0. */
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
  /* Null is allowed. */
  void (*FreeDevice)(PodDevice* device);
} PodDeviceService;

PodDeviceService* CreatePodDeviceService(void);
void FreePodDeviceService(PodDeviceService* service);

#ifdef __cplusplus
}
#endif

#endif
