#pragma once
// What the basic and the advanced settings sheet share: a heading, tabbed pages and a row
// of buttons that act on the whole settings record - write it to the reader, save it to a
// configuration file, load it from one, reset the reader to its factory settings, and close
// the sheet. A sheet never owns the record or the reader; both are the reader state's, which
// tells the sheet when the record was filled anew or became more or less the reader's own.
// Each sheet says what its flows do differently.

#include <QString>
#include <span>
#include <vector>

#include "controls/base_dialog.h"
#include "core/reader_settings.h"
#include "flows/reader_flows.h"

class QLabel;
class QPushButton;
class QTabWidget;

namespace tessaron {

class ReaderState;
class SettingsPage;
class UiServices;

class SettingsSheet : public BaseDialog {
  Q_OBJECT

 public:
  ~SettingsSheet() override;

  // Shows, under the heading, whether the values are the reader's (a line only when not).
  void ShowRecordState();
  QLabel* RecordNote() const { return recordNote_; }
  // Every page that holds settings reloads its controls from the record.
  virtual void Refresh() = 0;

  QTabWidget* Tabs() const { return tabs_; }
  int PageCount() const { return static_cast<int>(pages_.size()); }
  SettingsPage* Page(int index) const;
  SettingsPage* CurrentPage() const;
  QPushButton* SendButton() const { return sendButton_; }
  QPushButton* SaveButton() const { return saveButton_; }
  QPushButton* LoadButton() const { return loadButton_; }
  QPushButton* DefaultAllButton() const { return defaultAllButton_; }
  QPushButton* CloseButton() const { return closeButton_; }

  // The button operations.
  void SendToReader();
  void SaveToFile();
  void LoadFromFile();
  void DefaultAll();
  // Asks for the sheet to go (closeRequested) and hides it meanwhile.
  void CloseSheet();

 signals:
  // "Close", or a write that switched the reader's interface: the sheet is to go.
  void closeRequested();
  // A write switched the reader's interface: it comes back on another one, to be looked for.
  void readerSwitched();

 protected:
  SettingsSheet(ReaderState& state, UiServices& ui, const QString& heading, QWidget* parent);

  // The least width a sheet with these tab captions needs at this font for its captions and
  // its buttons to be whole, without building one.
  static int NeededWidth(const QFont& font, std::span<const char* const> tabCaptions);

  // Adds the next tab with its page; the sheet owns the page.
  void AddPage(const QString& caption, SettingsPage* page);
  // Called after the tab selection changed to index.
  virtual void OnTabChanged(int index);

  // The steps and words the sheet hands its flows: "Send to MSR" (what the reader held is
  // added by the sheet), "Default All" and "Save to File".
  virtual SendPlan SendPlanOfSheet() const = 0;
  virtual DefaultsPlan DefaultsPlanOfSheet() const = 0;
  virtual SaveWords SaveWordsOfSheet() const = 0;

  ReaderState& state_;
  UiServices& ui_;
  ReaderSettings& settings_;

 private:
  void TabChanged(int index);

  QLabel* heading_;
  QLabel* recordNote_;
  QTabWidget* tabs_;
  std::vector<SettingsPage*> pages_;
  QPushButton* sendButton_;
  QPushButton* saveButton_;
  QPushButton* loadButton_;
  QPushButton* defaultAllButton_;
  QPushButton* closeButton_;
};

}  // namespace tessaron
