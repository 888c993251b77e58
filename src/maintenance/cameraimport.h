#pragma once
// Taking the pictures and videos off a camera's memory card into the album's
// folder (ID_CAMERA_IMPORT). The work is split in three so that the desktop
// program can run the transfers on a worker: a scan that lists the card's
// files, the transfers through the file operations, and the album's side,
// which adds each file that arrived and runs on the interface thread only.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/meriskdoc.h"
#include "maintenance/duplicatetest.h"
#include "core/ports/fileops.h"
#include "core/ports/userquestions.h"

namespace kolvaro {

/// One picture or video file found on the card.
struct CameraFile {
  std::string path;
  std::uint64_t size = 0;
};

/// The source folder with the trailing '/' that makes the folder itself
/// searched too, as a user typing a path expects.
std::string CameraSourceFolder(std::string folder);

/// ImportCameraFolder's files: those directly in `folder` whose names end
/// in ".jpg", ".gif", ".tif", ".bmp", ".avi" or another ending of
/// MediaFamilies() in any case (a card's FAT knows no case), ending by
/// ending, each in name order so that an import is repeatable. Only regular
/// files: symbolic links of those names are skipped and added to `links`.
std::vector<CameraFile> CameraFolderFiles(const std::string& folder,
                                          std::vector<std::string>* links = nullptr);

/// All files of a card in import order: the folder itself, every subfolder
/// of DCIM and of MSSONY, every folder whose name begins with "DC" (which
/// finds files lying directly in DCIM), and every entry inside the folders
/// beginning with "QVIM". Folder names are matched without regard to case.
/// Only the card's own folders are walked: a symbolic link to a folder is
/// skipped and added to `links`, as is one to a file.
std::vector<CameraFile> ScanCameraSource(const std::string& source,
                                         std::vector<std::string>* links = nullptr);

/// How far an import has come, for the progress display.
struct CameraImportProgress {
  std::size_t filesDone = 0;
  std::size_t filesFound = 0;
  std::uint64_t bytesDone = 0;
  std::uint64_t bytesFound = 0;
  std::string current;  ///< name of the file being transferred
};

/// "Datei 3 von 10 (1,2 MB von 5,0 MB)", a line break and the file's name.
std::string CameraProgressText(const CameraImportProgress& progress);

/// What an import did.
struct CameraImportCounts {
  int added = 0;
  int duplicates = 0;  ///< transferred, but already in the album (message 1049)
  int refused = 0;     ///< left on the card: the album cannot keep the name
  int failed = 0;      ///< failed, skipped or cancelled transfers; left on the card
  bool stopped = false;  ///< ended before the last file
  int kept = 0;          ///< moving: copied, but left on the card (changed, or the album unsaved)
  bool saveFailed = false;
  std::vector<std::string> links;  ///< symbolic links on the card, skipped
};

/// The album's side of one import. Lives on the interface thread; the
/// album changes only through it.
class CCameraImportAlbum {
 public:
  /// Checks every file's name in the album folder against the album, so
  /// that no file is taken off the card that the album could not keep.
  CCameraImportAlbum(CMeriskDoc& doc, IUserQuestions& ui, std::vector<CameraFile> files,
                     std::int32_t themeId);

  /// The files to transfer, in order; those refused are left out.
  const std::vector<CameraFile>& Files() const { return m_files; }
  /// Warns about each file left out; call once before the transfers.
  void ReportRefused();
  /// Files()[i] has been transferred (or not, as `result` says): adds it
  /// with its capture date and the theme link, reports 1049 for a name
  /// already in the album, and any failure or warning of the transfer.
  void Arrived(std::size_t i, const TransferResult& result);
  /// The import stopped before Files()[i]: the rest stays on the card.
  void Stopped() { m_counts.stopped = true; }
  /// Moving, once the album that holds the copies is saved: removes from
  /// the card each file copied into the album, but only when it is still as
  /// its copy found it (size and change time); warns about each one left.
  void RemoveFromCard();
  /// Moving, when the album could not be saved: every file stays on the card.
  void KeepOnCard();

  const CameraImportCounts& Counts() const { return m_counts; }

 private:
  CMeriskDoc& m_doc;
  IUserQuestions& m_ui;
  std::vector<CameraFile> m_files;
  std::vector<std::string> m_refusals;
  CDuplicateTest m_names;
  /// Card files copied into the album folder under a name the album holds.
  std::vector<std::pair<std::string, TransferResult>> m_copied;
  std::int32_t m_themeId;
  CameraImportCounts m_counts;
};

/// What the transfers ask their caller; all are called on the transfers' thread.
struct CameraTransferHooks {
  /// The question before replacing a file in the album folder.
  std::function<ReplaceChoice(const std::string& source, const std::string& target)> askReplace;
  /// After each file, in order; may hand the result to the interface thread.
  std::function<void(std::size_t index, const TransferResult& result)> arrived;
  std::function<void(const CameraImportProgress&)> progress;
  /// Asked between two files: true stops the import before the next one.
  std::function<bool()> cancelRequested;
  /// The closing sync of the copies failed: the German message.
  std::function<void(const std::string& message)> syncFailed;
};

/// Copies `files` one after another into `albumFolder`, first removing the
/// hidden copies a killed import left there. Nothing leaves the card here:
/// a move removes the card's files only once the album holding them is
/// saved (CCameraImportAlbum::RemoveFromCard). A failed, skipped or
/// cancelled transfer leaves the file out and the import goes on, except
/// when the user cancelled or the album folder cannot take any more (full,
/// read-only): then it stops. True when it stopped early.
bool RunCameraTransfers(IFileOperations& ops, const std::vector<CameraFile>& files,
                        const std::string& albumFolder, const CameraTransferHooks& hooks);

/// The question before replacing `target` by `source`, as the file
/// operations ask it: both files described by size and change time.
std::string CameraReplaceQuestion(const std::string& source, const std::string& target);

/// The whole import on the calling thread (kolvaro-cli, tests): scans the
/// source, copies each file through `ops`, adds it to the album and saves
/// the album with `save` (unset: no save). With `move` the card's files are
/// removed after that save, and not at all when it fails. Unset hooks ask
/// `ui` before replacing and never cancel.
CameraImportCounts ImportCamera(CMeriskDoc& doc, IUserQuestions& ui, IFileOperations& ops,
                                const std::string& source, std::int32_t themeId, bool move,
                                CameraTransferHooks hooks = {},
                                const std::function<bool()>& save = {});

/// ImportCameraFolder: the same for the files directly in one folder.
CameraImportCounts ImportCameraFolder(CMeriskDoc& doc, IUserQuestions& ui, IFileOperations& ops,
                                      const std::string& folder, std::int32_t themeId, bool move,
                                      const std::function<bool()>& save = {});

}  // namespace kolvaro
