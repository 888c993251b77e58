#pragma once
// The serialisation archive of album files: little-endian values, strings
// with a length prefix in code page 1252, OLE dates and rectangles.

#include <cstdint>
#include <cstdio>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/oledate.h"
#include "core/types.h"

namespace kolvaro {

/// Thrown when the data ends inside a value or a declared length exceeds the
/// bytes left. what() is the German message "Unerwartetes Dateiformat.".
class CArchiveException : public std::runtime_error {
 public:
  CArchiveException();
};

/// Thrown when reading from or writing to the file itself fails; carries errno.
class CFileIoException : public std::runtime_error {
 public:
  explicit CFileIoException(int err);
  int Error() const { return m_err; }

 private:
  int m_err;
};

class CArchive {
 public:
  /// Storing archive that collects the bytes in memory.
  CArchive();
  /// Loading archive over bytes that outlive it.
  explicit CArchive(std::span<const std::uint8_t> data);
  explicit CArchive(std::string_view data)
      : CArchive(std::span<const std::uint8_t>(
            reinterpret_cast<const std::uint8_t*>(data.data()), data.size())) {}
  /// Loading archive that reads an open file from its current position to
  /// `size` bytes further, through a small buffer.
  CArchive(std::FILE* file, std::uint64_t size);

  CArchive(const CArchive&) = delete;
  CArchive& operator=(const CArchive&) = delete;

  bool IsStoring() const { return m_storing; }
  bool IsLoading() const { return !m_storing; }

  // Storing.
  void WriteDword(std::uint32_t v);
  void WriteInt(std::int32_t v) { WriteDword(static_cast<std::uint32_t>(v)); }
  void WriteString(std::string_view utf8);
  void WriteDate(const COleDateTime& d);
  void WriteRect(const Rect& r);
  void WriteRaw(const void* data, std::size_t n);
  const std::string& Bytes() const { return m_out; }
  std::string TakeBytes() { return std::move(m_out); }

  // Loading. Each throws CArchiveException when the data ends early.
  std::uint32_t ReadDword();
  std::int32_t ReadInt() { return static_cast<std::int32_t>(ReadDword()); }
  std::string ReadString();
  COleDateTime ReadDate();
  Rect ReadRect();
  /// Bytes not read yet.
  std::uint64_t Remaining() const { return (m_end - m_pos) + m_fileLeft; }

  /// Throws CArchiveException unless `count` records of at least
  /// `minRecordBytes` each fit into what is left; keeps counts read from a
  /// file from driving allocations.
  void CheckRecords(std::uint64_t count, std::uint64_t minRecordBytes) const;

 private:
  void Need(std::size_t n);
  void Refill(std::size_t n);
  void ReadInto(void* dest, std::size_t n);
  /// A string's length prefix; sets `wide` when it announces the two-byte form.
  std::uint64_t ReadLength(bool& wide);

  bool m_storing;
  std::string m_out;
  const std::uint8_t* m_pos = nullptr;
  const std::uint8_t* m_end = nullptr;
  std::FILE* m_file = nullptr;
  std::uint64_t m_fileLeft = 0;
  std::vector<std::uint8_t> m_buffer;
};

}  // namespace kolvaro
