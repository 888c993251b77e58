#include "maintenance/addpictures.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/mediafile.h"
#include "core/paths.h"
#include "maintenance/capturedate.h"
#include "maintenance/duplicatetest.h"
#include "res/strings.h"

namespace kolvaro {
namespace {

namespace fs = std::filesystem;

// Adds the files in their order, skipping those whose stored name the album
// already has (also from earlier in the list); each of those goes to
// `duplicate`. A file whose name cannot be stored exactly goes to `refused`
// with the German message. Returns the number added.
template <typename OnDuplicate, typename OnRefused>
int AddFiles(CMeriskDoc& doc, const std::vector<std::string>& files, DateFallback fallback,
             OnDuplicate duplicate, OnRefused refused) {
  std::vector<std::string> full, stored;
  full.reserve(files.size());
  stored.reserve(files.size());
  for (const std::string& file : files) {
    // Stored names are made from clean absolute paths, so "a/./b.jpg" and
    // "a/b.jpg" are one file to the duplicate test.
    full.push_back(AbsoluteNormalPath(file));
    stored.push_back(doc.MakeStoredPath(full.back()));
  }
  std::vector<StoredNameProblem> problems;
  problems.reserve(files.size());
  for (std::size_t i = 0; i < full.size(); ++i)
    problems.push_back(CheckStoredName(doc.GetPathStyle(), full[i], doc.BaseFolder(), stored[i]));
  CDuplicateTest names(doc.Pictures(), std::move(stored), doc.GetPathStyle());
  int added = 0;
  for (std::size_t i = 0; i < full.size(); ++i) {
    if (problems[i] != StoredNameProblem::kNone) {
      refused(StoredNameProblemText(problems[i], full[i]));
      continue;
    }
    const FileStatus status = QueryFileStatus(full[i]);
    if (names.IsDuplicate(i)) {
      duplicate(names.Name(i));
      continue;
    }
    const COleDateTime date = CaptureDate(full[i], status, fallback);
    doc.AddPicture(names.Name(i), date, status.size, "");
    names.Added(i);
    ++added;
  }
  return added;
}

void ShowRefusal(IUserQuestions& ui, const std::string& text) {
  ui.Warn(text);
}

}  // namespace

std::optional<int> OnAddPictures(CMeriskDoc& doc, IUserQuestions& ui) {
  const std::vector<std::string> files =
      ui.GetOpenFileNames("", PictureFileFilter(), doc.AlbumFolder(), true);
  if (files.empty()) return std::nullopt;
  return AddPictureFiles(doc, ui, files);
}

int AddPictureFiles(CMeriskDoc& doc, IUserQuestions& ui, const std::vector<std::string>& files) {
  const int added = AddFiles(
      doc, files, DateFallback::kInvalidOrZero,
      [&ui, &doc](const std::string& stored) {
        ui.Inform(FormatMessage(LoadString(IDS_FILE_ALREADY_IN_ALBUM),
                                {DisplayedStoredName(doc.GetPathStyle(), stored)}),
                  std::string(LoadString(IDS_DUPLICATE_CAPTION)));
      },
      [&ui](const std::string& text) { ShowRefusal(ui, text); });
  ui.Inform(FormatMessage(LoadString(IDS_FILES_ADDED), {static_cast<long long>(added)}));
  if (added != 0) doc.SetModifiedFlag();
  doc.UpdateAllViews(nullptr);
  return added;
}

std::optional<int> OnAddFolder(CMeriskDoc& doc, IUserQuestions& ui) {
  const std::optional<std::string> folder =
      ui.ChooseFolder(std::string(LoadString(IDS_CHOOSE_PICTURE_FOLDER)), "");
  if (!folder || folder->empty()) return std::nullopt;
  return AddFolderPictures(doc, ui, *folder);
}

int AddFolderPictures(CMeriskDoc& doc, IUserQuestions& ui, const std::string& folder) {
  int added = 0;
  std::vector<std::string> refusals;  // shown once the wait cursor is gone
  {
    CWaitCursorGuard wait(&ui);
    added = AddFiles(
        doc, ListFolderPictures(folder), DateFallback::kInvalidOnly, [](const std::string&) {},
        [&refusals](const std::string& text) { refusals.push_back(text); });
  }
  for (const std::string& text : refusals) ShowRefusal(ui, text);
  // Also when nothing was added: the folder was chosen.
  doc.SetModifiedFlag();
  doc.UpdateAllViews(nullptr);
  return added;
}

std::string PictureFileFilter() {
  const std::string names(LoadString(IDS_PICTURE_FILTER_NAMES));
  std::vector<std::string_view> labels;
  for (std::size_t at = 0; at <= names.size();) {
    const std::size_t end = std::min(names.find('\n', at), names.size());
    labels.push_back(std::string_view(names).substr(at, end - at));
    at = end + 1;
  }
  const std::span<const MediaFamilyInfo> families = MediaFamilies();
  auto label = [&labels](std::size_t i) {
    return i < labels.size() ? labels[i] : std::string_view();
  };
  auto patterns = [](const MediaFamilyInfo& family) {
    std::string list;
    for (std::string_view ext : family.extensions)
      list += (list.empty() ? "*" : ";*") + std::string(ext);
    return list;
  };
  std::string all, each;
  for (std::size_t i = 0; i < families.size(); ++i) {
    const std::string list = patterns(families[i]);
    all += (all.empty() ? "" : ";") + list;
    each += std::string(label(i + 1)) + '|' + list + '|';
  }
  return std::string(label(0)) + '|' + all + '|' + each + std::string(label(families.size() + 1)) +
         "|*.*||";
}

std::vector<std::string> ListFolderPictures(const std::string& folder) {
  std::vector<std::pair<std::string, std::string>> found;  // name, full path
  std::error_code ec;
  fs::directory_iterator it(AbsoluteNormalPath(folder), ec);
  for (const fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (!HasMediaExtension(name)) continue;
    std::error_code typeError;
    // A folder called "x.jpg" is no picture; a link to a picture is.
    if (!it->is_regular_file(typeError)) continue;
    found.emplace_back(std::move(name), it->path().string());
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> paths;
  paths.reserve(found.size());
  for (auto& f : found) paths.push_back(std::move(f.second));
  return paths;
}

}  // namespace kolvaro
