// "Kameradaten übernehmen" and the import it starts on a worker thread.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QThread>
#include <filesystem>

#include "core/filetransfer.h"
#include "core/meriskdoc.h"
#include "maintenance/dialogs/cameraimportdlg.h"
#include "testsupport/fakes.h"
#include "testsupport/files.h"
#include "testsupport/qt.h"

namespace kolvaro {
namespace {

namespace fs = std::filesystem;

QStringList Items(const QComboBox* combo) {
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  return items;
}

TEST(CameraImportDlg, OffersTheRememberedFolderTheThemesAndANewOne) {
  test::TempDir card;
  CMemorySettings settings;
  settings.SetString("Settings", "Camera Folder", "/karte/");
  CMeriskDoc doc(settings);
  doc.OnNewDocument();
  doc.AddOrUpdateTheme(1, "Zoo");
  doc.AddOrUpdateTheme(2, "Arzt");
  test::FakeUserQuestions ui;
  CCameraImportDlg dlg(doc, ui);
  auto* combo = dlg.findChild<QComboBox*>(QStringLiteral("themeCombo"));
  EXPECT_EQ(dlg.SourceFolder(), QStringLiteral("/karte/"));
  EXPECT_FALSE(dlg.Move());
  EXPECT_EQ(Items(combo), (QStringList{QStringLiteral("<kein Thema>"), QStringLiteral("Arzt"), QStringLiteral("Zoo")}));
  EXPECT_EQ(dlg.ThemeId(), 0);

  // The chooser starts in the folder without its '/' and gives one back.
  QString started;
  dlg.SetChooseFolder([&](QWidget*, const QString& start) {
    started = start;
    return QString::fromStdString(card.Path().string());
  });
  dlg.OnBrowse();
  EXPECT_EQ(started, QStringLiteral("/karte"));
  EXPECT_EQ(dlg.SourceFolder().toStdString(), card.Folder());

  dlg.SetAskText([](const TextRequest&) { return std::optional<std::string>("Berg"); });
  dlg.OnNewTheme();
  EXPECT_EQ(combo->currentText(), QStringLiteral("Berg"));
  EXPECT_EQ(combo->currentIndex(), 2);
  EXPECT_EQ(doc.Themes().GetName(dlg.ThemeId()), "Berg");

  // OK takes only a folder that exists, and remembers it.
  dlg.findChild<QLineEdit*>(QStringLiteral("sourceEdit"))->setText(QStringLiteral("/gibt/es/nicht"));
  dlg.accept();
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "/gibt/es/nicht ist kein Verzeichnis.");
  EXPECT_EQ(settings.GetString("Settings", "Camera Folder", ""), "/karte/");
  dlg.findChild<QLineEdit*>(QStringLiteral("sourceEdit"))->setText(QString::fromStdString(card.Folder()));
  dlg.accept();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(settings.GetString("Settings", "Camera Folder", ""), card.Folder());
}

// The transfers run off the interface thread; the album changes on it.
class ThreadRecordingOperations : public test::FakeFileOperations {
 public:
  TransferResult TransferFile(const std::string& source, const std::string& folder, bool move,
                              const TransferHooks& hooks) override {
    if (QThread::currentThread() == qApp->thread()) ++onInterfaceThread;
    return TransferFileSafely(source, folder, move, hooks);
  }
  std::atomic<int> onInterfaceThread = 0;
};

TEST(CameraImportDlg, MovesTheCardOnAWorkerAndAddsThePicturesWithTheTheme) {
  test::TempDir card, album;
  fs::create_directories(card.Path() / "DCIM" / "100CANON");
  for (const char* name : {"DCIM/100CANON/a.jpg", "DCIM/100CANON/b.JPG"})
    test::WriteFile(card / name, "\xFF\xD8\xFF\xD9");
  CMemorySettings settings;
  CMeriskDoc doc(settings);
  doc.OnNewDocument();
  doc.SetAlbumFolder(album.Folder());
  doc.AddOrUpdateTheme(4, "Urlaub");
  ASSERT_TRUE(doc.OnSaveDocument(album / "Album.kvo"));
  ThreadRecordingOperations ops;
  doc.SetFileOperations(&ops);
  test::CountingView view;
  doc.AddView(&view);
  test::FakeUserQuestions ui;
  test::OnNextModal([](QWidget* w) { static_cast<QDialog*>(w)->accept(); });

  const std::optional<int> added = OnCameraImport(doc, ui, nullptr, [&](CCameraImportDlg& dlg) {
    dlg.findChild<QLineEdit*>(QStringLiteral("sourceEdit"))->setText(QString::fromStdString(card.Path().string()));
    dlg.findChild<QRadioButton*>(QStringLiteral("moveButton"))->setChecked(true);
    auto* combo = dlg.findChild<QComboBox*>(QStringLiteral("themeCombo"));
    combo->setCurrentIndex(combo->findText(QStringLiteral("Urlaub")));
  });

  EXPECT_EQ(added, 2);
  EXPECT_EQ(ops.onInterfaceThread, 0);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(fs::exists(album / "a.jpg") && fs::exists(album / "b.JPG"));
  EXPECT_FALSE(fs::exists(card / "DCIM/100CANON/a.jpg"));
  EXPECT_FALSE(doc.IsModified()) << "saved before the card's files went";
  EXPECT_EQ(doc.Pictures().GetCount(), 2);
  EXPECT_TRUE(doc.ThemesOfPictures().Lookup(4, 1) && doc.ThemesOfPictures().Lookup(4, 2));
  EXPECT_EQ(view.updates, 1);
  doc.RemoveView(&view);
}

}  // namespace
}  // namespace kolvaro
