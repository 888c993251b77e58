#pragma once
// Helpers for the album tests: an independent writer of album bytes, what the
// code under test writes, and a model of the 17-bucket record order.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "core/archive.h"

namespace kolvaro::test {

/// Little-endian album values written straight from the format's rules, so
/// that tests do not check the archive against itself.
class ByteWriter {
 public:
  ByteWriter& Byte(std::uint8_t b) {
    m_bytes.push_back(static_cast<char>(b));
    return *this;
  }
  ByteWriter& Word(std::uint16_t v) { return Byte(v & 0xFF).Byte(v >> 8); }
  ByteWriter& Dword(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) Byte(static_cast<std::uint8_t>(v >> (8 * i)));
    return *this;
  }
  ByteWriter& Int(std::int32_t v) { return Dword(static_cast<std::uint32_t>(v)); }
  ByteWriter& Qword(std::uint64_t v) { return Dword(static_cast<std::uint32_t>(v)).Dword(v >> 32); }
  /// The length prefix of the single-byte form.
  ByteWriter& Length(std::uint64_t n) {
    if (n < 255) return Byte(static_cast<std::uint8_t>(n));
    Byte(0xFF);
    if (n < 0xFFFE) return Word(static_cast<std::uint16_t>(n));
    Word(0xFFFF);
    if (n < 0xFFFFFFFF) return Dword(static_cast<std::uint32_t>(n));
    return Dword(0xFFFFFFFF).Qword(n);
  }
  /// A string whose bytes are already code page 1252.
  ByteWriter& Str(std::string_view cp1252) {
    Length(cp1252.size());
    m_bytes.append(cp1252);
    return *this;
  }
  /// The two-byte-character form.
  ByteWriter& WideStr(std::u16string_view text) {
    Byte(0xFF).Word(0xFFFE).Length(text.size());
    for (const char16_t c : text) Word(c);
    return *this;
  }
  ByteWriter& Date(std::uint32_t status, double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, 8);
    return Dword(status).Qword(bits);
  }
  ByteWriter& Rect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
    return Int(l).Int(t).Int(r).Int(b);
  }
  ByteWriter& Raw(std::string_view bytes) {
    m_bytes.append(bytes);
    return *this;
  }
  const std::string& Bytes() const { return m_bytes; }
  std::size_t Size() const { return m_bytes.size(); }

 private:
  std::string m_bytes;
};

/// What `Serialize` writes of a document or a table.
template <typename T>
std::string Serialized(T& x) {
  CArchive ar;
  x.Serialize(ar);
  return ar.Bytes();
}

/// Hex dump for readable failure messages.
inline std::string Hex(std::string_view bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (i) out += ' ';
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

/// The record order of the album's maps, kept the plain way: a new key goes
/// to the head of its bucket, a known key keeps its place.
template <typename Key>
class BucketOrderModel {
 public:
  static unsigned BucketOf(Key key) {
    return (static_cast<std::uint32_t>(static_cast<std::uint64_t>(key)) >> 4) % 17;
  }
  void Set(Key key) {
    auto& chain = m_buckets[BucketOf(key)];
    if (std::find(chain.begin(), chain.end(), key) == chain.end()) chain.push_front(key);
  }
  void Remove(Key key) {
    auto& chain = m_buckets[BucketOf(key)];
    chain.erase(std::remove(chain.begin(), chain.end(), key), chain.end());
  }
  std::vector<Key> Order() const {
    std::vector<Key> out;
    for (const auto& chain : m_buckets) out.insert(out.end(), chain.begin(), chain.end());
    return out;
  }
  /// The order a table has after reading records in `readOrder`.
  static std::vector<Key> AfterReading(const std::vector<Key>& readOrder) {
    BucketOrderModel m;
    for (const Key k : readOrder) m.Set(k);
    return m.Order();
  }

 private:
  std::array<std::deque<Key>, 17> m_buckets;
};

/// Records the largest single allocation made while it lives (the test
/// binary's operator new reports to it), to show that a length or count
/// read from a file is checked before anything is allocated for it.
class AllocationProbe {
 public:
  AllocationProbe();
  ~AllocationProbe();
  AllocationProbe(const AllocationProbe&) = delete;
  AllocationProbe& operator=(const AllocationProbe&) = delete;
  std::size_t Largest() const;
};

/// The OLE value of a POSIX time in UTC, computed without the code under test.
inline double OleOfUtcSeconds(std::int64_t t) {
  const std::int64_t days = t / 86400;
  const std::int64_t secs = t % 86400;
  return static_cast<double>(days + 25569) + static_cast<double>(secs) / 86400.0;
}

}  // namespace kolvaro::test
