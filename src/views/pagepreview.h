#pragma once
// The page-setup dialog's small page: the page white, the picture's place
// blue, both outlined; the picture itself is not drawn.

#include <QWidget>

#include "core/types.h"
#include "views/pagelayout.h"

namespace kolvaro {

class CPagePreview : public QWidget {
  Q_OBJECT
 public:
  explicit CPagePreview(QWidget* parent = nullptr) : QWidget(parent) {}

  /// Page and picture rectangle in millimetres; repaints.
  void SetPage(PageSize page, const Rect& picture);
  PageSize Page() const { return m_page; }
  Rect Picture() const { return m_picture; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  PageSize m_page;
  Rect m_picture;
};

}  // namespace kolvaro
