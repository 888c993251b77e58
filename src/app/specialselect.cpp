#include "app/specialselect.h"

#include <QButtonGroup>
#include <QListWidget>
#include <QSignalBlocker>
#include <algorithm>

#include "core/meriskdoc.h"
#include "ui_specialselect.h"

namespace kolvaro {

// ------------------------------------------------------------------- model

CSpecialSelectModel::CSpecialSelectModel(const std::vector<std::int32_t>& selection,
                                         const CBilderEx& pictures, PathStyle style)
    : m_pictures(pictures), m_style(style) {
  m_available.reserve(selection.size());
  for (const std::int32_t picture : selection) m_available.push_back({picture, {}});
  for (std::size_t row = 0; row < m_available.size(); ++row) m_available[row].text = Label(row);
}

std::string CSpecialSelectModel::Label(std::size_t row) const {
  std::string text = std::to_string(row + 1);
  if (m_mode == kNumberOnly) return text;
  // A picture without a record (none should be in a selection) shows its number only.
  const PictureEntry* entry = m_pictures.Find(m_available[row].picture);
  if (!entry) return text;
  return text + ' ' +
         (m_mode == kFileName ? DisplayedStoredName(m_style, entry->filename) : entry->title);
}

void CSpecialSelectModel::SetMode(int mode) {
  if (mode < kNumberOnly || mode > kTitle) return;
  m_mode = mode;
  for (std::size_t row = 0; row < m_available.size(); ++row) m_available[row].text = Label(row);
}

bool CSpecialSelectModel::Copy() {
  if (m_availableRow < 0) return false;
  m_chosen.push_back(m_available[static_cast<std::size_t>(m_availableRow)]);
  m_chosenRow = static_cast<int>(m_chosen.size()) - 1;
  return true;
}

bool CSpecialSelectModel::Remove() {
  if (m_chosenRow < 0) return false;
  m_chosen.erase(m_chosen.begin() + m_chosenRow);
  m_chosenRow = -1;
  return true;
}

bool CSpecialSelectModel::Move(int step) {
  const int to = m_chosenRow + step;
  if (m_chosenRow < 0 || !Valid(to, m_chosen)) return false;
  std::swap(m_chosen[static_cast<std::size_t>(m_chosenRow)],
            m_chosen[static_cast<std::size_t>(to)]);
  m_chosenRow = to;
  return true;
}

std::vector<std::int32_t> CSpecialSelectModel::Result() const {
  std::vector<std::int32_t> ids;
  ids.reserve(m_chosen.size());
  for (const Entry& e : m_chosen) ids.push_back(e.picture);
  return ids;
}

// ------------------------------------------------------------------ dialog

namespace {

// The one place the dialog reads the album; reading leaves its current
// picture and position alone.
std::vector<std::int32_t> ShownSelection(const CMeriskDoc& doc) {
  const std::vector<std::int32_t>& selection = doc.Selection();
  const auto count =
      std::min(static_cast<std::size_t>(std::max(doc.SelectedCount(), 0)), selection.size());
  return {selection.begin(), selection.begin() + static_cast<std::ptrdiff_t>(count)};
}

int SelectedRow(const QListWidget* list) {
  const QList<QListWidgetItem*> items = list->selectedItems();
  return items.isEmpty() ? -1 : list->row(items.first());
}

}  // namespace

CSpecialSelect::CSpecialSelect(CMeriskDoc& doc, QWidget* parent)
    : QDialog(parent),
      m_model(ShownSelection(doc), doc.Pictures(), doc.GetPathStyle()),
      m_form(std::make_unique<Ui::SpecialSelectForm>()) {
  m_form->setupUi(this);
  QListWidget* available = m_form->availableList;
  {
    // Whole selections of large albums: one insert, rows of equal height.
    const QSignalBlocker blocker(available);
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(m_model.Available().size()));
    for (const auto& e : m_model.Available()) texts.append(QString::fromStdString(e.text));
    available->addItems(texts);
    for (int row = 0; row < available->count(); ++row)
      available->item(row)->setData(Qt::UserRole,
                                    m_model.Available()[static_cast<std::size_t>(row)].picture);
  }

  auto* modes = new QButtonGroup(this);
  modes->addButton(m_form->numberRadio, CSpecialSelectModel::kNumberOnly);
  modes->addButton(m_form->fileNameRadio, CSpecialSelectModel::kFileName);
  modes->addButton(m_form->titleRadio, CSpecialSelectModel::kTitle);
  m_form->numberRadio->setChecked(true);
  connect(modes, &QButtonGroup::idClicked, this, [this](int mode) {
    m_model.SetMode(mode);
    ShowAvailableTexts();
  });

  connect(available, &QListWidget::itemSelectionChanged, this,
          [this] { m_model.SelectAvailable(SelectedRow(m_form->availableList)); });
  connect(m_form->chosenList, &QListWidget::itemSelectionChanged, this,
          [this] { m_model.SelectChosen(SelectedRow(m_form->chosenList)); });
  auto onClick = [this](QPushButton* button, bool (CSpecialSelectModel::*step)()) {
    connect(button, &QPushButton::clicked, this, [this, step] {
      if ((m_model.*step)()) ShowChosen();
    });
  };
  onClick(m_form->copyButton, &CSpecialSelectModel::Copy);
  onClick(m_form->removeButton, &CSpecialSelectModel::Remove);
  onClick(m_form->upButton, &CSpecialSelectModel::MoveUp);
  onClick(m_form->downButton, &CSpecialSelectModel::MoveDown);
}

CSpecialSelect::~CSpecialSelect() = default;

void CSpecialSelect::ShowAvailableTexts() {
  QListWidget* list = m_form->availableList;
  const auto& entries = m_model.Available();
  for (int row = 0; row < list->count(); ++row)
    list->item(row)->setText(QString::fromStdString(entries[static_cast<std::size_t>(row)].text));
}

void CSpecialSelect::ShowChosen() {
  QListWidget* list = m_form->chosenList;
  const QSignalBlocker blocker(list);
  list->clear();
  for (const auto& e : m_model.Chosen()) {
    auto* item = new QListWidgetItem(QString::fromStdString(e.text), list);
    item->setData(Qt::UserRole, e.picture);
  }
  if (m_model.ChosenRow() >= 0) {
    list->setCurrentRow(m_model.ChosenRow());
    list->scrollToItem(list->currentItem());
  }
}

void CSpecialSelect::accept() {
  m_result = m_model.Result();
  QDialog::accept();
}

}  // namespace kolvaro
