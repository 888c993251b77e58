#include "maintenance/copypicture.h"

#include <sys/stat.h>

#include "core/paths.h"
#include "res/strings.h"

namespace kolvaro {
namespace {

void ShowNotAccessible(IUserQuestions& ui, const std::string& source, PictureFileKind kind) {
  std::string text = FormatMessage(LoadString(IDS_FILE_NOT_ACCESSIBLE), {PrintableName(source)});
  if (const std::string why = PictureFileRefusal(kind); !why.empty()) text += "\n" + why;
  ui.Show({text,
           {},
           UserMessage::Kind::Information,
           QuestionIcon::Question,
           DefaultButton::Yes,
           HelpButton::Shown});
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

}  // namespace

bool OnCopyPicture(CMeriskDoc& doc, IUserQuestions& ui) {
  ISettings& settings = doc.Settings();
  const std::string remembered = settings.GetString("Pictures", "CopyToFolder", "");
  const std::optional<std::string> chosen =
      ui.ChooseFolder(std::string(LoadString(IDS_CHOOSE_TARGET_FOLDER)), remembered);
  if (!chosen || chosen->empty()) return false;
  std::string folder = *chosen;
  if (folder.back() != '/') folder += '/';

  const std::string source =
      doc.CurrentPicture() == -1 ? std::string() : doc.GetPictureFullPath(doc.CurrentPicture());
  const PictureFileKind kind =
      source.empty() ? PictureFileKind::kMissing : ExaminePictureFile(source);
  // A copy only reads, so a picture whose name is a link (the program shows
  // it, and "missing" finds it) is copied by its content. A link leading
  // nowhere or to no regular file is not.
  struct stat target {};
  const bool linkToFile = kind == PictureFileKind::kSymlink &&
                          ::stat(source.c_str(), &target) == 0 && S_ISREG(target.st_mode);
  if (kind != PictureFileKind::kRegular && !linkToFile) {
    ShowNotAccessible(ui, source, kind);
    return false;
  }
  // Copying a file onto itself would only put the picture at risk.
  const std::string name = source.substr(source.find_last_of('/') + 1);
  if (SameFile(source, folder + name)) {
    ui.Warn(FormatMessage(LoadString(IDS_COPY_SAME_FILE), {PrintableName(source)}));
    return false;
  }
  IFileOperations* ops = doc.FileOperations();
  if (!ops || !ops->CopyFiles({source}, folder, std::string(LoadString(IDS_COPY_PICTURE_TITLE))))
    return false;
  settings.SetString("Pictures", "CopyToFolder", folder);
  return true;
}

}  // namespace kolvaro
