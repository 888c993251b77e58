#pragma once
// The album: five tables, the album's own settings, the selection the views
// show, and the record operations through which every change is made.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/document.h"
#include "core/paths.h"
#include "core/tables.h"
#include "core/transactionlog.h"
#include "core/ports/fileops.h"
#include "core/ports/settings.h"
#include "core/ports/userquestions.h"

namespace kolvaro {

class CSearchIndex;

/// The help folder of a program: everything of `programPath` up to its last
/// '/' or '\', then "help/". The desktop program and kolvaro-cli both use it.
std::string HelpFolderOf(const std::string& programPath);

class CMeriskDoc : public CDocument {
 public:
  using TransactionLogFactory = std::function<std::unique_ptr<ITransactionLog>(CMeriskDoc&)>;

  explicit CMeriskDoc(ISettings& settings, PathStyle style = PathStyle::Posix);
  ~CMeriskDoc() override;

  // --- Framework steps. Each returns false and sets `error` to the German
  // message on failure.
  bool OnNewDocument();
  bool OnOpenDocument(const std::string& path, std::string* error = nullptr);
  bool OnSaveDocument(const std::string& path, std::string* error = nullptr);
  /// What the last open had to tell besides its result: an interrupted save
  /// undone, or not. Also shown through the user questions when set.
  const std::string& OpenNotice() const { return m_strOpenNotice; }

  /// Reads or writes the album file's bytes.
  void Serialize(CArchive& ar);
  /// The album-info trailer, written and read only from file version 2 on.
  virtual void SerializeTrailer(CArchive& ar);

  // --- Record operations. A picture id of -1 stands for m_nCurrentPicture.
  void AddOrUpdatePicture(std::int32_t id, const std::string& filename,
                          const COleDateTime& timestamp, std::uint64_t size,
                          const std::string& title);
  void AddOrUpdatePerson(std::int32_t id, const std::string& name);
  void AddOrUpdateTheme(std::int32_t id, const std::string& name);
  void AddOrUpdatePersonOnPicture(std::int32_t person, const Rect& rect, std::int32_t picture);
  void AddThemeToPicture(std::int32_t theme, std::int32_t picture);
  void RemoveThemeFromPicture(std::int32_t theme, std::int32_t picture);
  void RemovePersonFromPicture(std::int32_t person, std::int32_t picture);
  void RemovePerson(std::int32_t person);
  void RemoveTheme(std::int32_t theme);
  /// Removes a picture with its links and rectangles, optionally moving its
  /// file into the trash, and re-runs the last selection.
  void DeletePicture(std::int32_t id, bool moveToTrash);
  /// Opens the picture's file with its associated program.
  void OpenPictureFile(std::int32_t id);

  // --- Paths.
  std::string MakeStoredPath(const std::string& absolutePath) const;
  std::string GetPictureFullPath(std::int32_t id) const;
  /// The folder relative picture names are based on. After a storage change
  /// the names keep the base they were stored for until the save re-bases them.
  const std::string& BaseFolder() const {
    if (m_bStorageChangePending) return m_strNamesBase;
    return m_nStorageMode != 0 ? m_strStorageFolder : m_strAlbumFolder;
  }
  PathStyle GetPathStyle() const { return m_pathStyle; }

  // --- Writes that are no record operation: none of them is logged.
  /// Adds a picture under the next free id and returns it; adding pictures
  /// is not shared with other editors.
  std::int32_t AddPicture(const std::string& storedName, const COleDateTime& timestamp,
                          std::uint64_t size, const std::string& title);
  /// The album-info trailer; the dialog's text is the album's own, not shared.
  void SetAlbumInfo(const std::string& info, const std::string& updateUrl,
                    std::int32_t infoDialogEnabled);
  /// Where pictures are stored; a setting of this copy of the album.
  void SetStorage(std::int32_t mode, const std::string& folder);
  /// Gives pictures new stored names (id, name), put back in place: record
  /// order and change dates stay; path repairs are not shared with other editors.
  void SetStoredNames(const std::vector<std::pair<std::int32_t, std::string>>& names);
  /// The folder relative names are based on until the album is saved; the
  /// file does not keep it, so the album stays unmodified.
  void SetAlbumFolder(const std::string& folder);
  /// A key of a link table as its operations take it: person or theme, picture.
  using Link = std::pair<std::int32_t, std::int32_t>;
  /// Replay's RemovePerson: the caller's index names the rectangles the
  /// person may have, so the table is not walked. Appends the pictures of
  /// those that were there to `removed`.
  void ReplayRemovePerson(std::int32_t person, const std::vector<Link>& rectangles,
                          std::vector<std::int32_t>& removed);
  /// Replay's RemoveTheme, as ReplayRemovePerson.
  void ReplayRemoveTheme(std::int32_t theme, const std::vector<Link>& links,
                         std::vector<std::int32_t>& removed);
  /// Replay's DeletePicture(id, false) for the rectangles and links the
  /// caller's index names: no walk, no re-selection, no view update.
  void ReplayRemovePicture(std::int32_t id, const std::vector<Link>& rectangles,
                           const std::vector<Link>& links);
  /// Replay's current picture: the one the re-selection it holds back will
  /// make current, set before that re-selection runs.
  void SetCurrentAheadOfSelection(std::int32_t picture);
  /// Replay sets the log aside so that nothing replayed is logged again; the
  /// command-line tool brings its own.
  void SetTransactionLog(std::unique_ptr<ITransactionLog> log) { m_pTransactionLog = std::move(log); }
  std::unique_ptr<ITransactionLog> TakeTransactionLog() { return std::move(m_pTransactionLog); }
  /// Collaboration switched on or off in the settings takes effect with the
  /// next album opened: the log starts then, or ends (its file finished, or
  /// deleted when it holds nothing). Unchanged, the running log goes on.
  void StartOrEndTransactionLog();
  /// Frees the tables and the selection of an album only read for its
  /// settings; no change of the album.
  void ReleaseTables();

  // --- Selection.
  /// Selects the pictures that pass both filters and, unless `search` is
  /// empty, contain every word of it (see CSearchQuery), in the key's order.
  void SelectPictures(std::int32_t theme, std::int32_t person, std::int32_t sortKey,
                      std::string_view search = {});
  std::int32_t SetExplicitSelection(const std::vector<std::int32_t>& ids);
  void SetCurrentIndex(std::int32_t index);
  std::int32_t CurrentPicture() const { return m_nCurrentPicture; }
  std::int32_t CurrentPosition() const { return m_nCurrentPosition; }
  std::int32_t SelectedCount() const { return m_nSelectedCount; }
  const std::vector<std::int32_t>& Selection() const { return m_selection; }
  std::int32_t FilterTheme() const { return m_nFilterTheme; }
  std::int32_t FilterPerson() const { return m_nFilterPerson; }
  std::int32_t SelectionKind() const { return m_nSelectionKind; }
  const std::string& FilterSearch() const { return m_strFilterSearch; }
  /// Folds the album's texts for a search to come, unless that is done already.
  void PrepareSearch();

  // --- The tables and the album's settings, to read.
  const CBilderEx& Pictures() const { return m_pictures; }
  const CPersonenEx& Persons() const { return m_persons; }
  const CThemenEx& Themes() const { return m_themes; }
  const CPersonenAufBildernEx& PersonsOnPictures() const { return m_personsOnPictures; }
  const CThemenDerBilderEx& ThemesOfPictures() const { return m_themesOfPictures; }
  const std::string& AlbumFolder() const { return m_strAlbumFolder; }
  const std::string& AlbumFolderStored() const { return m_strAlbumFolderStored; }
  const std::string& StorageFolder() const { return m_strStorageFolder; }
  std::int32_t StorageMode() const { return m_nStorageMode; }
  const std::string& UpdateUrl() const { return m_strUpdateUrl; }
  const std::string& AlbumInfo() const { return m_strAlbumInfo; }
  std::int32_t InfoDialogEnabled() const { return m_bInfoDialogEnabled; }
  std::int32_t FileVersion() const { return m_nFileVersion; }
  ITransactionLog* TransactionLog() const { return m_pTransactionLog.get(); }

  // --- Command states kept by the document.
  bool CanOpenAlbumInfo() const { return m_bInfoDialogEnabled != 0; }
  bool CanOpenPictureFile() const { return m_nCurrentPicture != -1; }

  /// The help file the default update URL points into.
  void SetHelpFilePath(const std::string& path) { m_strHelpFilePath = path; }
  /// The help folder (ending in '/'): the help set is "<folder>Kolvaro.chm",
  /// a name for the folder's pages rather than a file.
  void SetHelpFolder(const std::string& folder) { m_strHelpFilePath = folder + "Kolvaro.chm"; }
  /// "mk:@MSITStore:<help file>::/html/update_nopage.html", what every new album gets.
  std::string DefaultUpdateUrl() const;
  /// How collaboration creates its writer; without one, no log is kept.
  void SetTransactionLogFactory(TransactionLogFactory factory) {
    m_transactionLogFactory = std::move(factory);
  }
  ISettings& Settings() { return m_settings; }
  /// Where trash moves and file opening go; without one they do nothing.
  void SetFileOperations(IFileOperations* ops) { m_fileOps = ops; }
  IFileOperations* FileOperations() const { return m_fileOps; }
  /// Who sees the wait cursor and the questions of document commands; may be null.
  void SetUserQuestions(IUserQuestions* ui) { m_userQuestions = ui; }
  IUserQuestions* UserQuestions() const { return m_userQuestions; }

 private:
  std::int32_t Resolve(std::int32_t picture) const {
    return picture == -1 ? m_nCurrentPicture : picture;
  }
  /// Empties the album to what a new album holds, without touching the log.
  void ResetContents();
  void ResetTrailer();

  ISettings& m_settings;
  PathStyle m_pathStyle;
  std::string m_strHelpFilePath = "Kolvaro.chm";
  TransactionLogFactory m_transactionLogFactory;
  IFileOperations* m_fileOps = nullptr;
  IUserQuestions* m_userQuestions = nullptr;

  // In the album's declaration order.
  std::string m_strAlbumFolderStored;
  std::string m_strAlbumFolder;
  std::int32_t m_nSelectedCount = 0;
  std::string m_strStorageFolder;
  std::int32_t m_nStorageMode = 0;
  bool m_bStorageChangePending = false;
  std::string m_strNamesBase;
  std::unique_ptr<ITransactionLog> m_pTransactionLog;
  CThemenEx m_themes;
  CBilderEx m_pictures;
  CPersonenEx m_persons;
  CPersonenAufBildernEx m_personsOnPictures;
  CThemenDerBilderEx m_themesOfPictures;
  std::vector<std::int32_t> m_selection;
  std::int32_t m_nCurrentPicture = -1;
  std::int32_t m_nCurrentPosition = -1;
  std::int32_t m_nFilterTheme = -1;
  std::int32_t m_nFilterPerson = -1;
  std::int32_t m_nSelectionKind = -1;
  std::string m_strFilterSearch;
  std::unique_ptr<CSearchIndex> m_searchIndex;  ///< made by the first search
  std::uint64_t m_searchIndexVersion = 0;        ///< the contents version it was made at
  std::string m_strUpdateUrl;
  std::string m_strAlbumInfo;
  std::int32_t m_bInfoDialogEnabled = 1;
  std::int32_t m_nFileVersion = 2;
  std::string m_strOpenNotice;
};

}  // namespace kolvaro
