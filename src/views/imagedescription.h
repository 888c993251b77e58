#pragma once
// The album's main view: one picture of the selection beside its data
// (headline, file, date, size, themes, persons), stepping through the
// selection, editing headline and date, marking persons on the picture and
// removing themes, persons and the picture itself.

#include <QString>
#include <QWidget>
#include <cstdint>
#include <map>
#include <memory>

#include "core/document.h"
#include "core/oledate.h"
#include "core/types.h"
#include "views/commandtarget.h"

namespace Ui {
class ImageDescriptionForm;
}

namespace kolvaro {

class DescriptionLayout;
class CMeriskDoc;
class CPictureCtrl;
class CPrintCommands;
class CPictureWnd;
class CSlideshow;
class IUserQuestions;
class ZTitleTip;
struct PicturePoint;

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
  /// Names of the persons under the mouse pointer over the picture.
  ZTitleTip* TitleTip() const { return m_pTitleTip; }

  /// Shows picture `id` (usually the document's current picture); -1 shows none.
  void Refresh(std::int32_t id);
  /// Stores an edited headline or date of the shown picture when it differs
  /// from the album's; false when the date text is no date (the user was told).
  bool CommitHeadline();
  bool CommitDate();
  /// Headline, then date, as before every step to another picture and before
  /// the album is saved, closed or replaced; false when the date is no date.
  bool CommitEdits();
  /// Shows the picture at `position` of the selection as a step of the
  /// slider does: the edits are committed first.
  void ShowPosition(int position);

  std::int32_t ShownPicture() const { return m_nShownPicture; }
  bool IsMarking() const { return m_bMarking; }
  bool IsEnlarged() const;
  /// The rectangles of the persons marked on the shown picture, by person.
  const std::map<std::uint32_t, Rect>& PersonRects() const { return m_personRects; }
  /// How far the data column is scrolled up (0 while the view is tall enough).
  int ColumnOffset() const;
  /// The height below which the data column scrolls.
  int FormHeight() const;
  CSlideshow* Slideshow() const { return m_slideshow.get(); }
  /// The picture window; null until first shown.
  CPictureWnd* PictureWnd() const { return m_pPictureWnd; }

 signals:
  /// A command's state may have changed; the frame asks again.
  void CommandStatesChanged();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void WriteFields();
  /// The shown picture, with its stored headline and names, in the picture window.
  void ShowInPictureWnd();
  void WriteFramesSwitch();
  void FillPersons(std::int32_t picture);
  void FillThemes(std::int32_t picture);
  void UpdateButtons();
  void SetSliderRange();
  void SetSliderPos(int pos);
  void DocumentUpdate();
  void SlideshowTick();
  void TogglePictureWnd();
  void GoTo(int position);

  void Step(bool next);
  void OnSliderMoved(int pos);
  void OnSliderChangeEnd();
  void OnSpin(int delta);


  void EnterMarking();
  void LeaveMarking();
  void OnRectMarked(const Rect& marked);
  void ShowTitleTip(const PicturePoint& point);

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
  bool m_bUpdatingSuspended = false;
  bool m_bSettingSlider = false;
  bool m_bCommitting = false;
  std::unique_ptr<DescriptionLayout> m_layout;
  std::unique_ptr<CPrintCommands> m_printCommands;  // page setup and printing, with the page layout
  ZTitleTip* m_pTitleTip = nullptr;  // a child: goes with the view
  QMetaObject::Connection m_focusConnection;
  std::unique_ptr<CSlideshow> m_slideshow;
  CPictureWnd* m_pPictureWnd = nullptr;  // a tool window owned by the view
};

}  // namespace kolvaro
