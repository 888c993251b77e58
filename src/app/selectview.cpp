#include "app/selectview.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStyle>
#include <algorithm>
#include <vector>

#include "app/specialselect.h"
#include "core/meriskdoc.h"
#include "qt/qtstring.h"
#include "qt/widgets/listcollation.h"
#include "res/strings.h"

namespace kolvaro {

int CSortedComboBox::AddSorted(const QString& text, int itemValue) {
  // Binary search for the first entry that sorts after the new one, so equal
  // names keep their insertion order.
  int lo = 0, hi = count();
  while (lo < hi) {
    const int mid = (lo + hi) / 2;
    if (ListCollator().compare(itemText(mid), text) <= 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  insertItem(lo, text, itemValue);
  return lo;
}

int CSortedComboBox::SelectedValue() const {
  return currentIndex() < 0 ? -1 : itemData(currentIndex()).toInt();
}

void CSortedComboBox::SelectValue(int itemValue) {
  setCurrentIndex(findData(itemValue));
}

void CSortedComboBox::FitDropDownWidth() {
  const QFontMetrics fm(view()->font());
  int widest = 0;
  for (int i = 0; i < count(); ++i) widest = std::max(widest, fm.horizontalAdvance(itemText(i)));
  if (widest != 0)
    view()->setMinimumWidth(widest + 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth) +
                            style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8);
}

CSelectView::CSelectView(CMeriskDoc& doc, QWidget* parent) : QWidget(parent), m_doc(doc) {
  setObjectName(QStringLiteral("selectView"));
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(6, 4, 6, 4);
  auto addList = [&](std::string_view label, const char* name) {
    auto* text = new QLabel(ToQString(label), this);
    auto* list = new CSortedComboBox(this);
    list->setObjectName(QString::fromLatin1(name));
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    list->setMinimumContentsLength(12);
    text->setBuddy(list);
    row->addWidget(text);
    row->addWidget(list);
    return list;
  };
  m_theme = addList(LoadString(IDS_SELECT_THEME_LABEL), "themeList");
  row->addSpacing(8);
  m_person = addList(LoadString(IDS_SELECT_PERSON_LABEL), "personList");
  row->addSpacing(8);
  m_sort = addList(LoadString(IDS_SELECT_SORT_LABEL), "sortList");
  row->addSpacing(8);
  // Named by its placeholder, not a label: the bar fits the narrow windows it always did.
  m_search = new QLineEdit(this);
  m_search->setObjectName(QStringLiteral("searchField"));
  m_search->setPlaceholderText(ToQString(LoadString(IDS_SELECT_SEARCH_PLACEHOLDER)));
  m_search->setClearButtonEnabled(true);
  m_search->setToolTip(ToQString(LoadString(IDS_SELECT_SEARCH_TIP)));
  row->addWidget(m_search, 1);
  m_go = new QPushButton(ToQString(LoadString(IDS_SELECT_GO)), this);
  m_go->setObjectName(QStringLiteral("goButton"));
  row->addSpacing(8);
  row->addWidget(m_go);
  setFixedHeight(kHeight);
  connect(m_go, &QPushButton::clicked, this, &CSelectView::OnGo);
  connect(m_sort, &QComboBox::activated, this, &CSelectView::OnSortChosen);
  connect(m_search, &QLineEdit::textEdited, this, &CSelectView::OnSearchEdited);
  m_search->installEventFilter(this);
  connect(m_search, &QLineEdit::returnPressed, this, &CSelectView::OnGo);
  // Anywhere in the main window, as the search fields of other programs.
  auto* find = new QShortcut(QKeySequence::Find, this);
  find->setContext(Qt::WindowShortcut);
  connect(find, &QShortcut::activated, this, [this] {
    if (!m_search->isEnabled()) return;
    m_search->setFocus(Qt::ShortcutFocusReason);
    m_search->selectAll();
  });
  m_doc.AddView(this);
}

CSelectView::~CSelectView() { m_doc.RemoveView(this); }

void CSelectView::OnInitialUpdate() {
  m_sort->clear();
  // IDS_SORT_KEYS holds the entries, one per line; the list sorts them.
  const std::string_view entries = LoadString(IDS_SORT_KEYS);
  std::size_t start = 0;
  for (std::size_t nl = entries.find('\n'); nl != std::string_view::npos;
       start = nl + 1, nl = entries.find('\n', start))
    m_sort->AddSorted(ToQString(entries.substr(start, nl - start)), 0);
  // Added unsorted after the four: its position is the special selection's key.
  m_sort->addItem(ToQString(LoadString(IDS_SORT_SPECIAL)), 0);
  m_sort->setCurrentIndex(-1);
  m_sort->FitDropDownWidth();
  m_search->clear();  // a new album starts unsearched
  OnSortChosen();
  FillPersons();
  FillThemes();
}

void CSelectView::OnUpdate(CDocument&, IDocumentObserver*, long) {
  // A keystroke of the search changes the selection only, never the names.
  if (m_bSearching) return;
  FillPersons();
  FillThemes();
}

namespace {

// Fills a list in one go: sorting first and inserting once is much faster
// than a sorted insert per entry for albums with thousands of persons.
template <typename Table>
void FillList(CSortedComboBox* list, const Table& table, std::string_view all, std::string_view none) {
  const int chosen = list->SelectedValue();
  struct Entry {
    QString text;
    int value;
  };
  std::vector<Entry> entries;
  entries.reserve(static_cast<std::size_t>(table.GetCount()) + 2);
  entries.push_back({ToQString(all), 0});
  entries.push_back({ToQString(none), -2});
  std::int32_t id;
  std::string name;
  for (POSITION pos = table.GetStartPosition(); pos != kNullPosition;) {
    table.GetNext(pos, id, name);
    entries.push_back({QString::fromStdString(name), id});
  }
  // Stable: equal names keep the album's order, as sorted inserts would.
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return ListCollator().compare(a.text, b.text) < 0;
  });
  const QSignalBlocker blocker(list);
  list->clear();
  QStringList texts;
  texts.reserve(static_cast<qsizetype>(entries.size()));
  for (const Entry& e : entries) texts.append(e.text);
  list->insertItems(0, texts);
  for (std::size_t i = 0; i < entries.size(); ++i) list->setItemData(static_cast<int>(i), entries[i].value);
  list->SelectValue(chosen);
  list->FitDropDownWidth();
}

}  // namespace

void CSelectView::FillPersons() {
  FillList(m_person, m_doc.Persons(), LoadString(IDS_ALL_PERSONS), LoadString(IDS_NO_PERSON));
}

void CSelectView::FillThemes() {
  FillList(m_theme, m_doc.Themes(), LoadString(IDS_ALL_THEMES), LoadString(IDS_NO_THEME));
}

void CSelectView::OnSortChosen() {
  const bool special = m_sort->currentIndex() == kSpecialSort;
  m_theme->setEnabled(!special);
  m_person->setEnabled(!special);
  m_search->setEnabled(!special);
}

void CSelectView::OnSearchEdited() {
  if (m_sort->currentIndex() == kSpecialSort) return;
  m_bSearching = true;
  m_doc.SelectPictures(m_theme->SelectedValue(), m_person->SelectedValue(), m_sort->currentIndex(),
                       m_search->text().toStdString());
  m_bSearching = false;
}

bool CSelectView::eventFilter(QObject* watched, QEvent* event) {
  // The album's texts are folded while the user reaches for the keys, not
  // at the first of them.
  if (watched == m_search && event->type() == QEvent::FocusIn) m_doc.PrepareSearch();
  return QWidget::eventFilter(watched, event);
}

void CSelectView::RunSpecialSelect() {
  CSpecialSelect dlg(m_doc, window());
  if (dlg.exec() != QDialog::Accepted) return;
  m_doc.SetExplicitSelection(dlg.Result());
  // The picture shown so far need not be among the chosen ones: the first
  // chosen one is shown (none for an empty choice).
  m_doc.SetCurrentIndex(0);
  m_doc.UpdateAllViews(nullptr);
}

void CSelectView::OnGo() {
  if (m_sort->currentIndex() == kSpecialSort) {
    RunSpecialSelect();
    return;
  }
  m_doc.SelectPictures(m_theme->SelectedValue(), m_person->SelectedValue(), m_sort->currentIndex(),
                       m_search->text().toStdString());
}

}  // namespace kolvaro
