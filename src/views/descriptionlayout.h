#pragma once
// Where the picture view's controls stand. The data column keeps its size and
// follows the view's right edge while the picture takes the rest; lower than
// its form, the view shrinks the picture and scrolls the column (small or
// highly scaled screens); enlarged, the column narrows and the picture widens.

#include <QSize>
#include <vector>

class QScrollBar;
class QWheelEvent;
class QWidget;

namespace Ui {
class ImageDescriptionForm;
}

namespace kolvaro {

class DescriptionLayout {
 public:
  /// `view` holds the form's controls; the column's scroll bar is made here.
  DescriptionLayout(QWidget& view, Ui::ImageDescriptionForm& form);

  /// At the first initial update: the controls stand where the form puts
  /// them for its own size; any difference to the view's size is a resize
  /// from there. Later calls do nothing.
  void Start();
  /// The view's new client size (resize events before Start are ignored).
  void Resize(int cx, int cy);
  /// Scrolls a control that got the keyboard focus into sight.
  void ShowInColumn(QWidget* focus);
  /// A wheel turn no control took scrolls the column; false when it does not scroll.
  bool Wheel(QWheelEvent* event);
  void ToggleEnlarge();

  bool IsEnlarged() const { return m_enlarged; }
  int ColumnOffset() const { return m_columnOffset; }
  int FormHeight() const { return m_designSize.height(); }

 private:
  void ScrollColumnTo(int offset);

  QWidget& m_view;
  Ui::ImageDescriptionForm& m_form;
  std::vector<QWidget*> m_column;        // every control but the picture
  QScrollBar* m_columnScroll = nullptr;  // shown while the view is lower than its form
  QSize m_designSize;
  QSize m_initialSize;  // empty until Start
  QSize m_lastSize;
  int m_columnOffset = 0;
  bool m_enlarged = false;
  int m_enlargeOffset = 0;  // how far enlarging moved the data column
};

}  // namespace kolvaro
