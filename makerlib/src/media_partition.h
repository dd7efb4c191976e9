// Reads what an iOS device's media partition holds into the device
// library's records: the camera roll, the photo library, the music library
// (songs, movies, TV shows, podcasts, audiobooks, playlists), ringtones,
// books and voice memos.
#ifndef PORTIVA_MAKERLIB_MEDIA_PARTITION_H
#define PORTIVA_MAKERLIB_MEDIA_PARTITION_H

#include <plist/plist.h>
#include <stdint.h>

#include <string>

#include "transport.h"

namespace makerlib {

// The device library's eleven lists, in the order of its operation table.
enum MediaListKind {
  kMusicList,
  kPlaylistList,
  kMovieList,
  kPodcastList,
  kTVShowList,
  kAudiobookList,
  kVoiceMemoList,
  kRingtoneList,
  kPhotoList,
  kBookList,
  kCameraRollList,
  kMediaListCount
};

// Owns the lists read from one partition; a list the device does not have
// (no photo library database, no reachable voice memos) stays null.
struct MediaLists {
  MediaLists() = default;
  ~MediaLists();
  MediaLists(const MediaLists&) = delete;
  MediaLists& operator=(const MediaLists&) = delete;
  plist_t list[kMediaListCount] = {};
};

// Reads every list. The databases are copied (with their -wal and -shm
// files) into work_directory and opened there read-only. Only a device that
// went away makes it fail; whatever else cannot be read gives an empty or
// a null list.
TransportStatus ReadMediaPartition(Transport* transport, const std::string& work_directory,
                                   MediaLists* lists);

// Bytes the listed items take, for the capacity figures of the device
// information: audio (music, podcasts, audiobooks, ringtones, voice memos),
// video (movies, TV shows) and pictures (camera roll, photos, videos of the
// camera roll included). Playlists repeat songs and are not counted.
struct MediaUsage {
  uint64_t audio = 0;
  uint64_t video = 0;
  uint64_t photos = 0;
};
MediaUsage SumMediaUsage(const MediaLists& lists);

}  // namespace makerlib

#endif
