#pragma once
// A small tool-tip-coloured window that shows a few lines of text over a
// rectangle of its owner (the picture view shows the names of the persons
// under the mouse with it). It never takes the focus and lets every click
// and key through to the window underneath; it hides itself when the mouse
// leaves its hover area, on a key, on a click and when the program loses the
// focus.

#include <QFont>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <optional>

#include "core/types.h"
#include "views/titletipgeometry.h"

namespace kolvaro {

class ZTitleTip : public QWidget {
  Q_OBJECT
 public:
  /// The tip belongs to owner (whose font it uses) and goes with it.
  explicit ZTitleTip(QWidget* owner);
  ~ZTitleTip() override;

  /// Shows text over target (owner client coordinates, right and bottom
  /// exclusive). Lines are separated by CR LF. Nothing happens for an empty
  /// target, while no window of the program has the focus, or when the text
  /// is the one already shown.
  void Show(const Rect& target, const QString& text, int xOffset = 0, int maxLength = -1,
            const std::optional<Rect>& hover = std::nullopt,
            const std::optional<QFont>& font = std::nullopt);
  void Hide();

  /// The shown text (with the space added at each end).
  const QString& Text() const { return m_strText; }
  /// Where the mouse may go without hiding the tip (screen coordinates).
  QRect HoverRect() const { return m_hover; }
  const TipGeometry& Geometry() const { return m_geometry; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Watch(bool on);

  QPointer<QWidget> m_owner;
  QFont m_font;
  QRect m_hover;
  TipGeometry m_geometry;
  QString m_strText;
  bool m_bWatching = false;
};

}  // namespace kolvaro
