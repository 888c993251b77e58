#pragma once
// "Seite einrichten ...": edits where and how large the shown picture is
// printed, with four borders, width and height, the photo's ratio kept on
// request, nine presets and a small preview of the page.

#include <QDialog>
#include <memory>

#include "views/pagelayout.h"

class QLineEdit;

namespace Ui {
class PageLayoutDlgForm;
}

namespace kolvaro {

class IUserQuestions;
class CPagePreview;

class CPageLayoutDlg : public QDialog {
  Q_OBJECT
 public:
  /// `layout` carries the photo's pixel size; with none (0 x 0) the stored
  /// rectangle is shown without fitting it to a ratio.
  CPageLayoutDlg(const PageLayout& layout, PageSize page, IUserQuestions& ui, QWidget* parent = nullptr);
  ~CPageLayoutDlg() override;

  /// The edited layout; read it after OK.
  const PageLayout& Layout() const { return m_layout; }
  CPagePreview* Preview() const;

  void accept() override;

 private:
  /// All edits and check boxes into the layout; false (the user was told,
  /// the edit has the focus) on a number that is none.
  bool ReadFields();
  void WriteFields();
  void Redisplay();
  void OnEditLeft(QLineEdit* edit, void (*rule)(PageLayout&, PageSize));
  void OnWholePageClicked();
  void OnPreset(int item);

  PageLayout m_layout;
  PageSize m_page;
  IUserQuestions& m_ui;
  std::unique_ptr<Ui::PageLayoutDlgForm> m_form;
  bool m_bReading = false;
};

}  // namespace kolvaro
