#include "app/selectview.h"

#include <QAbstractItemView>
#include <QCollator>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>

#include "core/meriskdoc.h"
#include "res/strings.h"

namespace kolvaro {
namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

const QCollator& ListCollator() {
  static const QCollator collator = [] {
    QCollator c(QLocale(QLocale::German, QLocale::Germany));
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return c;
  }();
  return collator;
}

}  // namespace

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
    auto* text = new QLabel(Q(label), this);
    auto* list = new CSortedComboBox(this);
    list->setObjectName(QString::fromLatin1(name));
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    list->setMinimumContentsLength(12);
    text->setBuddy(list);
    row->addWidget(text);
    row->addWidget(list);
    return list;
  };
  m_theme = addList("Zeige Photos mit ... Thema:", "themeList");
  row->addSpacing(8);
  m_person = addList("Person:", "personList");
  row->addSpacing(8);
  m_sort = addList("sortiere nach:", "sortList");
  m_go = new QPushButton(QStringLiteral("Los!"), this);
  m_go->setObjectName(QStringLiteral("goButton"));
  row->addSpacing(8);
  row->addWidget(m_go);
  row->addStretch(1);
  setFixedHeight(kHeight);
  connect(m_go, &QPushButton::clicked, this, &CSelectView::OnGo);
  m_doc.AddView(this);
}

CSelectView::~CSelectView() { m_doc.RemoveView(this); }

void CSelectView::OnInitialUpdate() {
  m_sort->clear();
  // String 1002 holds the entries, one per line; the list sorts them.
  const std::string_view entries = LoadString(IDS_SORT_KEYS);
  std::size_t start = 0;
  for (std::size_t nl = entries.find('\n'); nl != std::string_view::npos;
       start = nl + 1, nl = entries.find('\n', start))
    m_sort->AddSorted(Q(entries.substr(start, nl - start)), 0);
  m_sort->setCurrentIndex(-1);
  m_sort->FitDropDownWidth();
  FillPersons();
  FillThemes();
}

void CSelectView::OnUpdate(CDocument&, IDocumentObserver*, long) {
  FillPersons();
  FillThemes();
}

void CSelectView::FillPersons() {
  const int chosen = m_person->SelectedValue();
  m_person->clear();
  m_person->AddSorted(Q(LoadString(IDS_ALL_PERSONS)), 0);
  m_person->AddSorted(Q(LoadString(IDS_NO_PERSON)), -2);
  std::int32_t id;
  std::string name;
  for (POSITION pos = m_doc.m_persons.GetStartPosition(); pos != kNullPosition;) {
    m_doc.m_persons.GetNext(pos, id, name);
    m_person->AddSorted(QString::fromStdString(name), id);
  }
  m_person->SelectValue(chosen);
  m_person->FitDropDownWidth();
}

void CSelectView::FillThemes() {
  const int chosen = m_theme->SelectedValue();
  m_theme->clear();
  m_theme->AddSorted(Q(LoadString(IDS_ALL_THEMES)), 0);
  m_theme->AddSorted(Q(LoadString(IDS_NO_THEME)), -2);
  std::int32_t id;
  std::string name;
  for (POSITION pos = m_doc.m_themes.GetStartPosition(); pos != kNullPosition;) {
    m_doc.m_themes.GetNext(pos, id, name);
    m_theme->AddSorted(QString::fromStdString(name), id);
  }
  m_theme->SelectValue(chosen);
  m_theme->FitDropDownWidth();
}

void CSelectView::OnGo() {
  m_doc.SelectPictures(m_theme->SelectedValue(), m_person->SelectedValue(), m_sort->currentIndex());
}

}  // namespace kolvaro
