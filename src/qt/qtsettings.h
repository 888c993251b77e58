#pragma once
// The settings store on QSettings: INI text in
// $XDG_CONFIG_HOME/Kolvaro/Kolvaro.conf (~/.config/Kolvaro/Kolvaro.conf), the
// file QSettings gives organisation and application "Kolvaro" on Linux; one
// group per section.

#include <QSettings>
#include <QString>

#include "core/ports/settings.h"

namespace kolvaro {

class CQtSettings final : public ISettings {
 public:
  /// The user's store.
  CQtSettings();
  /// A store in the given INI file (tests, portable setups).
  explicit CQtSettings(const QString& iniFile);

  int GetInt(const std::string& section, const std::string& name, int def) override;
  std::string GetString(const std::string& section, const std::string& name,
                        const std::string& def) override;
  void SetInt(const std::string& section, const std::string& name, int value) override;
  void SetString(const std::string& section, const std::string& name,
                 const std::string& value) override;

  /// Where the values live.
  QString FileName() const { return m_settings.fileName(); }

 private:
  QSettings m_settings;
};

}  // namespace kolvaro
