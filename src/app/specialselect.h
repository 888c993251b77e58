#pragma once
// "Spezialsortierung und -selektion": the user copies pictures of the current
// selection, one by one and in the order wanted, into a second list, which
// becomes the new selection on OK.

#include <QDialog>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/paths.h"

class QListWidget;

namespace Ui {
class SpecialSelectForm;
}

namespace kolvaro {

class CBilderEx;
class CMeriskDoc;

/// What the dialog shows and does, without a window.
class CSpecialSelectModel {
 public:
  struct Entry {
    std::int32_t picture;
    std::string text;
    bool operator==(const Entry&) const = default;
  };
  enum Mode : int { kNumberOnly = 0, kFileName = 1, kTitle = 2 };

  /// One available entry per position of `selection`, labelled with the
  /// position counted from 1; nothing chosen, mode kNumberOnly.
  /// File names show as a user of `style` reads them.
  CSpecialSelectModel(const std::vector<std::int32_t>& selection, const CBilderEx& pictures,
                      PathStyle style = PathStyle::Posix);

  const std::vector<Entry>& Available() const { return m_available; }
  const std::vector<Entry>& Chosen() const { return m_chosen; }
  int Mode() const { return m_mode; }
  /// The selected rows; -1 when none.
  int AvailableRow() const { return m_availableRow; }
  int ChosenRow() const { return m_chosenRow; }
  void SelectAvailable(int row) { m_availableRow = Valid(row, m_available) ? row : -1; }
  void SelectChosen(int row) { m_chosenRow = Valid(row, m_chosen) ? row : -1; }

  /// Relabels the available list: "n", "n filename" or "n title", n its
  /// position from 1. Chosen entries keep the text they were copied with.
  void SetMode(int mode);
  /// ">": appends a copy of the selected available entry to the chosen list
  /// and selects it; the same picture may be chosen more than once.
  bool Copy();
  /// "<": removes the selected chosen entry; then none is selected.
  bool Remove();
  /// "oben"/"unten": moves the selected chosen entry one place; the
  /// selection follows it. Nothing happens at the ends.
  bool MoveUp() { return Move(-1); }
  bool MoveDown() { return Move(+1); }
  /// The chosen pictures, top to bottom.
  std::vector<std::int32_t> Result() const;

 private:
  static bool Valid(int row, const std::vector<Entry>& list) {
    return row >= 0 && static_cast<std::size_t>(row) < list.size();
  }
  bool Move(int step);
  std::string Label(std::size_t row) const;

  const CBilderEx& m_pictures;
  PathStyle m_style;
  std::vector<Entry> m_available;
  std::vector<Entry> m_chosen;
  int m_mode = kNumberOnly;
  int m_availableRow = -1;
  int m_chosenRow = -1;
};

class CSpecialSelect : public QDialog {
  Q_OBJECT
 public:
  explicit CSpecialSelect(CMeriskDoc& doc, QWidget* parent = nullptr);
  ~CSpecialSelect() override;

  /// Filled on OK: the chosen pictures, top to bottom.
  const std::vector<std::int32_t>& Result() const { return m_result; }
  const CSpecialSelectModel& Model() const { return m_model; }

  void accept() override;

 private:
  void ShowAvailableTexts();
  void ShowChosen();

  CSpecialSelectModel m_model;
  std::vector<std::int32_t> m_result;
  std::unique_ptr<Ui::SpecialSelectForm> m_form;
};

}  // namespace kolvaro
