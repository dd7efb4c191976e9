// E-book library: packs an unpacked e-book directory into an EPUB container.
#include "epub_maker.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

namespace {

constexpr const char kDefaultMimetype[] = "application/epub+zip";

// Regular files below root, as relative paths with "/" separators. Links are
// not followed, so nothing outside the directory ends up in the book.
bool CollectFiles(const std::string& root, const std::string& relative,
                  std::vector<std::string>* files) {
  const std::string path = relative.empty() ? root : root + "/" + relative;
  DIR* dir = opendir(path.c_str());
  if (dir == nullptr) return false;
  std::vector<std::string> names;
  errno = 0;
  while (struct dirent* entry = readdir(dir)) {
    if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
      names.emplace_back(entry->d_name);
  }
  bool ok = errno == 0;
  closedir(dir);
  if (!ok) return false;
  for (const std::string& name : names) {
    const std::string child = relative.empty() ? name : relative + "/" + name;
    struct stat st;
    if (lstat((root + "/" + child).c_str(), &st) != 0) return false;
    if (S_ISDIR(st.st_mode)) {
      if (!CollectFiles(root, child, files)) return false;
    } else if (S_ISREG(st.st_mode)) {
      files->push_back(child);
    }
  }
  return true;
}

bool ReadSmallFile(const std::string& path, std::string* content) {
  FILE* file = fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  char buffer[4096];
  size_t n;
  content->clear();
  while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) {
    content->append(buffer, n);
    if (content->size() > 65536) break;  // no real mimetype is this long
  }
  bool ok = !ferror(file) && content->size() <= 65536;
  fclose(file);
  return ok;
}

// A name beside the target for the archive being built; libzip creates it
// only when the archive is closed.
std::string StagingName(const std::string& target) {
  static std::atomic<unsigned> counter{0};
  std::string folder = ".", base = target;
  size_t slash = target.rfind('/');
  if (slash != std::string::npos) {
    folder = slash == 0 ? "/" : target.substr(0, slash);
    base = target.substr(slash + 1);
  }
  std::string name = folder + (folder == "/" ? "" : "/") + "." + base + ".part-" +
                     std::to_string(getpid()) + "-" +
                     std::to_string(counter.fetch_add(1));
  return name;
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

// Moves the finished archive to the target without ever replacing a file
// that appeared there in the meantime.
int Publish(const std::string& staging, const std::string& target) {
  if (renameat2(AT_FDCWD, staging.c_str(), AT_FDCWD, target.c_str(),
                RENAME_NOREPLACE) == 0)
    return EPUB_STATUS_OK;
  if (errno == EEXIST) return EPUB_STATUS_TARGET_EXISTS;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
    return EPUB_STATUS_WRITE_FAILED;
  // File systems without that rename: a hard link is just as exclusive.
  if (link(staging.c_str(), target.c_str()) == 0) {
    unlink(staging.c_str());
    return EPUB_STATUS_OK;
  }
  if (errno == EEXIST) return EPUB_STATUS_TARGET_EXISTS;
  if (Exists(target)) return EPUB_STATUS_TARGET_EXISTS;
  return rename(staging.c_str(), target.c_str()) == 0 ? EPUB_STATUS_OK
                                                     : EPUB_STATUS_WRITE_FAILED;
}

int Pack(const char* directory, const char* target_path) {
  if (directory == nullptr || target_path == nullptr || directory[0] == '\0' ||
      target_path[0] == '\0')
    return EPUB_STATUS_BAD_ARGUMENT;
  std::string root(directory);
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  const std::string target(target_path);
  if (Exists(target)) return EPUB_STATUS_TARGET_EXISTS;

  struct stat st;
  if (stat(root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    return EPUB_STATUS_READ_FAILED;
  std::vector<std::string> files;
  if (!CollectFiles(root, "", &files)) return EPUB_STATUS_READ_FAILED;
  std::sort(files.begin(), files.end());

  std::string mimetype = kDefaultMimetype;
  auto own = std::find(files.begin(), files.end(), "mimetype");
  if (own != files.end()) {
    if (!ReadSmallFile(root + "/mimetype", &mimetype))
      return EPUB_STATUS_READ_FAILED;
    // Readers want the bare media type; an editor's line end would break it.
    while (!mimetype.empty() && strchr(" \t\r\n", mimetype.back()) != nullptr)
      mimetype.pop_back();
    if (mimetype.empty()) mimetype = kDefaultMimetype;
    files.erase(own);
  }

  std::string staging;
  zip_t* archive = nullptr;
  for (int attempt = 0; archive == nullptr && attempt < 16; ++attempt) {
    staging = StagingName(target);
    int error = 0;
    archive = zip_open(staging.c_str(), ZIP_CREATE | ZIP_EXCL, &error);
    if (archive == nullptr && error != ZIP_ER_EXISTS)
      return EPUB_STATUS_WRITE_FAILED;
  }
  if (archive == nullptr) return EPUB_STATUS_WRITE_FAILED;

  bool ok = true;
  zip_source_t* source =
      zip_source_buffer(archive, mimetype.data(), mimetype.size(), 0);
  zip_int64_t index = -1;
  if (source != nullptr) {
    index = zip_file_add(archive, "mimetype", source, ZIP_FL_ENC_UTF_8);
    if (index < 0) zip_source_free(source);
  }
  ok = index >= 0 &&
       zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                                ZIP_CM_STORE, 0) == 0;
  for (size_t i = 0; ok && i < files.size(); ++i) {
    source = zip_source_file(archive, (root + "/" + files[i]).c_str(), 0, -1);
    if (source == nullptr) {
      ok = false;
      break;
    }
    index = zip_file_add(archive, files[i].c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(source);
      ok = false;
      break;
    }
    ok = zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                                  ZIP_CM_DEFLATE, 0) == 0;
  }
  if (!ok) {
    zip_discard(archive);
    return EPUB_STATUS_WRITE_FAILED;
  }
  // mimetype is borrowed by the buffer source until here.
  if (zip_close(archive) != 0) {
    zip_discard(archive);
    unlink(staging.c_str());
    return EPUB_STATUS_WRITE_FAILED;
  }
  int status = Publish(staging, target);
  if (status != EPUB_STATUS_OK) unlink(staging.c_str());
  return status;
}

}  // namespace

extern "C" int CreateEpubFromDir(const char* directory, const char* target) {
  try {
    return Pack(directory, target);
  } catch (...) {
    return EPUB_STATUS_WRITE_FAILED;
  }
}
