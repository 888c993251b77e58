#include "core/meriskdoc.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "core/archive.h"
#include "core/rebase.h"
#include "core/safefile.h"
#include "core/search.h"
#include "res/strings.h"

namespace kolvaro {
namespace {

std::string WithPath(StringId id, const std::string& path) {
  return FormatMessage(LoadString(id), {path});
}

// The framework's load and save messages, coarser than the causes.
std::string OpenErrorText(int err, const std::string& path) {
  if (err == kNotARegularFile) return NotARegularFileText(path);
  switch (FileFailureOf(err)) {
    case FileFailure::kNotFound:
    case FileFailure::kNotAFolder:
      return WithPath(IDS_FILE_NOT_FOUND, path);
    case FileFailure::kAccessDenied:
      return WithPath(IDS_ACCESS_DENIED, path);
    default:
      return std::string(LoadString(IDS_FAILED_TO_OPEN_DOC));
  }
}

std::string SaveErrorText(int err, int journalError, const std::string& path) {
  if (err == kNotARegularFile) return NotARegularFileText(path);
  if (err == kJournalNotWritten) {
    std::string cause(FileFailureText(FileFailureOf(journalError)));
    if (cause.empty()) cause = std::strerror(journalError);
    return FormatMessage(LoadString(IDS_JOURNAL_NOT_WRITTEN), {path, JournalFolder(), cause});
  }
  switch (FileFailureOf(err)) {
    case FileFailure::kDiskFull:
    case FileFailure::kQuotaExhausted:
    case FileFailure::kTooLarge:
      return WithPath(IDS_DISK_FULL, path);
    case FileFailure::kAccessDenied:
    case FileFailure::kReadOnly:
      return WithPath(IDS_ACCESS_DENIED, path);
    default:
      return std::string(LoadString(IDS_FAILED_TO_SAVE_DOC));
  }
}

void SetError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

std::string Absolute(PathStyle style, const std::string& path) {
  if (style != PathStyle::Posix || path.empty() || path[0] == '/') return path;
  return AbsoluteNormalPath(path);
}

}  // namespace

CMeriskDoc::CMeriskDoc(ISettings& settings, PathStyle style)
    : m_settings(settings), m_pathStyle(style) {}

CMeriskDoc::~CMeriskDoc() = default;

std::string HelpFolderOf(const std::string& programPath) {
  const auto cut = programPath.find_last_of("/\\");
  return (cut == std::string::npos ? std::string() : programPath.substr(0, cut + 1)) + "help/";
}

std::string CMeriskDoc::DefaultUpdateUrl() const {
  return "mk:@MSITStore:" + m_strHelpFilePath + "::/html/update_nopage.html";
}

void CMeriskDoc::ResetTrailer() {
  m_strAlbumInfo.clear();
  m_strUpdateUrl = DefaultUpdateUrl();
  m_bInfoDialogEnabled = 1;
}

void CMeriskDoc::ResetContents() {
  m_nCurrentPicture = -1;
  m_nCurrentPosition = -1;
  m_nSelectedCount = 0;
  m_selection.clear();
  m_nFilterTheme = -1;
  m_nFilterPerson = -1;
  m_nSelectionKind = -1;
  m_strFilterSearch.clear();
  m_strStorageFolder.clear();
  m_nStorageMode = 0;
  m_bStorageChangePending = false;
  m_strAlbumFolderStored = m_settings.GetString("Pictures", "RootFolder", "");
  m_strAlbumFolder = FromStoredFolder(m_pathStyle, m_strAlbumFolderStored);
  m_pictures.Clear();
  m_personsOnPictures.Clear();
  m_persons.Clear();
  m_themesOfPictures.Clear();
  m_themes.Clear();
  // The placeholder link of every new album: it matches no theme and no
  // picture but is part of the file as the format has always had it.
  m_themesOfPictures.Put(-1, -1, COleDateTime::Now());
  ResetTrailer();
}

void CMeriskDoc::StartOrEndTransactionLog() {
  if (!ProgramSettings::IsOn(m_settings, ProgramSettings::kCollaboration))
    m_pTransactionLog.reset();
  else if (!m_pTransactionLog && m_transactionLogFactory)
    m_pTransactionLog = m_transactionLogFactory(*this);
}

bool CMeriskDoc::OnNewDocument() {
  ResetContents();
  m_pTransactionLog.reset();
  if (ProgramSettings::IsOn(m_settings, ProgramSettings::kCollaboration) && m_transactionLogFactory)
    m_pTransactionLog = m_transactionLogFactory(*this);
  m_strPathName.clear();
  m_strTitle = LoadString(IDS_UNTITLED);
  SetModifiedFlag(false);
  NotifySelectionChanged();
  NotifyContentsChanged();
  return true;
}

void CMeriskDoc::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    m_nFileVersion = 2;
    ar.WriteInt(m_nFileVersion);
    ar.WriteString(m_strStorageFolder);
    ar.WriteInt(m_nStorageMode);
    m_pictures.Serialize(ar);
    m_personsOnPictures.Serialize(ar);
    m_persons.Serialize(ar);
    m_themesOfPictures.Serialize(ar);
    m_themes.Serialize(ar);
  } else {
    m_nFileVersion = ar.ReadInt();
    m_strStorageFolder = ar.ReadString();
    m_nStorageMode = ar.ReadInt();
    m_pictures.Clear();
    m_personsOnPictures.Clear();
    m_persons.Clear();
    m_themesOfPictures.Clear();
    m_themes.Clear();
    m_pictures.Serialize(ar);
    m_personsOnPictures.Serialize(ar);
    m_persons.Serialize(ar);
    m_themesOfPictures.Serialize(ar);
    m_themes.Serialize(ar);
    // A file without trailer must not inherit the previous album's.
    if (m_nFileVersion < 2) ResetTrailer();
  }
  SerializeTrailer(ar);
}

void CMeriskDoc::SerializeTrailer(CArchive& ar) {
  if (m_nFileVersion < 2) return;
  if (ar.IsStoring()) {
    ar.WriteString(m_strAlbumInfo);
    ar.WriteString(m_strUpdateUrl);
    ar.WriteInt(m_bInfoDialogEnabled);
  } else {
    m_strAlbumInfo = ar.ReadString();
    m_strUpdateUrl = ar.ReadString();
    m_bInfoDialogEnabled = ar.ReadInt();
  }
}

bool CMeriskDoc::OnOpenDocument(const std::string& pathIn, std::string* error) {
  const std::string path = Absolute(m_pathStyle, pathIn);
  m_strOpenNotice.clear();
  std::string journal;
  switch (RecoverInterruptedSave(path, &journal)) {
    case SaveRecovery::kNone: break;
    case SaveRecovery::kRestored:
      m_strOpenNotice = FormatMessage(LoadString(IDS_SAVE_RESTORED), {path});
      break;
    case SaveRecovery::kFailed:
      m_strOpenNotice = FormatMessage(LoadString(IDS_SAVE_NOT_RESTORED), {path, journal});
      break;
  }
  if (!m_strOpenNotice.empty() && m_userQuestions) m_userQuestions->Warn(m_strOpenNotice);
  int openError = 0;
  const int fd = OpenRegularFile(path, openError);
  std::FILE* file = fd >= 0 ? ::fdopen(fd, "rb") : nullptr;
  if (!file) {
    if (fd >= 0) ::close(fd);
    SetError(error, OpenErrorText(fd >= 0 ? errno : openError, path));
    return false;
  }
  std::string failure;
  struct stat st {};
  if (::fstat(::fileno(file), &st) != 0) {
    failure = OpenErrorText(errno, path);
  } else {
    try {
      CArchive ar(file, static_cast<std::uint64_t>(st.st_size));
      Serialize(ar);
    } catch (const CArchiveException& e) {
      failure = e.what();
    } catch (const CFileIoException& e) {
      failure = OpenErrorText(e.Error(), path);
    } catch (const std::bad_alloc&) {
      failure = LoadString(IDS_FAILED_TO_OPEN_DOC);
    }
  }
  std::fclose(file);
  if (!failure.empty()) {
    // A half-read album must never be saved over the file on disk.
    ResetContents();
    m_strPathName.clear();
    m_strTitle = LoadString(IDS_UNTITLED);
    SetModifiedFlag(false);
    NotifySelectionChanged();
    NotifyContentsChanged();
    SetError(error, failure);
    return false;
  }
  m_nCurrentPicture = -1;
  m_nCurrentPosition = -1;
  m_nSelectedCount = 0;
  m_bStorageChangePending = false;
  m_strAlbumFolder = FolderOfPath(m_pathStyle, path);
  m_strAlbumFolderStored = ToStoredFolder(m_pathStyle, m_strAlbumFolder);
  SetPathName(path);
  m_diskIdentity = FileIdentity::Of(st);
  StartOrEndTransactionLog();
  // A log begun before this album was opened goes on for it.
  if (m_pTransactionLog) m_pTransactionLog->AlbumPathIs(path);
  SetModifiedFlag(false);
  NotifyContentsChanged();
  SelectPictures(-1, -1, 2);
  return true;
}

bool CMeriskDoc::OnSaveDocument(const std::string& pathIn, std::string* error) {
  const std::string path = Absolute(m_pathStyle, pathIn);
  // Relative names are resolved against the base they were stored for, so
  // saving into another folder re-bases them instead of losing the pictures.
  const std::string oldBase = BaseFolder();
  // A failed save leaves the album based where it was.
  const std::string oldFolder = m_strAlbumFolder;
  const std::string oldFolderStored = m_strAlbumFolderStored;
  const std::int32_t oldVersion = m_nFileVersion;

  m_strAlbumFolder = FolderOfPath(m_pathStyle, path);
  if (m_nStorageMode == 1) m_strAlbumFolder = m_strStorageFolder;
  m_strAlbumFolderStored = ToStoredFolder(m_pathStyle, m_strAlbumFolder);

  const std::string& newBase = m_nStorageMode != 0 ? m_strStorageFolder : m_strAlbumFolder;
  std::vector<std::pair<std::int32_t, std::string>> renamed =
      RebaseStoredNames(m_pathStyle, m_nStorageMode, oldBase, newBase, m_pictures);
  // Put back in place: the record order and every change date stay.
  // `renamed` then holds the old names, for the way back.
  auto swapNames = [this, &renamed] {
    for (auto& [id, name] : renamed) {
      PictureEntry e = *m_pictures.Find(id);
      std::swap(e.filename, name);
      m_pictures.Put(id, std::move(e));
    }
  };
  swapNames();

  CArchive ar;
  Serialize(ar);
  // The lock follows only the file it was taken on.
  CFileLock* lock = path == m_strPathName ? m_pFileLock : nullptr;
  FileIdentity saved;
  int journalError = 0;
  if (const int err = SaveFileSafely(path, ar.Bytes(), lock, &saved, &journalError); err != 0) {
    swapNames();
    m_strAlbumFolder = oldFolder;
    m_strAlbumFolderStored = oldFolderStored;
    m_nFileVersion = oldVersion;
    SetError(error, SaveErrorText(err, journalError, path));
    return false;
  }
  SetPathName(path);
  if (m_pTransactionLog) m_pTransactionLog->AlbumPathIs(path);
  m_diskIdentity = saved;
  m_bStorageChangePending = false;
  SetModifiedFlag(false);
  return true;
}

// --------------------------------------------------------- record operations

void CMeriskDoc::AddOrUpdatePicture(std::int32_t id, const std::string& filename,
                                    const COleDateTime& timestamp, std::uint64_t size,
                                    const std::string& title) {
  id = Resolve(id);
  m_pictures.AddOrUpdate(id, filename, timestamp, size, title);
  if (m_pTransactionLog) m_pTransactionLog->WritePicture(id, filename, timestamp, size, title);
  SetModifiedFlag();
  NotifyContentsChanged();
}

void CMeriskDoc::AddOrUpdatePerson(std::int32_t id, const std::string& name) {
  m_persons.AddOrUpdate(id, name);
  SetModifiedFlag();
  if (m_pTransactionLog) m_pTransactionLog->WritePerson(id, name);
  NotifyContentsChanged();
}

void CMeriskDoc::AddOrUpdateTheme(std::int32_t id, const std::string& name) {
  m_themes.AddOrUpdate(id, name);
  SetModifiedFlag();
  if (m_pTransactionLog) m_pTransactionLog->WriteTheme(id, name);
  NotifyContentsChanged();
}

void CMeriskDoc::AddOrUpdatePersonOnPicture(std::int32_t person, const Rect& rect,
                                            std::int32_t picture) {
  picture = Resolve(picture);
  m_personsOnPictures.AddOrUpdate(person, picture, rect);
  m_pictures.Touch(picture);
  if (m_pTransactionLog) m_pTransactionLog->WritePersonOnPicture(person, rect, picture);
  SetModifiedFlag();
  NotifyContentsChanged();
}

void CMeriskDoc::AddThemeToPicture(std::int32_t theme, std::int32_t picture) {
  picture = Resolve(picture);
  m_themesOfPictures.AddOrUpdate(theme, picture);
  m_pictures.Touch(picture);
  if (m_pTransactionLog) m_pTransactionLog->WriteThemeOfPicture(theme, picture);
  SetModifiedFlag();
  NotifyContentsChanged();
}

void CMeriskDoc::RemoveThemeFromPicture(std::int32_t theme, std::int32_t picture) {
  picture = Resolve(picture);
  if (m_pTransactionLog) m_pTransactionLog->WriteRemoveThemeOfPicture(theme, picture);
  m_themesOfPictures.Remove(theme, picture);
  SetModifiedFlag();
  NotifyContentsChanged();
}

void CMeriskDoc::RemovePersonFromPicture(std::int32_t person, std::int32_t picture) {
  picture = Resolve(picture);
  m_personsOnPictures.Remove(person, picture);
  if (m_pTransactionLog) m_pTransactionLog->WriteRemovePersonOnPicture(person, picture);
  SetModifiedFlag();
  NotifyContentsChanged();
}

void CMeriskDoc::RemovePerson(std::int32_t person) {
  m_personsOnPictures.RemoveAllOfPerson(person);
  m_persons.Remove(person);
  if (m_pTransactionLog) m_pTransactionLog->WriteRemovePerson(person);
  SetModifiedFlag();
  NotifyContentsChanged();
}

void CMeriskDoc::RemoveTheme(std::int32_t theme) {
  m_themesOfPictures.RemoveAllOfTheme(theme);
  m_themes.Remove(theme);
  if (m_pTransactionLog) m_pTransactionLog->WriteRemoveTheme(theme);
  SetModifiedFlag();
  NotifyContentsChanged();
}

void CMeriskDoc::DeletePicture(std::int32_t id, bool moveToTrash) {
  m_personsOnPictures.RemoveAllOfPicture(id);
  m_themesOfPictures.RemoveAllOfPicture(id);
  const std::string path = GetPictureFullPath(id);
  m_pictures.Remove(id);
  if (moveToTrash && m_fileOps && !path.empty()) {
    // Only the picture file itself, found where the album's name leads;
    // a missing file is passed over without a word.
    const PictureFileKind kind = ExaminePictureFile(path);
    std::string why = PictureFileRefusal(kind);
    if (kind == PictureFileKind::kRegular) {
      // An album names any file it likes, and albums come from other people:
      // only a picture or video of the kinds the program adds goes, never an
      // album (which begins with its version number), the open one included.
      if (!HasPictureContent(path)) why = LoadString(IDS_REFUSE_NOT_A_PICTURE);
      if (why.empty()) m_fileOps->MoveToTrash(path);
    }
    if (!why.empty() && m_userQuestions)
      m_userQuestions->Warn(
          FormatMessage(LoadString(IDS_REMOVED_NOT_TRASHED), {PrintableName(path), why}));
  }
  ContentsTouched();
  SelectPictures(m_nFilterTheme, m_nFilterPerson, m_nSelectionKind, m_strFilterSearch);
  SetModifiedFlag();
  if (m_pTransactionLog) m_pTransactionLog->WriteRemovePicture(id);
  NotifyContentsChanged();
  UpdateAllViews(nullptr);
}

// ------------------------------------------------------- unlogged writes

std::int32_t CMeriskDoc::AddPicture(const std::string& storedName, const COleDateTime& timestamp,
                                    std::uint64_t size, const std::string& title) {
  const std::int32_t id = m_pictures.NextId();
  m_pictures.AddOrUpdate(id, storedName, timestamp, size, title);
  SetModifiedFlag();
  NotifyContentsChanged();
  return id;
}

void CMeriskDoc::SetAlbumInfo(const std::string& info, const std::string& updateUrl,
                              std::int32_t infoDialogEnabled) {
  m_strAlbumInfo = info;
  m_strUpdateUrl = updateUrl;
  m_bInfoDialogEnabled = infoDialogEnabled;
  SetModifiedFlag();
  NotifyContentsChanged();
}

void CMeriskDoc::SetStorage(std::int32_t mode, const std::string& folder) {
  // An album without pictures has no names to keep on their old base.
  if (!m_bStorageChangePending && m_pictures.GetCount() > 0) {
    m_strNamesBase = BaseFolder();
    m_bStorageChangePending = true;
  }
  m_nStorageMode = mode;
  m_strStorageFolder = folder;
  SetModifiedFlag();
  NotifyContentsChanged();
}

void CMeriskDoc::SetStoredNames(const std::vector<std::pair<std::int32_t, std::string>>& names) {
  for (const auto& [id, name] : names) {
    const PictureEntry* old = m_pictures.Find(id);
    if (!old) continue;
    PictureEntry e = *old;
    e.filename = name;
    m_pictures.Put(id, std::move(e));
  }
  if (names.empty()) return;
  SetModifiedFlag();
  NotifyContentsChanged();
}

void CMeriskDoc::SetAlbumFolder(const std::string& folder) {
  m_strAlbumFolder = folder;
  m_strAlbumFolderStored = ToStoredFolder(m_pathStyle, folder);
}

void CMeriskDoc::ReplayRemovePerson(std::int32_t person, const std::vector<Link>& rectangles,
                                    std::vector<std::int32_t>& removed) {
  m_personsOnPictures.RemoveLinks(rectangles, &removed);
  m_persons.Remove(person);
  SetModifiedFlag();
  NotifyContentsChanged();
}

void CMeriskDoc::ReplayRemoveTheme(std::int32_t theme, const std::vector<Link>& links,
                                   std::vector<std::int32_t>& removed) {
  // Like the table, the links keep their date when there was nothing to walk.
  if (m_themesOfPictures.GetCount() > 0) m_themesOfPictures.RemoveLinks(links, &removed);
  m_themes.Remove(theme);
  SetModifiedFlag();
  NotifyContentsChanged();
}

void CMeriskDoc::ReplayRemovePicture(std::int32_t id, const std::vector<Link>& rectangles,
                                     const std::vector<Link>& links) {
  m_personsOnPictures.RemoveLinks(rectangles);
  if (m_themesOfPictures.GetCount() > 0) m_themesOfPictures.RemoveLinks(links);
  m_pictures.Remove(id);
  SetModifiedFlag();
  NotifyContentsChanged();
}

void CMeriskDoc::SetCurrentAheadOfSelection(std::int32_t picture) {
  m_nCurrentPicture = picture;
  m_nCurrentPosition = 0;
  NotifySelectionChanged();
}

void CMeriskDoc::ReleaseTables() {
  m_pictures = CBilderEx();
  m_personsOnPictures = CPersonenAufBildernEx();
  m_persons = CPersonenEx();
  m_themesOfPictures = CThemenDerBilderEx();
  m_themes = CThemenEx();
  m_searchIndex.reset();
  ContentsTouched();
  m_selection = {};
  m_nSelectedCount = 0;
  m_nCurrentPicture = -1;
  m_nCurrentPosition = -1;
}

void CMeriskDoc::OpenPictureFile(std::int32_t id) {
  if (m_fileOps) m_fileOps->OpenWithDefaultProgram(GetPictureFullPath(id));
}

// ------------------------------------------------------------------ paths

std::string CMeriskDoc::MakeStoredPath(const std::string& absolutePath) const {
  return kolvaro::MakeStoredPath(m_pathStyle, absolutePath, BaseFolder());
}

std::string CMeriskDoc::GetPictureFullPath(std::int32_t id) const {
  const PictureEntry* e = m_pictures.Find(id);
  if (!e) return {};
  return ResolveStoredPath(m_pathStyle, BaseFolder(), e->filename);
}

}  // namespace kolvaro
