#pragma once
// Runs the built kolvaro-cli in a throw-away HOME, and reads its JSON back.
// Needs KOLVARO_CLI, the program's path, defined by the test target.

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cctype>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/cp1252.h"
#include "core/meriskdoc.h"
#include "core/ports/settings.h"
#include "testsupport/files.h"

extern char** environ;

namespace kolvaro::test {

namespace fs = std::filesystem;

struct CliResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

using Env = std::map<std::string, std::string>;

/// A temporary folder that serves as working folder, HOME and
/// XDG_CONFIG_HOME of every run, so no user setting is read or written.
class CliTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(m_home / ".config"); }

  /// Runs kolvaro-cli with `args` in m_dir. TZ is Europe/Berlin and
  /// SOURCE_DATE_EPOCH is unset unless `env` says otherwise.
  CliResult Run(const std::vector<std::string>& args, const Env& env = {}) {
    Env vars = {{"HOME", m_home.string()},
                {"XDG_CONFIG_HOME", (m_home / ".config").string()},
                {"TZ", "Europe/Berlin"},
                {"LC_ALL", "C.UTF-8"}};
    for (const auto& [k, v] : env) vars[k] = v;
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) {
      const std::string entry = *e;
      const std::string key = entry.substr(0, entry.find('='));
      if (!vars.contains(key) && key != "SOURCE_DATE_EPOCH") envStrings.push_back(entry);
    }
    for (const auto& [k, v] : vars) envStrings.push_back(k + "=" + v);

    std::vector<std::string> argStrings{KOLVARO_CLI};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argStrings) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& e : envStrings) envp.push_back(e.data());
    envp.push_back(nullptr);

    const std::string outPath = (m_dir / ".stdout").string();
    const std::string errPath = (m_dir / ".stderr").string();
    const std::string workDir = m_dir.string();
    const pid_t pid = ::fork();
    if (pid == 0) {
      // Only async-signal-safe calls between fork and exec.
      const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
          ::chdir(workDir.c_str()) != 0)
        ::_exit(127);
      ::execve(argv[0], argv.data(), envp.data());
      ::_exit(127);
    }
    CliResult r;
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = ReadFile(outPath);
    r.err = ReadFile(errPath);
    fs::remove(outPath);
    fs::remove(errPath);
    return r;
  }

  /// Writes an album through the core, starting from a new album.
  static void MakeAlbum(const fs::path& path, const std::function<void(CMeriskDoc&)>& fill) {
    CMemorySettings settings;
    CMeriskDoc doc(settings);
    ASSERT_TRUE(doc.OnNewDocument());
    fill(doc);
    std::string error;
    ASSERT_TRUE(doc.OnSaveDocument(path.string(), &error)) << error;
  }

  /// Folder of the program, as the update URL of a new album names it.
  static std::string ProgramDir() {
    return fs::canonical(KOLVARO_CLI).parent_path().string() + "/";
  }

  TempDir m_temp;
  fs::path m_dir = m_temp.Path();
  fs::path m_home = m_dir / "home";
};

/// A strict JSON reader, enough to take kolvaro-cli's dump apart.
struct Json {
  enum Kind { Null, Number, String, Array, Object, Bool } kind = Null;
  double number = 0;
  std::string text;
  std::vector<Json> items;
  std::vector<std::pair<std::string, Json>> members;

  const Json& operator[](const std::string& key) const {
    for (const auto& [k, v] : members)
      if (k == key) return v;
    throw std::out_of_range("no member " + key);
  }
  const Json& operator[](std::size_t i) const { return items.at(i); }
  std::vector<std::string> Keys() const {
    std::vector<std::string> keys;
    for (const auto& m : members) keys.push_back(m.first);
    return keys;
  }

  static Json Parse(const std::string& s) {
    std::size_t pos = 0;
    Json v = ParseValue(s, pos);
    SkipSpace(s, pos);
    if (pos != s.size()) throw std::runtime_error("trailing data");
    return v;
  }

 private:
  static void SkipSpace(const std::string& s, std::size_t& pos) {
    while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\n' || s[pos] == '\t' || s[pos] == '\r'))
      ++pos;
  }
  static void Expect(const std::string& s, std::size_t& pos, char c) {
    SkipSpace(s, pos);
    if (pos >= s.size() || s[pos] != c) throw std::runtime_error(std::string("expected ") + c);
    ++pos;
  }
  static unsigned Hex4(const std::string& s, std::size_t& pos) {
    if (pos + 4 > s.size()) throw std::runtime_error("short \\u");
    unsigned v = 0;
    const auto r = std::from_chars(s.data() + pos, s.data() + pos + 4, v, 16);
    if (r.ptr != s.data() + pos + 4) throw std::runtime_error("bad \\u");
    pos += 4;
    return v;
  }
  static std::string ParseString(const std::string& s, std::size_t& pos) {
    Expect(s, pos, '"');
    std::string out;
    while (true) {
      if (pos >= s.size()) throw std::runtime_error("open string");
      const char c = s[pos++];
      if (c == '"') return out;
      if (static_cast<unsigned char>(c) < 0x20) throw std::runtime_error("raw control char");
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos >= s.size()) throw std::runtime_error("open escape");
      const char e = s[pos++];
      switch (e) {
        case '"': case '\\': case '/': out += e; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          char32_t cp = Hex4(s, pos);
          if (cp >= 0xD800 && cp < 0xDC00) {
            if (s.compare(pos, 2, "\\u") != 0) throw std::runtime_error("lone surrogate");
            pos += 2;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (Hex4(s, pos) - 0xDC00);
          }
          AppendUtf8(cp, out);
          break;
        }
        default: throw std::runtime_error("bad escape");
      }
    }
  }
  static Json ParseValue(const std::string& s, std::size_t& pos) {
    SkipSpace(s, pos);
    if (pos >= s.size()) throw std::runtime_error("value expected");
    Json v;
    const char c = s[pos];
    if (c == '{') {
      v.kind = Object;
      ++pos;
      SkipSpace(s, pos);
      if (pos < s.size() && s[pos] == '}') return ++pos, v;
      do {
        std::string key = ParseString(s, pos);
        Expect(s, pos, ':');
        v.members.emplace_back(std::move(key), ParseValue(s, pos));
        SkipSpace(s, pos);
      } while (pos < s.size() && s[pos] == ',' && ++pos);
      Expect(s, pos, '}');
    } else if (c == '[') {
      v.kind = Array;
      ++pos;
      SkipSpace(s, pos);
      if (pos < s.size() && s[pos] == ']') return ++pos, v;
      do {
        v.items.push_back(ParseValue(s, pos));
        SkipSpace(s, pos);
      } while (pos < s.size() && s[pos] == ',' && ++pos);
      Expect(s, pos, ']');
    } else if (c == '"') {
      v.kind = String;
      v.text = ParseString(s, pos);
    } else if (s.compare(pos, 4, "null") == 0) {
      pos += 4;
    } else if (s.compare(pos, 4, "true") == 0 || s.compare(pos, 5, "false") == 0) {
      v.kind = Bool;
      v.number = s[pos] == 't';
      pos += s[pos] == 't' ? 4 : 5;
    } else {
      // JSON's number grammar: no '+', no leading zeros, no bare '.'.
      const std::size_t start = pos;
      if (s[pos] == '-') ++pos;
      if (pos >= s.size() || !std::isdigit(static_cast<unsigned char>(s[pos])))
        throw std::runtime_error("bad number");
      if (s[pos] == '0' && pos + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[pos + 1])))
        throw std::runtime_error("leading zero");
      while (pos < s.size() && std::strchr("0123456789.eE+-", s[pos])) ++pos;
      v.kind = Number;
      const auto r = std::from_chars(s.data() + start, s.data() + pos, v.number);
      if (r.ec != std::errc() || r.ptr != s.data() + pos) throw std::runtime_error("bad number");
    }
    return v;
  }
};

}  // namespace kolvaro::test
