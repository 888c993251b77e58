#pragma once
// A line of the data column that shows its whole text even where the column
// is narrow (the enlarged picture): without the focus a text too wide for the
// field is drawn shortened in the middle, with the full text as its tooltip.
// text() stays the full text; with the focus the field edits as usual.

#include <QLineEdit>

namespace kolvaro {

class CElidingLineEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit CElidingLineEdit(QWidget* parent = nullptr);

  /// The text as drawn now: shortened, or the full text.
  QString ShownText() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QRect TextRect() const;
  void UpdateToolTip();
};

}  // namespace kolvaro
