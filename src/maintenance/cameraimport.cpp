#include "maintenance/cameraimport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <span>
#include <system_error>

#include "core/filetransfer.h"
#include "core/mediafile.h"
#include "core/paths.h"
#include "maintenance/capturedate.h"
#include "res/strings.h"

namespace kolvaro {
namespace {

namespace fs = std::filesystem;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool StartsWithNoCase(std::string_view name, std::string_view prefix) {
  if (name.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (Lower(name[i]) != prefix[i]) return false;
  return true;
}

bool EndsWithNoCase(std::string_view name, std::string_view suffix) {
  return name.size() >= suffix.size() &&
         StartsWithNoCase(name.substr(name.size() - suffix.size()), suffix);
}

struct Entry {
  std::string name;
  bool folder = false;
  bool link = false;  ///< a symbolic link; `folder` when it leads to one
  std::uint64_t size = 0;
};

// The entries of a folder in byte order of their names; none when it cannot
// be read. Symbolic links are marked and never taken: one could lead the
// move off the card, to files the user never meant to hand over.
std::vector<Entry> Entries(const std::string& folder) {
  std::vector<Entry> entries;
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  for (const fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    Entry e{it->path().filename().string()};
    if (it->is_symlink(typeError)) {
      e.link = true;
      e.folder = it->is_directory(typeError);
    } else if (it->is_directory(typeError)) {
      e.folder = true;
    } else if (it->is_regular_file(typeError)) {
      e.size = it->file_size(typeError);
    } else {
      continue;
    }
    entries.push_back(std::move(e));
  }
  std::sort(entries.begin(), entries.end(),
            [](const Entry& a, const Entry& b) { return a.name < b.name; });
  return entries;
}

// The card's own folders of `entries` below `base` that pass `wanted`; a
// link that would pass goes to `links` instead.
template <typename Wanted>
std::vector<std::string> Folders(const std::string& base, const std::vector<Entry>& entries,
                                 std::vector<std::string>* links, Wanted wanted) {
  std::vector<std::string> folders;
  for (const Entry& e : entries) {
    if (!e.folder || !wanted(e.name)) continue;
    if (!e.link)
      folders.push_back(base + e.name);
    else if (links)
      links->push_back(base + e.name);
  }
  return folders;
}

std::string FileName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

std::string SizeText(std::uint64_t bytes) {
  if (bytes < 1024) return FormatMessage(LoadString(IDS_CAMERA_SIZE_BYTES), {static_cast<long long>(bytes)});
  static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB"};
  double value = static_cast<double>(bytes) / 1024;
  std::size_t unit = 0;
  for (; value >= 1024 && unit + 1 < std::size(kUnits); ++unit) value /= 1024;
  std::string text = FormatMessage("%1!.1lf!", {value});
  std::replace(text.begin(), text.end(), '.', ',');
  return text + " " + kUnits[unit];
}

std::string Described(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  std::tm local{};
  char date[32] = {};
  if (::localtime_r(&st.st_mtim.tv_sec, &local))
    std::strftime(date, sizeof date, "%d.%m.%Y %H:%M:%S", &local);
  return FormatMessage(LoadString(IDS_FILE_DESCRIBED),
                       {SizeText(static_cast<std::uint64_t>(st.st_size)), std::string(date)});
}

// The endings in import order: those cards have always been read for
// first, so that an import of an older card is repeated as before, then the
// other families' endings.
std::span<const std::string_view> CameraPatterns() {
  static const std::vector<std::string_view> patterns = [] {
    std::vector<std::string_view> list = {".jpg", ".gif", ".tif", ".bmp", ".avi"};
    for (const MediaFamilyInfo& family : MediaFamilies())
      for (std::string_view ext : family.extensions)
        if (std::find(list.begin(), list.end(), ext) == list.end()) list.push_back(ext);
    return list;
  }();
  return patterns;
}

}  // namespace

std::string CameraSourceFolder(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

std::vector<CameraFile> CameraFolderFiles(const std::string& folder,
                                          std::vector<std::string>* links) {
  const std::string base = CameraSourceFolder(folder);
  const std::vector<Entry> entries = Entries(base);
  std::vector<CameraFile> files;
  for (std::string_view pattern : CameraPatterns())
    for (const Entry& e : entries) {
      if (e.folder || !EndsWithNoCase(e.name, pattern)) continue;
      if (!e.link)
        files.push_back({base + e.name, e.size});
      else if (links)
        links->push_back(base + e.name);
    }
  return files;
}

std::vector<CameraFile> ScanCameraSource(const std::string& source,
                                         std::vector<std::string>* links) {
  const std::string base = CameraSourceFolder(source);
  std::vector<CameraFile> files = CameraFolderFiles(base, links);
  auto take = [&files, links](const std::string& folder) {
    std::vector<CameraFile> found = CameraFolderFiles(folder, links);
    files.insert(files.end(), std::make_move_iterator(found.begin()),
                 std::make_move_iterator(found.end()));
  };
  auto any = [](const std::string&) { return true; };
  const std::vector<Entry> top = Entries(base);
  // "DCIM\*.*" and "MSSONY\*.*": the subfolders of those folders.
  for (std::string_view maker : {std::string_view("dcim"), std::string_view("mssony")}) {
    auto named = [maker](const std::string& name) {
      return name.size() == maker.size() && StartsWithNoCase(name, maker);
    };
    for (const std::string& folder : Folders(base, top, links, named))
      for (const std::string& sub : Folders(folder + "/", Entries(folder + "/"), links, any))
        take(sub);
  }
  // "DC*" also matches DCIM itself, which finds files lying directly in it;
  // a link named so was listed above already.
  for (const Entry& e : top) {
    if (!e.folder || !StartsWithNoCase(e.name, "dc")) continue;
    if (!e.link)
      take(base + e.name);
    else if (links && !(e.name.size() == 4 && StartsWithNoCase(e.name, "dcim")))
      links->push_back(base + e.name);
  }
  auto qvim = [](const std::string& name) { return StartsWithNoCase(name, "qvim"); };
  for (const std::string& folder : Folders(base, top, links, qvim))
    for (const std::string& sub : Folders(folder + "/", Entries(folder + "/"), links, any))
      take(sub);
  return files;
}

namespace {

// The target names of `files` in the album folder, and which of them the
// album can keep; the others are left out of `files`.
std::vector<std::string> KeepStorable(const CMeriskDoc& doc, std::vector<CameraFile>& files,
                                      std::vector<std::string>& refusals) {
  std::vector<std::string> stored;
  std::vector<CameraFile> kept;
  for (CameraFile& f : files) {
    const std::string target = doc.AlbumFolder() + FileName(f.path);
    std::string name = doc.MakeStoredPath(target);
    const StoredNameProblem problem =
        CheckStoredName(doc.GetPathStyle(), target, doc.BaseFolder(), name);
    if (problem != StoredNameProblem::kNone) {
      refusals.push_back(StoredNameProblemText(problem, f.path));
      continue;
    }
    stored.push_back(std::move(name));
    kept.push_back(std::move(f));
  }
  files = std::move(kept);
  return stored;
}

}  // namespace

CCameraImportAlbum::CCameraImportAlbum(CMeriskDoc& doc, IUserQuestions& ui,
                                       std::vector<CameraFile> files, std::int32_t themeId)
    : m_doc(doc),
      m_ui(ui),
      m_files(std::move(files)),
      m_names(doc.Pictures(), KeepStorable(doc, m_files, m_refusals), doc.GetPathStyle()),
      m_themeId(themeId) {
  m_counts.refused = static_cast<int>(m_refusals.size());
}

void CCameraImportAlbum::ReportRefused() {
  for (const std::string& text : m_refusals) m_ui.Warn(text);
  m_refusals.clear();
}

void CCameraImportAlbum::Arrived(std::size_t i, const TransferResult& result) {
  using Status = TransferResult::Status;
  if (result.status != Status::Done) {
    ++m_counts.failed;
    if (result.status == Status::Failed && !result.message.empty()) m_ui.ReportError(result.message);
    return;
  }
  if (!result.message.empty()) m_ui.Warn(result.message);
  m_copied.emplace_back(m_files[i].path, result);
  if (m_names.IsDuplicate(i)) {
    ++m_counts.duplicates;
    m_ui.Inform(FormatMessage(LoadString(IDS_FILE_ALREADY_IN_ALBUM), {PrintableName(m_names.Name(i))}));
    return;
  }
  const std::string target = m_doc.AlbumFolder() + FileName(m_files[i].path);
  const FileStatus status = QueryFileStatus(target);
  const COleDateTime date = CaptureDate(target, status, DateFallback::kInvalidOnly);
  const std::int32_t id = m_doc.AddPicture(m_names.Name(i), date, status.size, "");
  m_names.Added(i);
  if (m_themeId != 0) m_doc.AddThemeToPicture(m_themeId, id);
  m_doc.SetModifiedFlag();
  ++m_counts.added;
}

void CCameraImportAlbum::RemoveFromCard() {
  for (const auto& [path, copy] : m_copied) {
    // A file still being written on the card (by the camera or another
    // program) has more than its copy: it stays.
    if (!SourceUnchanged(path, copy)) {
      ++m_counts.kept;
      m_ui.Warn(FormatMessage(LoadString(IDS_CAMERA_SOURCE_CHANGED), {PrintableName(path)}));
    } else if (::unlink(path.c_str()) != 0) {
      ++m_counts.kept;
      m_ui.Warn(FormatMessage(LoadString(IDS_MOVED_COPY_KEPT),
                              {PrintableName(path), m_doc.AlbumFolder(),
                               std::string(FileFailureText(FileFailureOf(errno)))}));
    }
  }
  m_copied.clear();
}

void CCameraImportAlbum::KeepOnCard() {
  m_counts.kept += static_cast<int>(m_copied.size());
  m_copied.clear();
}

bool RunCameraTransfers(IFileOperations& ops, const std::vector<CameraFile>& files,
                        const std::string& albumFolder, const CameraTransferHooks& hooks) {
  CameraImportProgress progress;
  progress.filesFound = files.size();
  for (const CameraFile& f : files) progress.bytesFound += f.size;
  auto report = [&hooks, &progress] {
    if (hooks.progress) hooks.progress(progress);
  };
  // Copies leave the card as it is, so one sync at the end makes all of
  // them safe at a fraction of the cost of one per file; it is done before
  // the import reports its end (when a user may wipe the card) and before a
  // move removes anything from the card.
  struct SyncAtEnd {
    const std::string& folder;
    const CameraTransferHooks& hooks;
    bool copying;
    ~SyncAtEnd() {
      const int error = copying ? SyncFileSystemOf(folder) : 0;
      if (error == 0 || !hooks.syncFailed) return;
      std::string cause(FileFailureText(FileFailureOf(error)));
      if (cause.empty()) cause = std::strerror(error);
      hooks.syncFailed(FormatMessage(LoadString(IDS_CAMERA_SYNC_FAILED), {folder, cause}));
    }
  } syncAtEnd{albumFolder, hooks, !files.empty()};
  if (!files.empty()) RemoveStaleCopies(albumFolder);
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (hooks.cancelRequested && hooks.cancelRequested()) return true;
    progress.current = FileName(files[i].path);
    report();
    TransferHooks transfer;
    transfer.askReplace = hooks.askReplace;
    transfer.syncLater = true;
    const std::uint64_t before = progress.bytesDone;
    if (hooks.progress)
      transfer.onBytes = [&](std::uint64_t bytes) {
        progress.bytesDone = before + std::min(bytes, files[i].size);
        report();
        return true;  // a cancel waits for the end of the file
      };
    const TransferResult result = ops.TransferFile(files[i].path, albumFolder, false, transfer);
    ++progress.filesDone;
    progress.bytesDone = before + files[i].size;
    if (hooks.arrived) hooks.arrived(i, result);
    report();
    const bool last = i + 1 == files.size();
    if (result.status == TransferResult::Status::Cancelled || result.targetFailed) return !last;
  }
  return false;
}

std::string CameraProgressText(const CameraImportProgress& p) {
  return FormatMessage(LoadString(IDS_CAMERA_PROGRESS),
                       {static_cast<long long>(std::min(p.filesDone + 1, p.filesFound)),
                        static_cast<long long>(p.filesFound), SizeText(p.bytesDone),
                        SizeText(p.bytesFound), PrintableName(p.current)});
}

std::string CameraReplaceQuestion(const std::string& source, const std::string& target) {
  std::string folder = target.substr(0, target.rfind('/'));
  if (folder.empty()) folder = "/";
  return FormatMessage(LoadString(IDS_REPLACE_FILE),
                       {folder, FileName(target), Described(target), Described(source)});
}

namespace {

CameraImportCounts ImportFiles(CMeriskDoc& doc, IUserQuestions& ui, IFileOperations& ops,
                               std::vector<CameraFile> files, std::vector<std::string> links,
                               std::int32_t themeId, bool move, CameraTransferHooks hooks,
                               const std::function<bool()>& save) {
  CCameraImportAlbum album(doc, ui, std::move(files), themeId);
  album.ReportRefused();
  if (!hooks.askReplace)
    hooks.askReplace = [&ui](const std::string& source, const std::string& target) {
      switch (ui.AskYesNoCancel(CameraReplaceQuestion(source, target))) {
        case Answer::Yes: return ReplaceChoice::Replace;
        case Answer::No: return ReplaceChoice::Skip;
        default: return ReplaceChoice::Cancel;
      }
    };
  if (!hooks.syncFailed) hooks.syncFailed = [&ui](const std::string& text) { ui.ReportError(text); };
  bool synced = true;
  hooks.syncFailed = [&synced, report = std::move(hooks.syncFailed)](const std::string& text) {
    synced = false;
    report(text);
  };
  hooks.arrived = [&album, then = std::move(hooks.arrived)](std::size_t i, const TransferResult& r) {
    album.Arrived(i, r);
    if (then) then(i, r);
  };
  if (RunCameraTransfers(ops, album.Files(), doc.AlbumFolder(), hooks)) album.Stopped();
  // The card's files go only once the album that lists their copies is on
  // the disk: a crash or a failed save before leaves every one on the card.
  const bool saved = !save || save();
  if (move && saved && save && synced)
    album.RemoveFromCard();
  else if (move)
    album.KeepOnCard();
  CameraImportCounts counts = album.Counts();
  counts.saveFailed = !saved;
  counts.links = std::move(links);
  return counts;
}

}  // namespace

CameraImportCounts ImportCamera(CMeriskDoc& doc, IUserQuestions& ui, IFileOperations& ops,
                                const std::string& source, std::int32_t themeId, bool move,
                                CameraTransferHooks hooks, const std::function<bool()>& save) {
  std::vector<std::string> links;
  std::vector<CameraFile> files = ScanCameraSource(source, &links);
  return ImportFiles(doc, ui, ops, std::move(files), std::move(links), themeId, move,
                     std::move(hooks), save);
}

CameraImportCounts ImportCameraFolder(CMeriskDoc& doc, IUserQuestions& ui, IFileOperations& ops,
                                      const std::string& folder, std::int32_t themeId, bool move,
                                      const std::function<bool()>& save) {
  std::vector<std::string> links;
  std::vector<CameraFile> files = CameraFolderFiles(folder, &links);
  return ImportFiles(doc, ui, ops, std::move(files), std::move(links), themeId, move, {}, save);
}

}  // namespace kolvaro
