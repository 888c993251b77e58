#include "views/imagedescription.h"

#include <QCursor>
#include <QDateTime>
#include <QFocusEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTimerEvent>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <limits>

#include "core/meriskdoc.h"
#include "platform/userquestions.h"
#include "res/commands.h"
#include "res/strings.h"
#include "ui_imagedescription.h"
#include "views/deletepicturedlg.h"
#include "views/personsdlg.h"
#include "views/picturectrl.h"

namespace kolvaro {
namespace {

// Dialog identifiers of the form's controls.
enum ControlId : int {
  IDC_FILENAME = 1004,
  IDC_DATE = 1005,
  IDC_SIZE = 1006,
  IDC_THEMES = 1014,
  IDC_PERSONS = 1015,
  IDC_POSITION = 1017,
  IDC_SLIDER = 1018,
  IDC_SPIN = 1019,
  IDC_FRAMES = 1024,
  IDC_DATE_LOCK = 1027,
  IDC_PICTURE = 1028,
  IDC_HEADLINE = 1042,
  IDC_LABEL_HEADLINE = 1070,
  IDC_LABEL_FILENAME = 1071,
  IDC_LABEL_DATE = 1072,
  IDC_LABEL_SIZE = 1073,
  IDC_LABEL_THEMES = 1074,
  IDC_LABEL_PERSONS = 1075,
  IDC_ADD_THEMES = 1077,
  IDC_REMOVE_THEMES = 1078,
  IDC_ADD_PERSON = 1079,
  IDC_REMOVE_PERSONS = 1080,
};

constexpr int kHoverTimerMs = 500;
// Lowest height of the view: the picture still shows, the data column scrolls.
constexpr int kMinViewHeight = 200;

// The data column: every control but the picture.
constexpr std::array kColumn = {
    IDC_LABEL_HEADLINE, IDC_LABEL_FILENAME, IDC_LABEL_DATE, IDC_LABEL_SIZE, IDC_LABEL_THEMES,
    IDC_LABEL_PERSONS,  IDC_HEADLINE,       IDC_FILENAME,   IDC_DATE,       IDC_SIZE,
    IDC_THEMES,         IDC_PERSONS,        IDC_DATE_LOCK,  IDC_ADD_THEMES, IDC_REMOVE_THEMES,
    IDC_ADD_PERSON,     IDC_FRAMES,         IDC_REMOVE_PERSONS, IDC_SPIN,   IDC_POSITION,
    IDC_SLIDER};

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string S(const QString& s) { return s.toStdString(); }

bool AskOverwriteDelete(CMeriskDoc& doc) {
  return doc.Settings().GetInt("Settings", "AskOverwriteDelete", 1) != 0;
}

// The multi-line edit of Windows keeps CR LF; albums hold headlines in that form.
QString HeadlineFromStored(const std::string& title) {
  return Q(title).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}
std::string HeadlineToStored(const QString& text) {
  QString t = text;
  return S(t.replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
}

// The locale's short date with four-digit years, and its short time with seconds.
QString LongYearDateFormat(const QLocale& locale) {
  QString f = locale.dateFormat(QLocale::ShortFormat);
  if (!f.contains(QStringLiteral("yyyy"))) f.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
  return f;
}
QString SecondsTimeFormat(const QLocale& locale) {
  QString f = locale.timeFormat(QLocale::ShortFormat);
  if (f.contains(QLatin1Char('s'))) return f;
  const qsizetype at = f.indexOf(QStringLiteral("mm"));
  if (at >= 0) f.insert(at + 2, QStringLiteral(":ss"));
  return f;
}
// Formats that also read one-digit days, months and hours.
QStringList Lenient(const QString& format) {
  QString f = format;
  f.replace(QStringLiteral("dd"), QStringLiteral("d"))
      .replace(QStringLiteral("MM"), QStringLiteral("M"))
      .replace(QStringLiteral("HH"), QStringLiteral("H"))
      .replace(QStringLiteral("hh"), QStringLiteral("h"));
  return f == format ? QStringList{format} : QStringList{format, f};
}

}  // namespace

// ------------------------------------------------------------------ dates

QString FormatOleDate(const COleDateTime& date, const QLocale& locale) {
  if (!date.IsValid()) return {};
  const auto c = date.ToCalendar();
  if (!c) return {};
  const QDate day(c->year, c->month, c->day);
  const QTime time(c->hour, c->minute, c->second);
  if (c->year == 1899 && c->month == 12 && c->day == 30) return locale.toString(time, SecondsTimeFormat(locale));
  if (time == QTime(0, 0)) return locale.toString(day, LongYearDateFormat(locale));
  return locale.toString(QDateTime(day, time), LongYearDateFormat(locale) + QLatin1Char(' ') +
                                                    SecondsTimeFormat(locale));
}

std::optional<COleDateTime> ParseOleDate(const QString& input, const QLocale& locale) {
  const QString text = input.simplified();
  if (text.isEmpty()) return std::nullopt;
  QStringList longYear = Lenient(LongYearDateFormat(locale));
  QStringList shortYear;
  const QString localeDate = locale.dateFormat(QLocale::ShortFormat);
  if (!localeDate.contains(QStringLiteral("yyyy"))) shortYear = Lenient(localeDate);
  QStringList times = Lenient(SecondsTimeFormat(locale)) + Lenient(locale.timeFormat(QLocale::ShortFormat));
  times.removeDuplicates();

  auto make = [](const QDate& d, const QTime& t) -> std::optional<COleDateTime> {
    const COleDateTime v =
        COleDateTime::FromCalendar(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
    if (!v.IsValid()) return std::nullopt;
    return v;
  };
  // Two-digit years fall into 1930 to 2029, as Windows reads them; Qt alone
  // would put every one into the 1900s.
  auto window = [](const QDate& d) {
    const int yy = d.year() % 100;
    return QDate(yy < 30 ? 2000 + yy : 1900 + yy, d.month(), d.day());
  };
  auto tryDates = [&](const QStringList& formats, bool twoDigits) -> std::optional<COleDateTime> {
    for (const QString& df : formats) {
      for (const QString& tf : times) {
        const QDateTime dt = locale.toDateTime(text, df + QLatin1Char(' ') + tf);
        if (!dt.isValid()) continue;
        if (auto v = make(twoDigits ? window(dt.date()) : dt.date(), dt.time())) return v;
      }
      const QDate d = locale.toDate(text, df);
      if (!d.isValid()) continue;
      if (auto v = make(twoDigits ? window(d) : d, QTime(0, 0))) return v;
    }
    return std::nullopt;
  };
  if (auto v = tryDates(longYear, false)) return v;
  if (auto v = tryDates(shortYear, true)) return v;
  for (const QString& tf : times) {
    const QTime t = locale.toTime(text, tf);
    if (t.isValid()) return make(QDate(1899, 12, 30), t);
  }
  return std::nullopt;
}

Rect ClampToPicture(const Rect& r, unsigned width, unsigned height) {
  const auto limit = [](unsigned v) {
    return static_cast<std::int32_t>(std::min<unsigned>(v, std::numeric_limits<std::int32_t>::max()));
  };
  return Rect{std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, limit(width)),
              std::min(r.bottom, limit(height))};
}

// ------------------------------------------------------- date lock button

CDateLockButton::CDateLockButton(QWidget* parent) : QPushButton(parent) {
  setMouseTracking(true);
  setFlat(true);
}

void CDateLockButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = rect().adjusted(0, 0, -1, -1);
  if (m_bRaised) {
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(palette().color(QPalette::Shadow));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
  } else {
    p.setPen(palette().color(QPalette::Button));
    p.drawRect(r);
  }
}

void CDateLockButton::mouseMoveEvent(QMouseEvent* event) {
  if (m_bHoverEnabled && !m_bRaised) {
    m_bRaised = true;
    update();
    m_timer.start(kHoverTimerMs, this);
  }
  QPushButton::mouseMoveEvent(event);
}

void CDateLockButton::timerEvent(QTimerEvent* event) {
  if (event->timerId() != m_timer.timerId()) {
    QPushButton::timerEvent(event);
    return;
  }
  if (rect().contains(mapFromGlobal(QCursor::pos()))) return;
  m_bRaised = false;
  update();
  m_timer.stop();
}

// ------------------------------------------------------------------- view

CImageDescription::CImageDescription(CMeriskDoc& doc, IUserQuestions& ui, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_ui(ui), m_form(std::make_unique<Ui::ImageDescriptionForm>()) {
  m_form->setupUi(this);
  m_designSize = size();
  // Lower than its form, the view shrinks the picture and scrolls the data
  // column (small or highly scaled screens); the column's scroll bar takes
  // its width from the picture, never from the column.
  m_columnScroll = new QScrollBar(Qt::Vertical, this);
  m_columnScroll->setObjectName(QStringLiteral("columnScroll"));
  m_columnScroll->hide();
  m_columnScroll->setFixedWidth(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_columnScroll));
  connect(m_columnScroll, &QScrollBar::valueChanged, this, &CImageDescription::ScrollColumnTo);
  setMinimumSize(m_designSize.width() + m_columnScroll->width(), kMinViewHeight);
  Ui::ImageDescriptionForm& f = *m_form;
  m_controls = {
      {IDC_PICTURE, f.pictureCtrl},          {IDC_LABEL_HEADLINE, f.labelHeadline},
      {IDC_HEADLINE, f.editHeadline},        {IDC_LABEL_FILENAME, f.labelFileName},
      {IDC_FILENAME, f.editFileName},        {IDC_LABEL_DATE, f.labelDate},
      {IDC_DATE_LOCK, f.buttonDateLock},     {IDC_DATE, f.editDate},
      {IDC_LABEL_SIZE, f.labelSize},         {IDC_SIZE, f.editSize},
      {IDC_LABEL_THEMES, f.labelThemes},     {IDC_THEMES, f.listThemes},
      {IDC_ADD_THEMES, f.buttonAddThemes},   {IDC_REMOVE_THEMES, f.buttonRemoveThemes},
      {IDC_LABEL_PERSONS, f.labelPersons},   {IDC_PERSONS, f.listPersons},
      {IDC_ADD_PERSON, f.buttonAddPerson},   {IDC_REMOVE_PERSONS, f.buttonRemovePersons},
      {IDC_FRAMES, f.checkFrames},           {IDC_POSITION, f.textPosition},
      {IDC_SLIDER, f.sliderPosition},        {IDC_SPIN, f.spinPosition},
  };
  // Assigning themes comes with its dialog; until then its button stays hidden.
  f.buttonAddThemes->hide();
  f.buttonDateLock->EnableHover(m_doc.Settings().GetInt("Settings", "Zusammenarbeit", 0) != 0);
  f.editHeadline->installEventFilter(this);
  f.editDate->installEventFilter(this);
  // A control reached with the keyboard is scrolled into sight.
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { ShowInColumn(now); });

  connect(f.pictureCtrl, &CPictureCtrl::Notify, this, &CImageDescription::OnPictureNotify);
  connect(f.buttonDateLock, &QPushButton::clicked, this,
          [this] { m_form->editDate->setReadOnly(!m_form->editDate->isReadOnly()); });
  connect(f.buttonRemoveThemes, &QPushButton::clicked, this, [this] { OnCommand(ID_REMOVE_THEMES); });
  connect(f.buttonAddPerson, &QPushButton::clicked, this, [this] {
    OnCommand(ID_ADD_PERSON);
    m_form->buttonAddPerson->setChecked(m_bMarking);
  });
  connect(f.buttonRemovePersons, &QPushButton::clicked, this, [this] { OnCommand(ID_REMOVE_PERSONS); });
  connect(f.checkFrames, &QPushButton::clicked, this, &CImageDescription::OnFramesClicked);
  connect(f.listPersons, &QListWidget::itemSelectionChanged, this,
          &CImageDescription::OnPersonSelectionChanged);
  connect(f.listThemes, &QListWidget::itemSelectionChanged, this,
          &CImageDescription::OnThemeSelectionChanged);
  connect(f.sliderPosition, &QSlider::sliderMoved, this, &CImageDescription::OnSliderMoved);
  connect(f.sliderPosition, &QSlider::sliderReleased, this, &CImageDescription::OnSliderChangeEnd);
  connect(f.sliderPosition, &QSlider::valueChanged, this, [this] {
    // Clicks on the channel and keys end a change at once; a drag ends at the release.
    if (!m_bSettingSlider && !m_form->sliderPosition->isSliderDown()) OnSliderChangeEnd();
  });
  // The right arrow steps forward, as the spin's negative delta does.
  connect(f.spinRight, &QToolButton::clicked, this, [this] { OnSpin(-1); });
  connect(f.spinLeft, &QToolButton::clicked, this, [this] { OnSpin(+1); });

  UpdateButtons();
  m_doc.AddView(this);
}

CImageDescription::~CImageDescription() {
  // No commits while the form goes away.
  m_form->editHeadline->removeEventFilter(this);
  m_form->editDate->removeEventFilter(this);
  m_doc.RemoveView(this);
}

CPictureCtrl* CImageDescription::PictureCtrl() { return m_form->pictureCtrl; }

QWidget* CImageDescription::GetDlgItem(int id) const {
  const auto it = m_controls.find(id);
  return it == m_controls.end() ? nullptr : it->second;
}

void CImageDescription::OnInitialUpdate() {
  LeaveMarking();
  SetSliderRange();
  SetSliderPos(m_doc.m_nCurrentPosition);
  Refresh(m_doc.CurrentPicture());
  if (m_initialSize.isEmpty()) {
    // The controls stand where the form puts them for its own size; any
    // difference to the current size is a resize from there.
    m_initialSize = m_lastSize = m_designSize;
    if (size() != m_designSize) OnSize(width(), height());
  }
}

void CImageDescription::OnUpdate(CDocument&, IDocumentObserver*, long) {
  if (m_bUpdatingSuspended) return;
  DocumentUpdate();
}

void CImageDescription::DocumentUpdate() {
  SetSliderRange();
  SetSliderPos(m_doc.m_nCurrentPosition);
  Refresh(m_doc.CurrentPicture());
}

// ---------------------------------------------------------------- refresh

void CImageDescription::Refresh(std::int32_t id) {
  const std::int32_t count = m_doc.m_nSelectedCount;
  const std::int32_t pos = m_doc.m_nCurrentPosition;
  if (count == 1)
    m_strPosition = Q(LoadString(IDS_ONE_PICTURE_FOUND));
  else if (pos != 0)
    m_strPosition = QString::asprintf("%li / %li", static_cast<long>(pos) + 1, static_cast<long>(count));
  else
    m_strPosition = Q(FormatMessage(LoadString(IDS_PICTURES_FOUND), {static_cast<long long>(count)}));

  PictureEntry entry;
  // A picture that is no longer in the album shows as none.
  if (id != -1 && !m_doc.m_pictures.Lookup(id, entry)) id = -1;

  if (m_doc.CurrentPicture() == -1 || count == 0 || id == -1) {
    m_strPosition = Q(LoadString(IDS_NO_PICTURES_FOUND));
    m_strFileName.clear();
    m_date = COleDateTime(COleDateTime::null, 0.0);
    m_form->listPersons->clear();
    m_form->listThemes->clear();
    m_strSize.clear();
    m_strHeadline.clear();
    m_form->pictureCtrl->Load(QString());
  }
  m_nShownPicture = id;
  WriteFields();
  m_personRects.clear();
  if (id == -1) {
    m_form->pictureCtrl->update();
    UpdateButtons();
    update();
    emit CommandStatesChanged();
    return;
  }

  const bool relativePath = m_doc.Settings().GetInt("Settings", "RelativePath", 0) != 0;
  m_strHeadline = HeadlineFromStored(entry.title);
  FillPersons(id);
  FillThemes(id);
  m_strFileName = Q(m_doc.GetPictureFullPath(id));
  m_date = entry.timestamp;
  // Also an empty name: the previous picture must not stay on screen.
  m_form->pictureCtrl->Load(m_strFileName);
  m_strSize = QString::asprintf("%u x %u (%.1f kB)", m_form->pictureCtrl->PictureWidth(),
                                m_form->pictureCtrl->PictureHeight(),
                                static_cast<double>(entry.size) / 1024.0);
  if (relativePath) m_strFileName = Q(entry.filename);

  WriteFields();
  SetSliderPos(pos);
  UpdateButtons();
  // The new picture shows without blinking frames (loading stopped them); the
  // frames switch applies again when the user presses it.
  update();
  emit CommandStatesChanged();
}

void CImageDescription::WriteFields() {
  Ui::ImageDescriptionForm& f = *m_form;
  f.editSize->setText(m_strSize);
  f.textPosition->setText(m_strPosition);
  f.editFileName->setText(m_strFileName);
  f.editDate->setText(FormatOleDate(m_date));
  // Narrow fields (enlarged layout) show the beginning of date and size.
  f.editDate->setCursorPosition(0);
  f.editSize->setCursorPosition(0);
  f.editDate->setModified(false);
  f.editHeadline->setPlainText(m_strHeadline);
  f.editHeadline->document()->setModified(false);
  WriteFramesSwitch();
}

void CImageDescription::WriteFramesSwitch() {
  m_form->checkFrames->setChecked(m_form->pictureCtrl->m_bFramesVisible != 0);
}

void CImageDescription::FillPersons(std::int32_t picture) {
  QListWidget* list = m_form->listPersons;
  list->clear();
  m_doc.m_personsOnPictures.ForEachOnPicture(picture, [&](std::int32_t person, const Rect& rect) {
    auto* item = new QListWidgetItem(Q(m_doc.m_persons.GetName(person)));
    item->setData(Qt::UserRole, person);
    list->addItem(item);
    m_personRects[static_cast<std::uint32_t>(person)] = rect;
  });
}

void CImageDescription::FillThemes(std::int32_t picture) {
  QListWidget* list = m_form->listThemes;
  list->clear();
  m_doc.m_themesOfPictures.ForEachOnPicture(picture, [&](std::int32_t theme) {
    auto* item = new QListWidgetItem(Q(m_doc.m_themes.GetName(theme)));
    item->setData(Qt::UserRole, theme);
    list->addItem(item);
  });
}

bool CImageDescription::AnyThemeSelected() const { return !m_form->listThemes->selectedItems().isEmpty(); }
bool CImageDescription::AnyPersonSelected() const { return !m_form->listPersons->selectedItems().isEmpty(); }

void CImageDescription::UpdateButtons() {
  m_form->buttonRemoveThemes->setEnabled(!m_bMarking && AnyThemeSelected());
  m_form->buttonRemovePersons->setEnabled(!m_bMarking && AnyPersonSelected());
}

void CImageDescription::SetSliderRange() {
  m_bSettingSlider = true;
  m_form->sliderPosition->setRange(0, std::max(m_doc.m_nSelectedCount - 1, 0));
  m_bSettingSlider = false;
}

void CImageDescription::SetSliderPos(int pos) {
  m_bSettingSlider = true;
  m_form->sliderPosition->setValue(pos);
  m_bSettingSlider = false;
}

// ---------------------------------------------------------------- commits

bool CImageDescription::CommitHeadline() {
  QPlainTextEdit* edit = m_form->editHeadline;
  // Only the user's typing counts: the shown text may differ from the stored
  // one in its line breaks alone.
  if (m_nShownPicture == -1 || !edit->document()->isModified()) return true;
  m_strHeadline = edit->toPlainText();
  edit->document()->setModified(false);
  PictureEntry entry;
  if (!m_doc.m_pictures.Lookup(m_nShownPicture, entry)) return true;
  const std::string title = HeadlineToStored(m_strHeadline);
  if (title != entry.title) {
    m_doc.AddOrUpdatePicture(m_nShownPicture, entry.filename, entry.timestamp, entry.size, title);
    emit CommandStatesChanged();
  }
  return true;
}

bool CImageDescription::CommitDate() {
  QLineEdit* edit = m_form->editDate;
  // The field shows whole seconds; an untouched field must not round the stored date.
  if (m_nShownPicture == -1 || !edit->isModified()) return true;
  const std::optional<COleDateTime> date = ParseOleDate(edit->text());
  if (!date) {
    m_ui.Warn(std::string(LoadString(IDS_PARSE_DATETIME)));
    edit->setFocus();
    return false;
  }
  edit->setModified(false);
  m_date = *date;
  PictureEntry entry;
  if (!m_doc.m_pictures.Lookup(m_nShownPicture, entry)) return true;
  if (!(m_date == entry.timestamp)) {
    m_doc.AddOrUpdatePicture(m_nShownPicture, entry.filename, m_date, entry.size, entry.title);
    emit CommandStatesChanged();
  }
  return true;
}

bool CImageDescription::CommitEdits() {
  if (m_bCommitting) return true;
  m_bCommitting = true;
  CommitHeadline();
  const bool dateOk = CommitDate();
  m_bCommitting = false;
  return dateOk;
}

bool CImageDescription::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut &&
      static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason && !m_bCommitting) {
    m_bCommitting = true;
    if (watched == m_form->editHeadline) CommitHeadline();
    if (watched == m_form->editDate) CommitDate();
    m_bCommitting = false;
  }
  return QWidget::eventFilter(watched, event);
}

// ------------------------------------------------------------- navigation

void CImageDescription::Step(bool next) {
  if (m_nShownPicture == -1) return;
  CommitEdits();
  const std::int32_t count = m_doc.m_nSelectedCount;
  if (count <= 0) return;
  std::int32_t pos = m_doc.m_nCurrentPosition;
  if (next)
    pos = pos + 1 >= count ? 0 : pos + 1;
  else
    pos = pos - 1 < 0 ? count - 1 : pos - 1;
  SetSliderPos(pos);
  m_doc.SetCurrentIndex(pos);
  Refresh(m_doc.CurrentPicture());
}

void CImageDescription::OnSliderMoved(int pos) {
  m_form->textPosition->setText(
      QString::asprintf("%li / %li", static_cast<long>(pos) + 1, static_cast<long>(m_doc.m_nSelectedCount)));
}

void CImageDescription::OnSliderChangeEnd() {
  const int pos = m_form->sliderPosition->value();
  if (pos < m_doc.m_nSelectedCount) {
    m_doc.SetCurrentIndex(pos);
    Refresh(m_doc.CurrentPicture());
  }
}

void CImageDescription::OnSpin(int delta) {
  if (m_nShownPicture == -1) return;
  CommitEdits();
  const int pos = m_doc.m_nCurrentPosition;
  SetSliderPos(delta < 0 ? pos + 1 : pos - 1);
  OnSliderChangeEnd();
}

// ------------------------------------------------------- resize, enlarge

void CImageDescription::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!m_initialSize.isEmpty()) OnSize(event->size().width(), event->size().height());
}

void CImageDescription::OnSize(int cx, int cy) {
  const bool scrolls = cy < m_initialSize.height();
  const int bar = scrolls ? m_columnScroll->width() : 0;
  m_columnScroll->setGeometry(cx - m_columnScroll->width(), 0, m_columnScroll->width(), cy);
  m_columnScroll->setRange(0, std::max(m_initialSize.height() - cy, 0));
  m_columnScroll->setPageStep(std::max(cy, 1));
  m_columnScroll->setSingleStep(24);
  m_columnScroll->setVisible(scrolls);
  cx = std::max(cx - bar, m_initialSize.width());
  cy = std::max(cy, kMinViewHeight);
  const int dx = cx - m_lastSize.width();
  const int dy = cy - m_lastSize.height();
  if (dx == 0 && dy == 0) return;
  for (const int id : kColumn) {
    QWidget* w = GetDlgItem(id);
    w->move(w->x() + dx, w->y());
  }
  CPictureCtrl* picture = m_form->pictureCtrl;
  picture->resize(picture->width() + dx, picture->height() + dy);
  picture->RecalcLayout();
  picture->update();
  m_lastSize = QSize(cx, cy);
}

void CImageDescription::ScrollColumnTo(int offset) {
  const int dy = m_nColumnOffset - offset;
  if (dy == 0) return;
  for (const int id : kColumn) {
    QWidget* w = GetDlgItem(id);
    w->move(w->x(), w->y() + dy);
  }
  m_nColumnOffset = offset;
}

void CImageDescription::ShowInColumn(QWidget* focus) {
  if (!focus || m_columnScroll->isHidden() || !isAncestorOf(focus)) return;
  QWidget* control = focus;
  while (control && control->parentWidget() != this) control = control->parentWidget();
  if (!control || control == m_form->pictureCtrl || control == m_columnScroll) return;
  const QRect r = control->geometry();
  if (r.top() < 0)
    m_columnScroll->setValue(m_nColumnOffset + r.top() - 8);
  else if (r.bottom() >= height())
    m_columnScroll->setValue(m_nColumnOffset + r.bottom() - height() + 9);
}

void CImageDescription::wheelEvent(QWheelEvent* event) {
  // Turns of the wheel that no control of the column took scroll the column.
  if (m_columnScroll->isHidden()) {
    QWidget::wheelEvent(event);
    return;
  }
  QApplication::sendEvent(m_columnScroll, event);
}

void CImageDescription::ToggleEnlarge() {
  m_bEnlarged = !m_bEnlarged;
  // Restoring moves back by exactly what enlarging moved, so toggling never
  // drifts by a pixel when the headline's width is not a multiple of four.
  const int half = m_form->editHeadline->width() / 2;
  const int b = m_bEnlarged ? half : -m_nEnlargeOffset;
  if (m_bEnlarged) m_nEnlargeOffset = half;

  for (const int id : {IDC_LABEL_HEADLINE, IDC_LABEL_FILENAME, IDC_LABEL_DATE, IDC_LABEL_SIZE,
                       IDC_LABEL_THEMES, IDC_LABEL_PERSONS, IDC_POSITION})
    GetDlgItem(id)->setVisible(!m_bEnlarged);
  for (const int id :
       {IDC_DATE_LOCK, IDC_ADD_THEMES, IDC_REMOVE_THEMES, IDC_ADD_PERSON, IDC_FRAMES, IDC_REMOVE_PERSONS}) {
    QWidget* w = GetDlgItem(id);
    w->move(w->x() + b, w->y());
  }
  for (const int id :
       {IDC_HEADLINE, IDC_FILENAME, IDC_DATE, IDC_SIZE, IDC_THEMES, IDC_PERSONS, IDC_SLIDER, IDC_SPIN}) {
    QWidget* w = GetDlgItem(id);
    w->setGeometry(w->geometry().adjusted(b, 0, 0, 0));
  }
  const int label = m_form->labelThemes->width();
  CPictureCtrl* picture = m_form->pictureCtrl;
  picture->resize(picture->width() + (m_bEnlarged ? b + label : b - label), picture->height());
  picture->RecalcLayout();
  picture->update();
  update();
  emit CommandStatesChanged();
}

// -------------------------------------------------------- person marking

void CImageDescription::EnterMarking() {
  if (m_doc.m_nSelectedCount == 0 || m_nShownPicture == -1 || m_bMarking) return;
  CommitEdits();
  CPictureCtrl* picture = m_form->pictureCtrl;
  m_bMarking = true;
  m_nSavedFramesVisible = picture->m_bFramesVisible;
  picture->m_bFramesVisible = 1;
  picture->m_nMode = 1;
  picture->UpdateCursor();
  picture->update();
  WriteFramesSwitch();
  m_form->buttonAddPerson->setChecked(true);
  picture->SetBlinking(false);
  for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
    if (child != picture) child->setEnabled(false);
  emit CommandStatesChanged();
}

void CImageDescription::LeaveMarking() {
  if (!m_bMarking) return;
  CPictureCtrl* picture = m_form->pictureCtrl;
  m_bMarking = false;
  picture->m_nMode = 0;
  for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
    child->setEnabled(true);
  picture->m_bFramesVisible = m_nSavedFramesVisible;
  picture->update();
  picture->UpdateCursor();
  WriteFramesSwitch();
  m_form->buttonAddPerson->setChecked(false);
  // Enabling every control must not enable removal without a selection.
  UpdateButtons();
  emit CommandStatesChanged();
}

void CImageDescription::OnPictureNotify(const NMPICTURE& nm) {
  switch (nm.code) {
    case PCN_DBLCLK:
      if (m_doc.CurrentPicture() != -1) m_doc.OpenPictureFile(m_doc.CurrentPicture());
      break;
    case PCN_RECTMARKED:
      if (m_bMarking) OnRectMarked(Rect{nm.left, nm.top, nm.right, nm.bottom});
      break;
    default:
      break;
  }
}

void CImageDescription::OnRectMarked(const Rect& marked) {
  LeaveMarking();
  const std::int32_t picture = m_doc.CurrentPicture();
  const Rect rect =
      ClampToPicture(marked, m_form->pictureCtrl->PictureWidth(), m_form->pictureCtrl->PictureHeight());
  // A drag beside the picture leaves nothing of it to mark a person by.
  if (picture == -1 || rect.right <= rect.left || rect.bottom <= rect.top) return;
  CPersonsDlg dlg(m_doc, m_ui, this);
  dlg.m_rect = rect;
  dlg.m_strPath = Q(m_doc.GetPictureFullPath(picture));
  dlg.m_nPicture = picture;
  dlg.m_nPictureWidth = m_form->pictureCtrl->PictureWidth();
  dlg.m_nPictureHeight = m_form->pictureCtrl->PictureHeight();
  const int persons = m_doc.m_persons.GetCount();
  if (dlg.exec() == QDialog::Accepted) Refresh(m_doc.CurrentPicture());
  // Persons made with "neu" stay even after Cancel; the selection bar lists them.
  if (m_doc.m_persons.GetCount() != persons) m_doc.UpdateAllViews(this);
}

// ------------------------------------------------- frames and selections

void CImageDescription::OnFramesClicked() {
  CPictureCtrl* picture = m_form->pictureCtrl;
  picture->m_bFramesVisible = m_form->checkFrames->isChecked() ? 1 : 0;
  if (AnyPersonSelected()) return;
  ApplyFramesSwitch();
  if (!picture->m_bFramesVisible) picture->update();
}

void CImageDescription::ApplyFramesSwitch() {
  CPictureCtrl* picture = m_form->pictureCtrl;
  const bool on = m_form->checkFrames->isChecked();
  // Unticked while nothing blinks: nothing to stop.
  if (m_bMarking || (!on && !picture->IsBlinking())) return;
  picture->ClearBlinkingFrames();
  QListWidget* list = m_form->listPersons;
  for (int i = 0; i < list->count(); ++i) {
    const auto it = m_personRects.find(list->item(i)->data(Qt::UserRole).toUInt());
    if (it != m_personRects.end()) picture->AddBlinkingFrame(it->second);
  }
  picture->SetBlinking(on);
}

void CImageDescription::OnPersonSelectionChanged() {
  UpdateButtons();
  CPictureCtrl* picture = m_form->pictureCtrl;
  picture->ClearBlinkingFrames();
  const QList<QListWidgetItem*> selected = m_form->listPersons->selectedItems();
  for (const QListWidgetItem* item : selected) {
    const auto it = m_personRects.find(item->data(Qt::UserRole).toUInt());
    if (it != m_personRects.end()) picture->AddBlinkingFrame(it->second);
  }
  picture->SetBlinking(!selected.isEmpty() && picture->m_bFramesVisible == 0);
  emit CommandStatesChanged();
}

void CImageDescription::OnThemeSelectionChanged() {
  UpdateButtons();
  emit CommandStatesChanged();
}

namespace {
// The selected entries in the order the list shows them (selectedItems()
// gives the order in which they were clicked).
QList<QListWidgetItem*> SelectedInListOrder(const QListWidget* list) {
  QList<QListWidgetItem*> items;
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->isSelected()) items.append(list->item(i));
  return items;
}
}  // namespace

void CImageDescription::RemoveThemes() {
  const QList<QListWidgetItem*> selected = SelectedInListOrder(m_form->listThemes);
  if (selected.isEmpty() || m_nShownPicture == -1) return;
  CommitEdits();
  std::string text(LoadString(selected.size() == 1 ? IDS_DELETE_THEME : IDS_DELETE_THEMES));
  std::vector<std::int32_t> themes;
  for (const QListWidgetItem* item : selected) {
    text += S(item->text()) + "\n";
    themes.push_back(item->data(Qt::UserRole).toInt());
  }
  if (AskOverwriteDelete(m_doc) &&
      m_ui.AskYesNo(text, std::string(LoadString(IDS_DELETE_THEME_CAPTION)), DefaultButton::No) !=
          Answer::Yes)
    return;
  for (const std::int32_t theme : themes) m_doc.RemoveThemeFromPicture(theme, m_nShownPicture);
  Refresh(m_doc.CurrentPicture());
}

void CImageDescription::RemovePersons() {
  const QList<QListWidgetItem*> selected = SelectedInListOrder(m_form->listPersons);
  if (selected.isEmpty() || m_nShownPicture == -1) return;
  CommitEdits();
  std::string names;
  std::vector<std::int32_t> persons;
  for (const QListWidgetItem* item : selected) {
    names += S(item->text()) + "\n";
    persons.push_back(item->data(Qt::UserRole).toInt());
  }
  if (AskOverwriteDelete(m_doc) &&
      m_ui.AskYesNo(FormatMessage(LoadString(IDS_REMOVE_PERSONS), {names}),
                    std::string(LoadString(IDS_REMOVE_PERSON_CAPTION)), DefaultButton::No) !=
          Answer::Yes)
    return;
  for (const std::int32_t person : persons) m_doc.RemovePersonFromPicture(person, m_nShownPicture);
  Refresh(m_doc.CurrentPicture());
}

void CImageDescription::DeletePicture() {
  const std::int32_t picture = m_doc.CurrentPicture();
  const std::int32_t position = m_doc.m_nCurrentPosition;
  if (picture == -1) return;
  // The document updates its views while it deletes; this view shows the
  // outcome once, at the remembered position.
  struct Suspend {
    bool& flag;
    explicit Suspend(bool& f) : flag(f) { flag = true; }
    ~Suspend() { flag = false; }
  } suspend(m_bUpdatingSuspended);
  CDeletePictureDlg dlg(m_doc, picture, this);
  if (dlg.exec() != QDialog::Accepted) return;
  m_doc.DeletePicture(picture, dlg.m_bRecycle != 0);
  m_doc.SetCurrentIndex(position);
  Refresh(m_doc.CurrentPicture());
  DocumentUpdate();
}

// --------------------------------------------------------------- commands

bool CImageDescription::OnCommand(int id) {
  switch (id) {
    case ID_NEXT_PICTURE:
      Step(true);
      return true;
    case ID_PREV_PICTURE:
      Step(false);
      return true;
    case ID_ADD_PERSON:
      EnterMarking();
      return true;
    case ID_CANCEL_ADD_PERSON:
      LeaveMarking();
      return true;
    case ID_REMOVE_THEMES:
      RemoveThemes();
      return true;
    case ID_REMOVE_PERSONS:
      RemovePersons();
      return true;
    case ID_DELETE_PICTURE:
      DeletePicture();
      return true;
    case ID_ENLARGE:
      ToggleEnlarge();
      return true;
    default:
      return false;
  }
}

bool CImageDescription::OnUpdateCommand(int id, CmdState& state) {
  switch (id) {
    case ID_NEXT_PICTURE:
    case ID_PREV_PICTURE:
    case ID_DELETE_PICTURE:
      state.enabled = true;
      return true;
    case ID_ADD_PERSON:
      state.enabled = true;
      state.checked = m_bMarking;
      return true;
    case ID_CANCEL_ADD_PERSON:
      state.enabled = m_bMarking;
      return true;
    case ID_REMOVE_THEMES:
      state.enabled = AnyThemeSelected();
      return true;
    case ID_REMOVE_PERSONS:
      state.enabled = AnyPersonSelected();
      return true;
    case ID_ENLARGE:
      state.enabled = true;
      state.checked = m_bEnlarged;
      return true;
    default:
      return false;
  }
}

}  // namespace kolvaro
