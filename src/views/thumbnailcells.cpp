#include "views/thumbnailcells.h"

#include <QAbstractItemView>
#include <QPainter>
#include <algorithm>

#include "core/meriskdoc.h"
#include "qt/qtstring.h"
#include "res/strings.h"
#include "views/datetext.h"

namespace kolvaro {
namespace {

constexpr int kMarkWidth = 3;

QString Headline(const PictureEntry& entry) {
  return ToQString(entry.title).replace(QStringLiteral("\r\n"), QStringLiteral(" ")).trimmed();
}

}  // namespace

// ------------------------------------------------------------------ model

QVariant CThumbnailModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount({})) return {};
  const std::int32_t id = m_ids[static_cast<std::size_t>(index.row())];
  if (role == kPathRole) return Path(id);
  const PictureEntry* entry = m_doc.Pictures().Find(id);
  if (role == kCaptionRole) {
    if (!entry) return QString();
    const QString headline = Headline(*entry);
    if (!headline.isEmpty()) return headline;
    const QString path = ToQString(entry->filename);
    return path.mid(
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))) + 1);
  }
  if (role != Qt::ToolTipRole) return {};
  QStringList lines;
  if (entry) {
    const QString headline = Headline(*entry);
    if (!headline.isEmpty()) lines << headline;
    const QString date = FormatOleDate(entry->timestamp);
    if (!date.isEmpty()) lines << date;
  }
  lines << Path(id);
  return lines.join(QLatin1Char('\n'));
}

QString CThumbnailModel::Path(std::int32_t id) const {
  return m_doc.Pictures().Find(id) ? ToQString(m_doc.GetPictureFullPath(id)) : QString();
}

QString CThumbnailModel::PathAt(int row) const {
  return row >= 0 && row < rowCount({}) ? Path(m_ids[static_cast<std::size_t>(row)]) : QString();
}

bool CThumbnailModel::Follow(const std::vector<std::int32_t>& selection) {
  if (selection == m_ids) return false;
  beginResetModel();
  m_ids = selection;
  endResetModel();
  return true;
}

// --------------------------------------------------------------- delegate

CThumbnailDelegate::CThumbnailDelegate(QAbstractItemView& view, const CThumbnailModel& model,
                                       Held held, int edge, bool captions)
    : QStyledItemDelegate(&view),
      m_view(view),
      m_model(model),
      m_held(std::move(held)),
      m_edge(edge),
      m_captions(captions) {}

QSize CThumbnailDelegate::CellSize() const {
  const int cell = m_edge + 2 * kMargin;
  return QSize(cell, cell + (m_captions ? m_view.fontMetrics().height() + kMargin : 0));
}

void CThumbnailDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  const QRect cell = option.rect;
  const QRect box(cell.left() + kMargin, cell.top() + kMargin, m_edge, m_edge);
  const QPalette& palette = option.palette;
  painter->save();
  if (m_captions && (option.state & QStyle::State_Selected))
    painter->fillRect(cell, palette.color(QPalette::Highlight).lighter(160));
  const CThumbnailMemory::Entry held = m_held(index.row());
  if (!held.image.isNull()) {
    QSize shown = held.image.deviceIndependentSize().toSize();
    if (shown.width() > box.width() || shown.height() > box.height())
      shown.scale(box.size(), Qt::KeepAspectRatio);
    QRect target(QPoint(0, 0), shown);
    target.moveCenter(box.center());
    painter->drawImage(target, held.image);
  } else if (held.state != ThumbnailSource::State::kOk) {
    // So that a user sees at a glance which pictures need their paths repaired.
    painter->fillRect(box, palette.color(QPalette::Window).darker(115));
    painter->setPen(QPen(palette.color(QPalette::Mid), 1, Qt::DashLine));
    painter->drawRect(box.adjusted(0, 0, -1, -1));
    painter->setPen(palette.color(QPalette::WindowText));
    QFont font = painter->font();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    painter->setFont(font);
    const StringId text = held.state == ThumbnailSource::State::kMissing
                              ? IDS_STRIP_FILE_MISSING
                              : IDS_STRIP_FILE_UNREADABLE;
    painter->drawText(box.adjusted(4, 4, -4, -4), Qt::AlignCenter | Qt::TextWordWrap,
                      ToQString(LoadString(text)));
  } else {
    painter->fillRect(box, palette.color(QPalette::Window).darker(105));
  }
  if (m_captions) {
    const QRect line(cell.left() + kMargin, box.bottom() + 1 + kMargin / 2,
                     cell.width() - 2 * kMargin, m_view.fontMetrics().height());
    painter->setPen(palette.color(QPalette::Text));
    painter->setFont(m_view.font());
    painter->drawText(
        line, Qt::AlignHCenter | Qt::AlignVCenter,
        m_view.fontMetrics().elidedText(index.data(CThumbnailModel::kCaptionRole).toString(),
                                        Qt::ElideRight, line.width()));
  }
  if (index.row() == m_model.marked) {
    painter->setPen(QPen(palette.color(QPalette::Highlight), kMarkWidth));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(cell.adjusted(kMarkWidth / 2 + 1, kMarkWidth / 2 + 1, -kMarkWidth / 2 - 1,
                                    -kMarkWidth / 2 - 1));
  }
  if ((option.state & QStyle::State_HasFocus) && m_view.hasFocus()) {
    painter->setPen(QPen(palette.color(QPalette::Text), 1, Qt::DotLine));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(cell.adjusted(0, 0, -1, -1));
  }
  painter->restore();
}

}  // namespace kolvaro
