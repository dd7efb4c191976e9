// Device detection as a user meets it: starts the program on one device
// image, times detection from its trace lines and reads its resident memory.
//
//   detect_bench [--runs N] [--program PATH] [--keep] [IMAGE...]
//
// Without images it measures the build's demo device and a large image
// (50,000 songs, 2,000 photos, 2,000 camera-roll pictures) that it writes
// with the generator into a temporary folder first (about a minute); --keep
// leaves that folder for the next run, which can name it as IMAGE.
//
// Each run starts the program with its own HOME and XDG folders and
// PORTIVA_DEVICE_IMAGES naming the image, takes the time between the worker's
// "Entry DoDetectDevice::Entry()" and "Leave DoDetectDevice::Entry()" lines
// on its standard output, and reads VmRSS from /proc: when detection starts,
// when the worker leaves, and once the window has settled (no change for a
// second), together with the peak (VmHWM). Then it ends the program. Medians
// over the runs are printed. The program needs an X display:
//
//   xvfb-run -a -s "-screen 0 1600x1000x24" build/bench/detect/detect_bench
#include <fcntl.h>
#include <ftw.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

#include "bench_files.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char kEntryLine[] = "Entry DoDetectDevice::Entry()";
constexpr const char kLeaveLine[] = "Leave DoDetectDevice::Entry()";
constexpr double kTimeoutSeconds = 120;

using bench::RemoveTree;

std::string MakeTempDir(const char* tag) {
  return bench::MakeTempDir("detect-bench", tag);
}

// A field of /proc/<pid>/status in MiB; -1 when the process is gone.
double StatusMiB(pid_t pid, const char* field) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  const size_t length = strlen(field);
  while (std::getline(in, line))
    if (line.compare(0, length, field) == 0 && line.size() > length &&
        line[length] == ':')
      return atof(line.c_str() + length + 1) / 1024.0;
  return -1;
}

double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

struct RunResult {
  bool ok = false;
  double detect_seconds = 0;
  double rss_before = 0;   // when the worker starts
  double rss_leave = 0;    // when the worker leaves
  double rss_settled = 0;  // once the window has done its part
  double rss_peak = 0;
};

// Reads whole lines from fd until one equals `want` or the deadline passes.
bool WaitForLine(int fd, std::string* pending, const char* want,
                 Clock::time_point deadline) {
  for (;;) {
    size_t end;
    while ((end = pending->find('\n')) != std::string::npos) {
      std::string line = pending->substr(0, end);
      pending->erase(0, end + 1);
      if (line == want) return true;
    }
    const double left = Seconds(Clock::now(), deadline);
    if (left <= 0) return false;
    struct pollfd p = {fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left * 1000) + 1) <= 0) continue;
    char buffer[4096];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return false;  // the program ended
    pending->append(buffer, static_cast<size_t>(n));
  }
}

// Keeps the pipe from filling while the resident size settles.
void DrainPipe(int fd) {
  char buffer[4096];
  struct pollfd p = {fd, POLLIN, 0};
  while (poll(&p, 1, 0) > 0 && read(fd, buffer, sizeof buffer) > 0) {
  }
}

void EndProgram(pid_t pid) {
  kill(pid, SIGTERM);
  for (int i = 0; i < 50; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return;
    usleep(100 * 1000);
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

RunResult RunOnce(const std::string& program, const std::string& image) {
  RunResult result;
  const std::string home = MakeTempDir("home");
  if (home.empty()) return result;

  std::vector<std::string> env_strings;
  for (char** e = environ; *e; ++e) {
    const std::string entry(*e);
    static const char* const kReplaced[] = {"HOME=", "XDG_CONFIG_HOME=",
                                            "XDG_DATA_HOME=", "XDG_CACHE_HOME=",
                                            "PORTIVA_DEVICE_IMAGES="};
    bool replaced = false;
    for (const char* prefix : kReplaced)
      if (entry.compare(0, strlen(prefix), prefix) == 0) replaced = true;
    if (!replaced) env_strings.push_back(entry);
  }
  env_strings.push_back("HOME=" + home);
  env_strings.push_back("XDG_CONFIG_HOME=" + home + "/.config");
  env_strings.push_back("XDG_DATA_HOME=" + home + "/.local/share");
  env_strings.push_back("XDG_CACHE_HOME=" + home + "/.cache");
  env_strings.push_back("PORTIVA_DEVICE_IMAGES=" + image);
  std::vector<char*> envp;
  for (std::string& s : env_strings) envp.push_back(&s[0]);
  envp.push_back(nullptr);

  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) {
    RemoveTree(home);
    return result;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null",
                                   O_WRONLY, 0);
  std::vector<char*> argv = {const_cast<char*>(program.c_str()), nullptr};
  pid_t pid = 0;
  const int spawned =
      posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) {
    close(out[0]);
    RemoveTree(home);
    return result;
  }

  const Clock::time_point deadline =
      Clock::now() + std::chrono::duration_cast<Clock::duration>(
                         std::chrono::duration<double>(kTimeoutSeconds));
  std::string pending;
  if (WaitForLine(out[0], &pending, kEntryLine, deadline)) {
    const Clock::time_point entry = Clock::now();
    result.rss_before = StatusMiB(pid, "VmRSS");
    if (WaitForLine(out[0], &pending, kLeaveLine, deadline)) {
      const Clock::time_point leave = Clock::now();
      result.detect_seconds = Seconds(entry, leave);
      result.rss_leave = StatusMiB(pid, "VmRSS");
      // The window builds its tree and views after the worker has left.
      double last = result.rss_leave;
      Clock::time_point stable_since = Clock::now();
      while (Seconds(stable_since, Clock::now()) < 1.0 &&
             Clock::now() < deadline) {
        usleep(100 * 1000);
        DrainPipe(out[0]);
        const double now = StatusMiB(pid, "VmRSS");
        if (now != last) {
          last = now;
          stable_since = Clock::now();
        }
      }
      result.rss_settled = last;
      result.rss_peak = StatusMiB(pid, "VmHWM");
      result.ok = last > 0;
    }
  }
  EndProgram(pid);
  close(out[0]);
  RemoveTree(home);
  return result;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool Measure(const std::string& program, const std::string& image, int runs) {
  std::vector<double> times, before, leave, settled, peak;
  for (int i = 0; i < runs; ++i) {
    RunResult r = RunOnce(program, image);
    if (!r.ok) {
      fprintf(stderr, "detect_bench: run %d on %s did not finish detection\n",
              i + 1, image.c_str());
      return false;
    }
    times.push_back(r.detect_seconds);
    before.push_back(r.rss_before);
    leave.push_back(r.rss_leave);
    settled.push_back(r.rss_settled);
    peak.push_back(r.rss_peak);
  }
  std::sort(times.begin(), times.end());
  printf("%s\n", image.c_str());
  printf("  detection        %.3f s median (%.3f .. %.3f s over %d runs)\n",
         Median(times), times.front(), times.back(), runs);
  printf("  resident before  %.1f MB\n", Median(before));
  printf("  resident leave   %.1f MB\n", Median(leave));
  printf("  resident settled %.1f MB\n", Median(settled));
  printf("  resident peak    %.1f MB\n", Median(peak));
  fflush(stdout);
  return true;
}

bool Generate(const std::string& folder) {
  std::vector<std::string> args = {PORTIVA_BENCH_GENERATOR, "--out", folder,
                                   "--songs", "50000", "--photos", "2000",
                                   "--camera-roll", "2000"};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
    return false;
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

void Usage(FILE* to) {
  fprintf(to, "usage: detect_bench [--runs N] [--program PATH] [--keep] [IMAGE...]\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::string program = PORTIVA_BENCH_PROGRAM;
  int runs = 5;
  bool keep = false;
  std::vector<std::string> images;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--runs" && i + 1 < argc) {
      runs = atoi(argv[++i]);
    } else if (arg == "--program" && i + 1 < argc) {
      program = argv[++i];
    } else if (arg == "--keep") {
      keep = true;
    } else if (arg == "--help" || arg == "-h") {
      Usage(stdout);
      return 0;
    } else if (!arg.empty() && arg[0] == '-') {
      Usage(stderr);
      return 2;
    } else {
      images.push_back(arg);
    }
  }
  if (runs < 1) {
    Usage(stderr);
    return 2;
  }
  if (getenv("DISPLAY") == nullptr) {
    fprintf(stderr, "detect_bench: no display; run it under xvfb-run\n");
    return 2;
  }

  std::string generated;
  if (images.empty()) {
    images.push_back(PORTIVA_BENCH_DEMO_DEVICE);
    generated = MakeTempDir("image");
    printf("writing the large image to %s ...\n", generated.c_str());
    fflush(stdout);
    if (generated.empty() || !Generate(generated)) {
      fprintf(stderr, "detect_bench: cannot write the large image\n");
      if (!generated.empty() && !keep) RemoveTree(generated);
      return 1;
    }
    images.push_back(generated);
  }

  bool ok = true;
  for (const std::string& image : images) ok = Measure(program, image, runs) && ok;
  if (!generated.empty() && !keep) RemoveTree(generated);
  return ok ? 0 : 1;
}
