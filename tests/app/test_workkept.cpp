// The desktop program keeps what the user typed and says what happened:
// headlines stored on every way out of the field, the picture accelerators
// in every field, a new album's folder, the status after adding and
// replaying, and the wait cursor gone before a question.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <functional>

#include "app/selectview.h"
#include "app/startup.h"
#include "app/waitfreequestions.h"
#include "collab/transactionfile.h"
#include "collab/transactionimport.h"
#include "maintenance/addpictures.h"
#include "res/commands.h"
#include "testsupport/app_fixture.h"
#include "testsupport/files.h"
#include "testsupport/qt.h"
#include "views/imagedescription.h"
#include "views/thumbnailstrip.h"

namespace kolvaro {
namespace {

struct Started {
  test::AppFixture f;
  std::string album;
  CMainFrame* frame = nullptr;
  CImageDescription* view = nullptr;

  explicit Started(int pictures = 2) {
    album = f.WriteAlbum("a.kvo", {}, {}, pictures);
    for (int i = 1; i <= pictures; ++i) f.WriteJpeg("bild" + std::to_string(i) + ".jpg");
    EXPECT_TRUE(f.app->InitInstance(ParseCommandLine({album}), "/usr/bin/kolvaro"));
    frame = f.app->MainFrame();
    view = frame->DescriptionView();
  }
  QPlainTextEdit* Headline() const { return view->findChild<QPlainTextEdit*>(QStringLiteral("editHeadline")); }
  QLineEdit* Date() const { return view->findChild<QLineEdit*>(QStringLiteral("editDate")); }
  void TypeHeadline(const QString& text) const {
    Headline()->selectAll();
    Headline()->insertPlainText(text);
  }
  std::string StoredTitle(std::int32_t picture) const {
    CMemorySettings s;
    CMeriskDoc check(s);
    EXPECT_TRUE(check.OnOpenDocument(album));
    PictureEntry e;
    return check.Pictures().Lookup(picture, e) ? e.title : "?";
  }
};

TEST(WorkKeptTest, ATypedHeadlineIsStoredOnEveryWayOutOfTheField) {
  const std::vector<std::pair<const char*, std::function<void(Started&)>>> ways = {
      {"Speichern", [](Started& s) { s.frame->RouteCommand(ID_FILE_SAVE); }},
      {"Schließen",
       [](Started& s) {
         QCloseEvent close;
         QApplication::sendEvent(s.frame, &close);
         EXPECT_TRUE(close.isAccepted());
       }},
      {"Neu", [](Started& s) { s.frame->RouteCommand(ID_FILE_NEW); }},
      {"Öffnen", [](Started& s) { s.f.app->OpenDocumentFile(s.f.WriteAlbum("b.kvo")); }},
      {"Zuletzt benutzt", [](Started& s) { s.frame->RouteCommand(ID_FILE_MRU_FILE1 + 1); }},
  };
  for (const auto& [name, leave] : ways) {
    Started s;
    s.f.settings.SetString("Recent File List", "File2", s.f.WriteAlbum("c.kvo"));
    s.f.app->RecentFiles().ReadList();
    s.f.ui.answers = {Answer::Yes};  // the save question, where there is one
    const std::int32_t shown = s.view->ShownPicture();
    s.TypeHeadline(QStringLiteral("Am Meer"));
    leave(s);
    EXPECT_EQ(s.StoredTitle(shown), "Am Meer") << name;
  }
  // A replay works on the album with the headline already in it.
  Started s;
  s.TypeHeadline(QStringLiteral("Abend"));
  s.frame->RouteCommand(ID_IMPORT_TRANSACTIONS);  // the file dialog is cancelled
  PictureEntry e;
  ASSERT_TRUE(s.f.app->Document().Pictures().Lookup(s.view->ShownPicture(), e));
  EXPECT_EQ(e.title, "Abend");
  EXPECT_TRUE(s.f.app->Document().IsModified());
}

TEST(WorkKeptTest, ADateThatIsNoDateKeepsTheWindowOpen) {
  Started s;
  s.Date()->setReadOnly(false);
  s.Date()->selectAll();
  s.Date()->insert(QStringLiteral("gestern"));
  QCloseEvent close;
  QApplication::sendEvent(s.frame, &close);
  EXPECT_FALSE(close.isAccepted());
  ASSERT_EQ(s.f.ui.messages.size(), 1u);  // no save question after it
  EXPECT_EQ(s.f.ui.messages[0].text, "Geben Sie ein Datum und/oder eine Uhrzeit ein.");
}

TEST(WorkKeptTest, F6GoesRoundTheSelectionBarThePictureViewAndTheStripWhileItIsShown) {
  Started s(3);
  s.frame->show();
  QApplication::setActiveWindow(s.frame);
  auto* strip = s.frame->findChild<CThumbnailStrip*>();
  ASSERT_NE(strip, nullptr);
  const auto inSelectionBar = [&] { return s.frame->SelectView()->isAncestorOf(QApplication::focusWidget()); };
  QTest::keyClick(s.frame, Qt::Key_F6);
  EXPECT_EQ(QApplication::focusWidget(), s.Headline());
  QTest::keyClick(s.frame, Qt::Key_F6);
  EXPECT_EQ(QApplication::focusWidget(), strip);
  QTest::keyClick(s.frame, Qt::Key_F6);
  EXPECT_TRUE(inSelectionBar());
  QTest::keyClick(s.frame, Qt::Key_F6, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), strip);
  s.frame->RouteCommand(ID_THUMBNAIL_STRIP);  // hidden: two panes again
  QTest::keyClick(s.frame, Qt::Key_F6);
  QWidget* const first = QApplication::focusWidget();
  QTest::keyClick(s.frame, Qt::Key_F6);
  QTest::keyClick(s.frame, Qt::Key_F6);
  EXPECT_EQ(QApplication::focusWidget(), first);
  EXPECT_NE(first, strip);
}

TEST(WorkKeptTest, CtrlArrowsStepThroughThePicturesFromEveryField) {
  Started s(3);
  s.frame->show();
  QApplication::setActiveWindow(s.frame);
  // F6 goes to the picture view's first field, past the picture.
  QTest::keyClick(s.frame, Qt::Key_F6);
  EXPECT_EQ(QApplication::focusWidget(), s.Headline());
  CMeriskDoc& doc = s.f.app->Document();
  int expected = doc.CurrentPosition();
  for (const char* name : {"editHeadline", "editFileName", "editDate", "editSize"}) {
    QWidget* field = s.view->findChild<QWidget*>(QString::fromLatin1(name));
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Right, Qt::ControlModifier);
    expected = (expected + 1) % 3;
    EXPECT_EQ(doc.CurrentPosition(), expected) << name;
    QTest::keyClick(field, Qt::Key_Left, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(doc.CurrentPosition(), expected) << name;
  }
  // The headline typed before the step goes with its picture.
  const std::int32_t typedOn = s.view->ShownPicture();
  s.Headline()->setFocus();
  s.TypeHeadline(QStringLiteral("Hafen"));
  QTest::keyClick(s.Headline(), Qt::Key_Right, Qt::ControlModifier);
  PictureEntry e;
  ASSERT_TRUE(doc.Pictures().Lookup(typedOn, e));
  EXPECT_EQ(e.title, "Hafen");
  EXPECT_NE(s.view->ShownPicture(), typedOn);
}

TEST(WorkKeptTest, TypingGoesOnWhereItWasAfterCtrlS) {
  Started s;
  s.frame->show();
  QApplication::setActiveWindow(s.frame);
  const std::int32_t shown = s.view->ShownPicture();
  s.Headline()->setFocus();
  s.Headline()->selectAll();
  QTest::keyClicks(s.Headline(), QStringLiteral("Strandtag"));
  QTest::keyClick(s.Headline(), Qt::Key_S, Qt::ControlModifier);
  ASSERT_FALSE(s.f.app->Document().IsModified());
  QTest::keyClicks(s.Headline(), QStringLiteral(" zwei"));
  EXPECT_EQ(s.Headline()->toPlainText(), QStringLiteral("Strandtag zwei"));
  s.frame->RouteCommand(ID_FILE_SAVE);
  EXPECT_EQ(s.StoredTitle(shown), "Strandtag zwei");
}

TEST(WorkKeptTest, ANewAlbumWithoutItsRootFolderIsBasedInTheHomeFolder) {
  test::AppFixture f;
  f.settings.SetString("Pictures", "RootFolder", "/gibt/es/nicht/");
  ASSERT_TRUE(f.app->InitInstance({}, "/usr/bin/kolvaro"));
  EXPECT_EQ(f.app->Document().AlbumFolder(), QDir::homePath().toStdString() + "/");
  // The setting stays: the folder may be a disk that is not plugged in.
  EXPECT_EQ(f.settings.GetString("Pictures", "RootFolder", ""), "/gibt/es/nicht/");
}

TEST(WorkKeptTest, SaveAsShowsTheNewStoredNamesAtOnce) {
  test::AppFixture f;
  f.settings.SetInt("Settings", "RelativePath", 1);
  ASSERT_TRUE(QDir(f.dir.path()).mkpath(QStringLiteral("reise")));
  f.settings.SetString("Pictures", "RootFolder", f.dir.path().toStdString() + "/");
  ASSERT_TRUE(f.app->InitInstance({}, "/usr/bin/kolvaro"));
  CMeriskDoc& doc = f.app->Document();
  AddPictureFiles(doc, f.ui, {f.WriteJpeg("reise/a.jpg")});
  doc.SelectPictures(-1, -1, -1);
  auto* name = f.app->MainFrame()->DescriptionView()->findChild<QLineEdit*>(QStringLiteral("editFileName"));
  EXPECT_EQ(name->text(), QStringLiteral("reise/a.jpg"));  // stored with a backslash
  f.ui.chosenSaveFile = f.Path("reise/album.kvo");
  ASSERT_TRUE(f.app->OnFileSaveAs());
  EXPECT_EQ(name->text(), QStringLiteral("a.jpg"));
}

TEST(WorkKeptTest, TheStatusBarSaysWhatAddingAndReplayingDid) {
  test::AppFixture f;
  ASSERT_TRUE(f.app->InitInstance({}, "/usr/bin/kolvaro"));
  QStatusBar* status = f.app->MainFrame()->statusBar();
  f.ui.chosenFiles = {f.WriteJpeg("a.jpg"), f.WriteJpeg("b.jpg")};
  f.app->MainFrame()->RouteCommand(ID_ADD_PICTURES);
  EXPECT_EQ(status->currentMessage(), QStringLiteral("Hinzugefügte Bilder: 2. „Los!“ zeigt sie an."));
  f.ui.chosenFolder = f.dir.path().toStdString();
  f.app->MainFrame()->RouteCommand(ID_ADD_FOLDER);  // both are in the album already
  EXPECT_EQ(status->currentMessage(), QStringLiteral("Hinzugefügte Bilder: 0. „Los!“ zeigt sie an."));
  f.ui.chosenFiles = {f.WriteAlbum("kein-protokoll.xml")};
  f.app->MainFrame()->RouteCommand(ID_IMPORT_TRANSACTIONS);
  EXPECT_EQ(status->currentMessage(), QStringLiteral("Eingespielte Änderungen: 0."));
}

TEST(WorkKeptTest, SyncTakesTheFolderSavesTheAlbumAndShowsWhatItDid) {
  test::AppFixture f;
  const std::string album = f.WriteAlbum("a.kvo", {"Anna"}, {"Urlaub"}, 2);
  const std::string logs = f.Path("logs");
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(logs)));
  f.settings.SetInt("Settings", "Zusammenarbeit", 1);
  f.settings.SetString("Settings", "TransactionFolder", logs);
  CTransactionText other;
  other.WriteTheme(1, "Sommer");
  other.WritePicture(2, "bild2.jpg", COleDateTime::FromCalendar(2020, 1, 2, 12, 0, 0), 1002, "Strand");
  test::WriteFile(logs + "/mrklog2026-01-01-10-00-00.xml", other.Bytes());
  ASSERT_TRUE(f.app->InitInstance(ParseCommandLine({album}), "/usr/bin/kolvaro"));

  f.app->MainFrame()->RouteCommand(ID_SYNC_TRANSACTIONS);
  CMemorySettings s;
  CMeriskDoc saved(s);
  ASSERT_TRUE(saved.OnOpenDocument(album));
  EXPECT_EQ(saved.Themes().GetName(1), "Sommer");
  ASSERT_FALSE(f.ui.messages.empty());
  EXPECT_NE(f.ui.messages.back().text.find("mrklog2026-01-01-10-00-00.xml (geschrieben 2026-01-01-10-00-00): "
                                           "2 Änderungen, 2 übernommen"),
            std::string::npos)
      << f.ui.messages.back().text;
  f.app->MainFrame()->RouteCommand(ID_SYNC_TRANSACTIONS);
  EXPECT_TRUE(f.ui.messages.back().text.starts_with("0 Änderungen übernommen")) << f.ui.messages.back().text;

  // Another program's save is never overwritten by a sync.
  test::WriteFile(logs + "/mrklog2026-01-01-10-00-01.xml", other.Bytes());
  CMemorySettings s2;
  CMeriskDoc elsewhere(s2);
  ASSERT_TRUE(elsewhere.OnOpenDocument(album));
  elsewhere.AddOrUpdateTheme(2, "Anderswo");
  ASSERT_TRUE(elsewhere.OnSaveDocument(album));
  const std::string before = test::ReadFile(album);
  f.app->MainFrame()->RouteCommand(ID_SYNC_TRANSACTIONS);
  EXPECT_EQ(test::ReadFile(album), before);
  EXPECT_EQ(f.ui.messages.back().kind, UserMessage::Kind::Warning);
}

TEST(WorkKeptTest, OtherEditorsNewsAreOfferedInANoteOrTakenAtOnce) {
  test::AppFixture f;
  const std::string album = f.WriteAlbum("a.kvo", {}, {}, 2);
  const std::string logs = f.Path("logs");
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(logs)));
  f.settings.SetInt("Settings", "Zusammenarbeit", 1);
  f.settings.SetString("Settings", "TransactionFolder", logs);
  auto put = [&](int n, const char* theme) {
    CTransactionText other;
    other.WriteTheme(n, theme);
    test::WriteFile(logs + "/mrklog2026-01-01-10-00-0" + std::to_string(n) + ".xml", other.Bytes());
  };
  auto themes = [&] {
    CMemorySettings s;
    CMeriskDoc saved(s);
    EXPECT_TRUE(saved.OnOpenDocument(album));
    return saved.Themes().GetCount();
  };
  put(1, "Sommer");
  ASSERT_TRUE(f.app->InitInstance(ParseCommandLine({album}), "/usr/bin/kolvaro"));
  CMainFrame* frame = f.app->MainFrame();
  auto* note = frame->findChild<QWidget*>(QStringLiteral("syncNote"));
  ASSERT_NE(note, nullptr);
  EXPECT_FALSE(note->isHidden()) << "looked at the start";
  frame->findChild<QPushButton*>(QStringLiteral("syncNoteLater"))->click();
  frame->LookForNews();
  EXPECT_TRUE(note->isHidden()) << "put off until something new comes";
  put(2, "Winter");
  frame->LookForNews();
  ASSERT_FALSE(note->isHidden());
  EXPECT_NE(note->findChild<QLabel*>()->text().indexOf(QStringLiteral("Dateien: 2")), -1);
  const std::size_t shown = f.ui.messages.size();
  frame->findChild<QPushButton*>(QStringLiteral("syncNoteApply"))->click();
  EXPECT_EQ(themes(), 2);
  EXPECT_TRUE(note->isHidden());
  EXPECT_EQ(f.ui.messages.size(), shown + 1) << "asked for: the summary is shown";

  frame->RouteCommand(ID_SYNC_AT_ONCE);
  if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus();
  put(3, "Herbst");
  frame->LookForNews();
  EXPECT_EQ(themes(), 3);
  EXPECT_TRUE(note->isHidden());
  EXPECT_EQ(f.ui.messages.size(), shown + 1) << "taken at once: only the status bar says so";
  EXPECT_EQ(frame->statusBar()->currentMessage(), QStringLiteral("Eingespielte Änderungen: 1."));
}

TEST(WorkKeptTest, AConflictsLosingValueIsTakenWithOneClick) {
  test::AppFixture f;
  const std::string album = f.WriteAlbum("a.kvo", {}, {"Urlaub"}, 1);
  const std::string logs = f.Path("logs");
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(logs)));
  f.settings.SetInt("Settings", "Zusammenarbeit", 1);
  f.settings.SetString("Settings", "TransactionFolder", logs);
  CMeriskDoc& doc = f.app->Document();
  doc.SetTransactionLogFactory(MakeTransactionFileFactory());
  ASSERT_TRUE(f.app->InitInstance(ParseCommandLine({album}), "/usr/bin/kolvaro"));
  doc.AddOrUpdateTheme(1, "Mein");
  f.app->MainFrame()->RouteCommand(ID_FILE_SAVE);
  // Begun before this copy's change: it loses.
  CTransactionText other;
  other.WriteTheme(1, "Dein");
  test::WriteFile(logs + "/mrklog2026-01-01-10-00-00.xml", other.Bytes());

  int rows = 0;
  test::OnNextModal([&](QWidget* dlg) {
    rows = dlg->findChild<QListWidget*>(QStringLiteral("conflictList"))->count();
    dlg->findChild<QPushButton*>(QStringLiteral("takeLoser"))->click();
    static_cast<QDialog*>(dlg)->reject();
  });
  f.app->MainFrame()->RouteCommand(ID_SYNC_TRANSACTIONS);
  EXPECT_EQ(rows, 1) << (f.ui.messages.empty() ? "" : f.ui.messages.back().text);
  EXPECT_EQ(doc.Themes().GetName(1), "Dein");
  EXPECT_TRUE(doc.IsModified()) << "a change of this copy, saved as any other";
}

TEST(WorkKeptTest, SizeAndSplitterComeBackAtTheNextStart) {
  test::AppFixture first;
  ASSERT_TRUE(first.app->InitInstance({}, "/usr/bin/kolvaro"));
  CMainFrame* frame = first.app->MainFrame();
  frame->resize(900, 500);
  auto* splitter = frame->findChild<QSplitter*>(QStringLiteral("splitter"));
  splitter->setSizes({90, 300});
  const QList<int> sizes = splitter->sizes();
  QCloseEvent close;
  QApplication::sendEvent(frame, &close);
  ASSERT_TRUE(close.isAccepted());

  test::AppFixture next;
  for (const char* value : {"MainWindow", "Splitter"})
    next.settings.SetString("Layout", value, first.settings.GetString("Layout", value, ""));
  ASSERT_TRUE(next.app->InitInstance({}, "/usr/bin/kolvaro"));
  EXPECT_EQ(next.app->MainFrame()->size(), QSize(900, 500));
  EXPECT_EQ(next.app->MainFrame()->findChild<QSplitter*>(QStringLiteral("splitter"))->sizes(), sizes);
}

// Remembers how deep the wait cursor was when each message appeared.
class WaitWatchingQuestions : public test::ScriptedQuestions {
 public:
  Answer Show(const UserMessage& message) override {
    depthAtMessage.push_back(waitDepth);
    return test::ScriptedQuestions::Show(message);
  }
  std::vector<int> depthAtMessage;
};

TEST(WorkKeptTest, TheWaitCursorEndsBeforeTheReplaysMessage) {
  test::AppFixture f;
  CMeriskDoc& doc = f.app->Document();
  doc.OnNewDocument();
  WaitWatchingQuestions inner;
  {
    CWaitFreeQuestions ui(inner);
    const auto outcome = ImportTransactionFile(doc, f.WriteAlbum("kaputt.xml"), &ui);
    EXPECT_EQ(outcome.result, TransactionImportResult::Damaged);
  }
  ASSERT_EQ(inner.messages.size(), 1u);
  EXPECT_EQ(inner.depthAtMessage, std::vector<int>{0});
  EXPECT_EQ(inner.waitCursors, 1);
  EXPECT_EQ(inner.waitDepth, 0);
}

}  // namespace
}  // namespace kolvaro
