#pragma once
// "Pre/Postamble" of the basic sheet: the start and end sentinels of each track and bit
// encoding in an editable grid, and the byte strings the reader adds around the data: a
// prefix and a suffix per track, a preamble and a postamble, each with its chooser of named
// bytes.

#include "app/settings_page.h"

namespace tessaron {

class EditableGrid;

inline constexpr const char* ONE_CHARACTER_TEXT = "You should input one valid character!";
inline constexpr const char* NO_SENTINEL_TEXT = "INVALID";

class PrePostamblePage : public BasicSettingsPage {
  Q_OBJECT

 public:
  PrePostamblePage(ReaderState& state, UiServices& ui, QWidget* parent = nullptr);
  ~PrePostamblePage() override;

  void Refresh() override;
  // Resets the page's settings; the focus goes to "Default Page".
  void DefaultPage() override;

  EditableGrid* SentinelGrid() const { return grid_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Rebuilds the grid's columns and rows from the record.
  void FillGrid();
  void CellEdited(int row, int column, const QString& text);

  EditableGrid* grid_;
};

}  // namespace tessaron
