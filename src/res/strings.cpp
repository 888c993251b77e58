#include "res/strings.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

namespace kolvaro {
namespace {

struct Entry {
  int id;
  std::string_view text;
};

// Sorted by identifier; checked at compile time below.
constexpr std::array kTable = {
    Entry{IDS_PICTURE_FILTER,
          "Jpeg-Bilder|*.jpg|Alle Bilder (jpg, gif, bmp, tif, avi)|*.jpg;*.gif;*.tif;*.avi;*.bmp|Alle Dateien (*.*)|*.*||"},
    Entry{IDS_TRANSACTION_FILTER, "Merisk Protokolldateien|mrklog*.xml|Alle Dateien (*.*)|*.*||"},
    Entry{IDS_PERSON_IMPORT_FILTER, "Textdateien (*.txt)|*.txt|Alle Dateien|*.*||"},
    Entry{IDS_DUPLICATE_CAPTION, "Doppelter Eintrag"},
    Entry{IDS_FILE_ALREADY_IN_ALBUM, "Die Datei %1!s! ist bereits in der Datenbank abgelegt!"},
    Entry{IDS_FILES_ADDED, "%1!li! Dateien hinzugefügt."},
    Entry{IDS_COLLABORATION_MENU, "&Zusammenarbeit"},
    Entry{IDS_TRANSACTION_DAMAGED, "Transaktionsdatei ist beschädigt.\nKeine Änderungen vorgenommen!"},
    Entry{IDS_TRANSACTION_DISCARD, "Transaktionsdatei ist beschädigt.\nBitte alle Änderungen verwerfen!"},
    Entry{IDS_SAVE_CHANGES, "Änderungen in %1 speichern?"},
    Entry{IDS_UNEXPECTED_FORMAT, "Unerwartetes Dateiformat."},
};

constexpr bool SortedAndUnique() {
  for (std::size_t i = 1; i < kTable.size(); ++i)
    if (kTable[i - 1].id >= kTable[i].id) return false;
  return true;
}
static_assert(SortedAndUnique(), "string table must be sorted by identifier, without repeats");

std::string FormatOne(const MessageArg& arg, std::string_view directive) {
  // Build a printf format from the directive, with the length modifiers that
  // fit the argument's real type.
  std::string conv;
  for (const char c : directive)
    if (c != 'l' && c != 'h' && c != 'I') conv += c;
  char buf[512];
  const char type = conv.empty() ? 's' : conv.back();
  const std::string flags = conv.empty() ? std::string() : conv.substr(0, conv.size() - 1);
  if (const auto* s = std::get_if<std::string>(&arg)) return *s;
  if (const auto* n = std::get_if<long long>(&arg)) {
    if (type == 's') return std::to_string(*n);
    const std::string fmt = "%" + flags + (type == 'f' ? std::string("lld") : "ll" + std::string(1, type));
    std::snprintf(buf, sizeof buf, fmt.c_str(), *n);
    return buf;
  }
  const double d = std::get<double>(arg);
  const std::string fmt = "%" + flags + (type == 'f' || type == 'e' || type == 'g' ? std::string(1, type) : "g");
  std::snprintf(buf, sizeof buf, fmt.c_str(), d);
  return buf;
}

}  // namespace

std::string_view LoadString(int id) {
  const auto it = std::lower_bound(kTable.begin(), kTable.end(), id,
                                   [](const Entry& e, int v) { return e.id < v; });
  return it != kTable.end() && it->id == id ? it->text : std::string_view();
}

std::string FormatMessage(std::string_view format, const std::vector<MessageArg>& args) {
  std::string out;
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c != '%' || i + 1 >= format.size()) {
      out += c;
      continue;
    }
    const char next = format[i + 1];
    if (next == '%') {
      out += '%';
      ++i;
      continue;
    }
    if (next < '1' || next > '9') {
      out += c;
      continue;
    }
    std::size_t j = i + 1;
    int index = 0;
    while (j < format.size() && format[j] >= '0' && format[j] <= '9' && index < 100)
      index = index * 10 + (format[j++] - '0');
    std::string_view directive;
    if (j < format.size() && format[j] == '!') {
      const auto end = format.find('!', j + 1);
      if (end != std::string_view::npos) {
        directive = format.substr(j + 1, end - j - 1);
        j = end + 1;
      }
    }
    if (index >= 1 && static_cast<std::size_t>(index) <= args.size())
      out += FormatOne(args[static_cast<std::size_t>(index) - 1], directive);
    i = j - 1;
  }
  return out;
}

}  // namespace kolvaro
