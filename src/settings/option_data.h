#ifndef PORTIVA_SETTINGS_OPTION_DATA_H
#define PORTIVA_SETTINGS_OPTION_DATA_H

#include <wx/string.h>

#include <cstddef>

struct OptionConfig {
  bool select_folder = true;
  bool show_finished = false;
  wxString music_path;
  wxString movie_path;
  wxString tv_show_path;
  wxString podcast_path;
  wxString audiobook_path;
  wxString book_path;
  wxString ringtone_path;
  wxString playlist_path;
  wxString voice_memo_path;
  wxString camera_roll_path;
  wxString photo_path;
};

extern const char kSelectFolderKey[];
extern const char kShowFinishedKey[];

class OptionData {
 public:
  static bool Init();
  static void SetOptionConfigDefault();
  static void FillOptionConfigFromFile();
  static void SaveOptionConfigToFile();

  static OptionConfig data_;
};

#endif
