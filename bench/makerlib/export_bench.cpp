// Export throughput of the device library against plain cp on the same data.
//
//   export_bench [--dir FOLDER] [--large-mb N] [--small N] [--rounds N]
//                [--items N]
//
// Builds a device image with one large file and many small ones, warms the
// page cache with a full read of every source, then times, round after
// round and in alternating order, ExportFile of the large file, ExportFile of
// every small file, ExportDirectory of the small files and cp of the same
// data, each to a fresh target. Every timed run follows an untimed run of the
// same kind, and dirty pages are written back before it, so no run pays for
// the one before it. Medians are printed. It also times opening a device
// whose music list holds many items, and fetching that list.
#include <fcntl.h>
#include <ftw.h>
#include <plist/plist.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "pod_device_service.h"

extern char** environ;

namespace {

constexpr const char kIdentifier[] = "be7c4000000000000000000000000000000000ff";

struct Options {
  std::string dir;
  uint64_t large_mb = 400;
  int small_count = 2000;
  int rounds = 5;
  int items = 30000;
};

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

void Fill(std::vector<char>* buffer, uint64_t* state) {
  uint64_t x = *state;
  for (size_t i = 0; i + 8 <= buffer->size(); i += 8) {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    memcpy(buffer->data() + i, &x, 8);
  }
  *state = x;
}

bool MakeFile(const std::string& path, uint64_t size, uint64_t seed) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  std::vector<char> buffer(1 << 20);
  uint64_t state = seed * 0x9e3779b97f4a7c15ull + 1;
  bool ok = true;
  for (uint64_t written = 0; ok && written < size;) {
    Fill(&buffer, &state);
    size_t n = static_cast<size_t>(std::min<uint64_t>(buffer.size(), size - written));
    ok = WriteAll(fd, buffer.data(), n);
    written += n;
  }
  return close(fd) == 0 && ok;
}

void ReadThrough(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  static std::vector<char> buffer(1 << 20);
  while (read(fd, buffer.data(), buffer.size()) > 0) {
  }
  close(fd);
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
  remove(path);
  return 0;
}

void RemoveTree(const std::string& path) {
  nftw(path.c_str(), RemoveEntry, 32, FTW_DEPTH | FTW_PHYS);
}

bool RunCp(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>("cp"));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid;
  if (posix_spawnp(&pid, "cp", nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Method {
  std::string name;
  std::function<bool(const std::string& target)> run;
  bool child;  // runs in another process, so its CPU time is the children's
  std::vector<double> seconds;
  std::vector<double> cpu_seconds;
};

double CpuSeconds(bool children) {
  struct rusage usage;
  getrusage(children ? RUSAGE_CHILDREN : RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  const char* tmp = getenv("TMPDIR");
  options.dir = tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp";
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string key = argv[i];
    if (key == "--dir") options.dir = argv[i + 1];
    else if (key == "--large-mb") options.large_mb = strtoull(argv[i + 1], nullptr, 10);
    else if (key == "--small") options.small_count = atoi(argv[i + 1]);
    else if (key == "--rounds") options.rounds = std::max(1, atoi(argv[i + 1]));
    else if (key == "--items") options.items = std::max(0, atoi(argv[i + 1]));
    else {
      fprintf(stderr, "unknown option %s\n", argv[i]);
      return 2;
    }
  }

  std::string base = options.dir + "/export-bench-XXXXXX";
  std::vector<char> base_name(base.begin(), base.end());
  base_name.push_back('\0');
  if (mkdtemp(base_name.data()) == nullptr) {
    perror("mkdtemp");
    return 1;
  }
  base = base_name.data();
  const std::string image = base + "/image";
  const std::string files = image + "/files";
  const std::string out = base + "/out";
  for (const std::string& d : {image, files, files + "/big", files + "/small", out})
    mkdir(d.c_str(), 0777);

  // The image.
  plist_t description = plist_new_dict();
  plist_dict_set_item(description, "Identifier", plist_new_string(kIdentifier));
  plist_t items = plist_new_array();
  for (int i = 0; i < options.items; ++i) {
    plist_t item = plist_new_dict();
    std::string n = std::to_string(i);
    plist_dict_set_item(item, "title", plist_new_string(("Song " + n).c_str()));
    plist_dict_set_item(item, "artist", plist_new_string(("Artist " + std::to_string(i % 300)).c_str()));
    plist_dict_set_item(item, "album", plist_new_string(("Album " + std::to_string(i % 2000)).c_str()));
    plist_dict_set_item(item, "genre", plist_new_string("Pop"));
    plist_dict_set_item(item, "time", plist_new_uint(200000 + i));
    plist_dict_set_item(item, "size", plist_new_uint(4000000 + i));
    plist_dict_set_item(item, "path", plist_new_string(("/iTunes_Control/Music/F00/S" + n + ".mp3").c_str()));
    plist_array_append_item(items, item);
  }
  plist_t music = plist_new_dict();
  plist_dict_set_item(music, "item", items);
  plist_dict_set_item(music, "number", plist_new_uint(static_cast<uint64_t>(options.items)));
  plist_t lists = plist_new_dict();
  plist_dict_set_item(lists, "Music", music);
  plist_dict_set_item(description, "Lists", lists);
  char* xml = nullptr;
  uint32_t xml_length = 0;
  plist_to_xml(description, &xml, &xml_length);
  plist_free(description);
  int fd = open((image + "/device.plist").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  WriteAll(fd, xml, xml_length);
  close(fd);
  plist_to_xml_free(xml);

  const uint64_t large_size = options.large_mb << 20;
  printf("building image in %s: %llu MiB file and %d small files\n", base.c_str(),
         static_cast<unsigned long long>(options.large_mb), options.small_count);
  fflush(stdout);
  if (!MakeFile(files + "/big/large.bin", large_size, 1)) {
    perror("large file");
    return 1;
  }
  std::vector<std::string> small_paths;  // relative to files/small
  uint64_t small_bytes = 0;
  const int folders = 20;
  for (int f = 0; f < folders; ++f) {
    char name[16];
    snprintf(name, sizeof name, "F%02d", f);
    mkdir((files + "/small/" + name).c_str(), 0777);
  }
  uint64_t seed = 7;
  for (int i = 0; i < options.small_count; ++i) {
    char name[32];
    snprintf(name, sizeof name, "F%02d/S%04d.m4a", i % folders, i);
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    uint64_t size = 4096 + (seed >> 33) % (60 * 1024 + 1);
    if (!MakeFile(files + "/small/" + name, size, seed)) {
      perror("small file");
      return 1;
    }
    small_paths.push_back(name);
    small_bytes += size;
  }

  // Warm: every source is read once, so both sides find it in the cache.
  ReadThrough(files + "/big/large.bin");
  for (const std::string& p : small_paths) ReadThrough(files + "/small/" + p);

  setenv("PORTIVA_DEVICE_IMAGES", image.c_str(), 1);
  PodDeviceService* service = CreatePodDeviceService();
  const std::string work = base + "/work";
  mkdir(work.c_str(), 0777);
  auto seconds_since = [](std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  auto t0 = std::chrono::steady_clock::now();
  plist_t list = service->GetDeviceList();
  double enumerate_s = seconds_since(t0);
  plist_free(list);
  t0 = std::chrono::steady_clock::now();
  PodDevice* device = service->CreateDevice(kIdentifier, "usb");
  double create_s = seconds_since(t0);
  t0 = std::chrono::steady_clock::now();
  if (device == nullptr || device->Init(device, work.c_str()) != POD_STATUS_OK) {
    fprintf(stderr, "could not open the bench image\n");
    return 1;
  }
  double init_s = seconds_since(t0);
  std::vector<double> list_s;
  for (int i = 0; i < 5; ++i) {
    t0 = std::chrono::steady_clock::now();
    plist_t music_copy = device->GetMusicList(device, 0, 0);
    list_s.push_back(seconds_since(t0));
    plist_free(music_copy);
  }
  struct stat description_stat;
  stat((image + "/device.plist").c_str(), &description_stat);
  printf("description of %d items (%.1f MB): enumeration %.3f s, CreateDevice %.3f s, "
         "Init %.3f s, GetMusicList %.3f s (median of 5)\n",
         options.items, description_stat.st_size / 1e6, enumerate_s, create_s, init_s,
         Median(list_s));

  auto make_small_folders = [&](const std::string& target) {
    mkdir(target.c_str(), 0777);
    for (int f = 0; f < folders; ++f) {
      char name[16];
      snprintf(name, sizeof name, "/F%02d", f);
      mkdir((target + name).c_str(), 0777);
    }
  };

  std::vector<Method> large = {
      {"ExportFile", [&](const std::string& target) {
         return device->ExportFile(device, "/big/large.bin", target.c_str(), nullptr) == 0;
       }, false, {}, {}},
      {"cp", [&](const std::string& target) {
         return RunCp({files + "/big/large.bin", target});
       }, true, {}, {}},
  };
  std::vector<Method> small = {
      {"ExportFile", [&](const std::string& target) {
         for (const std::string& p : small_paths) {
           std::string device_path = "/small/" + p;
           if (device->ExportFile(device, device_path.c_str(), (target + "/" + p).c_str(),
                                  nullptr) != 0)
             return false;
         }
         return true;
       }, false, {}, {}},
      {"ExportDirectory", [&](const std::string& target) {
         return device->ExportDirectory(device, "/small", target.c_str()) == 0;
       }, false, {}, {}},
      {"cp -r", [&](const std::string& target) {
         return RunCp({"-r", files + "/small", target});
       }, true, {}, {}},
  };

  auto time_one = [&](Method& m, const std::string& target, bool pre_make) {
    // An untimed run of the same kind first: on a virtual machine, memory
    // that was idle for a while is slow to touch again, and whichever run
    // came first after a pause would pay for it.
    const std::string scratch = target + "-warm";
    if (pre_make) make_small_folders(scratch);
    m.run(scratch);
    sync();
    RemoveTree(scratch);
    if (pre_make) make_small_folders(target);
    sync();
    double cpu_start = CpuSeconds(m.child);
    auto start = std::chrono::steady_clock::now();
    bool ok = m.run(target);
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.cpu_seconds.push_back(CpuSeconds(m.child) - cpu_start);
    if (!ok) {
      fprintf(stderr, "%s failed\n", m.name.c_str());
      exit(1);
    }
    m.seconds.push_back(s);
    printf("  %-16s %s %.3f s\n", m.name.c_str(), target.c_str() + out.size() + 1, s);
    sync();
    RemoveTree(target);
    sync();
  };

  for (int r = 0; r < options.rounds; ++r) {
    std::vector<size_t> order = {0, 1};
    if (r % 2) std::reverse(order.begin(), order.end());
    for (size_t i : order) time_one(large[i], out + "/large-" + std::to_string(r), false);
    std::vector<size_t> small_order = {0, 1, 2};
    if (r % 2) std::reverse(small_order.begin(), small_order.end());
    for (size_t i : small_order)
      time_one(small[i], out + "/small-" + std::to_string(r), i == 0);
    printf("round %d done\n", r + 1);
    fflush(stdout);
  }

  // Other work on the machine slows single runs down at random; the best
  // run and the CPU time show the cost of the copy itself.
  auto report = [](const char* title, std::vector<Method>& methods, uint64_t bytes,
                   size_t reference) {
    printf("\n%s (%.1f MB, %zu runs each)\n", title, bytes / 1e6,
           methods[0].seconds.size());
    printf("  %-16s %10s %10s %10s %8s %8s\n", "", "median", "best", "cpu", "ratio",
           "ratio");
    printf("  %-16s %10s %10s %10s %8s %8s\n", "", "MB/s", "MB/s", "s", "median",
           "best");
    const Method& ref = methods[reference];
    double ref_median = Median(ref.seconds);
    double ref_best = *std::min_element(ref.seconds.begin(), ref.seconds.end());
    for (Method& m : methods) {
      double median = Median(m.seconds);
      double best = *std::min_element(m.seconds.begin(), m.seconds.end());
      printf("  %-16s %10.1f %10.1f %10.3f %8.3f %8.3f\n", m.name.c_str(),
             bytes / 1e6 / median, bytes / 1e6 / best, Median(m.cpu_seconds),
             ref_median / median, ref_best / best);
    }
    printf("  (ratios: time of %s / time of the method; above 1 is faster)\n",
           ref.name.c_str());
  };
  report("large file", large, large_size, 1);
  report("small files", small, small_bytes, 2);

  service->FreeDevice(device);
  FreePodDeviceService(service);
  RemoveTree(base);
  return 0;
}
