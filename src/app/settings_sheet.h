#pragma once
// What the basic and the advanced settings sheet share: a heading, five tabbed pages and a
// row of buttons that act on the whole settings record - write it to the reader, save it
// to a configuration file, load it from one, reset the reader to its factory settings, and
// close the sheet. A sheet never owns the record or the port; both belong to the main window.

#include <QEvent>
#include <QString>
#include <vector>

#include "controls/base_dialog.h"
#include "core/reader_settings.h"
#include "flows/reader_flows.h"

class QLabel;
class QPushButton;
class QTabWidget;

namespace tessaron {

class MainWindow;
class SettingsPage;

class SettingsSheet : public BaseDialog {
  Q_OBJECT

 public:
  static constexpr int PAGE_COUNT = 5;

  // The least width a sheet needs at this font for its tab captions and its buttons to be
  // whole, without building one.
  static int NeededWidth(const QFont& font);

  ~SettingsSheet() override;

  // Takes the settings record from the main window again.
  void TakeFromMainWindow();
  // Shows, under the heading, whether the values are the reader's (a line only when not).
  void ShowRecordState();
  QLabel* RecordNote() const { return recordNote_; }
  // Every page that holds settings reloads its controls from the record.
  virtual void Refresh() = 0;

  QTabWidget* Tabs() const { return tabs_; }
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
  // Asks the main window to destroy the sheet and hides it meanwhile.
  void CloseSheet();

 protected:
  enum class Variant { Basic, Advanced };

  SettingsSheet(MainWindow& mainWindow, Variant variant, QWidget* parent);

  // Adds the next tab with its page; the sheet owns the page.
  void AddPage(const QString& caption, SettingsPage* page);
  // Called after the tab selection changed to index.
  virtual void OnTabChanged(int index);

  // The main window's current reader, or none. Asked each time, so that a sheet kept hidden
  // across a change of the main window's reader never uses a port that is gone.
  ReaderLink* Link() const;
  // Refreshes the pages of the other sheet, when it exists.
  void RefreshOtherSheet();

  MainWindow& mainWindow_;
  ReaderSettings* settings_;

 private:
  bool IsBasic() const { return variant_ == Variant::Basic; }
  QEvent::Type CloseMessage() const;
  void TabChanged(int index);

  Variant variant_;
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
