#include "core/archive.h"

#include <cerrno>
#include <cstring>

#include "core/cp1252.h"
#include "res/strings.h"

namespace kolvaro {
namespace {
constexpr std::size_t kBufferSize = 64 * 1024;
}

CArchiveException::CArchiveException()
    : std::runtime_error(std::string(LoadString(IDS_UNEXPECTED_FORMAT))) {}

CFileIoException::CFileIoException(int err) : std::runtime_error(std::strerror(err)), m_err(err) {}

CArchive::CArchive() : m_storing(true) {}

CArchive::CArchive(std::span<const std::uint8_t> data)
    : m_storing(false), m_pos(data.data()), m_end(data.data() + data.size()) {}

CArchive::CArchive(std::FILE* file, std::uint64_t size)
    : m_storing(false), m_file(file), m_fileLeft(size) {
  m_buffer.resize(static_cast<std::size_t>(std::min<std::uint64_t>(size, kBufferSize)));
  m_pos = m_end = m_buffer.data();
}

namespace {
void PutDword(char* b, std::uint32_t v) {
  b[0] = static_cast<char>(v);
  b[1] = static_cast<char>(v >> 8);
  b[2] = static_cast<char>(v >> 16);
  b[3] = static_cast<char>(v >> 24);
}
}  // namespace

void CArchive::WriteDword(std::uint32_t v) {
  char b[4];
  PutDword(b, v);
  m_out.append(b, 4);
}

void CArchive::WriteRaw(const void* data, std::size_t n) {
  m_out.append(static_cast<const char*>(data), n);
}

void CArchive::WriteString(std::string_view utf8) {
  auto writeLength = [this](std::uint64_t n) {
    if (n < 255) {
      m_out.push_back(static_cast<char>(n));
      return;
    }
    m_out.push_back(static_cast<char>(0xFF));
    if (n < 0xFFFE) {
      m_out.push_back(static_cast<char>(n));
      m_out.push_back(static_cast<char>(n >> 8));
      return;
    }
    m_out.append("\xFF\xFF", 2);
    if (n < 0xFFFFFFFF) {
      WriteDword(static_cast<std::uint32_t>(n));
      return;
    }
    WriteDword(0xFFFFFFFF);
    WriteDword(static_cast<std::uint32_t>(n));
    WriteDword(static_cast<std::uint32_t>(n >> 32));
  };

  bool ascii = true;
  for (const char c : utf8)
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii) {
    writeLength(utf8.size());
    m_out.append(utf8);
    return;
  }
  // Converted straight into the output behind a one-byte length, which is
  // patched afterwards; only a text of 255 bytes or more moves once more.
  const std::size_t at = m_out.size();
  m_out.push_back('\0');
  if (Utf8ToCp1252(utf8, m_out)) {
    const std::size_t n = m_out.size() - at - 1;
    if (n < 255) {
      m_out[at] = static_cast<char>(n);
      return;
    }
    const std::string narrow = m_out.substr(at + 1);
    m_out.resize(at);
    writeLength(narrow.size());
    m_out.append(narrow);
    return;
  }
  m_out.resize(at);
  // Characters outside 1252 would be lost in the single-byte form; the
  // two-byte form keeps them and every reader of the format accepts it.
  const std::u16string wide = Utf8ToUtf16(utf8);
  m_out.append("\xFF\xFE\xFF", 3);
  writeLength(wide.size());
  for (const char16_t c : wide) {
    m_out.push_back(static_cast<char>(c & 0xFF));
    m_out.push_back(static_cast<char>(c >> 8));
  }
}

// Dates and rectangles go out in one piece: a large album holds hundreds of
// thousands of them, and every append to the output has its cost.
void CArchive::WriteDate(const COleDateTime& d) {
  double v = d.Value();
  std::uint64_t bits;
  std::memcpy(&bits, &v, 8);
  char b[12];
  PutDword(b, static_cast<std::uint32_t>(d.GetStatus()));
  PutDword(b + 4, static_cast<std::uint32_t>(bits));
  PutDword(b + 8, static_cast<std::uint32_t>(bits >> 32));
  m_out.append(b, 12);
}

void CArchive::WriteRect(const Rect& r) {
  char b[16];
  PutDword(b, static_cast<std::uint32_t>(r.left));
  PutDword(b + 4, static_cast<std::uint32_t>(r.top));
  PutDword(b + 8, static_cast<std::uint32_t>(r.right));
  PutDword(b + 12, static_cast<std::uint32_t>(r.bottom));
  m_out.append(b, 16);
}

void CArchive::Refill(std::size_t n) {
  // Only file archives come here; a memory archive has no more to give.
  const std::size_t have = static_cast<std::size_t>(m_end - m_pos);
  if (m_file == nullptr || have + m_fileLeft < n) throw CArchiveException();
  if (n > m_buffer.size()) throw CArchiveException();  // callers read large blocks directly
  std::memmove(m_buffer.data(), m_pos, have);
  const std::size_t want =
      static_cast<std::size_t>(std::min<std::uint64_t>(m_buffer.size() - have, m_fileLeft));
  const std::size_t got = std::fread(m_buffer.data() + have, 1, want, m_file);
  if (got != want) throw CFileIoException(std::ferror(m_file) ? errno : EIO);
  m_fileLeft -= got;
  m_pos = m_buffer.data();
  m_end = m_buffer.data() + have + got;
}

inline void CArchive::Need(std::size_t n) {
  if (static_cast<std::size_t>(m_end - m_pos) < n) Refill(n);
}

void CArchive::ReadInto(void* dest, std::size_t n) {
  if (Remaining() < n) throw CArchiveException();
  auto* out = static_cast<std::uint8_t*>(dest);
  const std::size_t have = std::min(n, static_cast<std::size_t>(m_end - m_pos));
  std::memcpy(out, m_pos, have);
  m_pos += have;
  n -= have;
  out += have;
  if (n == 0) return;
  if (n >= m_buffer.size()) {
    if (std::fread(out, 1, n, m_file) != n) throw CFileIoException(std::ferror(m_file) ? errno : EIO);
    m_fileLeft -= n;
    return;
  }
  Refill(n);
  std::memcpy(out, m_pos, n);
  m_pos += n;
}

std::uint32_t CArchive::ReadDword() {
  Need(4);
  const std::uint32_t v = static_cast<std::uint32_t>(m_pos[0]) |
                          static_cast<std::uint32_t>(m_pos[1]) << 8 |
                          static_cast<std::uint32_t>(m_pos[2]) << 16 |
                          static_cast<std::uint32_t>(m_pos[3]) << 24;
  m_pos += 4;
  return v;
}

std::uint64_t CArchive::ReadLength(bool& wide) {
  for (;;) {
    Need(1);
    const std::uint8_t b = *m_pos++;
    if (b < 0xFF) return b;
    Need(2);
    const std::uint16_t w = static_cast<std::uint16_t>(m_pos[0] | m_pos[1] << 8);
    m_pos += 2;
    if (w == 0xFFFE) {
      // The two-byte-character form; its prefix is read again from its start.
      wide = true;
      continue;
    }
    if (w < 0xFFFF) return w;
    const std::uint32_t d = ReadDword();
    if (d < 0xFFFFFFFF) return d;
    const std::uint64_t lo = ReadDword();
    return lo | static_cast<std::uint64_t>(ReadDword()) << 32;
  }
}

std::string CArchive::ReadString() {
  bool wide = false;
  const std::uint64_t n = ReadLength(wide);
  std::string out;
  if (!wide) {
    if (n > Remaining()) throw CArchiveException();
    const auto len = static_cast<std::size_t>(n);
    if (static_cast<std::size_t>(m_end - m_pos) >= len) {
      const auto* p = reinterpret_cast<const char*>(m_pos);
      m_pos += len;
      bool ascii = true;
      for (std::size_t i = 0; i < len; ++i)
        if (static_cast<unsigned char>(p[i]) >= 0x80) {
          ascii = false;
          break;
        }
      if (ascii)
        out.assign(p, len);
      else
        Cp1252ToUtf8(std::string_view(p, len), out);
      return out;
    }
    std::string raw(len, '\0');
    ReadInto(raw.data(), len);
    Cp1252ToUtf8(raw, out);
    return out;
  }
  if (n > Remaining() / 2) throw CArchiveException();
  const auto count = static_cast<std::size_t>(n);
  std::u16string units(count, u'\0');
  std::string raw(count * 2, '\0');
  ReadInto(raw.data(), raw.size());
  for (std::size_t i = 0; i < count; ++i)
    units[i] = static_cast<char16_t>(static_cast<std::uint8_t>(raw[2 * i]) |
                                     static_cast<std::uint8_t>(raw[2 * i + 1]) << 8);
  Utf16ToUtf8(units.data(), units.size(), out);
  return out;
}

COleDateTime CArchive::ReadDate() {
  Need(12);
  const std::uint32_t status = ReadDword();
  const std::uint64_t lo = ReadDword();
  const std::uint64_t bits = lo | static_cast<std::uint64_t>(ReadDword()) << 32;
  double v;
  std::memcpy(&v, &bits, 8);
  return COleDateTime(static_cast<COleDateTime::Status>(status), v);
}

Rect CArchive::ReadRect() {
  Need(16);
  Rect r;
  r.left = ReadInt();
  r.top = ReadInt();
  r.right = ReadInt();
  r.bottom = ReadInt();
  return r;
}

void CArchive::CheckRecords(std::uint64_t count, std::uint64_t minRecordBytes) const {
  if (minRecordBytes != 0 && count > Remaining() / minRecordBytes) throw CArchiveException();
}

}  // namespace kolvaro
