#pragma once
// The picture window "Bild": a resizable tool window beside the picture view
// that shows the view's picture as large as it allows, with two buttons to
// step back and forth, titled by the picture's headline, themes or persons.

#include <QDialog>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <string>

class QPushButton;

namespace kolvaro {

class CPictureCtrl;
class ISettings;

/// The window's title from the three texts (names separated by CR), by
/// `HeadlineOption`: the first non-empty in the option's order, every CR and
/// LF turned into a space; "Bild" when all are empty. An option outside 0..5
/// counts as 0.
std::string PictureWindowTitle(int option, const std::string& headline, const std::string& themes,
                               const std::string& persons);

class CPictureWnd : public QDialog {
  Q_OBJECT
 public:
  /// `position` tells the view's position in the selection, `count` its
  /// length; `goTo` moves the view there and lets it refresh (which refreshes
  /// this window).
  CPictureWnd(ISettings& settings, std::function<int()> position, std::function<int()> count,
              std::function<void(int)> goTo, QWidget* parent);
  ~CPictureWnd() override;

  void SetPicture(const QString& path);
  void SetTitle(const std::string& headline, const std::string& themes, const std::string& persons);
  /// Fits the picture control to the window less its margins.
  void Layout();
  CPictureCtrl* PictureCtrl() const { return m_pPicture; }
  /// True while a border drag (a run of resizes) has not yet come to rest.
  bool IsSizing() const { return m_quiet.isActive(); }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void Step(int delta);
  void SavePlace();

  ISettings& m_settings;
  std::function<int()> m_position;
  std::function<int()> m_count;
  std::function<void(int)> m_goTo;
  CPictureCtrl* m_pPicture = nullptr;
  QPushButton* m_pPrev = nullptr;
  QPushButton* m_pNext = nullptr;
  QTimer m_quiet;  // Qt reports no end of a border drag: a pause in resizing ends it
};

}  // namespace kolvaro
