// Shows the Camera Roll of large generated phones in the real views and
// prints the time to the first screenful of thumbnails and to all of them,
// the longest time the GUI went without handling events meanwhile, and the
// resident memory the pictures added.
// Sizes: PORTIVA_BENCH_PICTURES="2000,20000" (the default);
// PORTIVA_BENCH_KEEP=DIR keeps the generated phones between runs.
#include <gtest/gtest.h>
#include <wx/stopwatch.h>
#include <wx/timer.h>
#include <wx/treectrl.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "../detect/bench_files.h"
#include "app/transfer_app.h"
#include "common/domain_face.h"
#include "device_image_fixture.h"
#include "main_window.h"
#include "test_support.h"
#include "window/do_load_picture.h"
#include "window/left_pane.h"
#include "window/picture_icon_view.h"
#include "window/picture_icon_view_data.h"
#include "window/transfer_frame.h"

namespace {

// Ticks every few milliseconds and remembers the longest gap: how long
// the GUI thread was kept from its events.
class GapWatch : public wxTimer {
 public:
  void Begin() {
    watch_.Start();
    last_ = 0;
    longest_ = 0;
    Start(5);
  }
  void Notify() override {
    const long now = watch_.Time();
    longest_ = std::max(longest_, now - last_);
    last_ = now;
  }
  long longest() const { return longest_; }

 private:
  wxStopWatch watch_;
  long last_ = 0;
  long longest_ = 0;
};

// Every picture has been loaded once (its thumbnail may since have been
// dropped to bound memory).
bool AllLoadedOnce(PictureIconView* view) {
  for (long item = 0; item < view->GetItemCount(); ++item) {
    const PictureIconViewData* data = view->GetItemData(item);
    if (!data->shown && !data->dropped) return false;
  }
  return true;
}

bool VisibleShown(PictureIconView* view) {
  long first = 0, end = 0;
  view->GetVisibleRange(&first, &end);
  if (end <= first) return false;
  for (long item = first; item < end; ++item)
    if (!view->GetItemData(item)->shown) return false;
  return true;
}

void Bench(int pictures) {
  const char* keep = getenv("PORTIVA_BENCH_KEEP");
  const std::string dir = keep ? std::string(keep) + "/pictures-" + std::to_string(pictures)
                               : testsupport::MakeTempDir("bench") + "/phone";
  const std::string command = std::string(PORTIVA_BENCH_GENERATOR) + " --out " + dir +
                              " --songs 0 --photos 0 --camera-roll " +
                              std::to_string(pictures);
  const bool kept = keep && access((dir + "/device.plist").c_str(), F_OK) == 0;
  if (!kept && system(command.c_str()) != 0) {
    ADD_FAILURE() << "generator failed: " << command;
    return;
  }
  const long before = bench::ResidentMegabytes();
  testsupport::ConnectImages({dir});
  TransferApp& app = wxGetApp();
  TransferFrame* frame = nullptr;
  ASSERT_TRUE(testsupport::StartMainWindow(&frame, wxSize(1000, 700), 300000));
  LeftPane* pane = app.left_pane_;
  PictureIconView* view = app.camera_roll_icon_view_;

  GapWatch gaps;
  gaps.Begin();
  wxStopWatch shown;
  pane->navigation_tree()->SelectItem(pane->category_item(9));
  testsupport::RunLoopUntil([&] { return VisibleShown(view); }, 600000);
  const long first_ms = shown.Time();
  testsupport::RunLoopUntil([&] { return AllLoadedOnce(view); }, 3600000);
  const long all_ms = shown.Time();
  gaps.Stop();
  long thumbnails = 0;
  for (long item = 0; item < view->GetItemCount(); ++item)
    thumbnails += view->HasItemThumbnail(item);
  printf("pictures %6d: first screenful %6ld ms, all %7ld ms (%ld thumbnails held), "
         "longest GUI gap %4ld ms, resident %4ld MB (+%ld MB)\n",
         pictures, first_ms, all_ms, thumbnails, gaps.longest(), bench::ResidentMegabytes(),
         bench::ResidentMegabytes() - before);
  fflush(stdout);
  frame->Destroy();
  testsupport::RunLoopUntil([] { return wxGetApp().frame_ == nullptr; });
  testsupport::RunLoopUntil([] { return DoLoadPicture::RunningCount() == 0; }, 60000);
}

TEST(PictureBench, CameraRollThumbnails) {
  DomainFace::LoadFace(wxString::FromUTF8(testsupport::BuildRoot()) + "/Themes/face.xml");
  const char* sizes = getenv("PORTIVA_BENCH_PICTURES");
  std::stringstream list(sizes ? sizes : "2000,20000");
  std::string size;
  while (std::getline(list, size, ','))
    if (!size.empty()) Bench(std::stoi(size));
}

}  // namespace
