#include "qt/qtsettings.h"

#include <QStandardPaths>
#include <QStringList>
#include <QVariant>

#include <cstdint>

namespace kolvaro {
namespace {

QString Key(const std::string& section, const std::string& name) {
  return QString::fromUtf8(section) + QLatin1Char('/') + QString::fromUtf8(name);
}

// INI text has no types: a hand-edited value with a comma comes back as a list.
QString AsText(const QVariant& v) {
  if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(QStringLiteral(", "));
  return v.toString();
}

}  // namespace

// QSettings' own INI location would end in ".ini"; the desktop program's
// native store on Linux is this very file.
CQtSettings::CQtSettings()
    : m_settings(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                     QStringLiteral("/Kolvaro/Kolvaro.conf"),
                 QSettings::IniFormat) {}

CQtSettings::CQtSettings(const QString& iniFile) : m_settings(iniFile, QSettings::IniFormat) {}

int CQtSettings::GetInt(const std::string& section, const std::string& name, int def) {
  const QVariant v = m_settings.value(Key(section, name));
  if (!v.isValid()) return def;
  bool ok = false;
  const qlonglong n = AsText(v).trimmed().toLongLong(&ok, 10);
  // The registry kept 32-bit words: 4294967295 and -1 are the same value.
  if (!ok || n < INT32_MIN || n > static_cast<qlonglong>(UINT32_MAX)) return def;
  return static_cast<int>(static_cast<std::uint32_t>(n));
}

std::string CQtSettings::GetString(const std::string& section, const std::string& name,
                                   const std::string& def) {
  const QVariant v = m_settings.value(Key(section, name));
  if (!v.isValid()) return def;
  return AsText(v).toStdString();
}

void CQtSettings::SetInt(const std::string& section, const std::string& name, int value) {
  m_settings.setValue(Key(section, name), value);
  m_settings.sync();
}

void CQtSettings::SetString(const std::string& section, const std::string& name,
                            const std::string& value) {
  m_settings.setValue(Key(section, name), QString::fromUtf8(value));
  m_settings.sync();
}

}  // namespace kolvaro
