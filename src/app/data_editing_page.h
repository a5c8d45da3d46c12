#pragma once
// The "Data Editing" page of the advanced sheet: data editing on or off, the output method,
// and the four formulas, one per card kind, listed in their notation and opened in their
// editors. Every change lands in the record at once; nothing reaches the reader until the
// sheet sends. The data format and the track marks are the page's own: they choose which
// editor "Add Formula" opens and which track lists it offers.

#include <QList>
#include <array>

#include "app/settings_page.h"
#include "dataedit/formula_editor.h"

class QButtonGroup;
class QCheckBox;
class QListWidget;

namespace tessaron {

class DataEditingPage : public SettingsPage {
  Q_OBJECT

 public:
  // embedded: the page lives in a sheet (Enter and Escape do nothing, no "OK"); otherwise it
  // is a window of its own that "OK", Enter and Escape close. The editors it opens refuse
  // through ui.
  DataEditingPage(ReaderSettings& settings, UiServices& ui, bool embedded,
                  QWidget* parent = nullptr);
  ~DataEditingPage() override;

  // Loads the page from the record: mode and output method from it, Credit Card with Track1
  // and Track2 marked, the formula list.
  void Refresh() override;

  // The buttons, by caption ("Help", "New Field", "Add Formula", "Edit Formula",
  // "Delete Formula", "Clear All", "Default", "OK").
  QPushButton* Button(const char* caption) const;
  QButtonGroup* EnableChoice() const { return enable_; }        // 0 Enable, 1 Disable
  QButtonGroup* OutputMethod() const { return output_; }        // 0 Matched, 1 Unmatched
  QButtonGroup* DataFormat() const { return format_; }          // CardKind
  QCheckBox* TrackBox(int track) const { return tracks_.at(static_cast<std::size_t>(track - 1)); }
  QListWidget* FormulaList() const { return formulas_; }
  // The controls switched together with data editing.
  const QList<QWidget*>& ControlSet() const { return controlSet_; }

 public slots:
  void accept() override;

 private:
  void SetControlSetEnabled(bool enabled);
  void ApplyTrackRule();
  void FillFormulaList();
  TrackStates CheckedTracks() const;
  // Opens the editor of a card kind; the list is filled again after OK.
  void EditFormula(int kind);
  void EnableClicked(int choice);
  void DefaultClicked();

  ReaderSettings& settings_;
  bool embedded_;
  QButtonGroup* enable_;
  QButtonGroup* output_;
  QButtonGroup* format_;
  std::array<QCheckBox*, TRACK_COUNT> tracks_{};
  QListWidget* formulas_;
  QList<QPushButton*> buttons_;
  QList<QWidget*> controlSet_;
};

}  // namespace tessaron
