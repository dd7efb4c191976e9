// Fills Music from large generated phones in the real views and prints the
// fill time (list, snapshot and the three filter lists), the search
// keystroke times, a filter choice, "Check All" and the resident memory.
// Sizes: PORTIVA_BENCH_SONGS="20000,50000,80000" (the default).
#include <gtest/gtest.h>
#include <wx/srchctrl.h>
#include <wx/stopwatch.h>
#include <wx/treectrl.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "../detect/bench_files.h"
#include "app/category_table.h"
#include "app/transfer_app.h"
#include "common/domain_face.h"
#include "device_image_fixture.h"
#include "export/tool_bar.h"
#include "main_window.h"
#include "test_support.h"
#include "window/device_content_view.h"
#include "window/filter_list_ctrl.h"
#include "window/left_pane.h"
#include "window/public_list_ctrl.h"
#include "window/transfer_frame.h"

namespace {

// Lets the toolkit lay out and paint what changed.
void Settle(wxWindow* window) {
  window->Update();
  testsupport::RunLoopFor(1);
}

void Bench(int songs) {
  // PORTIVA_BENCH_KEEP names a folder that keeps the generated phones
  // between runs, so that a profile shows the views and not the generator.
  const char* keep = getenv("PORTIVA_BENCH_KEEP");
  const std::string dir =
      keep ? std::string(keep) + "/phone-" + std::to_string(songs)
           : testsupport::MakeTempDir("bench") + "/phone";
  const std::string command = std::string(PORTIVA_BENCH_GENERATOR) + " --out " +
                              dir + " --songs " + std::to_string(songs);
  const bool kept = keep && access((dir + "/device.plist").c_str(), F_OK) == 0;
  if (!kept && system(command.c_str()) != 0) {
    ADD_FAILURE() << "generator failed: " << command;
    return;
  }
  testsupport::ConnectImages({dir});
  TransferApp& app = wxGetApp();
  TransferFrame* frame = nullptr;
  ASSERT_TRUE(testsupport::StartMainWindow(&frame, wxSize(1000, 700), 120000));
  LeftPane* pane = app.left_pane_;
  PublicListCtrl* list = app.public_list_;
  wxTreeItemId music = pane->category_item(0);
  ASSERT_TRUE(music.IsOk());

  wxStopWatch fill;
  pane->navigation_tree()->SelectItem(music);
  Settle(list);
  const long fill_ms = fill.Time();
  const unsigned int rows = list->GetItemCount();

  // A word typed letter by letter, then erased.
  wxSearchCtrl* entry = app.tool_bar_->search_entry();
  std::vector<long> keystrokes;
  const std::string word = "harbour";
  std::string typed;
  for (size_t i = 0; i < 2 * word.size(); ++i) {
    typed = i < word.size() ? word.substr(0, i + 1) : word.substr(0, 2 * word.size() - i - 1);
    wxStopWatch key;
    entry->SetValue(typed);
    Settle(list);
    keystrokes.push_back(key.Time());
  }
  std::vector<long> sorted = keystrokes;
  std::sort(sorted.begin(), sorted.end());

  // The first artist, chosen as a click would.
  FilterListCtrl* artists = app.device_content_view_->artist_filter_list();
  const unsigned int artist_rows = artists->GetItemCount();
  wxStopWatch filter;
  artists->SelectRow(1);
  wxDataViewEvent chosen(wxEVT_DATAVIEW_SELECTION_CHANGED, artists, artists->RowToItem(1));
  artists->ProcessWindowEvent(chosen);
  Settle(list);
  const long filter_ms = filter.Time();
  const unsigned int filtered = list->GetItemCount();
  wxDataViewEvent all(wxEVT_DATAVIEW_SELECTION_CHANGED, artists, artists->RowToItem(0));
  artists->SelectRow(0);
  artists->ProcessWindowEvent(all);
  Settle(list);

  wxStopWatch check;
  wxCommandEvent check_all(wxEVT_MENU, kCheckAllId);
  app.tool_bar_->ProcessWindowEvent(check_all);
  Settle(list);
  const long check_ms = check.Time();
  const unsigned int checked = list->GetCheckedCount();

  printf("songs %6d: rows %6u, fill %5ld ms, keystroke median %4ld ms worst %4ld ms, "
         "artist filter (%u artists, %u rows) %4ld ms, Check All (%u) %4ld ms, "
         "resident %4ld MB\n",
         songs, rows, fill_ms, sorted[sorted.size() / 2], sorted.back(), artist_rows - 1,
         filtered, filter_ms, checked, check_ms, bench::ResidentMegabytes());
  fflush(stdout);
  frame->Destroy();
  testsupport::RunLoopUntil([] { return wxGetApp().frame_ == nullptr; });
}

TEST(ContentBench, MusicFillAndSearch) {
  DomainFace::LoadFace(wxString::FromUTF8(testsupport::BuildRoot()) +
                       "/Themes/face.xml");
  const char* sizes = getenv("PORTIVA_BENCH_SONGS");
  std::stringstream list(sizes ? sizes : "20000,50000,80000");
  std::string size;
  while (std::getline(list, size, ','))
    if (!size.empty()) Bench(std::stoi(size));
}

}  // namespace
