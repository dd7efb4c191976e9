// Small helpers shared by the demo device generator: a deterministic random
// source, file output and running the optional command-line encoders.
#ifndef PORTIVA_GENERATORS_GEN_UTIL_H
#define PORTIVA_GENERATORS_GEN_UTIL_H

#include <cstdint>
#include <string>
#include <vector>

namespace gen {

// splitmix64: the same sequence on every compiler and library, unlike the
// standard distributions, so a seed always gives the same image.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}

  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // 0 .. n-1; n must be positive.
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }
  // lo .. hi inclusive.
  int Range(int lo, int hi) { return lo + static_cast<int>(Below(static_cast<uint32_t>(hi - lo + 1))); }
  // [0, 1)
  double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
  double Uniform(double lo, double hi) { return lo + (hi - lo) * Unit(); }
  bool Chance(double p) { return Unit() < p; }
  // A child source whose sequence does not depend on how much of this one
  // is used later.
  Rng Fork() { return Rng(Next()); }

 private:
  uint64_t state_;
};

uint64_t HashText(const std::string& text, uint64_t seed);

// Writes bytes to path, creating missing parent folders.
bool WriteFile(const std::string& path, const std::string& bytes);
bool MakeDirs(const std::string& path);
bool ReadFile(const std::string& path, std::string* bytes);
// Size of a file in bytes, or false when it cannot be read.
bool FileSize(const std::string& path, uint64_t* size);
// Hard link when possible (many benchmark items share content), else a copy.
bool LinkOrCopy(const std::string& from, const std::string& to);
bool RemoveTree(const std::string& path);

// Runs a program found through PATH with the given arguments, output
// silenced; true when it ran and exited with status 0.
bool RunTool(const std::vector<std::string>& argv);
// Whether a program of that name is found through PATH.
bool ToolAvailable(const std::string& name);

// Escapes text for XML character data and attribute values.
std::string XmlEscape(const std::string& text);

}  // namespace gen

#endif
