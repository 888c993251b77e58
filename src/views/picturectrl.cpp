#include "views/picturectrl.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRubberBand>
#include <QScreen>
#include <QTimerEvent>
#include <utility>

#include "res/strings.h"
#include "views/picturelayout.h"

namespace kolvaro {

namespace {

constexpr int kCursorSize = 32;
const QColor kFrameColour(128, 0, 200);

QRect ToQRect(const Rect& r) { return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)); }

QCursor SvgCursor(const char* name, int hotX, int hotY, Qt::CursorShape fallback) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const qreal dpr = screen ? screen->devicePixelRatio() : 1.0;
  const QPixmap pixmap = QIcon(QStringLiteral(":/cursors/") + QString::fromLatin1(name) + QStringLiteral(".svg"))
                             .pixmap(QSize(kCursorSize, kCursorSize), dpr);
  if (pixmap.isNull()) return QCursor(fallback);
  return QCursor(pixmap, hotX, hotY);
}

class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

CPictureCtrl::CPictureCtrl(QWidget* parent)
    : QWidget(parent),
      m_markingCursor(SvgCursor("marking", 0, 0, Qt::CrossCursor)),
      m_personCursor(SvgCursor("person", 0, 0, Qt::ArrowCursor)),
      m_normalCursor(SvgCursor("hand", 13, 1, Qt::PointingHandCursor)) {
  setMouseTracking(true);
  UpdateCursor();
}

CPictureCtrl::~CPictureCtrl() = default;

void CPictureCtrl::Load(const QString& path) {
  WaitCursor wait;
  EndTracking();
  ClearFrames();
  update();
  m_scaled = QImage();
  m_strPath = path;
  m_failure = Failure::None;
  CLoadedPicture prepared = std::exchange(m_prepared, CLoadedPicture());
  const bool usePrepared = !path.isEmpty() && !prepared.IsEmpty() && path == m_strPreparedPath;
  m_strPreparedPath.clear();
  if (path.isEmpty()) {
    m_picture.Release();
  } else if (usePrepared) {
    m_picture = std::move(prepared);
  } else if (!m_picture.LoadFromFile(path, [this](const QSize& shown) {
               // The size EnsureScaled asks for: checking the file gives the first paint's pixels.
               const Rect display = ComputeDisplayRect(Rect{0, 0, width(), height()},
                                                       static_cast<unsigned>(shown.width()),
                                                       static_cast<unsigned>(shown.height()));
               return (QSizeF(ToQRect(display).size()) * devicePixelRatioF()).toSize();
             })) {
    // A dangling link counts as missing: its picture is not there.
    m_failure = QFileInfo::exists(path) ? Failure::NotAPicture : Failure::Missing;
  }
  const QSize size = m_picture.GetSizeInPixels();
  m_nPictureWidth = static_cast<unsigned>(size.width());
  m_nPictureHeight = static_cast<unsigned>(size.height());
  RecalcLayout();
  // Decoding now rather than at the first paint lets a file that only
  // pretends to be a picture show as empty straight away.
  EnsureScaled();
}

void CPictureCtrl::OfferPrepared(const QString& path, CLoadedPicture picture) {
  m_prepared = std::move(picture);
  m_strPreparedPath = path;
}

QSize CPictureCtrl::DisplayedSize() const {
  return m_picture.IsEmpty() ? QSize(0, 0) : m_picture.DisplayedSize();
}

void CPictureCtrl::RecalcLayout() {
  const QSize shown = DisplayedSize();
  m_display = ComputeDisplayRect(Rect{0, 0, width(), height()}, static_cast<unsigned>(shown.width()),
                                 static_cast<unsigned>(shown.height()));
  // The scaled copy is redone at the next paint when the size changed.
  const qreal dpr = devicePixelRatioF();
  const QSize wanted = (QSizeF(ToQRect(m_display).size()) * dpr).toSize();
  if (m_scaled.size() != wanted || m_scaled.devicePixelRatio() != dpr) m_scaled = QImage();
}

void CPictureCtrl::EnsureScaled() {
  const qreal dpr = devicePixelRatioF();
  // Moved to a screen of another scale: the copy no longer fits its pixels.
  if (!m_scaled.isNull() && m_scaled.devicePixelRatio() != dpr) m_scaled = QImage();
  if (m_picture.IsEmpty() || !m_scaled.isNull()) return;
  const QRect display = ToQRect(m_display);
  if (display.isEmpty()) return;
  m_scaled = m_picture.Decode((QSizeF(display.size()) * dpr).toSize());
  if (m_scaled.isNull()) {
    DropPicture();
    return;
  }
  m_scaled.setDevicePixelRatio(dpr);
}

void CPictureCtrl::DropPicture() {
  m_picture.Release();
  m_failure = Failure::NotAPicture;
  m_scaled = QImage();
  m_nPictureWidth = 0;
  m_nPictureHeight = 0;
  RecalcLayout();
  update();
}

QRect CPictureCtrl::DisplayRect() const { return ToQRect(m_display); }

void CPictureCtrl::PictureToClient(Rect& r) const {
  const QSize shown = DisplayedSize();
  const int orientation = m_picture.Orientation();
  if (orientation != 1) r = StoredToDisplayed(r, m_nPictureWidth, m_nPictureHeight, orientation);
  r = PictureToClientRect(r, m_display, static_cast<unsigned>(shown.width()));
}

void CPictureCtrl::ClientToPicture(Rect& r) const {
  const QSize shown = DisplayedSize();
  r = ClientToPictureRect(r, m_display, static_cast<unsigned>(shown.width()));
  const int orientation = m_picture.Orientation();
  if (orientation != 1) r = DisplayedToStored(r, m_nPictureWidth, m_nPictureHeight, orientation);
}

void CPictureCtrl::AddFixedFrame(const Rect& r) {
  m_fixedFrames.push_back(r);
  update();
}

void CPictureCtrl::AddBlinkingFrame(const Rect& r) {
  m_blinkingFrames.push_back(r);
  update();
}

void CPictureCtrl::ClearBlinkingFrames() {
  // Frames drawn in the on-phase would otherwise stay on the screen.
  if (m_bBlinking && m_bBlinkPhase) update(FramesRegion(m_blinkingFrames));
  m_blinkingFrames.clear();
  m_blinkTimer.stop();
  m_bBlinking = false;
  m_bBlinkPhase = false;
}

void CPictureCtrl::ClearFrames() {
  m_fixedFrames.clear();
  ClearBlinkingFrames();
}

void CPictureCtrl::SetBlinking(bool on) {
  m_bBlinking = on;
  if (on) {
    m_bBlinkPhase = false;
    const int flash = QApplication::cursorFlashTime();
    // A desktop without caret blinking gets steady frames.
    if (flash > 0) {
      m_blinkTimer.start(2 * flash, this);
    } else {
      m_blinkTimer.stop();
    }
    BlinkTick();
  } else {
    m_blinkTimer.stop();
    m_bBlinkPhase = false;
    update();
  }
}

void CPictureCtrl::BlinkTick() {
  m_bBlinkPhase = !m_bBlinkPhase;
  // Only the frames' pixels change: the off-phase paints the picture back over them.
  update(FramesRegion(m_blinkingFrames));
}

void CPictureCtrl::timerEvent(QTimerEvent* event) {
  if (event->timerId() == m_blinkTimer.timerId()) {
    BlinkTick();
    return;
  }
  QWidget::timerEvent(event);
}

QRegion CPictureCtrl::FramesRegion(const std::vector<Rect>& frames) const {
  QRegion region;
  for (Rect r : frames) {
    PictureToClient(r);
    region += ToQRect(r);
  }
  return region;
}

void CPictureCtrl::DrawFrames(QPainter& painter, const std::vector<Rect>& frames) const {
  if (frames.empty()) return;
  const QBrush brush(kFrameColour, Qt::DiagCrossPattern);
  painter.save();
  painter.setClipRect(rect());
  // Hatch gaps in white, as an opaque hatch brush draws them.
  painter.setBackgroundMode(Qt::OpaqueMode);
  painter.setBackground(Qt::white);
  for (Rect r : frames) {
    PictureToClient(r);
    const QRect q = ToQRect(r);
    if (q.isEmpty()) continue;
    painter.fillRect(QRect(q.left(), q.top(), q.width(), 1), brush);
    painter.fillRect(QRect(q.left(), q.bottom(), q.width(), 1), brush);
    painter.fillRect(QRect(q.left(), q.top(), 1, q.height()), brush);
    painter.fillRect(QRect(q.right(), q.top(), 1, q.height()), brush);
  }
  painter.restore();
}

void CPictureCtrl::paintEvent(QPaintEvent* /*event*/) {
  EnsureScaled();
  QPainter painter(this);
  const bool drawn = !m_picture.IsEmpty();
  if (!m_scaled.isNull()) painter.drawImage(QRectF(ToQRect(m_display)), m_scaled);
  if (m_bFramesVisible != 0) DrawFrames(painter, m_fixedFrames);
  if (m_bBlinking && m_bBlinkPhase) DrawFrames(painter, m_blinkingFrames);
  if (drawn) return;

  painter.setFont(parentWidget() ? parentWidget()->font() : font());
  painter.setPen(palette().color(QPalette::WindowText));
  painter.setBackgroundMode(Qt::TransparentMode);
  QRect area = rect();
  area.setTop((area.top() + area.bottom() + 1) / 2);
  // A long path without spaces breaks anywhere rather than running off the control.
  QTextOption option(Qt::AlignHCenter | Qt::AlignTop);
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  painter.drawText(QRectF(area), MessageText(), option);
}

QString CPictureCtrl::MessageText() const {
  if (m_failure != Failure::None) {
    const int id = m_failure == Failure::Missing ? IDS_PICTURE_FILE_MISSING : IDS_PICTURE_FILE_UNREADABLE;
    return QString::fromStdString(FormatMessage(LoadString(id), {m_strPath.toStdString()}));
  }
  const std::string_view text = LoadString(IDS_NO_PICTURE_SELECTED);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void CPictureCtrl::resizeEvent(QResizeEvent* event) {
  // Owners also call RecalcLayout after moving the control; a layout that
  // resizes it on its own must not leave the picture where it was.
  RecalcLayout();
  QWidget::resizeEvent(event);
}

void CPictureCtrl::UpdateCursor() {
  if (m_nCursorMode == m_nMode) return;
  m_nCursorMode = m_nMode;
  setCursor(m_nMode == 1 ? m_markingCursor : m_nMode == 2 ? m_personCursor : m_normalCursor);
}

void CPictureCtrl::enterEvent(QEnterEvent* event) {
  UpdateCursor();
  QWidget::enterEvent(event);
}

// Mouse events are taken here rather than passed on to the owner: they are
// reported through the signals.
void CPictureCtrl::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (m_bTracking) {
    // The right button (or any other) cancels a drag under way.
    if (event->button() != Qt::LeftButton) EndTracking();
    return;
  }
  if (event->button() != Qt::LeftButton || m_nMode == 0) return;
  m_bTracking = true;
  m_trackOrigin = event->position().toPoint();
  m_trackPoint = m_trackOrigin;
  if (!m_pRubberBand) m_pRubberBand = new QRubberBand(QRubberBand::Rectangle, this);
  m_pRubberBand->setGeometry(QRect(m_trackOrigin, QSize()));
  m_pRubberBand->show();
  // Esc must reach the drag wherever the focus is; not every platform
  // plugin can grab the keyboard, so watch the application's events.
  qApp->installEventFilter(this);
}

void CPictureCtrl::mouseMoveEvent(QMouseEvent* event) {
  UpdateCursor();
  const QPoint pos = event->position().toPoint();
  if (m_bTracking) {
    m_trackPoint = pos;
    m_pRubberBand->setGeometry(QRect(m_trackOrigin, m_trackPoint).normalized());
  } else {
    const QSize shown = DisplayedSize();
    PicturePoint p = MouseToPicture(pos.x(), pos.y(), m_display, static_cast<unsigned>(shown.width()));
    const int orientation = m_picture.Orientation();
    if (orientation != 1) p = DisplayedPixelToStored(p, m_nPictureWidth, m_nPictureHeight, orientation);
    emit MouseMoved(p);
  }
  event->accept();
}

void CPictureCtrl::mouseReleaseEvent(QMouseEvent* event) {
  if (m_bTracking && event->button() == Qt::LeftButton) {
    m_trackPoint = event->position().toPoint();
    const bool moved = m_trackPoint != m_trackOrigin;
    EndTracking();
    if (moved) {
      Rect r = NormaliseRect(Rect{m_trackOrigin.x(), m_trackOrigin.y(), m_trackPoint.x(), m_trackPoint.y()});
      ClientToPicture(r);
      emit RectMarked(r);  // the owner cuts it to the picture
    }
  }
  event->accept();
}

bool CPictureCtrl::eventFilter(QObject* watched, QEvent* event) {
  if (m_bTracking && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    EndTracking();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void CPictureCtrl::EndTracking() {
  if (!m_bTracking) return;
  m_bTracking = false;
  qApp->removeEventFilter(this);
  if (m_pRubberBand) m_pRubberBand->hide();
}

void CPictureCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
  // Not passed on as a press: the second click starts no rubber band.
  if (event->button() == Qt::LeftButton) emit DoubleClicked();
  event->accept();
}

}  // namespace kolvaro
