#pragma once
// Reading a transaction file: lines of bounded length, and records taken
// line by line by their position, as the writer lays them out.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "collab/transactionformat.h"
#include "core/oledate.h"
#include "core/types.h"

namespace kolvaro {

class ITransactionByteSource {
 public:
  virtual ~ITransactionByteSource() = default;
  /// Up to `size` bytes into `buffer`: the count, 0 at the end, -1 on a read error.
  virtual long long Read(char* buffer, std::size_t size) = 0;
};

/// Reads an open file descriptor (not owned).
class CFileByteSource final : public ITransactionByteSource {
 public:
  explicit CFileByteSource(int fd) : m_fd(fd) {}
  long long Read(char* buffer, std::size_t size) override;

 private:
  int m_fd;
};

/// Reads bytes in memory that outlive it.
class CMemoryByteSource final : public ITransactionByteSource {
 public:
  explicit CMemoryByteSource(std::string_view bytes) : m_bytes(bytes) {}
  long long Read(char* buffer, std::size_t size) override;

 private:
  std::string_view m_bytes;
};

/// Splits the bytes into lines without their end (line feed, or carriage
/// return and line feed). Never holds more than one line of at most
/// `maxLine` bytes plus one read block; the buffer grows only with the bytes
/// really read, so a short file cannot make it large.
class CTransactionLineReader {
 public:
  enum class Status { Line, End, TooLong, Error };

  explicit CTransactionLineReader(ITransactionByteSource& source,
                                  std::size_t maxLine = kMaxTransactionLine);
  /// The next line; the view stays valid until the next call.
  Status Next(std::string_view& line);

 private:
  bool Fill();

  ITransactionByteSource& m_source;
  std::size_t m_maxLine;
  std::vector<char> m_buf;
  std::size_t m_begin = 0;
  std::size_t m_end = 0;
  bool m_eof = false;
  bool m_error = false;
};

/// One record's values, converted as the import hands them on.
struct TransactionRecordData {
  TransactionRecord kind = TransactionRecord::AddUpdatePicture;
  std::int32_t a = 0;  ///< the record's first id (picture, person or theme)
  std::int32_t b = 0;  ///< the picture id of two-id records
  Rect rect;
  COleDateTime timestamp;
  std::uint64_t size = 0;
  std::string text;   ///< filename, name or theme
  std::string title;  ///< headline
};

class CTransactionParser {
 public:
  enum class Status {
    Record,        ///< `record` holds the next record
    End,           ///< end of the file or the root's closing line
    NotARecord,    ///< a line where a record should start is none (IDS_TRANSACTION_DAMAGED)
    Damaged,       ///< a record's closing line is missing or wrong (IDS_TRANSACTION_DISCARD)
    ReadError,     ///< the file could not be read on
  };

  explicit CTransactionParser(ITransactionByteSource& source,
                              std::size_t maxLine = kMaxTransactionLine)
      : m_lines(source, maxLine) {}

  /// Reads the first line; false unless it is exactly the root's opening line.
  bool ReadHeader();
  Status Next(TransactionRecordData& record);

 private:
  /// Reads one body line; false with `m_failure` set when there is none.
  bool Body(std::string_view& line);
  bool Closing(TransactionRecord kind);
  Status ParseBody(TransactionRecordData& r);

  CTransactionLineReader m_lines;
  Status m_failure = Status::Damaged;
};

}  // namespace kolvaro
