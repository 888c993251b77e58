#pragma once
// The album's main view: one picture of the selection beside its data
// (headline, file, date, size, themes, persons), stepping through the
// selection, editing headline and date, marking persons on the picture and
// removing themes, persons and the picture itself.

#include <QBasicTimer>
#include <QLocale>
#include <QPushButton>
#include <QSize>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>

#include "core/document.h"
#include "core/oledate.h"
#include "core/types.h"
#include "views/commandtarget.h"

class QScrollBar;

namespace Ui {
class ImageDescriptionForm;
}

namespace kolvaro {

class CMeriskDoc;
class CPictureCtrl;
class IUserQuestions;
struct NMPICTURE;

/// The date as the date field shows it, in `locale` with four-digit years and
/// seconds ("07.12.2026 19:12:50"); the time is left out at midnight and the
/// date on 30.12.1899, as Windows' date conversion does. "" for a null or
/// invalid date.
QString FormatOleDate(const COleDateTime& date, const QLocale& locale = QLocale());
/// Reads a date and/or a time typed in `locale`'s short forms (with or without
/// seconds, two- or four-digit years, a time alone meaning 30.12.1899);
/// empty when the text is no such moment.
std::optional<COleDateTime> ParseOleDate(const QString& text, const QLocale& locale = QLocale());

/// The marked rectangle limited to the picture: left and top at least 0,
/// right and bottom at most the picture's width and height.
Rect ClampToPicture(const Rect& r, unsigned width, unsigned height);

/// The flat button beside the date that unlocks the date field. While hover
/// is enabled it shows a raised frame as long as the mouse is over it.
class CDateLockButton : public QPushButton {
  Q_OBJECT
 public:
  explicit CDateLockButton(QWidget* parent = nullptr);
  void EnableHover(bool on) { m_bHoverEnabled = on; }
  bool IsRaised() const { return m_bRaised; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  bool m_bHoverEnabled = false;
  bool m_bRaised = false;
  QBasicTimer m_timer;  // ends the raised state once the mouse has left
};

class CImageDescription : public QWidget, public IDocumentObserver, public ICommandTarget {
  Q_OBJECT
 public:
  CImageDescription(CMeriskDoc& doc, IUserQuestions& ui, QWidget* parent = nullptr);
  ~CImageDescription() override;

  /// After every new or opened album.
  void OnInitialUpdate();
  void OnUpdate(CDocument& doc, IDocumentObserver* sender, long hint) override;
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CmdState& state) override;

  CPictureCtrl* PictureCtrl();
  /// The control with the given dialog identifier (1004, 1017, 1042, ...), or null.
  QWidget* GetDlgItem(int id) const;

  /// Shows picture `id` (usually the document's current picture); -1 shows none.
  void Refresh(std::int32_t id);
  /// Stores an edited headline or date of the shown picture when it differs
  /// from the album's; false when the date text is no date (the user was told).
  bool CommitHeadline();
  bool CommitDate();
  /// Headline, then date, as before every step to another picture and before
  /// the album is saved, closed or replaced; false when the date is no date.
  bool CommitEdits();

  std::int32_t ShownPicture() const { return m_nShownPicture; }
  bool IsMarking() const { return m_bMarking; }
  bool IsEnlarged() const { return m_bEnlarged; }
  /// The rectangles of the persons marked on the shown picture, by person.
  const std::map<std::uint32_t, Rect>& PersonRects() const { return m_personRects; }
  /// How far the data column is scrolled up (0 while the view is tall enough).
  int ColumnOffset() const { return m_nColumnOffset; }
  /// The height below which the data column scrolls.
  int FormHeight() const { return m_designSize.height(); }

 signals:
  /// A command's state may have changed; the frame asks again.
  void CommandStatesChanged();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void WriteFields();
  void WriteFramesSwitch();
  void FillPersons(std::int32_t picture);
  void FillThemes(std::int32_t picture);
  void UpdateButtons();
  void SetSliderRange();
  void SetSliderPos(int pos);
  void DocumentUpdate();

  void Step(bool next);
  void OnSliderMoved(int pos);
  void OnSliderChangeEnd();
  void OnSpin(int delta);

  void OnSize(int cx, int cy);
  void ScrollColumnTo(int offset);
  void ShowInColumn(QWidget* focus);
  void ToggleEnlarge();

  void EnterMarking();
  void LeaveMarking();
  void OnPictureNotify(const NMPICTURE& nm);
  void OnRectMarked(const Rect& marked);

  void OnFramesClicked();
  void ApplyFramesSwitch();
  void OnPersonSelectionChanged();
  void OnThemeSelectionChanged();
  void RemoveThemes();
  void RemovePersons();
  void DeletePicture();

  bool AnyThemeSelected() const;
  bool AnyPersonSelected() const;

  CMeriskDoc& m_doc;
  IUserQuestions& m_ui;
  std::unique_ptr<Ui::ImageDescriptionForm> m_form;
  std::map<int, QWidget*> m_controls;

  // Bound fields.
  QString m_strSize;
  QString m_strPosition;
  QString m_strFileName;
  COleDateTime m_date{COleDateTime::null, 0.0};
  QString m_strHeadline;

  std::int32_t m_nShownPicture = -1;
  std::map<std::uint32_t, Rect> m_personRects;
  int m_nSavedFramesVisible = 0;
  bool m_bMarking = false;
  bool m_bEnlarged = false;
  int m_nEnlargeOffset = 0;  // how far enlarging moved the data column
  bool m_bUpdatingSuspended = false;
  bool m_bSettingSlider = false;
  bool m_bCommitting = false;
  QSize m_designSize;
  QSize m_initialSize;  // empty until the first initial update
  QSize m_lastSize;
  QScrollBar* m_columnScroll = nullptr;  // shown while the view is lower than its form
  int m_nColumnOffset = 0;
};

}  // namespace kolvaro
