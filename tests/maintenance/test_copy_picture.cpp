// Copying the shown picture's file into a chosen folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/meriskdoc.h"
#include "maintenance/copypicture.h"
#include "res/strings.h"
#include "testsupport/fakes.h"
#include "testsupport/files.h"

namespace kolvaro {
namespace {

class CopyRecorder : public test::FakeFileOperations {
 public:
  bool CopyFiles(const std::vector<std::string>& sources, const std::string& folder,
                 const std::string& title) override {
    copies.push_back(sources.front() + " -> " + folder + " | " + title);
    return succeed;
  }
  std::vector<std::string> copies;
  bool succeed = true;
};

TEST(CopyPictureTest, CopiesOnlyARegularFileAndRemembersTheFolderAfterSuccess) {
  test::TempDir dir;
  const std::string folder = dir.Folder();  // ends in '/'
  test::WriteFile(folder + "a.jpg", "\xFF\xD8\xFF\xD9");
  std::filesystem::create_directory(folder + "stick");
  std::filesystem::create_symlink(folder + "a.jpg", folder + "link.jpg");
  std::filesystem::create_symlink(folder + "fehlt.jpg", folder + "ins-leere.jpg");
  struct Case {
    const char* picture;  // in the temporary folder; null: no current picture
    const char* chosen;   // relative to it
    bool copySucceeds;
    bool copied;
    const char* message;  // start of the message shown, if any
  };
  const std::string notAccessible =
      FormatMessage(LoadString(IDS_FILE_NOT_ACCESSIBLE), {folder + "ins-leere.jpg"});
  const Case cases[] = {
      {"a.jpg", "stick", true, true, nullptr},
      {"a.jpg", "stick/", false, false, nullptr},
      {"a.jpg", "", true, false, "Die Datei"},     // its own folder
      {"link.jpg", "stick", true, true, nullptr},  // copied by its content
      {"ins-leere.jpg", "stick", true, false, notAccessible.c_str()},
      {nullptr, "stick", true, false, "Auf die Datei  kann"},
  };
  for (const Case& c : cases) {
    CMemorySettings settings;
    CMeriskDoc doc(settings);
    doc.OnNewDocument();
    CopyRecorder ops;
    ops.succeed = c.copySucceeds;
    doc.SetFileOperations(&ops);
    if (c.picture)
      doc.SetCurrentIndex(
          doc.SetExplicitSelection({doc.AddPicture(folder + c.picture, COleDateTime(), 4, "")}));
    settings.SetString("Pictures", "CopyToFolder", "/vorher/");
    test::FakeUserQuestions ui;
    ui.chosenFolder = folder + c.chosen;

    EXPECT_EQ(OnCopyPicture(doc, ui), c.copied) << c.picture << " " << c.chosen;
    EXPECT_EQ(ops.copies.size(), c.message ? 0u : 1u);
    if (!ops.copies.empty()) {
      EXPECT_EQ(ops.copies[0], folder + c.picture + " -> " + folder + "stick/ | Bild kopieren ...");
    }
    EXPECT_EQ(settings.GetString("Pictures", "CopyToFolder", ""),
              c.copied ? folder + "stick/" : "/vorher/");
    ASSERT_EQ(ui.messages.size(), c.message ? 1u : 0u)
        << (ui.messages.empty() ? "" : ui.messages[0].text);
    if (!c.message) continue;
    EXPECT_EQ(ui.messages[0].text.rfind(c.message, 0), 0u) << ui.messages[0].text;
    // Message 1055 comes with OK and Help.
    EXPECT_EQ(ui.messages[0].help == HelpButton::Shown, ui.messages[0].text.starts_with("Auf"));
  }
}

}  // namespace
}  // namespace kolvaro
