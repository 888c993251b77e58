#include "collab/transactionreader.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace kolvaro {
namespace {

constexpr std::size_t kBlock = 64 * 1024;

constexpr std::array kKinds = {
    TransactionRecord::AddUpdatePicture,        TransactionRecord::AddUpdatePerson,
    TransactionRecord::AddUpdatePersonOnPicture, TransactionRecord::AddUpdateTheme,
    TransactionRecord::AddUpdateThemeOfPicture, TransactionRecord::RemovePerson,
    TransactionRecord::RemovePicture,           TransactionRecord::RemovePersonOnPicture,
    TransactionRecord::RemoveTheme,             TransactionRecord::RemoveThemeOfPicture,
};

struct Tags {
  std::array<std::string, kKinds.size()> open;
  std::array<std::string, kKinds.size()> close;
  Tags() {
    for (std::size_t i = 0; i < kKinds.size(); ++i) {
      const std::string tag(TransactionRecordTag(kKinds[i]));
      open[i] = "<" + tag + ">";
      close[i] = "</" + tag + ">";
    }
  }
};

const Tags& AllTags() {
  static const Tags tags;
  return tags;
}

// Values sit at fixed offsets: the length of the element's opening tag with
// its indentation from the start, and of the closing tag from the end.
std::int32_t IntAt(std::string_view line, std::size_t offset) {
  return ParseLeadingInt(line.substr(std::min(offset, line.size())));
}

void TextAt(std::string_view line, std::size_t offset, std::string& out) {
  if (line.size() <= 2 * offset)
    out.clear();
  else
    DecodeTransactionValue(line.substr(offset, line.size() - 2 * offset), out);
}

}  // namespace

long long CFileByteSource::Read(char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = ::read(m_fd, buffer, size);
    if (n >= 0) return n;
    if (errno != EINTR) return -1;
  }
}

long long CMemoryByteSource::Read(char* buffer, std::size_t size) {
  const std::size_t n = std::min(size, m_bytes.size());
  if (n > 0) std::memcpy(buffer, m_bytes.data(), n);
  m_bytes.remove_prefix(n);
  return static_cast<long long>(n);
}

CTransactionLineReader::CTransactionLineReader(ITransactionByteSource& source,
                                               std::size_t maxLine)
    : m_source(source), m_maxLine(maxLine), m_buf(kBlock) {}

bool CTransactionLineReader::Fill() {
  if (m_begin > 0) {
    std::memmove(m_buf.data(), m_buf.data() + m_begin, m_end - m_begin);
    m_end -= m_begin;
    m_begin = 0;
  }
  if (m_end == m_buf.size()) {
    // A line of the maximum length with its CR LF, plus one block behind it.
    const std::size_t most = m_maxLine + 2 + kBlock;
    if (m_buf.size() >= most) return false;
    m_buf.resize(std::min(most, m_buf.size() * 2));
  }
  const long long n = m_source.Read(m_buf.data() + m_end, m_buf.size() - m_end);
  if (n < 0) {
    m_error = true;
  } else if (n == 0) {
    m_eof = true;
  } else {
    m_end += static_cast<std::size_t>(n);
  }
  return true;
}

CTransactionLineReader::Status CTransactionLineReader::Next(std::string_view& line) {
  std::size_t scanned = 0;  // bytes after m_begin already known to hold no line feed
  for (;;) {
    const char* base = m_buf.data();
    const void* nl = std::memchr(base + m_begin + scanned, '\n', m_end - m_begin - scanned);
    if (nl) {
      const char* start = base + m_begin;
      std::size_t len = static_cast<const char*>(nl) - start;
      m_begin += len + 1;
      if (len > 0 && start[len - 1] == '\r') --len;
      if (len > m_maxLine) return Status::TooLong;
      line = std::string_view(start, len);
      return Status::Line;
    }
    scanned = m_end - m_begin;
    if (scanned > m_maxLine + 1) return Status::TooLong;
    if (m_error) return Status::Error;
    if (m_eof) {
      if (scanned == 0) return Status::End;
      // A last line without line end still counts; a carriage return
      // there is a line end cut short.
      std::size_t len = scanned;
      if (base[m_begin + len - 1] == '\r') --len;
      line = std::string_view(base + m_begin, len);
      m_begin = m_end;
      return Status::Line;
    }
    if (!Fill()) return Status::TooLong;
  }
}

bool CTransactionParser::ReadHeader() {
  std::string_view line;
  return m_lines.Next(line) == CTransactionLineReader::Status::Line &&
         line == kTransactionRootOpen;
}

bool CTransactionParser::Body(std::string_view& line) {
  switch (m_lines.Next(line)) {
    case CTransactionLineReader::Status::Line:
      return true;
    case CTransactionLineReader::Status::Error:
      m_failure = Status::ReadError;
      return false;
    default:
      m_failure = Status::Damaged;
      return false;
  }
}

bool CTransactionParser::Closing(TransactionRecord kind) {
  std::string_view line;
  if (!Body(line)) return false;
  if (line == AllTags().close[static_cast<std::size_t>(kind)]) return true;
  m_failure = Status::Damaged;
  return false;
}

CTransactionParser::Status CTransactionParser::Next(TransactionRecordData& r) {
  std::string_view line;
  switch (m_lines.Next(line)) {
    case CTransactionLineReader::Status::Line:
      break;
    case CTransactionLineReader::Status::End:
      return Status::End;
    case CTransactionLineReader::Status::TooLong:
      return Status::NotARecord;
    case CTransactionLineReader::Status::Error:
      return Status::ReadError;
  }
  const Tags& tags = AllTags();
  for (std::size_t i = 0; i < kKinds.size(); ++i) {
    if (line == tags.open[i]) {
      r.kind = kKinds[i];
      return ParseBody(r);
    }
  }
  return line == kTransactionRootClose ? Status::End : Status::NotARecord;
}

CTransactionParser::Status CTransactionParser::ParseBody(TransactionRecordData& r) {
  std::string_view line;
  // Each step reads one line; a missing line fails the record.
#define KOLVARO_LINE() \
  if (!Body(line)) return m_failure
  r.b = 0;
  switch (r.kind) {
    case TransactionRecord::AddUpdatePicture: {
      KOLVARO_LINE();
      r.a = IntAt(line, 13);
      KOLVARO_LINE();
      TextAt(line, 11, r.text);
      KOLVARO_LINE();
      const double value = ParseLeadingDouble(line.substr(std::min<std::size_t>(12, line.size())));
      KOLVARO_LINE();
      // The text line tells an invalid or null date apart from a real one.
      COleDateTime::Status status = COleDateTime::valid;
      if (line == "\t<timestamp-text>Invalid DateTime</timestamp-text>")
        status = COleDateTime::invalid;
      else if (line == "\t<timestamp-text></timestamp-text>")
        status = COleDateTime::null;
      r.timestamp = COleDateTime(status, value);
      // Six decimals are a twelfth of a second; capture dates are whole
      // seconds, so the nearest one gives back the value that was written.
      if (status == COleDateTime::valid)
        if (const auto c = r.timestamp.ToCalendar()) r.timestamp = COleDateTime::FromCalendar(*c);
      KOLVARO_LINE();
      // The file keeps the album's 32 bits; read them back as the album does.
      r.size = static_cast<std::uint32_t>(IntAt(line, 7));
      KOLVARO_LINE();
      TextAt(line, 8, r.title);
      break;
    }
    case TransactionRecord::AddUpdatePerson:
    case TransactionRecord::AddUpdateTheme: {
      const std::size_t idAt = r.kind == TransactionRecord::AddUpdatePerson ? 12 : 11;
      const std::size_t textAt = r.kind == TransactionRecord::AddUpdatePerson ? 7 : 8;
      KOLVARO_LINE();
      r.a = IntAt(line, idAt);
      KOLVARO_LINE();
      TextAt(line, textAt, r.text);
      break;
    }
    case TransactionRecord::AddUpdatePersonOnPicture:
      KOLVARO_LINE();
      r.a = IntAt(line, 12);
      KOLVARO_LINE();
      r.b = IntAt(line, 13);
      KOLVARO_LINE();  // <rectangle>
      KOLVARO_LINE();
      r.rect.top = IntAt(line, 7);
      KOLVARO_LINE();
      r.rect.bottom = IntAt(line, 10);
      KOLVARO_LINE();
      r.rect.right = IntAt(line, 9);
      KOLVARO_LINE();
      r.rect.left = IntAt(line, 8);
      KOLVARO_LINE();  // </rectangle>
      break;
    case TransactionRecord::AddUpdateThemeOfPicture:
    case TransactionRecord::RemoveThemeOfPicture:
      KOLVARO_LINE();
      r.a = IntAt(line, 11);
      KOLVARO_LINE();
      r.b = IntAt(line, 13);
      break;
    case TransactionRecord::RemovePersonOnPicture:
      KOLVARO_LINE();
      r.a = IntAt(line, 12);
      KOLVARO_LINE();
      r.b = IntAt(line, 13);
      break;
    case TransactionRecord::RemovePerson:
      KOLVARO_LINE();
      r.a = IntAt(line, 12);
      break;
    case TransactionRecord::RemovePicture:
      KOLVARO_LINE();
      r.a = IntAt(line, 13);
      break;
    case TransactionRecord::RemoveTheme:
      KOLVARO_LINE();
      r.a = IntAt(line, 11);
      break;
  }
#undef KOLVARO_LINE
  return Closing(r.kind) ? Status::Record : m_failure;
}

}  // namespace kolvaro
