#include <gtest/gtest.h>
#include <wx/event.h>
#include <wx/thread.h>

#include <atomic>

#include "app/app_data.h"
#include "app/my_event.h"
#include "test_support.h"

namespace {

struct Request {
  int question = 0;
  int answer = -1;
};

// Stands for a window that answers a worker's requests on the GUI thread.
class GuiSide : public wxEvtHandler {
 public:
  GuiSide() { Bind(wxEVT_THREAD, &GuiSide::OnRequest, this, 205); }

  std::atomic<int> handled{0};
  bool on_gui_thread = true;

 private:
  void OnRequest(wxThreadEvent& event) {
    HandshakeReply reply(AppData::load_camera_roll_picture_begin_lock_,
                         AppData::load_camera_roll_picture_begin_cond_,
                         HandshakeReply::kUnlockThenSignal);
    on_gui_thread = on_gui_thread && wxThread::IsMain();
    ++handled;
    Request* request = event.GetPayload<Request*>();
    // A stale request is answered by leaving early; the reply still wakes
    // the worker.
    if (request->question % 3 == 0) return;
    request->answer = request->question * 2;
  }
};

class Asker : public wxThread {
 public:
  Asker(wxEvtHandler* target, int count)
      : wxThread(wxTHREAD_JOINABLE), target_(target), count_(count) {}

  std::atomic<int> correct{0};
  std::atomic<int> untouched_stale{0};
  std::atomic<bool> done{false};

 protected:
  ExitCode Entry() override {
    for (int i = 1; i <= count_; ++i) {
      Request request;
      request.question = i;
      wxThreadEvent* event = new wxThreadEvent(wxEVT_THREAD, 205);
      event->SetPayload<Request*>(&request);
      AskGuiAndWait(AppData::load_camera_roll_picture_begin_lock_,
                    AppData::load_camera_roll_picture_begin_cond_, target_,
                    event);
      if (i % 3 == 0) {
        if (request.answer == -1) ++untouched_stale;
      } else if (request.answer == i * 2) {
        ++correct;
      }
    }
    done = true;
    return nullptr;
  }

 private:
  wxEvtHandler* target_;
  int count_;
};

TEST(Handshake, WorkerAndGuiExchangeRequestsOnAPair) {
  GuiSide gui;
  const int kCount = 300;
  Asker worker(&gui, kCount);
  ASSERT_EQ(worker.Create(), wxTHREAD_NO_ERROR);
  ASSERT_EQ(worker.Run(), wxTHREAD_NO_ERROR);
  EXPECT_TRUE(testsupport::RunLoopUntil([&] { return worker.done.load(); },
                                        20000));
  worker.Wait();
  EXPECT_EQ(gui.handled, kCount);
  EXPECT_TRUE(gui.on_gui_thread);
  EXPECT_EQ(worker.correct + worker.untouched_stale, kCount);
  EXPECT_EQ(worker.untouched_stale, kCount / 3);
}

TEST(Handshake, NoTargetMeansNoWait) {
  Asker worker(nullptr, 5);
  ASSERT_EQ(worker.Create(), wxTHREAD_NO_ERROR);
  ASSERT_EQ(worker.Run(), wxTHREAD_NO_ERROR);
  worker.Wait();
  EXPECT_TRUE(worker.done);
}

TEST(AppDataInit, SnapshotOwnsItsItems) {
  ASSERT_TRUE(AppData::Init());
  AppData::public_list_view_copy_.Append(new PublicListViewCopyItem);
  AppData::public_list_view_copy_.Append(new PublicListViewCopyItem);
  EXPECT_EQ(AppData::public_list_view_copy_.GetCount(), 2u);
  AppData::public_list_view_copy_.Clear();  // deletes, or leaks under ASan
  EXPECT_TRUE(AppData::public_list_view_copy_.IsEmpty());
}

TEST(CustomEvents, UpdateCheckTypeIsAllocatedFirst) {
  EXPECT_NE(wxEVT_CHECK_FOR_UPDATE, wxEVT_SELECT_LANGUAGE);
  EXPECT_LT(wxEVT_CHECK_FOR_UPDATE, wxEVT_SELECT_LANGUAGE);
}

}  // namespace
