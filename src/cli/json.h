#pragma once
// A small streaming JSON writer: two-space indentation, with "inline"
// objects and arrays kept on one line for short values such as dates.

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace kolvaro::cli {

/// `text` as a quoted JSON string; bytes that are not valid UTF-8 become
/// U+FFFD. Control characters (C0, DEL, C1) are escaped, so that printing
/// the string never reaches the terminal as a control sequence.
std::string JsonQuote(std::string_view text);

/// Text from an album for a terminal: control characters (C0 but the line
/// feed where `keepLineFeeds`, DEL, C1) as "\xHH" or "\u{HH}", bytes that
/// are not UTF-8 as "\xHH", so that an album cannot send escape sequences.
std::string TerminalText(std::string_view text, bool keepLineFeeds = false);
/// The shortest exact form with at most 17 significant digits; "null" for
/// NaN and the infinities, which JSON cannot express.
std::string JsonNumber(double value);

class JsonWriter {
 public:
  explicit JsonWriter(std::ostream& out) : m_out(out) {}

  void BeginObject(bool inlined = false);
  void EndObject();
  void BeginArray(bool inlined = false);
  void EndArray();
  /// The name of the next member of the current object.
  void Key(std::string_view name);

  void String(std::string_view text);
  void Int(std::int64_t value);
  void UInt(std::uint64_t value);
  void Double(double value);

  /// Ends the document with a newline.
  void Finish();

 private:
  struct Level {
    bool array;
    bool inlined;
    int count = 0;
  };
  void BeforeValue();
  void Separator(Level& level);
  void Newline(std::size_t depth);
  void End(char bracket);

  std::ostream& m_out;
  std::vector<Level> m_levels;
  bool m_afterKey = false;
};

}  // namespace kolvaro::cli
