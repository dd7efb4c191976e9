// What the export engine costs: the real worker with the real progress
// dialog, against the device library's own ExportFile loop and against
// plain cp of the same files, on phones from the demo generator.
//   xvfb-run -a export_engine_bench
// Cases: PORTIVA_BENCH_EXPORT="100x20971520,2000x65536" (files x bytes, the
// default); PORTIVA_BENCH_ROUNDS (3). Every kind runs once untimed first;
// dirty pages are written back before each timed run; medians are printed.
// The copies go to memory (/dev/shm, or PORTIVA_BENCH_TARGET), so that the
// disk's write-back does not blur the figures.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wx/evtloop.h>
#include <wx/stopwatch.h>
#include <wx/timer.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "../detect/bench_files.h"
#include "app/app_data.h"
#include "app/transfer_app.h"
#include "common/domain_face.h"
#include "device/communication.h"
#include "device_image_fixture.h"
#include "export/do_export_device_file.h"
#include "export/export_list.h"
#include "export/tool_bar.h"
#include "settings/option_data.h"
#include "main_window.h"
#include "test_support.h"
#include "window/left_pane.h"
#include "window/transfer_frame.h"

extern char** environ;

namespace {

void IgnoreWarning(const wxString&) {}

int KeepGoing(uint64_t, uint64_t, uint8_t, void*) { return 0; }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// cp of the files into a folder, as a separate process.
bool Copy(const std::vector<std::string>& sources, const std::string& target) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>("cp"));
  for (const std::string& source : sources) argv.push_back(const_cast<char*>(source.c_str()));
  argv.push_back(const_cast<char*>(target.c_str()));
  argv.push_back(nullptr);
  pid_t pid;
  if (posix_spawnp(&pid, "cp", nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void Bench(long files, uint64_t bytes, int rounds) {
  const std::string dir = bench::MakeTempDir("portiva-bench", "export");
  const std::string phone = dir + "/phone";
  // The demo phone's own songs come first; the added ones have the size.
  // No pictures: their thumbnail loaders would take the processor meanwhile.
  const std::string command = std::string(PORTIVA_BENCH_GENERATOR) + " --out " + phone +
                              " --songs " + std::to_string(files + 200) + " --song-bytes " +
                              std::to_string(bytes) + " --camera-roll 0 --photos 0 > /dev/null";
  ASSERT_EQ(system(command.c_str()), 0) << command;
  testsupport::ConnectImages({phone});

  TransferApp& app = wxGetApp();
  TransferFrame* frame = nullptr;
  ASSERT_TRUE(testsupport::StartMainWindow(&frame, wxSize(1000, 700), 120000));

  // The added songs of the phone's Music list.
  ExportCatalogInfo all;
  Device* device = nullptr;
  {
    wxMutexLocker lock(AppData::current_device_list_lock_);
    const CurrentDeviceList& list = AppData::current_device_list_;
    const DeviceContext& context = list.device_contexts[list.current_index];
    device = context.device;
    AppendCategoryExportItems(&all.items, 1, context.music_list);
  }
  std::vector<std::unique_ptr<ExportItemInfo>> items;
  for (auto& item : all.items)
    if (item->size == bytes && static_cast<long>(items.size()) < files) items.push_back(std::move(item));
  ASSERT_EQ(static_cast<long>(items.size()), files);
  std::vector<std::string> sources;
  for (const auto& item : items) sources.push_back(phone + "/files" + item->path.utf8_string());
  // Warm the page cache: every kind reads from memory.
  for (const std::string& source : sources) testsupport::ReadFile(source);

  OptionData::data_.select_folder = false;
  OptionData::data_.show_finished = false;
  const char* target_root = getenv("PORTIVA_BENCH_TARGET");
  const std::string targets =
      target_root ? target_root : access("/dev/shm", W_OK) == 0 ? "/dev/shm" : dir;
  int run = 0;
  auto fresh = [&] {
    const std::string target =
        targets + "/portiva-export-bench-" + std::to_string(getpid()) + "-" + std::to_string(run++);
    mkdir(target.c_str(), 0777);
    return target;
  };
  auto library = [&](const std::string& target) {
    for (size_t i = 0; i < items.size(); ++i)
      device->ExportFile(items[i]->path.utf8_str(),
                         (target + "/" + std::to_string(i) + ".wav").c_str(), KeepGoing);
  };
  auto engine = [&](const std::string& target) {
    ExportCatalogInfo* request = new ExportCatalogInfo;
    request->category = 1;
    for (const auto& item : items) request->items.emplace_back(new ExportItemInfo(*item));
    OptionData::data_.music_path = wxString::FromUTF8(target);
    app.tool_bar_->ZLExportDeviceFileByCatalog(request);
    // The toolkit's own loop, as in the program: it wakes for each event.
    wxGUIEventLoop loop;
    wxTimer done;
    done.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
      if (DoExportDeviceFile::RunningCount() == 0 && !wxGetApp().progress_dialog_) loop.Exit();
    });
    done.Start(5);
    loop.Run();
  };
  auto cp = [&](const std::string& target) { Copy(sources, target); };
  const struct {
    const char* name;
    std::function<void(const std::string&)> run;
  } kKinds[] = {{"cp", cp}, {"library loop", library}, {"engine", engine}};

  std::vector<std::vector<double>> times(3);
  for (int round = -1; round < rounds; ++round) {
    for (size_t k = 0; k < 3; ++k) {
      // Alternate the order from round to round.
      const size_t kind = round % 2 ? 2 - k : k;
      const std::string target = fresh();
      sync();
      wxStopWatch clock;
      kKinds[kind].run(target);
      const double ms = clock.TimeInMicro().ToDouble() / 1000.0;
      if (round >= 0) times[kind].push_back(ms);
      bench::RemoveTree(target);
    }
  }
  const double cp_ms = Median(times[0]), library_ms = Median(times[1]), engine_ms = Median(times[2]);
  printf("%5ld files of %9llu bytes: cp %8.1f ms, library loop %8.1f ms, engine %8.1f ms; "
         "engine %+.1f%% of the loop, %+.3f ms a file\n",
         files, static_cast<unsigned long long>(bytes), cp_ms, library_ms, engine_ms,
         100.0 * (engine_ms - library_ms) / library_ms, (engine_ms - library_ms) / files);
  fflush(stdout);
  frame->Destroy();
  testsupport::RunLoopUntil([] { return wxGetApp().frame_ == nullptr; });
  bench::RemoveTree(dir);
}

TEST(ExportEngineBench, EngineAgainstLibraryLoopAndCp) {
  LeftPane::show_warning_ = IgnoreWarning;
  DomainFace::LoadFace(wxString::FromUTF8(testsupport::BuildRoot()) + "/Themes/face.xml");
  const char* cases = getenv("PORTIVA_BENCH_EXPORT");
  const char* rounds = getenv("PORTIVA_BENCH_ROUNDS");
  std::stringstream list(cases ? cases : "100x20971520,2000x65536");
  std::string one;
  while (std::getline(list, one, ',')) {
    const size_t x = one.find('x');
    if (x == std::string::npos) continue;
    Bench(std::stol(one.substr(0, x)), std::stoull(one.substr(x + 1)), rounds ? atoi(rounds) : 3);
  }
}

}  // namespace
