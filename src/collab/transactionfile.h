#pragma once
// The transaction file writer: every change made through the album's record
// operations while collaboration is on, as one record of lines in a file
// other editors replay.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/meriskdoc.h"
#include "core/oledate.h"
#include "core/transactionlog.h"
#include "core/ports/userquestions.h"

namespace kolvaro {

/// Turns a capture date into the text of `timestamp-text` in the user's
/// locale. The program passes one for its locale; without one a writer uses
/// the German form "07.12.2026 19:12:50".
using TimestampTextFormatter = std::function<std::string(const COleDateTime&)>;

/// The default formatter: "Invalid DateTime" for an invalid date, "" for a
/// null one, otherwise "dd.mm.yyyy hh:mm:ss", leaving out the time at
/// midnight and the date on 30.12.1899, as the system's conversion does.
std::string GermanTimestampText(const COleDateTime& date);

/// The German message when writing the transaction file failed.
std::string TransactionWriteErrorText(int error, const std::string& path);

/// Formats each record as the transaction file holds it (code page 1252,
/// CR LF) and hands it on whole.
class CTransactionRecordFormatter : public ITransactionLog {
 public:
  explicit CTransactionRecordFormatter(TimestampTextFormatter formatter = {});

  void WritePicture(std::int32_t id, const std::string& filename,
                    const COleDateTime& timestamp, std::uint64_t size,
                    const std::string& title) final;
  void WritePerson(std::int32_t id, const std::string& name) final;
  void WritePersonOnPicture(std::int32_t person, const Rect& rect, std::int32_t picture) final;
  void WriteTheme(std::int32_t id, const std::string& name) final;
  void WriteThemeOfPicture(std::int32_t theme, std::int32_t picture) final;
  void WriteRemovePerson(std::int32_t person) final;
  void WriteRemovePersonOnPicture(std::int32_t person, std::int32_t picture) final;
  void WriteRemovePicture(std::int32_t picture) final;
  void WriteRemoveTheme(std::int32_t theme) final;
  void WriteRemoveThemeOfPicture(std::int32_t theme, std::int32_t picture) final;

 protected:
  /// Whether records are taken at all; formatting is skipped otherwise.
  virtual bool Accepting() const { return true; }
  virtual void Emit(std::string& record) = 0;

 private:
  std::string TimestampText(const COleDateTime& date) const;

  TimestampTextFormatter m_formatter;
};

/// The bytes of a transaction file, kept in memory.
class CTransactionText final : public CTransactionRecordFormatter {
 public:
  /// The root's opening line, the records, and the closing line when `closed`.
  std::string Bytes(bool closed = true) const;
  std::size_t RecordCount() const { return m_nRecords; }

 protected:
  void Emit(std::string& record) override {
    m_records += record;
    ++m_nRecords;
  }

 private:
  std::string m_records;
  std::size_t m_nRecords = 0;
};

class CTransactionFile final : public CTransactionRecordFormatter {
 public:
  /// A writer whose files go into `folder` (created when missing). The first
  /// failed write is reported to `ui` as a warning, when given.
  explicit CTransactionFile(std::string folder, IUserQuestions* ui = nullptr,
                            TimestampTextFormatter formatter = {});
  /// Finishes the file; a file that holds no record is deleted.
  ~CTransactionFile() override;
  CTransactionFile(const CTransactionFile&) = delete;
  CTransactionFile& operator=(const CTransactionFile&) = delete;

  /// Creates "mrklog%Y-%m-%d-%H-%M-%S.xml" for the current time (the next
  /// file of that second is "…_000002.xml", and so on, so that names sort in
  /// the order of writing), locks it and writes the root line. False when no
  /// file could be created.
  bool Open();
  /// Writes the root's closing line and closes the file.
  void Close();

  bool IsOpen() const { return m_fd >= 0; }
  bool HasRecords() const { return m_bHasRecords != 0; }
  /// Path of the file, "" before a successful Open.
  const std::string& GetFilePath() const { return m_strPath; }
  /// errno of the first failed write, 0 while none failed.
  int WriteError() const { return m_nWriteError; }
  /// Notes the file as the album's own, so that the album's sync never takes
  /// it for another editor's.
  void AlbumPathIs(const std::string& path) override;

 protected:
  bool Accepting() const override { return IsOpen() && m_nWriteError == 0; }
  /// Writes the record as one piece and syncs it to the disk.
  void Emit(std::string& record) override;

 private:
  bool WriteBytes(const std::string& bytes);

  std::string m_strFolder;
  std::string m_strPath;
  std::string m_strNotedFor;  // the album the file was last noted for as its own
  int m_fd = -1;
  std::uint8_t m_bHasRecords = 0;
  int m_nWriteError = 0;
  IUserQuestions* m_ui;
};

/// Where transaction files go: `Settings`/`TransactionFolder`, by default
/// the user's home folder.
std::string TransactionFolder(ISettings& settings);

/// The factory the document uses while collaboration is on: a writer for
/// the folder above, with its file opened (the writer stays even when
/// opening failed, writing nothing), reporting to `ui` and writing dates
/// with `formatter` (both optional).
CMeriskDoc::TransactionLogFactory MakeTransactionFileFactory(IUserQuestions* ui = nullptr,
                                                             TimestampTextFormatter formatter = {});

}  // namespace kolvaro
