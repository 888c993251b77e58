// Message boxes, the open-file dialog's filters and the wait cursor.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "qt/widgets/qtuserquestions.h"
#include "res/strings.h"
#include "testsupport/qt.h"

namespace kolvaro {
namespace {

using test::OnNextModal;

TEST(FileFilter, ConvertsPairsWithoutRepeatingPatterns) {
  const auto filters = [](std::string_view f) { return ConvertFileFilter(f).join(u'|'); };
  EXPECT_EQ(filters("Kolvaro-Album Dateien (*.kvo)|*.kvo||"), u"Kolvaro-Album Dateien (*.kvo)");
  EXPECT_EQ(filters("Jpeg-Bilder|*.jpg|Alle Bilder (jpg, gif, bmp, tif, avi)|*.jpg;*.gif;*.tif;*.avi;*.bmp|"
                    "Alle Dateien (*.*)|*.*||"),
            u"Jpeg-Bilder (*.jpg)|Alle Bilder (jpg, gif, bmp, tif, avi) (*.jpg *.gif *.tif *.avi *.bmp)"
            u"|Alle Dateien (*)");
  EXPECT_EQ(filters("Textdateien (*.txt;*.text)|*.txt; *.text|Alle Dateien|*.*"),
            u"Textdateien (*.txt *.text)|Alle Dateien (*)");
  // An empty pattern ends the list; a blank one only drops its entry.
  EXPECT_EQ(filters("Ohne||Bilder|*.jpg||"), u"");
  EXPECT_EQ(filters("Ohne| |Bilder|*.jpg||"), u"Bilder (*.jpg)");
}

struct Box {
  QString title, text, defaultButton;
  QStringList buttons;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  Qt::TextFormat format = Qt::AutoText;
};

// Records the box and presses `press`, "Esc" meaning the key.
void Press(QWidget* w, const QString& press, Box& seen) {
  auto* box = qobject_cast<QMessageBox*>(w);
  ASSERT_TRUE(box);
  seen = {box->windowTitle(), box->text(), box->defaultButton()->text(), {}, box->icon(), box->textFormat()};
  for (QAbstractButton* b : box->buttons()) seen.buttons << b->text();
  seen.buttons.sort();
  if (press == u"Esc")
    QTest::keyClick(box, Qt::Key_Escape);
  else
    test::PressMessageBoxButton(box, press);
}

TEST(MessageBox, ButtonsDefaultIconCaptionAndAnswer) {
  CQtUserQuestions ui;
  const QString ok = QStringLiteral("OK"), cancel = QStringLiteral("Abbrechen");
  const QString yes = QStringLiteral("&Ja"), no = QStringLiteral("&Nein");
  using K = UserMessage::Kind;
  struct Case {
    UserMessage message;
    QStringList buttons;
    QString defaultButton;
    QMessageBox::Icon icon;
    QString press;
    Answer answer;
  } const cases[] = {
      {{"", "", K::Error}, {ok}, ok, QMessageBox::Critical, QStringLiteral("Esc"), Answer::Ok},
      {{"", "", K::Warning}, {ok}, ok, QMessageBox::Warning, ok, Answer::Ok},
      {{"", "", K::Information}, {ok}, ok, QMessageBox::NoIcon, ok, Answer::Ok},
      {{"", "", K::YesNo}, {yes, no}, yes, QMessageBox::Question, QStringLiteral("Ja"), Answer::Yes},
      {{"", "", K::YesNo, QuestionIcon::Question, DefaultButton::No}, {yes, no}, no, QMessageBox::Question,
       QStringLiteral("Esc"), Answer::No},
      {{"", "", K::YesNoCancel, QuestionIcon::Warning}, {cancel, yes, no}, yes, QMessageBox::Warning,
       QStringLiteral("Nein"), Answer::No},
      {{"", "", K::YesNoCancel, QuestionIcon::Question, DefaultButton::No}, {cancel, yes, no}, no,
       QMessageBox::Question, QStringLiteral("Esc"), Answer::Cancel},
  };
  for (Case c : cases) {
    SCOPED_TRACE(static_cast<int>(c.message.kind));
    Box seen;
    OnNextModal([&](QWidget* w) { Press(w, c.press, seen); });
    c.message.text = "Datei <b>x</b>.jpg?";
    EXPECT_EQ(ui.Show(c.message), c.answer);
    QStringList expected = c.buttons;
    expected.sort();
    EXPECT_EQ(seen.buttons, expected);
    EXPECT_EQ(seen.defaultButton, c.defaultButton);
    EXPECT_EQ(seen.icon, c.icon);
    EXPECT_EQ(seen.title, u"Merisk");
    // A file name with '<' shows as written.
    EXPECT_EQ(seen.format, Qt::PlainText);
  }
  Box seen;
  OnNextModal([&](QWidget* w) { Press(w, QStringLiteral("OK"), seen); });
  ui.Inform("x", "Sicherheitsabfrage");
  EXPECT_EQ(seen.title, u"Sicherheitsabfrage");
}

TEST(MessageBox, HelpCallsHandlerAndKeepsAsking) {
  CQtUserQuestions ui;
  int helps = 0;
  ui.SetHelpHandler([&](QWidget*) { ++helps; });
  Box first, second;
  OnNextModal([&](QWidget* w) {
    OnNextModal([&](QWidget* again) { Press(again, QStringLiteral("Abbrechen"), second); });
    Press(w, QStringLiteral("Hilfe"), first);
  });
  EXPECT_EQ(ui.AskYesNoCancel("Weiter?", "", QuestionIcon::Question, DefaultButton::Yes, HelpButton::Shown),
            Answer::Cancel);
  EXPECT_EQ(helps, 1);
  EXPECT_TRUE(first.buttons.contains(u"Hilfe"));
  EXPECT_EQ(second.buttons, first.buttons);
  EXPECT_EQ(first.defaultButton, u"&Ja");
}

TEST(WaitCursor, NestsAndIgnoresUnbalancedEnds) {
  const auto shape = [] { return QApplication::overrideCursor()->shape(); };
  QApplication::setOverrideCursor(Qt::CrossCursor);  // someone else's, must survive
  {
    CQtUserQuestions ui;
    ui.EndWaitCursor();
    EXPECT_EQ(shape(), Qt::CrossCursor);
    ui.BeginWaitCursor();
    { CWaitCursorGuard inner(&ui); }
    EXPECT_EQ(shape(), Qt::WaitCursor);
    ui.EndWaitCursor();
    ui.EndWaitCursor();
    EXPECT_EQ(shape(), Qt::CrossCursor);
    ui.BeginWaitCursor();  // left open: ends with the object
  }
  EXPECT_EQ(shape(), Qt::CrossCursor);
  QApplication::restoreOverrideCursor();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace kolvaro
