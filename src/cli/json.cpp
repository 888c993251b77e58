#include "cli/json.h"

#include <cmath>
#include <ostream>

#include "core/cp1252.h"
#include "core/numbers.h"

namespace kolvaro::cli {

std::string JsonQuote(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  for (std::size_t pos = 0; pos < text.size();) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte >= 0x80) {
      // Re-encoding drops what is not UTF-8, so the output always parses.
      const char32_t cp = DecodeUtf8(text, pos);
      if (cp < 0xA0) {
        out += "\\u00";
        out += kHex[cp >> 4];
        out += kHex[cp & 0xF];
      } else {
        AppendUtf8(cp, out);
      }
      continue;
    }
    ++pos;
    switch (byte) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          out += "\\u00";
          out += kHex[byte >> 4];
          out += kHex[byte & 0xF];
        } else {
          out += static_cast<char>(byte);
        }
    }
  }
  out += '"';
  return out;
}

std::string TerminalText(std::string_view text, bool keepLineFeeds) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  auto hex = [&](unsigned value) {
    out += kHex[value >> 4];
    out += kHex[value & 0xF];
  };
  for (std::size_t pos = 0; pos < text.size();) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte < 0x80) {
      ++pos;
      if ((byte < 0x20 && !(keepLineFeeds && byte == '\n')) || byte == 0x7F) {
        out += "\\x";
        hex(byte);
      } else {
        out += static_cast<char>(byte);
      }
      continue;
    }
    const std::size_t start = pos;
    const char32_t cp = DecodeUtf8(text, pos);
    std::string again;
    AppendUtf8(cp, again);
    if (again != text.substr(start, pos - start)) {
      // Not UTF-8: each byte as it is in the file.
      for (std::size_t i = start; i < pos; ++i) {
        out += "\\x";
        hex(static_cast<unsigned char>(text[i]));
      }
    } else if (cp < 0xA0) {
      out += "\\u{";
      hex(static_cast<unsigned>(cp));
      out += '}';
    } else {
      out += again;
    }
  }
  return out;
}

std::string JsonNumber(double value) {
  if (!std::isfinite(value)) return "null";
  return GeneralText(value, 17);
}

void JsonWriter::Newline(std::size_t depth) {
  m_out << '\n';
  for (std::size_t i = 0; i < depth; ++i) m_out << "  ";
}

void JsonWriter::Separator(Level& level) {
  if (level.count > 0) m_out << ',';
  if (level.inlined) {
    if (level.count > 0) m_out << ' ';
  } else {
    Newline(m_levels.size());
  }
  ++level.count;
}

void JsonWriter::BeforeValue() {
  if (m_afterKey) {
    m_afterKey = false;
    return;
  }
  if (!m_levels.empty()) Separator(m_levels.back());
}

void JsonWriter::Key(std::string_view name) {
  Separator(m_levels.back());
  m_out << JsonQuote(name) << ": ";
  m_afterKey = true;
}

void JsonWriter::BeginObject(bool inlined) {
  BeforeValue();
  m_out << '{';
  m_levels.push_back(Level{false, inlined});
}

void JsonWriter::BeginArray(bool inlined) {
  BeforeValue();
  m_out << '[';
  m_levels.push_back(Level{true, inlined});
}

void JsonWriter::End(char bracket) {
  const Level level = m_levels.back();
  m_levels.pop_back();
  if (level.count > 0 && !level.inlined) Newline(m_levels.size());
  m_out << bracket;
}

void JsonWriter::EndObject() { End('}'); }
void JsonWriter::EndArray() { End(']'); }

void JsonWriter::String(std::string_view text) {
  BeforeValue();
  m_out << JsonQuote(text);
}

void JsonWriter::Int(std::int64_t value) {
  BeforeValue();
  m_out << value;
}

void JsonWriter::UInt(std::uint64_t value) {
  BeforeValue();
  m_out << value;
}

void JsonWriter::Double(double value) {
  BeforeValue();
  m_out << JsonNumber(value);
}

void JsonWriter::Finish() { m_out << '\n'; }

}  // namespace kolvaro::cli
