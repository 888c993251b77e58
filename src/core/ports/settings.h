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

/// A value of the program's own section, with the default every reader uses.
struct ProgramSetting {
  const char* name;
  int fallback;
};

struct ProgramSettings {
  static constexpr const char* kSection = "Settings";
  static constexpr ProgramSetting kAskOverwriteDelete{"AskOverwriteDelete", 1};
  static constexpr ProgramSetting kSlideshowPause{"Diashow", 2500};  // milliseconds
  static constexpr ProgramSetting kCollaboration{"Zusammenarbeit", 0};
  static constexpr ProgramSetting kHeadlineOption{"HeadlineOption", 0};
  static constexpr ProgramSetting kRelativePath{"RelativePath", 0};
  static constexpr ProgramSetting kThumbnailStrip{"Bildleiste", 1};
  static constexpr ProgramSetting kSyncAtOnce{"AbgleichSofort", 0};
  static constexpr const char* kTransactionFolder = "TransactionFolder";
  static constexpr const char* kCameraFolder = "Camera Folder";
  // The pause "Einstellungen" accepts; a value edited by hand outside it
  // would make the slideshow's timer spin or never fire.
  static constexpr int kShortestPause = 250;
  static constexpr int kLongestPause = 3600000;

  static int Get(ISettings& settings, ProgramSetting value) {
    return settings.GetInt(kSection, value.name, value.fallback);
  }
  static bool IsOn(ISettings& settings, ProgramSetting value) { return Get(settings, value) != 0; }
  static void Set(ISettings& settings, ProgramSetting value, int to) {
    settings.SetInt(kSection, value.name, to);
  }
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
