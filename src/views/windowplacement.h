#pragma once
// Where a window of the program opens: wholly on the screen of the window
// it belongs to, beside that window rather than over it.

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace kolvaro {

/// The client rectangle of a window whose client is `size` and whose frame
/// adds `frame`, placed beside `owner` (a frame rectangle) within `screen`
/// (the screen's available area): to the right where it fits, else to the
/// left, else narrower (down to half its width) on the side with more room,
/// else over the owner at that side of the screen. The size shrinks to the
/// screen where it must.
QRect PlaceBeside(const QRect& owner, QSize size, const QRect& screen, const QMargins& frame);

/// PlaceBeside for `window` next to `owner` on the owner's screen (the
/// primary screen without an owner); the frame of a window manager that
/// has not drawn it yet is estimated.
QRect PlaceBesideOwner(const QWidget* window, const QWidget* owner, QSize size);

}  // namespace kolvaro
