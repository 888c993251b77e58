// The drag-and-drop list: its text format and drop handler without a window,
// and its lists offscreen, a drag driven by its drop handler and post-drag step.
#include <gtest/gtest.h>

#include <QImage>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include "qt/widgets/dragdroplistbox.h"

namespace kolvaro {
namespace {

struct DropCase {
  const char* name;
  std::string_view text;
  std::vector<DragEntry> entries;
};

TEST(DropText, ParsesOnlyCompleteLinesWithTabAndUnsignedValue) {
  const DropCase cases[] = {
      {"empty text", "", {}},
      {"ids above 2^31 up to 2^32 - 1",
       "3000000000\tArzt\n4294967295\tmax\n4294967296\tzu groß\n",
       {{3000000000u, "Arzt"}, {4294967295u, "max"}}},
      {"missing tab", "17 Arzt\n5\tZoo\n", {{5, "Zoo"}}},
      {"CR LF line ends", "1\tA\r\n2\tB\r\n", {{1, "A"}, {2, "B"}}},
      {"last line without LF", "1\tA\n2\tB", {{1, "A"}}},
      {"empty lines", "\n\r\n1\tA\n\n", {{1, "A"}}},
      {"value not a plain number", "x\tA\n-1\tB\n\tC\n 7\tD\n+8\tE\n", {}},
      {"text empty, with tabs, with inner CR",
       "8\t\n9\ta\tb\n10\ta\rb\n007\tÄrzte\n",
       {{8, ""}, {9, "a\tb"}, {10, "a\rb"}, {7, "Ärzte"}}},
  };
  for (const DropCase& c : cases) EXPECT_EQ(ParseDropText(c.text), c.entries) << c.name;
}

TEST(DropText, DragTextRoundTripsAndKeepsLineBreaksOutOfTheText) {
  const std::vector<DragEntry> entries{{1, "Arzt"}, {3000000000u, "Ärzte\r\nZ"}};
  EXPECT_EQ(FormatDragText(entries), "1\tArzt\n3000000000\tÄrzte  Z\n");
  EXPECT_EQ(ParseDropText(FormatDragText(entries)),
            (std::vector<DragEntry>{{1, "Arzt"}, {3000000000u, "Ärzte  Z"}}));
}

TEST(DragThreshold, IsASquareOfHalfTheItemHeightAroundThePress) {
  struct {
    int dx, dy, itemHeight;
    bool outside;
  } const cases[] = {{0, 0, 16, false},  {8, -8, 16, false}, {9, 0, 16, true}, {0, -9, 16, true},
                     {-8, 8, 17, false}, {9, 9, 17, true},   {1, 0, 1, true},  {0, 0, 1, false}};
  for (const auto& c : cases)
    EXPECT_EQ(OutsideDragThreshold(c.dx, c.dy, c.itemHeight), c.outside)
        << c.dx << ", " << c.dy << " at height " << c.itemHeight;
}

QStringList Texts(const CDragDropListBox& list) {
  QStringList texts;
  for (int row = 0; row < list.count(); ++row) texts << list.item(row)->text();
  return texts;
}

void Click(CDragDropListBox& list, int row, Qt::KeyboardModifiers modifiers = {}) {
  QTest::mouseClick(list.viewport(), Qt::LeftButton, modifiers,
                    list.visualItemRect(list.item(row)).center());
}

TEST(DragDropListBox, ClickSelectsAndADragMovesTheSelectedEntriesToTheSortedPlace) {
  QWidget window;
  auto* source = new CDragDropListBox(&window);
  auto* target = new CDragDropListBox(&window);
  source->setSelectionMode(QAbstractItemView::ExtendedSelection);
  target->SetSorted(true);
  for (const char* name : {"Zoo", "Arzt", "Urlaub"}) target->AddEntry(QString::fromUtf8(name), 1);
  source->AddEntry(u"Eins"_qs, 1);
  source->AddEntry(u"Ärzte"_qs, 3000000000u);
  source->AddEntry(u"Zwei"_qs, 2);
  window.show();
  EXPECT_EQ(Texts(*target), (QStringList{u"Arzt"_qs, u"Urlaub"_qs, u"Zoo"_qs}));

  // Press and release without moving select as in any list.
  Click(*source, 0);
  Click(*source, 1, Qt::ControlModifier);
  EXPECT_EQ(source->selectedItems().size(), 2);

  QSignalSpy told(source, &CDragDropListBox::SelectionChangedByDrag);
  target->DropText(source->DragText());
  source->AfterDrag();
  EXPECT_EQ(Texts(*source), QStringList{u"Zwei"_qs});
  EXPECT_EQ(told.count(), 1);
  EXPECT_EQ(Texts(*target),
            (QStringList{u"Arzt"_qs, u"Ärzte"_qs, u"Eins"_qs, u"Urlaub"_qs, u"Zoo"_qs}));
  EXPECT_EQ(target->Value(1), 3000000000u);
  EXPECT_EQ(target->Value(2), 1u);

  // A drop nowhere still removes what was dragged.
  Click(*source, 0);
  source->AfterDrag();
  EXPECT_EQ(source->count(), 0);
}

TEST(DragDropListBox, TakesOnlyPlainTextFromAListOfItsWindow) {
  QWidget window, elsewhere;
  auto* list = new CDragDropListBox(&window);
  auto* sibling = new CDragDropListBox(&window);
  auto* foreign = new CDragDropListBox(&elsewhere);
  QMimeData text, files, image;
  text.setText(u"1\tA\n"_qs);
  files.setText(u"1\tA\n"_qs);
  files.setUrls({QUrl::fromLocalFile(u"/tmp/bild.jpg"_qs)});
  image.setText(u"1\tA\n"_qs);
  image.setImageData(QImage(2, 2, QImage::Format_RGB32));
  EXPECT_TRUE(list->acceptDrops() && list->viewport()->acceptDrops());
  EXPECT_TRUE(list->AcceptsDrop(&text, sibling));
  EXPECT_TRUE(list->AcceptsDrop(&text, list));
  EXPECT_FALSE(list->AcceptsDrop(&text, nullptr));  // another program
  EXPECT_FALSE(list->AcceptsDrop(&text, foreign));
  EXPECT_FALSE(list->AcceptsDrop(&files, sibling));
  EXPECT_FALSE(list->AcceptsDrop(&image, sibling));

  // A refused drop has no effect; a press on an empty list is left alone.
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &files, Qt::LeftButton, {});
  QCoreApplication::sendEvent(list->viewport(), &drop);
  EXPECT_EQ(list->count(), 0);
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                    Qt::LeftButton, {});
  QCoreApplication::sendEvent(list->viewport(), &press);
  EXPECT_FALSE(press.isAccepted());
}

}  // namespace
}  // namespace kolvaro
