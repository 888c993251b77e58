// The main window: menus, the selection bar, the save prompt and the
// album's commands.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <algorithm>

#include "app/selectview.h"
#include "res/commands.h"
#include "testsupport/app_fixture.h"
#include "views/imagedescription.h"
#include "views/picturectrl.h"
#include "views/thumbnailgrid.h"

namespace kolvaro {
namespace {

QStringList MenuTitles(QMainWindow* w) {
  QStringList titles;
  for (QAction* a : w->menuBar()->actions()) titles << a->text();
  return titles;
}

TEST(MainFrameTest, CollaborationMenuIsAbsentFromTheStartWhileSwitchedOff) {
  test::AppFixture f;
  const std::string album = f.WriteAlbum("a.kvo");
  ASSERT_TRUE(f.app->InitInstance({}, "/usr/bin/kolvaro"));
  const QStringList before = MenuTitles(f.app->MainFrame());
  EXPECT_FALSE(before.contains(QStringLiteral("&Zusammenarbeit")));
  ASSERT_TRUE(f.app->OpenDocumentFile(album));
  EXPECT_EQ(MenuTitles(f.app->MainFrame()), before);
  // Switching collaboration on does not bring it back during the run.
  f.settings.SetInt("Settings", "Zusammenarbeit", 1);
  ASSERT_TRUE(f.app->OpenDocumentFile(album));
  EXPECT_EQ(MenuTitles(f.app->MainFrame()), before);
}

TEST(MainFrameTest, CollaborationMenuStaysWhileSwitchedOn) {
  test::AppFixture f;
  f.settings.SetInt("Settings", "Zusammenarbeit", 1);
  const std::string album = f.WriteAlbum("a.kvo");
  ASSERT_TRUE(f.app->InitInstance(ParseCommandLine({album}), "/usr/bin/kolvaro"));
  EXPECT_TRUE(MenuTitles(f.app->MainFrame()).contains(QStringLiteral("&Zusammenarbeit")));
  // Also the state update of its command leaves it alone.
  f.app->MainFrame()->UpdateCommandStates({f.app->MainFrame()->Action(ID_IMPORT_TRANSACTIONS)});
  QApplication::processEvents();
  EXPECT_TRUE(MenuTitles(f.app->MainFrame()).contains(QStringLiteral("&Zusammenarbeit")));
}

TEST(MainFrameTest, OnlyBuiltCommandsAreOnMenusAndToolbar) {
  test::AppFixture f;
  ASSERT_TRUE(f.app->InitInstance({}, "/usr/bin/kolvaro"));
  std::function<void(QMenu*)> check = [&](QMenu* menu) {
    for (QAction* a : menu->actions()) {
      if (a->menu()) check(a->menu());
      else if (!a->isSeparator()) {
        const int id = a->data().toInt();
        EXPECT_TRUE(CMainFrame::IsOffered(id) || (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + 4))
            << a->text().toStdString();
      }
    }
  };
  for (QAction* a : f.app->MainFrame()->menuBar()->actions()) check(a->menu());
  for (QAction* a : f.app->MainFrame()->ToolBar()->actions())
    if (!a->isSeparator()) {
      EXPECT_TRUE(CMainFrame::IsOffered(a->data().toInt()));
      EXPECT_FALSE(a->icon().isNull()) << a->text().toStdString();
      EXPECT_FALSE(a->toolTip().isEmpty());
    }
  EXPECT_EQ(f.app->MainFrame()->Action(ID_ADD_PICTURES)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+A")));
  EXPECT_EQ(f.app->MainFrame()->Action(ID_FILE_SAVE_AS)->shortcut(), QKeySequence(Qt::Key_F12));
}

TEST(SelectViewTest, ListsSortAngleEntriesFirstAndKeepTheChosenTheme) {
  test::AppFixture f;
  const std::string album = f.WriteAlbum("a.kvo", {"Zoe", "anna", "Bert"}, {"Urlaub", "Familie"});
  ASSERT_TRUE(f.app->InitInstance(ParseCommandLine({album}), "/usr/bin/kolvaro"));
  CSelectView* bar = f.app->MainFrame()->SelectView();
  QStringList persons;
  for (int i = 0; i < bar->PersonList()->count(); ++i) persons << bar->PersonList()->itemText(i);
  EXPECT_EQ(persons, (QStringList{QStringLiteral("<Alle>"), QStringLiteral("<ohne Person>"), QStringLiteral("anna"),
                                   QStringLiteral("Bert"), QStringLiteral("Zoe")}));
  EXPECT_EQ(bar->PersonList()->itemData(1).toInt(), -2);
  QStringList sort;
  for (int i = 0; i < bar->SortList()->count(); ++i) sort << bar->SortList()->itemText(i);
  EXPECT_EQ(sort, (QStringList{QStringLiteral("<keine>"), QStringLiteral("Dateiname"), QStringLiteral("Datum"),
                                QStringLiteral("Größe"), QStringLiteral("<Spezial ...>")}));
  EXPECT_EQ(bar->SortList()->currentIndex(), -1);

  bar->ThemeList()->SelectValue(2);  // "Familie"
  f.app->Document().AddOrUpdateTheme(3, "Arbeit");
  f.app->Document().UpdateAllViews(nullptr);
  EXPECT_EQ(bar->ThemeList()->currentText(), QStringLiteral("Familie"));
  f.app->Document().RemoveTheme(2);
  f.app->Document().UpdateAllViews(nullptr);
  EXPECT_EQ(bar->ThemeList()->currentIndex(), -1);
}

TEST(SelectViewTest, GoWithNothingChosenSelectsEverythingUnsorted) {
  test::AppFixture f;
  const std::string album = f.WriteAlbum("a.kvo", {}, {}, 5);
  ASSERT_TRUE(f.app->InitInstance(ParseCommandLine({album}), "/usr/bin/kolvaro"));
  CMeriskDoc& doc = f.app->Document();
  f.app->MainFrame()->SelectView()->GoButton()->click();
  EXPECT_EQ(doc.FilterTheme(), -1);
  EXPECT_EQ(doc.FilterPerson(), -1);
  EXPECT_EQ(doc.SelectionKind(), -1);
  EXPECT_EQ(doc.SelectedCount(), 5);
}

TEST(SelectViewTest, SearchFieldNarrowsAsTheUserTypesAndCtrlFFindsIt) {
  test::AppFixture f;
  const std::string album = f.WriteAlbum("a.kvo", {"Jürgen Müller"}, {"Straße"}, 12);
  ASSERT_TRUE(f.app->InitInstance(ParseCommandLine({album}), "/usr/bin/kolvaro"));
  CMeriskDoc& doc = f.app->Document();
  doc.AddOrUpdatePersonOnPicture(1, Rect{}, 3);
  doc.AddThemeToPicture(1, 4);
  CMainFrame* frame = f.app->MainFrame();
  CSelectView* bar = frame->SelectView();
  frame->show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
  QTest::keyClick(frame, Qt::Key_F, Qt::ControlModifier);
  EXPECT_TRUE(bar->SearchField()->hasFocus());

  const auto type = [&](const char* text) {
    bar->SearchField()->clear();
    QTest::keyClicks(bar->SearchField(), QString::fromUtf8(text));
    std::vector<std::int32_t> ids = doc.Selection();
    std::sort(ids.begin(), ids.end());  // the album's own order is no concern here
    return ids;
  };
  EXPECT_EQ(type("BILD1"), (std::vector<std::int32_t>{1, 10, 11, 12}));
  EXPECT_EQ(type("mueller"), std::vector<std::int32_t>{3});
  EXPECT_EQ(doc.SelectedCount(), 1);
  bar->ThemeList()->SelectValue(1);
  EXPECT_EQ(type("strasse bild"), std::vector<std::int32_t>{4});
  EXPECT_EQ(type("bild1"), std::vector<std::int32_t>{});
  bar->GoButton()->click();
  EXPECT_EQ(doc.FilterSearch(), "bild1");
  EXPECT_EQ(doc.FilterTheme(), 1);
}

TEST(MainFrameTest, OverviewTakesThePictureViewsPlaceAndCountsTheMarked) {
  test::AppFixture f;
  const std::string album = f.WriteAlbum("a.kvo", {}, {}, 5);
  ASSERT_TRUE(f.app->InitInstance(ParseCommandLine({album}), "/usr/bin/kolvaro"));
  CMainFrame* frame = f.app->MainFrame();
  frame->show();
  CThumbnailGrid* grid = frame->ThumbnailGrid();
  QAction* overview = frame->Action(ID_OVERVIEW);
  EXPECT_EQ(overview->shortcut(), QKeySequence(QStringLiteral("Ctrl+U")));
  overview->trigger();
  frame->UpdateCommandStates({overview});
  EXPECT_TRUE(grid->isVisible());
  EXPECT_FALSE(frame->DescriptionView()->isVisible());
  EXPECT_TRUE(overview->isChecked());
  QTest::keyClick(grid, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(frame->statusBar()->currentMessage(), QStringLiteral("5 von 5 Bildern markiert"));
  QTest::keyClick(grid, Qt::Key_Right);
  QTest::keyClick(grid, Qt::Key_Return);
  EXPECT_FALSE(grid->isVisible());
  EXPECT_TRUE(frame->DescriptionView()->isVisible());
  EXPECT_EQ(f.app->Document().CurrentPosition(), 1);
}

TEST(SavePromptTest, NewOpenAndCloseAskForAModifiedAlbum) {
  test::AppFixture f;
  const std::string album = f.WriteAlbum("a.kvo");
  const std::string other = f.WriteAlbum("b.kvo");
  ASSERT_TRUE(f.app->InitInstance(ParseCommandLine({album}), "/usr/bin/kolvaro"));
  CMeriskDoc& doc = f.app->Document();
  doc.AddOrUpdatePerson(1, "Neu");

  f.ui.answers = {Answer::Cancel};
  EXPECT_FALSE(f.app->OnFileNew());
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].text, "Änderungen in " + album + " speichern?");
  EXPECT_EQ(doc.GetPathName(), album);

  f.ui.answers = {Answer::Cancel};
  EXPECT_FALSE(f.app->OpenDocumentFile(other));
  EXPECT_EQ(doc.GetPathName(), album);

  f.ui.answers = {Answer::Cancel};
  QCloseEvent cancelled;
  QApplication::sendEvent(f.app->MainFrame(), &cancelled);
  EXPECT_FALSE(cancelled.isAccepted());

  // Yes saves first; the saved album has the new person.
  f.ui.answers = {Answer::Yes};
  EXPECT_TRUE(f.app->OpenDocumentFile(other));
  CMemorySettings s;
  CMeriskDoc check(s);
  ASSERT_TRUE(check.OnOpenDocument(album));
  EXPECT_EQ(check.Persons().GetName(1), "Neu");

  // No discards.
  doc.AddOrUpdatePerson(7, "Verworfen");
  f.ui.answers = {Answer::No};
  EXPECT_TRUE(f.app->OnFileNew());
  EXPECT_EQ(f.app->MainFrame()->windowTitle(), QStringLiteral("Leeres Kolvaroalbum[*] - Kolvaro-Album"));
  ASSERT_TRUE(check.OnOpenDocument(other));
  EXPECT_EQ(check.Persons().GetCount(), 0);
}

TEST(SavePromptTest, SavingANewAlbumAsksForItsName) {
  test::AppFixture f;
  ASSERT_TRUE(f.app->InitInstance({}, "/usr/bin/kolvaro"));
  f.app->Document().AddOrUpdateTheme(1, "Reise");
  const std::string target = f.Path("reise.kvo");
  f.ui.chosenSaveFile = target;
  f.ui.answers = {Answer::Yes};
  EXPECT_TRUE(f.app->OnFileNew());
  EXPECT_EQ(f.ui.messages.at(0).text, "Änderungen in Leeres Kolvaroalbum speichern?");
  CMemorySettings s;
  CMeriskDoc check(s);
  ASSERT_TRUE(check.OnOpenDocument(target));
  EXPECT_EQ(check.Themes().GetName(1), "Reise");
  EXPECT_EQ(f.settings.GetString("Recent File List", "File1", ""), target);
}

TEST(SavePromptTest, AnAlbumChangedOnDiskIsOverwrittenOnlyAfterAsking) {
  test::AppFixture f;
  const std::string album = f.WriteAlbum("a.kvo");
  const std::string copy = f.Path("kopie.kvo");
  ASSERT_TRUE(f.app->InitInstance(ParseCommandLine({album}), "/usr/bin/kolvaro"));
  f.ui.chosenSaveFile = copy;
  f.app->Document().AddOrUpdatePerson(1, "Hier");
  auto otherProgramSaves = [](const std::string& path) {
    CMemorySettings s;
    CMeriskDoc other(s);
    ASSERT_TRUE(other.OnOpenDocument(path));
    other.AddOrUpdateTheme(1, "Dort");
    ASSERT_TRUE(other.OnSaveDocument(path));
  };
  auto onDisk = [](const std::string& path) {
    CMemorySettings s;
    CMeriskDoc d(s);
    EXPECT_TRUE(d.OnOpenDocument(path));
    return d.Persons().GetName(1) + "|" + d.Themes().GetName(1);
  };
  otherProgramSaves(album);

  f.ui.answers = {Answer::Cancel};
  EXPECT_FALSE(f.app->OnFileSave());
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_TRUE(f.ui.messages[0].text.starts_with(album + " wurde seit dem Öffnen"));
  EXPECT_EQ(f.ui.messages[0].kind, UserMessage::Kind::YesNoCancel);
  EXPECT_EQ(onDisk(album), "|Dort");

  f.ui.answers = {Answer::No};  // under another name
  EXPECT_TRUE(f.app->OnFileSave());
  EXPECT_EQ(onDisk(album), "|Dort");
  EXPECT_EQ(onDisk(copy), "Hier|");

  otherProgramSaves(copy);
  f.ui.answers = {Answer::Yes};  // overwrite
  EXPECT_TRUE(f.app->OnFileSave());
  EXPECT_EQ(onDisk(copy), "Hier|");
  EXPECT_EQ(f.ui.messages.size(), 3u);
  EXPECT_TRUE(f.app->OnFileSave());
  EXPECT_EQ(f.ui.messages.size(), 3u) << "no question while nobody else saved";

  // A command of kolvaro-cli holds the album longer than the program waits.
  ::setenv("KOLVARO_LOCK_TIMEOUT_MS", "50", 1);
  const int held = ::open(copy.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  f.app->Document().AddOrUpdatePerson(2, "Später");
  EXPECT_FALSE(f.app->OnFileSave());
  ::close(held);
  ::unsetenv("KOLVARO_LOCK_TIMEOUT_MS");
  EXPECT_EQ(f.ui.messages.back().text, copy + " wird gerade von einem anderen Programm "
                                               "bearbeitet. Bitte später noch einmal speichern.");
  EXPECT_EQ(onDisk(copy), "Hier|");
}

TEST(DocumentCommandsTest, AddPicturesAndFolderThroughTheMenuCommands) {
  test::AppFixture f;
  ASSERT_TRUE(f.app->InitInstance({}, "/usr/bin/kolvaro"));
  const std::string a = f.WriteJpeg("a.jpg");
  const std::string b = f.WriteJpeg("b.JPG");
  f.ui.chosenFiles = {a, a};
  f.app->MainFrame()->RouteCommand(ID_ADD_PICTURES);
  CMeriskDoc& doc = f.app->Document();
  EXPECT_EQ(doc.Pictures().GetCount(), 1);
  ASSERT_EQ(f.ui.messages.size(), 2u);  // the duplicate, then the count
  EXPECT_EQ(f.ui.messages[1].text, "1 Dateien hinzugefügt.");
  EXPECT_TRUE(f.ui.openDialogs.at(0).multiple);

  f.ui.chosenFolder = f.dir.path().toStdString();
  f.app->MainFrame()->RouteCommand(ID_ADD_FOLDER);
  EXPECT_EQ(doc.Pictures().GetCount(), 2);
  EXPECT_EQ(f.ui.folderTitles.back(), "Bitte Verzeichnis auswählen");
  EXPECT_TRUE(f.app->MainFrame()->isWindowModified() || doc.IsModified());
  (void)b;
}

TEST(MainFrameTest, TitleAsteriskFollowsTheModifiedFlagAtOnce) {
  test::AppFixture f;
  ASSERT_TRUE(f.app->InitInstance({}, "/usr/bin/kolvaro"));
  CMeriskDoc& doc = f.app->Document();
  doc.AddOrUpdatePerson(1, "Anna");
  EXPECT_TRUE(f.app->MainFrame()->isWindowModified());
  doc.SetModifiedFlag(false);
  EXPECT_FALSE(f.app->MainFrame()->isWindowModified());
}

TEST(DocumentCommandsTest, OpenInGraphicsProgramNeedsACurrentPicture) {
  test::AppFixture f;
  const std::string album = f.WriteAlbum("a.kvo", {}, {}, 2);
  ASSERT_TRUE(f.app->InitInstance({}, "/usr/bin/kolvaro"));
  QAction* paint = f.app->MainFrame()->Action(ID_OPEN_IN_GRAPHICS);
  f.app->MainFrame()->UpdateVisibleStates();
  EXPECT_FALSE(paint->isEnabled());
  f.app->MainFrame()->RouteCommand(ID_OPEN_IN_GRAPHICS);
  EXPECT_TRUE(f.files.opened.empty());
  ASSERT_TRUE(f.app->OpenDocumentFile(album));
  EXPECT_TRUE(paint->isEnabled());
  f.app->MainFrame()->RouteCommand(ID_OPEN_IN_GRAPHICS);
  ASSERT_EQ(f.files.opened.size(), 1u);
}

TEST(MainFrameTest, AcceleratorsFollowTheCommandStates) {
  test::AppFixture f;
  const std::string album = f.WriteAlbum("a.kvo", {}, {}, 2);
  f.WriteJpeg("bild1.jpg");
  f.WriteJpeg("bild2.jpg");
  ASSERT_TRUE(f.app->InitInstance(ParseCommandLine({album}), "/usr/bin/kolvaro"));
  CMainFrame* frame = f.app->MainFrame();
  frame->show();
  QApplication::setActiveWindow(frame);
  CPictureCtrl* picture = frame->DescriptionView()->PictureCtrl();
  // Esc is disabled until marking starts (as its menu shows when opened);
  // it must still work once marking has started.
  frame->UpdateCommandStates({frame->Action(ID_CANCEL_ADD_PERSON)});
  EXPECT_FALSE(frame->Action(ID_CANCEL_ADD_PERSON)->isEnabled());
  QTest::keyClick(frame, Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
  EXPECT_EQ(picture->m_nMode, 1);
  EXPECT_TRUE(frame->Action(ID_ADD_PERSON)->isChecked());
  QTest::keyClick(frame, Qt::Key_Escape);
  EXPECT_EQ(picture->m_nMode, 0);
  QTest::keyClick(frame, Qt::Key_Plus, Qt::ControlModifier);
  EXPECT_EQ(picture->m_nMode, 1);
  QTest::keyClick(frame, Qt::Key_Escape);
  EXPECT_EQ(picture->m_nMode, 0);
  QTest::keyClick(frame, Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(f.app->Document().CurrentPosition(), 1);
}

}  // namespace
}  // namespace kolvaro
