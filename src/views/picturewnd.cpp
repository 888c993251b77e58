#include "views/picturewnd.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <algorithm>
#include <array>

#include "qt/qtstring.h"
#include "core/ports/settings.h"
#include "res/strings.h"
#include "views/picturectrl.h"
#include "views/windowplacement.h"

namespace kolvaro {

namespace {

// Margins of the picture control; the buttons sit above it.
constexpr int kMarginLeft = 7;
constexpr int kMarginRight = 7;
constexpr int kMarginBottom = 7;
// How long resizing must rest before the picture is laid out anew.
constexpr int kQuietMs = 200;
const char* const kPlaceSection = "PictureWindow";

}  // namespace

std::string PictureWindowTitle(int option, const std::string& headline, const std::string& themes,
                               const std::string& persons) {
  enum Source { H, T, P };
  static constexpr std::array<std::array<Source, 3>, 6> kOrders{{
      {H, T, P}, {H, P, T}, {T, P, H}, {T, H, P}, {P, T, H}, {P, H, T}}};
  if (option < 0 || option > 5) option = 0;
  std::string title;
  for (Source s : kOrders[static_cast<std::size_t>(option)]) {
    const std::string& text = s == H ? headline : s == T ? themes : persons;
    if (!text.empty()) {
      title = text;
      break;
    }
  }
  if (title.empty()) return std::string(LoadString(IDS_PICTURE_WND_TITLE));
  std::replace_if(title.begin(), title.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return title;
}

CPictureWnd::CPictureWnd(ISettings& settings, std::function<int()> position, std::function<int()> count,
                         std::function<void(int)> goTo, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowCloseButtonHint),
      m_settings(settings),
      m_position(std::move(position)),
      m_count(std::move(count)),
      m_goTo(std::move(goTo)) {
  setObjectName(QStringLiteral("pictureWnd"));
  setWindowTitle(ToQString(LoadString(IDS_PICTURE_WND_TITLE)));
  setSizeGripEnabled(false);
  m_pPicture = new CPictureCtrl(this);
  m_pPicture->setObjectName(QStringLiteral("pictureCtrl"));
  m_pPrev = new QPushButton(ToQString(LoadString(IDS_PICTURE_WND_PREV)), this);
  m_pPrev->setObjectName(QStringLiteral("buttonPrev"));
  m_pNext = new QPushButton(ToQString(LoadString(IDS_PICTURE_WND_NEXT)), this);
  m_pNext->setObjectName(QStringLiteral("buttonNext"));
  for (QPushButton* b : {m_pPrev, m_pNext}) {
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::TabFocus);
  }
  // The template's places in dialog units (a quarter of the average character
  // width, an eighth of the line height): buttons at x 65 and 94, 24 x 10.
  const QFontMetrics fm(font());
  const auto dluX = [&](int u) { return u * fm.averageCharWidth() / 4; };
  const auto dluY = [&](int u) { return u * fm.height() / 8; };
  m_pPrev->setGeometry(dluX(65), 0, dluX(24), dluY(10));
  m_pNext->setGeometry(dluX(94), 0, dluX(24), dluY(10));
  connect(m_pPrev, &QPushButton::clicked, this, [this] { Step(-1); });
  connect(m_pNext, &QPushButton::clicked, this, [this] { Step(+1); });

  m_quiet.setSingleShot(true);
  m_quiet.setInterval(kQuietMs);
  connect(&m_quiet, &QTimer::timeout, this, &CPictureWnd::Layout);

  const int w = m_settings.GetInt(kPlaceSection, "Width", 0);
  const int h = m_settings.GetInt(kPlaceSection, "Height", 0);
  if (w > 0 && h > 0) {
    QRect place(m_settings.GetInt(kPlaceSection, "Left", 0),
                m_settings.GetInt(kPlaceSection, "Top", 0), w, h);
    // A screen that has gone since leaves the window where it can be seen.
    const QScreen* screen = QGuiApplication::screenAt(place.center());
    if (!screen) place.moveTo(parent ? parent->mapToGlobal(QPoint(0, 0)) : QPoint(0, 0));
    move(place.topLeft());
    resize(place.size());
  } else {
    // First opened: big enough to see the picture, beside the main window.
    const QWidget* owner = parent ? parent->window() : nullptr;
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    const QSize half = screen ? screen->availableGeometry().size() / 2 : QSize(640, 480);
    setGeometry(PlaceBesideOwner(this, owner, half));
  }
  Layout();
}

CPictureWnd::~CPictureWnd() = default;

void CPictureWnd::Layout() {
  m_quiet.stop();
  const QRect client = rect();
  const int top = m_pNext->geometry().bottom() + 1 + kMarginBottom;
  m_pPicture->setGeometry(client.adjusted(kMarginLeft, top, -kMarginRight, -kMarginBottom));
  m_pPicture->RecalcLayout();
  update();
}

void CPictureWnd::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  // Each resize of a drag restarts the wait; the picture is laid out once at its end.
  m_quiet.start();
}

void CPictureWnd::hideEvent(QHideEvent* event) {
  SavePlace();
  QDialog::hideEvent(event);
}

void CPictureWnd::SavePlace() {
  const QRect place(pos(), size());
  if (place.isEmpty()) return;
  m_settings.SetInt(kPlaceSection, "Left", place.x());
  m_settings.SetInt(kPlaceSection, "Top", place.y());
  m_settings.SetInt(kPlaceSection, "Width", place.width());
  m_settings.SetInt(kPlaceSection, "Height", place.height());
}

void CPictureWnd::SetPicture(const QString& path) {
  m_pPicture->Load(path);
  Layout();
}

void CPictureWnd::SetTitle(const std::string& headline, const std::string& themes, const std::string& persons) {
  const int option = ProgramSettings::Get(m_settings, ProgramSettings::kHeadlineOption);
  setWindowTitle(ToQString(PictureWindowTitle(option, headline, themes, persons)));
  update();
}

void CPictureWnd::Step(int delta) {
  const int pos = m_position();
  const int p = delta < 0 ? std::max(pos - 1, 0) : std::min(pos + 1, m_count() - 1);
  m_goTo(p);
}

}  // namespace kolvaro
