#pragma once
// The settings store as the core sees it: integer and string values by
// section and value name, read at every use.

#include <map>
#include <string>
#include <utility>

namespace kolvaro {

class ISettings {
 public:
  virtual ~ISettings() = default;
  virtual int GetInt(const std::string& section, const std::string& name, int def) = 0;
  virtual std::string GetString(const std::string& section, const std::string& name,
                                const std::string& def) = 0;
  virtual void SetInt(const std::string& section, const std::string& name, int value) = 0;
  virtual void SetString(const std::string& section, const std::string& name,
                         const std::string& value) = 0;
};

/// A store that lives in memory only: tests and tools that must not touch
/// the user's settings.
class CMemorySettings final : public ISettings {
 public:
  int GetInt(const std::string& section, const std::string& name, int def) override {
    const auto it = m_ints.find({section, name});
    return it == m_ints.end() ? def : it->second;
  }
  std::string GetString(const std::string& section, const std::string& name,
                        const std::string& def) override {
    const auto it = m_strings.find({section, name});
    return it == m_strings.end() ? def : it->second;
  }
  void SetInt(const std::string& section, const std::string& name, int value) override {
    m_ints[{section, name}] = value;
  }
  void SetString(const std::string& section, const std::string& name,
                 const std::string& value) override {
    m_strings[{section, name}] = value;
  }

 private:
  std::map<std::pair<std::string, std::string>, int> m_ints;
  std::map<std::pair<std::string, std::string>, std::string> m_strings;
};

}  // namespace kolvaro
