#include "gen_util.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace gen {

uint64_t HashText(const std::string& text, uint64_t seed) {
  uint64_t h = 0xCBF29CE484222325ull ^ seed;
  for (unsigned char c : text) {
    h ^= c;
    h *= 0x100000001B3ull;
  }
  // One extra mixing round so that short texts spread over all bits.
  Rng mix(h);
  return mix.Next();
}

bool MakeDirs(const std::string& path) {
  std::error_code ec;
  fs::create_directories(path, ec);
  return !ec && fs::is_directory(path, ec);
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  fs::path p(path);
  if (p.has_parent_path() && !MakeDirs(p.parent_path().string())) return false;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fclose(f) == 0) && ok;
  return ok;
}

bool ReadFile(const std::string& path, std::string* bytes) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  bytes->clear();
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes->append(buf, n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

bool FileSize(const std::string& path, uint64_t* size) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  *size = static_cast<uint64_t>(st.st_size);
  return true;
}

bool LinkOrCopy(const std::string& from, const std::string& to) {
  fs::path p(to);
  if (p.has_parent_path() && !MakeDirs(p.parent_path().string())) return false;
  if (::link(from.c_str(), to.c_str()) == 0) return true;
  std::error_code ec;
  fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
  return !ec;
}

bool RemoveTree(const std::string& path) {
  std::error_code ec;
  fs::remove_all(path, ec);
  return !ec;
}

bool RunTool(const std::vector<std::string>& argv) {
  if (argv.empty()) return false;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = ::fork();
  if (pid < 0) return false;
  if (pid == 0) {
    int null_fd = ::open("/dev/null", O_RDWR);
    if (null_fd >= 0) {
      ::dup2(null_fd, 0);
      ::dup2(null_fd, 1);
      ::dup2(null_fd, 2);
    }
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool ToolAvailable(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (!path) return false;
  std::string all(path);
  size_t start = 0;
  while (start <= all.size()) {
    size_t end = all.find(':', start);
    if (end == std::string::npos) end = all.size();
    std::string dir = all.substr(start, end - start);
    if (dir.empty()) dir = ".";
    std::string candidate = dir + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

std::string XmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace gen
