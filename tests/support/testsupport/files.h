#pragma once
// Files and environment for tests: a temporary folder, whole-file reads and
// writes, and scoped environment variables.

#include <stdlib.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/oledate.h"

namespace kolvaro::test {

/// The whole file; empty when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// Replaces the file's contents; throws when it cannot, so that a fixture
/// never goes missing unnoticed.
inline void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}
inline void WriteFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  WriteFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

/// A fresh folder below `parent`, removed afterwards.
class TempDir {
 public:
  explicit TempDir(const std::filesystem::path& parent = std::filesystem::temp_directory_path()) {
    std::string tmpl = (parent / "kolvaro-test-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp in " + parent.string());
    m_path = tmpl;
  }
  ~TempDir() {
    std::error_code ec;
    // Folders a test made read-only must be writable again to go.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
      if (it->is_directory(ec)) ::chmod(it->path().c_str(), 0700);
    std::filesystem::remove_all(m_path, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return m_path; }
  /// The folder with its trailing '/', as the album keeps folders.
  std::string Folder() const { return m_path.string() + "/"; }
  std::string operator/(std::string_view name) const { return (m_path / name).string(); }
  /// Writes `bytes` to `name` in the folder; the file's path.
  template <typename Bytes>
  std::filesystem::path File(std::string_view name, const Bytes& bytes) const {
    WriteFile(m_path / name, bytes);
    return m_path / name;
  }

 private:
  std::filesystem::path m_path;
};

/// Sets or removes an environment variable for one scope (and re-reads TZ
/// and SOURCE_DATE_EPOCH).
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : m_name(name) {
    if (const char* old = ::getenv(name)) m_old = old;
    Apply(value);
  }
  ~ScopedEnv() { Apply(m_old); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void Apply(const std::optional<std::string>& v) {
    v ? ::setenv(m_name, v->c_str(), 1) : ::unsetenv(m_name);
    ReloadClockEnvironment();
  }
  const char* m_name;
  std::optional<std::string> m_old;
};

/// Fixes every "now" for the guard's lifetime.
struct EpochGuard : ScopedEnv {
  explicit EpochGuard(const char* seconds) : ScopedEnv("SOURCE_DATE_EPOCH", seconds) {}
};

/// 2026-12-07 19:12:50 UTC.
inline constexpr const char* kEpoch = "1796670770";

}  // namespace kolvaro::test
