// A hang is a failure, not a blocked test run: ends the process when the
// object still lives after the given time.
#ifndef PORTIVA_TESTS_SUPPORT_WATCHDOG_H
#define PORTIVA_TESTS_SUPPORT_WATCHDOG_H

#include <stdio.h>
#include <stdlib.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace testsupport {

class Watchdog {
 public:
  explicit Watchdog(int seconds)
      : thread_([this, seconds] {
          std::unique_lock<std::mutex> lock(mutex_);
          if (!done_cv_.wait_for(lock, std::chrono::seconds(seconds), [this] { return done_; })) {
            fprintf(stderr, "test still running after %d s: hung\n", seconds);
            abort();
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    done_cv_.notify_all();
    thread_.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable done_cv_;
  bool done_ = false;
  std::thread thread_;
};

}  // namespace testsupport

#endif
