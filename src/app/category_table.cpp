#include "app/category_table.h"

#include <wx/intl.h>

#include "settings/option_data.h"

// Export-all ids are 5100 plus the code minus one; 5106 and 5109 belong to
// single book catalogs and playlists and have no category of their own.
const CategoryInfo kCategories[kCategoryCount] = {
    {kCategoryMusic, wxTRANSLATE("Music"), "image/client/navigation/music.png",
     &PodDevice::GetMusicList, &DeviceContext::music_list,
     &OptionConfig::music_path, "music-path", "/Music", 5100,
     wxTRANSLATE("Export All Music"), 5114, wxTRANSLATE("Music Folder"),
     wxTRANSLATE("Music:"),
     FillShape::kFlat, kCategoryDevice},
    {kCategoryMovies, wxTRANSLATE("Movies"), "image/client/navigation/movie.png",
     &PodDevice::GetMovieList, &DeviceContext::movie_list,
     &OptionConfig::movie_path, "movie-path", "/Movies", 5101,
     wxTRANSLATE("Export All Movies"), 5115, wxTRANSLATE("Movies Folder"),
     wxTRANSLATE("Movies:"),
     FillShape::kFlat, kCategoryDevice},
    {kCategoryTVShows, wxTRANSLATE("TV Shows"),
     "image/client/navigation/tv_show.png", &PodDevice::GetTVShowList,
     &DeviceContext::tv_show_list, &OptionConfig::tv_show_path, "tv-show-path",
     "/TV Shows", 5102, wxTRANSLATE("Export All TV Shows"), 5116,
     wxTRANSLATE("TV Shows Folder"),
     wxTRANSLATE("TV Shows:"), FillShape::kFlat, kCategoryDevice},
    {kCategoryPodcasts, wxTRANSLATE("Podcasts"),
     "image/client/navigation/podcast.png", &PodDevice::GetPodcastList,
     &DeviceContext::podcast_list, &OptionConfig::podcast_path, "podcast-path",
     "/Podcasts", 5103, wxTRANSLATE("Export All Podcasts"), 5117,
     wxTRANSLATE("Podcasts Folder"),
     wxTRANSLATE("Podcasts:"), FillShape::kFlat, kCategoryDevice},
    {kCategoryAudiobooks, wxTRANSLATE("Audiobooks"),
     "image/client/navigation/audiobook.png", &PodDevice::GetAudiobookList,
     &DeviceContext::audiobook_list, &OptionConfig::audiobook_path,
     "audiobook-path", "/Audiobooks", 5104,
     wxTRANSLATE("Export All Audiobooks"), 5118,
     wxTRANSLATE("Audiobooks Folder"),
     wxTRANSLATE("Audiobooks:"), FillShape::kFlat, kCategoryDevice},
    {kCategoryBooks, wxTRANSLATE("Books"), "image/client/navigation/book.png",
     &PodDevice::GetBookList, &DeviceContext::book_list,
     &OptionConfig::book_path, "book-path", "/Books", 5105,
     wxTRANSLATE("Export All Books"), 5119, wxTRANSLATE("Books Folder"),
     wxTRANSLATE("Books:"),
     FillShape::kGroupedByCatalog, kCategoryBookCatalog},
    {kCategoryRingtones, wxTRANSLATE("Ringtones"),
     "image/client/navigation/ringtone.png", &PodDevice::GetRingtoneList,
     &DeviceContext::ringtone_list, &OptionConfig::ringtone_path,
     "ringtone-path", "/Ringtones", 5107, wxTRANSLATE("Export All Ringtones"),
     5120, wxTRANSLATE("Ringtones Folder"),
     wxTRANSLATE("Ringtones:"), FillShape::kFlat,
     kCategoryDevice},
    {kCategoryPlaylists, wxTRANSLATE("Playlists"),
     "image/client/navigation/playlist.png", &PodDevice::GetPlaylistList,
     &DeviceContext::playlist_list, &OptionConfig::playlist_path,
     "playlist-path", "/Playlists", 5108, wxTRANSLATE("Export All Playlists"),
     5121, wxTRANSLATE("Playlists Folder"),
     wxTRANSLATE("Playlists:"), FillShape::kGroupedByName,
     kCategoryPlaylist},
    {kCategoryVoiceMemos, wxTRANSLATE("Voice Memos"),
     "image/client/navigation/voice_memo.png", &PodDevice::GetVoiceMemoList,
     &DeviceContext::voice_memo_list, &OptionConfig::voice_memo_path,
     "voice-memo-path", "/Voice Memos", 5110,
     wxTRANSLATE("Export All Voice Memos"), 5122,
     wxTRANSLATE("Voice Memos Folder"),
     wxTRANSLATE("Voice Memos:"), FillShape::kVoiceMemos,
     kCategoryDevice},
    {kCategoryCameraRoll, wxTRANSLATE("Camera Roll"),
     "image/client/navigation/camera_roll.png", &PodDevice::GetCameraRollList,
     &DeviceContext::camera_roll_list, &OptionConfig::camera_roll_path,
     "camera-roll-path", "/Camera Roll", 5111,
     wxTRANSLATE("Export All Camera Roll"), 5123,
     wxTRANSLATE("Camera Roll Folder"),
     wxTRANSLATE("Camera Roll:"), FillShape::kPictures,
     kCategoryDevice},
    {kCategoryPhotos, wxTRANSLATE("Photos"), "image/client/navigation/photo.png",
     &PodDevice::GetPhotoList, &DeviceContext::photo_list,
     &OptionConfig::photo_path, "photo-path", "/Photos", 5112,
     wxTRANSLATE("Export All Photos"), 5124, wxTRANSLATE("Photos Folder"),
     wxTRANSLATE("Photos:"),
     FillShape::kPictures, kCategoryDevice},
};

const CategoryInfo* FindCategory(int code) {
  for (const CategoryInfo& category : kCategories)
    if (category.code == code ||
        (category.group_code != kCategoryDevice && category.group_code == code))
      return &category;
  return nullptr;
}

const CategoryInfo* FindCategoryByExportAllId(int id) {
  for (const CategoryInfo& category : kCategories)
    if (category.export_all_id == id) return &category;
  return nullptr;
}

const CategoryInfo* FindCategoryByOpenFolderId(int id) {
  for (const CategoryInfo& category : kCategories)
    if (category.open_folder_id == id) return &category;
  return nullptr;
}

const char* GroupNameKey(FillShape shape) {
  return shape == FillShape::kGroupedByCatalog ? "catalog" : "name";
}

bool IsGrouped(const CategoryInfo& category) {
  return category.group_code != kCategoryDevice;
}
