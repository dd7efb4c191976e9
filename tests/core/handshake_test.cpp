#include <gtest/gtest.h>
#include <wx/event.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/thread.h>

#include <atomic>
#include <memory>
#include <vector>

#include "app/app_data.h"
#include "app/my_event.h"
#include "app/registry_slot.h"
#include "test_support.h"

namespace {

struct Request {
  int worker = 0;
  int question = 0;
  int answer = -1;
};

// Stands for a window that answers the workers' requests on the GUI thread.
class GuiSide : public wxEvtHandler, public EventTarget {
 public:
  GuiSide() { Bind(wxEVT_THREAD, &GuiSide::OnRequest, this, 205); }

  bool Queue(wxEvent* event) override {
    QueueEvent(event);
    return true;
  }

  std::atomic<int> handled{0};
  bool on_gui_thread = true;

 private:
  void OnRequest(wxThreadEvent& event) {
    HandshakeReply reply(AppData::load_camera_roll_picture_begin_lock_,
                         AppData::load_camera_roll_picture_begin_cond_, event,
                         HandshakeReply::kUnlockThenSignal);
    on_gui_thread = on_gui_thread && wxThread::IsMain();
    ++handled;
    Request* request = event.GetPayload<Request*>();
    // A stale request is answered by leaving early; the reply still wakes
    // the worker.
    if (request->question % 3 == 0) return;
    request->answer = request->worker * 100000 + request->question * 2;
  }
};

class Asker : public wxThread {
 public:
  Asker(EventTarget* target, int worker, int count)
      : wxThread(wxTHREAD_JOINABLE),
        target_(target),
        worker_(worker),
        count_(count) {}

  std::atomic<int> correct{0};
  std::atomic<int> untouched_stale{0};
  std::atomic<int> unanswered{0};
  std::atomic<bool> done{false};

 protected:
  ExitCode Entry() override {
    for (int i = 1; i <= count_; ++i) {
      Request request;
      request.worker = worker_;
      request.question = i;
      HandshakeEvent* event = new HandshakeEvent(205);
      event->SetPayload<Request*>(&request);
      if (!AskGuiAndWait(AppData::load_camera_roll_picture_begin_lock_,
                         AppData::load_camera_roll_picture_begin_cond_, target_,
                         event))
        ++unanswered;
      // Only its own answer may have arrived: another worker's would carry
      // the other worker's number.
      if (i % 3 == 0) {
        if (request.answer == -1) ++untouched_stale;
      } else if (request.answer == worker_ * 100000 + i * 2) {
        ++correct;
      }
    }
    done = true;
    return nullptr;
  }

 private:
  EventTarget* target_;
  int worker_;
  int count_;
};

// Several workers on one pair, as an old and a new thumbnail loader or a
// stale and a new export worker can be: every request is answered, each
// with its own answer, and nobody waits for ever.
class HandshakeWorkers : public ::testing::TestWithParam<int> {};

TEST_P(HandshakeWorkers, EveryRequestGetsItsOwnAnswer) {
  const int workers = GetParam();
  const int kCount = 2000;
  GuiSide gui;
  std::vector<std::unique_ptr<Asker>> askers;
  for (int w = 1; w <= workers; ++w) {
    askers.emplace_back(new Asker(&gui, w, kCount));
    ASSERT_EQ(askers.back()->Create(), wxTHREAD_NO_ERROR);
  }
  for (auto& asker : askers) ASSERT_EQ(asker->Run(), wxTHREAD_NO_ERROR);
  bool all_done = testsupport::RunLoopUntil(
      [&] {
        for (auto& asker : askers)
          if (!asker->done) return false;
        return true;
      },
      120000);
  ASSERT_TRUE(all_done) << "a worker is still waiting for its answer";
  for (auto& asker : askers) asker->Wait();
  EXPECT_EQ(gui.handled, workers * kCount);
  EXPECT_TRUE(gui.on_gui_thread);
  for (auto& asker : askers) {
    EXPECT_EQ(asker->unanswered, 0);
    EXPECT_EQ(asker->untouched_stale, kCount / 3);
    EXPECT_EQ(asker->correct, kCount - kCount / 3);
  }
}

INSTANTIATE_TEST_SUITE_P(OneTwoThree, HandshakeWorkers,
                         ::testing::Values(1, 2, 3));

TEST(Handshake, NoTargetMeansNoWait) {
  Asker worker(nullptr, 1, 5);
  ASSERT_EQ(worker.Create(), wxTHREAD_NO_ERROR);
  ASSERT_EQ(worker.Run(), wxTHREAD_NO_ERROR);
  worker.Wait();
  EXPECT_TRUE(worker.done);
  EXPECT_EQ(worker.unanswered, 5);
}

// A handler that takes nothing for this id: the event is destroyed
// unhandled and must still let the worker go.
class DeafSide : public wxEvtHandler, public EventTarget {
 public:
  bool Queue(wxEvent* event) override {
    QueueEvent(event);
    return true;
  }
};

TEST(Handshake, UnhandledRequestReleasesTheWorker) {
  DeafSide deaf;
  Asker worker(&deaf, 1, 20);
  ASSERT_EQ(worker.Create(), wxTHREAD_NO_ERROR);
  ASSERT_EQ(worker.Run(), wxTHREAD_NO_ERROR);
  EXPECT_TRUE(testsupport::RunLoopUntil([&] { return worker.done.load(); },
                                        20000));
  worker.Wait();
  EXPECT_EQ(worker.unanswered, 20);
  EXPECT_EQ(worker.correct, 0);
}

// The target window goes away while a request waits in its queue: the
// worker wakes, told that nobody answered, and its record is untouched.
TEST(Handshake, TargetDestroyedWithPendingRequestReleasesTheWorker) {
  wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "target");
  RegistrySlot<wxFrame> slot;
  slot = frame;
  std::atomic<bool> queued{false};
  struct OneAsk : wxThread {
    OneAsk(EventTarget* target, std::atomic<bool>* queued)
        : wxThread(wxTHREAD_JOINABLE), target(target), queued(queued) {}
    EventTarget* target;
    std::atomic<bool>* queued;
    Request request;
    bool answered = true;
    ExitCode Entry() override {
      HandshakeEvent* event = new HandshakeEvent(205);
      event->SetPayload<Request*>(&request);
      *queued = true;
      answered = AskGuiAndWait(AppData::load_camera_roll_picture_begin_lock_,
                               AppData::load_camera_roll_picture_begin_cond_,
                               target, event);
      return nullptr;
    }
  } worker(&slot, &queued);
  ASSERT_EQ(worker.Create(), wxTHREAD_NO_ERROR);
  ASSERT_EQ(worker.Run(), wxTHREAD_NO_ERROR);
  while (!queued) wxMilliSleep(1);
  wxMilliSleep(50);  // let the event reach the queue
  delete frame;      // drops its pending events unhandled
  EXPECT_EQ(slot.get(), nullptr);
  worker.Wait();
  EXPECT_FALSE(worker.answered);
  EXPECT_EQ(worker.request.answer, -1);
}

TEST(RegistrySlot, EmptiesWhenItsObjectIsDestroyed) {
  RegistrySlot<wxFrame> window_slot;
  RegistrySlot<wxMenu> menu_slot;
  wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "slot");
  wxMenu* menu = new wxMenu;
  window_slot = frame;
  menu_slot = menu;
  EXPECT_EQ(window_slot.get(), frame);
  EXPECT_EQ(menu_slot.get(), menu);
  frame->Destroy();  // deferred: the slot empties when it really goes
  testsupport::RunLoopUntil([&] { return window_slot.get() == nullptr; });
  EXPECT_EQ(window_slot.get(), nullptr);
  delete menu;
  EXPECT_EQ(menu_slot.get(), nullptr);
  // A worker's report to a window that is gone is dropped, not delivered
  // into freed memory.
  EXPECT_FALSE(window_slot.Queue(new wxThreadEvent(wxEVT_THREAD, 204)));
}

TEST(RegistrySlot, ReassignedSlotFollowsOnlyItsCurrentObject) {
  RegistrySlot<wxFrame> slot;
  wxFrame* first = new wxFrame(nullptr, wxID_ANY, "first");
  wxFrame* second = new wxFrame(nullptr, wxID_ANY, "second");
  slot = first;
  slot = second;
  delete first;
  EXPECT_EQ(slot.get(), second);
  slot = nullptr;
  delete second;
  EXPECT_EQ(slot.get(), nullptr);
}

TEST(RegistrySlot, ReportsReachAWindowThatLives) {
  wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "alive");
  RegistrySlot<wxFrame> slot;
  slot = frame;
  bool delivered = false;
  frame->Bind(wxEVT_THREAD, [&](wxThreadEvent&) { delivered = true; }, 204);
  EXPECT_TRUE(slot.Queue(new wxThreadEvent(wxEVT_THREAD, 204)));
  EXPECT_TRUE(testsupport::RunLoopUntil([&] { return delivered; }));
  delete frame;
}

TEST(AppDataInit, SnapshotOwnsItsItems) {
  ASSERT_TRUE(AppData::Init());
  AppData::public_list_view_copy_.Append(new PublicListViewCopyItem);
  AppData::public_list_view_copy_.Append(new PublicListViewCopyItem);
  EXPECT_EQ(AppData::public_list_view_copy_.GetCount(), 2u);
  AppData::public_list_view_copy_.Clear();  // deletes, or leaks under ASan
  EXPECT_TRUE(AppData::public_list_view_copy_.IsEmpty());
}

TEST(AppData, GenerationBumpMovesBothCounts) {
  int camera_roll, photo;
  {
    wxMutexLocker lock(AppData::load_camera_roll_picture_count_lock_);
    camera_roll = AppData::load_camera_roll_picture_count_;
  }
  {
    wxMutexLocker lock(AppData::load_photo_picture_count_lock_);
    photo = AppData::load_photo_picture_count_;
  }
  BumpPictureGenerations();
  wxMutexLocker camera_roll_lock(AppData::load_camera_roll_picture_count_lock_);
  wxMutexLocker photo_lock(AppData::load_photo_picture_count_lock_);
  EXPECT_NE(AppData::load_camera_roll_picture_count_, camera_roll);
  EXPECT_NE(AppData::load_photo_picture_count_, photo);
}

TEST(CustomEvents, UpdateCheckTypeIsAllocatedFirst) {
  EXPECT_NE(wxEVT_CHECK_FOR_UPDATE, wxEVT_SELECT_LANGUAGE);
  EXPECT_LT(wxEVT_CHECK_FOR_UPDATE, wxEVT_SELECT_LANGUAGE);
}

}  // namespace
