#pragma once
// The selection bar above the picture view: theme, person and sort lists,
// the search field and the button "Los!" that rebuilds the album's selection.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <string_view>

#include "core/document.h"
#include "views/commandtarget.h"

namespace kolvaro {

class CMeriskDoc;

/// A drop-down list that keeps its entries in alphabetical order, as a
/// sorted Windows list does: case-insensitive, in the German collation.
class CSortedComboBox : public QComboBox {
  Q_OBJECT
 public:
  using QComboBox::QComboBox;
  /// Inserts at the sorted position; returns the index.
  int AddSorted(const QString& text, int itemValue);
  /// The item value of the selected entry; -1 when none is selected.
  int SelectedValue() const;
  /// Selects the first entry with the value, or none when no entry has it.
  void SelectValue(int itemValue);
  /// Widens the drop-down list to its widest entry.
  void FitDropDownWidth();
};

class CSelectView : public QWidget, public IDocumentObserver, public ICommandTarget {
  Q_OBJECT
 public:
  static constexpr int kHeight = 35;

  CSelectView(CMeriskDoc& doc, QWidget* parent = nullptr);
  ~CSelectView() override;

  /// After every new or opened album: the sort list afresh, the two filter lists.
  void OnInitialUpdate();
  void OnUpdate(CDocument& doc, IDocumentObserver* sender, long hint) override;
  bool OnCommand(int) override { return false; }

  /// "Los!": selects with the chosen theme, person, sort key and search; with
  /// "<Spezial ...>" chosen, runs the special selection instead.
  void OnGo();
  /// The user has chosen a sort entry: "<Spezial ...>" leaves no use for
  /// the theme and person lists.
  void OnSortChosen();
  /// The search text changed: the selection narrows or widens at once.
  void OnSearchEdited();
  bool eventFilter(QObject* watched, QEvent* event) override;
  /// The sort list's position of "<Spezial ...>", after the four sort keys.
  static constexpr int kSpecialSort = 4;

  CSortedComboBox* ThemeList() const { return m_theme; }
  CSortedComboBox* PersonList() const { return m_person; }
  CSortedComboBox* SortList() const { return m_sort; }
  QPushButton* GoButton() const { return m_go; }
  QLineEdit* SearchField() const { return m_search; }

 private:
  void FillPersons();
  void FillThemes();
  void RunSpecialSelect();

  CMeriskDoc& m_doc;
  CSortedComboBox* m_theme;
  CSortedComboBox* m_person;
  CSortedComboBox* m_sort;
  QLineEdit* m_search;
  QPushButton* m_go;
  bool m_bSearching = false;
};

}  // namespace kolvaro
