#include "views/pagelayoutdlg.h"

#include <QLineEdit>

#include "qt/qtstring.h"
#include "core/ports/userquestions.h"
#include "res/strings.h"
#include "ui_pagelayoutdlg.h"
#include "views/pagepreview.h"

namespace kolvaro {

CPageLayoutDlg::CPageLayoutDlg(const PageLayout& layout, PageSize page, IUserQuestions& ui, QWidget* parent)
    : QDialog(parent), m_layout(layout), m_page(page), m_ui(ui), m_form(std::make_unique<Ui::PageLayoutDlgForm>()) {
  m_form->setupUi(this);
  Ui::PageLayoutDlgForm& f = *m_form;
  // A picture without pixels keeps the stored rectangle.
  FitToPhoto(m_layout, m_page);
  for (const QString& item : ToQString(LoadString(IDS_LAYOUT_PRESETS)).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
    f.comboPresets->addItem(item);
  f.comboPresets->setCurrentIndex(0);
  WriteFields();

  connect(f.editBorderTop, &QLineEdit::editingFinished, this, [this] { OnEditLeft(m_form->editBorderTop, TopOrBottomChanged); });
  connect(f.editBorderBottom, &QLineEdit::editingFinished, this,
          [this] { OnEditLeft(m_form->editBorderBottom, TopOrBottomChanged); });
  connect(f.editBorderLeft, &QLineEdit::editingFinished, this,
          [this] { OnEditLeft(m_form->editBorderLeft, LeftOrRightChanged); });
  connect(f.editBorderRight, &QLineEdit::editingFinished, this,
          [this] { OnEditLeft(m_form->editBorderRight, LeftOrRightChanged); });
  connect(f.editHeight, &QLineEdit::editingFinished, this, [this] { OnEditLeft(m_form->editHeight, HeightChanged); });
  connect(f.editWidth, &QLineEdit::editingFinished, this, [this] { OnEditLeft(m_form->editWidth, WidthChanged); });
  for (QCheckBox* check : {f.checkKeepAspectRatio, f.checkCenterOnPage})
    connect(check, &QCheckBox::clicked, this, [this] {
      if (ReadFields()) Redisplay();
    });
  connect(f.checkUseWholePage, &QCheckBox::clicked, this, &CPageLayoutDlg::OnWholePageClicked);
  connect(f.comboPresets, &QComboBox::activated, this, &CPageLayoutDlg::OnPreset);
  connect(f.buttonOk, &QPushButton::clicked, this, &CPageLayoutDlg::accept);
  connect(f.buttonCancel, &QPushButton::clicked, this, &CPageLayoutDlg::reject);
}

CPageLayoutDlg::~CPageLayoutDlg() = default;

CPagePreview* CPageLayoutDlg::Preview() const { return m_form->preview; }

void CPageLayoutDlg::accept() {
  if (ReadFields()) QDialog::accept();
}

bool CPageLayoutDlg::ReadFields() {
  if (m_bReading) return false;  // the message box takes the focus: no second read meanwhile
  m_bReading = true;
  Ui::PageLayoutDlgForm& f = *m_form;
  struct Field {
    QLineEdit* edit;
    std::int32_t* value;
    bool positive;
  };
  PageLayout read = m_layout;
  const Field fields[] = {
      {f.editBorderLeft, &read.m_nBorderLeft, false},   {f.editBorderRight, &read.m_nBorderRight, false},
      {f.editBorderTop, &read.m_nBorderTop, false},     {f.editBorderBottom, &read.m_nBorderBottom, false},
      {f.editWidth, &read.m_nWidth, true},              {f.editHeight, &read.m_nHeight, true},
      {f.editTargetBorder, &read.m_nTargetBorder, false},
  };
  for (const Field& field : fields) {
    bool ok = false;
    const QString text = field.edit->text().trimmed();
    const long long value = text.toLongLong(&ok);
    const long long low = field.positive ? 0 : -kLayoutLimit;
    std::string refusal;
    if (!ok || (field.positive && (value < 0 || text.startsWith(QLatin1Char('-')))))
      refusal = LoadString(field.positive ? IDS_PARSE_UINT : IDS_PARSE_INT);
    else if (value < low || value > kLayoutLimit)
      refusal = FormatMessage(LoadString(IDS_PARSE_INT_RANGE), {low, static_cast<long long>(kLayoutLimit)});
    if (!refusal.empty()) {
      m_ui.Warn(refusal);
      field.edit->setFocus();
      field.edit->selectAll();
      m_bReading = false;
      return false;
    }
    *field.value = static_cast<std::int32_t>(value);
  }
  read.m_bKeepAspectRatio = f.checkKeepAspectRatio->isChecked();
  read.m_bUseWholePage = f.checkUseWholePage->isChecked();
  read.m_bCenterOnPage = f.checkCenterOnPage->isChecked();
  m_layout = read;
  m_bReading = false;
  return true;
}

void CPageLayoutDlg::WriteFields() {
  Ui::PageLayoutDlgForm& f = *m_form;
  const std::pair<QLineEdit*, std::int32_t> values[] = {
      {f.editBorderLeft, m_layout.m_nBorderLeft}, {f.editBorderRight, m_layout.m_nBorderRight},
      {f.editBorderTop, m_layout.m_nBorderTop},   {f.editBorderBottom, m_layout.m_nBorderBottom},
      {f.editWidth, m_layout.m_nWidth},           {f.editHeight, m_layout.m_nHeight},
      {f.editTargetBorder, m_layout.m_nTargetBorder},
  };
  for (const auto& [edit, value] : values) {
    edit->setText(QString::number(value));
    edit->setModified(false);
  }
  f.checkKeepAspectRatio->setChecked(m_layout.m_bKeepAspectRatio);
  f.checkUseWholePage->setChecked(m_layout.m_bUseWholePage);
  f.checkCenterOnPage->setChecked(m_layout.m_bCenterOnPage);
  f.preview->SetPage(m_page, PictureOnPage(m_layout, m_page));
}

void CPageLayoutDlg::Redisplay() {
  CenterIfAsked(m_layout);
  WriteFields();
}

void CPageLayoutDlg::OnEditLeft(QLineEdit* edit, void (*rule)(PageLayout&, PageSize)) {
  // Leaving an edit unchanged recomputes nothing.
  if (!edit->isModified() || !ReadFields()) return;
  rule(m_layout, m_page);
  Redisplay();
}

void CPageLayoutDlg::OnWholePageClicked() {
  if (!ReadFields() || !m_layout.m_bUseWholePage) return;
  UseWholePage(m_layout, m_page);
  Redisplay();
}

void CPageLayoutDlg::OnPreset(int item) {
  if (item == 0 || !ReadFields()) return;
  ApplyPreset(m_layout, m_page, item);
  Redisplay();
}

}  // namespace kolvaro
