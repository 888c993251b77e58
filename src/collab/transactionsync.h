#pragma once
// Keeping one copy of an album in step with the transaction files of the
// other editors in a folder that a sync engine (Syncthing, a network share)
// keeps in step between computers.
//
// Every record is applied once, in one order all copies compute alike: the
// time in the file's name, its number within that second, a hash of its
// first record (so a sync engine's renaming does not move it), the name,
// and the record's place in the file. A record that arrives after a later
// one for the same field was applied loses against it, so copies that hold
// the same files agree whatever order the files came in.
//
// What was applied is kept beside the album in "<album>.sync"; the files
// this copy wrote itself are noted in "<album>.sync-own" when they are
// created. A sync that is cut off anywhere leaves either the old album with
// the old state or the new album with the new state.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "collab/transactionreader.h"
#include "core/meriskdoc.h"

namespace kolvaro {

/// Where a record stands in the order every copy computes alike.
struct SyncOrder {
  std::string stamp;        ///< "YYYY-MM-DD-HH-MM-SS" from the name, "" when it has none
  std::int32_t number = 1;  ///< the file's number within that second
  std::uint64_t first = 0;  ///< hash of the file's first record
  std::string name;         ///< the file name, last tie-breaker
  std::uint32_t record = 0;
  auto operator<=>(const SyncOrder&) const = default;
};

/// The order of a file by its name; `first` and `record` stay 0. A conflict
/// copy ("NAME.sync-conflict-…-DEVICE.xml") keeps the time and number of NAME.
SyncOrder SyncOrderOfName(const std::string& name);

/// Whether `name` is a transaction file the sync looks at: "mrklog….xml",
/// not hidden (a sync engine's temporary files are).
bool IsSyncedTransactionName(const std::string& name);

/// A field both this copy and another editor changed.
struct SyncConflict {
  TransactionRecord kind = TransactionRecord::AddUpdatePicture;
  std::int32_t a = 0;  ///< picture, person or theme
  std::int32_t b = 0;  ///< the picture of a mark or a theme link
  std::string field;   ///< German field name
  std::string mine;    ///< this copy's value
  std::string theirs;  ///< the other editor's value
  bool theirsWon = false;
  std::string file;  ///< the other editor's file
  /// What gives the losing value back, where it can be taken.
  std::optional<TransactionRecordData> loser;
};

/// One file the sync looked at.
struct SyncFileReport {
  std::string name;
  std::string stamp;        ///< when it was written, from its name
  std::size_t records = 0;  ///< complete records read this time
  std::size_t applied = 0;  ///< of those, applied to the album
  bool own = false;
  bool complete = false;  ///< its closing line is there
  std::string problem;    ///< German text when it was skipped or is damaged
};

struct SyncSummary {
  std::vector<SyncFileReport> files;  ///< files with something new or a problem
  std::size_t applied = 0;            ///< records applied to the album
  std::size_t overtaken = 0;          ///< records a later change of the same field outdid
  std::vector<SyncConflict> conflicts;
  /// German lines on pictures whose number means another file in this copy:
  /// the other editor's changes to them were not applied.
  std::vector<std::string> otherPictures;
  bool saved = false;  ///< the album was saved
  std::string error;   ///< German text when the sync failed
};

/// "<album>.sync" and "<album>.sync-own".
std::string SyncStatePath(const std::string& albumPath);
std::string SyncOwnPath(const std::string& albumPath);

/// Notes that the copy at `albumPath` created the transaction file at
/// `filePath`, so its sync does not apply it to itself. Call right after
/// creating the file, before it holds a record. False when it could not be noted.
bool NoteOwnTransactionFile(const std::string& albumPath, const std::string& filePath);

/// Saves the album; false with the German reason in `error`.
using SyncSaveAlbum = std::function<bool(std::string& error)>;

/// Applies what is new in `folder` to `doc`, the album at `albumPath`, and
/// saves it with `save` when anything was applied.
SyncSummary SyncTransactionFolder(CMeriskDoc& doc, const std::string& albumPath,
                                  const std::string& folder, const SyncSaveAlbum& save);

struct SyncNews {
  std::size_t files = 0;          ///< other editors' files with something not taken yet
  std::uint64_t fingerprint = 0;  ///< changes whenever one of them changes
};

/// What of the other editors' files in `folder` the album at `albumPath` has
/// not taken yet. Reads no file, only the listing, the sync state and the
/// files' sizes: cheap enough to ask whenever the folder changes.
SyncNews SyncFolderNews(const std::string& albumPath, const std::string& folder);

/// Gives the field the value that lost, as a change of this copy that the
/// other editors' copies follow. False when the conflict has none to take
/// (a removal, a path).
bool TakeSyncConflict(CMeriskDoc& doc, const SyncConflict& conflict);

/// The summary as German lines, for the command line and the desktop.
std::string SyncSummaryText(const SyncSummary& summary, bool withConflicts = true);
/// One conflict as a German line.
std::string SyncConflictText(const SyncConflict& conflict);

}  // namespace kolvaro
