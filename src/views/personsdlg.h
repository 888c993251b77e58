#pragma once
// "Personen im Bild": gives the rectangle just marked on the shown picture to
// a person, an existing one or one created on the spot.

#include <QBasicTimer>
#include <QDialog>
#include <QListWidgetItem>
#include <QString>
#include <cstdint>
#include <memory>

#include "core/types.h"

class QComboBox;

namespace Ui {
class PersonsDlgForm;
}

namespace kolvaro {

class CMeriskDoc;
class IUserQuestions;

/// A list entry that sorts as the sorted lists of Kolvaro do: by the user's
/// locale, without regard to case.
class CSortedListItem : public QListWidgetItem {
 public:
  using QListWidgetItem::QListWidgetItem;
  bool operator<(const QListWidgetItem& other) const override;
};

/// Inserts an entry into a combo box at its sorted place (after equal names)
/// with `id` as item data; returns its index.
int AddSortedComboItem(QComboBox* combo, const QString& text, std::int32_t id);

class CPersonsDlg : public QDialog {
  Q_OBJECT
 public:
  CPersonsDlg(CMeriskDoc& doc, IUserQuestions& ui, QWidget* parent = nullptr);
  ~CPersonsDlg() override;

  // Set before the dialog is shown.
  Rect m_rect;  ///< the marked rectangle, in picture pixels; after OK the one stored
  QString m_strPath;
  std::int32_t m_nPicture = -1;
  /// Typed coordinates are kept within the picture; 0 x 0 leaves them as typed.
  unsigned m_nPictureWidth = 0;
  unsigned m_nPictureHeight = 0;

  /// Fills the lists and preselects the person marked nearest to the rectangle;
  /// runs once, when the dialog is first shown.
  void OnInitDialog();
  /// "Eintragen": stores the rectangle for the chosen person and closes with OK.
  void OnEnter();
  /// "neu": a new person for the list.
  void OnNewPerson();
  /// The person whose rectangle lies nearest to the marked one (0 when none).
  std::int32_t NearestPerson() const { return m_nNearest; }
  /// Whether an entry's old rectangle is on show.
  bool IsPreviewing() const { return m_previewTimer.isActive(); }

 protected:
  void showEvent(QShowEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  void WriteFields();
  bool ReadRect(Rect& rect);
  void OnMarkedSelectionChanged();
  void OnMarkedDoubleClicked(QListWidgetItem* item);
  void ShowEntry(const QListWidgetItem* item);
  void SetCoordinatesReadOnly(bool readOnly);
  bool IsMarked(std::int32_t person) const;

  CMeriskDoc& m_doc;
  IUserQuestions& m_ui;
  std::unique_ptr<Ui::PersonsDlgForm> m_form;
  Rect m_savedRect;
  std::int32_t m_nNearest = 0;
  bool m_bInitialised = false;
  QBasicTimer m_previewTimer;
};

}  // namespace kolvaro
