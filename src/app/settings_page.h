#pragma once
// The pages of the two settings sheets. Every page is a child window of its sheet that
// reloads its controls from the shared settings record on Refresh.

#include "app/page_bindings.h"
#include "controls/base_dialog.h"
#include "core/settings_table.h"
#include "core/reader_settings.h"

class QLayout;
class QPushButton;

namespace tessaron {

class MainWindow;

class SettingsPage : public BaseDialog {
  Q_OBJECT

 public:
  explicit SettingsPage(QWidget* parent = nullptr, Kind kind = Kind::ChildWindow);
  ~SettingsPage() override;

  // Loads every control from the record. Pages without settings do nothing.
  virtual void Refresh();

 protected:
  // The "Default Page" and "Help" buttons of a page: Help opens the page's help topic,
  // "Default Page" is left to the page.
  QPushButton* MakeDefaultPageButton();
  QPushButton* MakeHelpButton(int helpContext);
  // Lays the page out: content, and under it the row of defaultPage and help at the right.
  void LayOutPage(QLayout* content, QPushButton* defaultPage, QPushButton* help);
};

// A page of the basic sheet: the sheet hands it the main window's record at creation. Its
// controls come from its table; "Default Page" resets the table's settings and "Help"
// opens the page's help topic.
class BasicSettingsPage : public SettingsPage {
  Q_OBJECT

 public:
  BasicSettingsPage(ReaderSettings& settings, const PageTable& table, int helpContext,
                    QWidget* parent = nullptr);
  ~BasicSettingsPage() override;

  // Loads every control from the record.
  void Refresh() override;

  const PageTable& Table() const { return table_; }
  PageBindings& Bindings() const { return *bindings_; }
  QPushButton* DefaultPageButton() const { return defaultPageButton_; }
  QPushButton* HelpButton() const { return helpButton_; }

  // "Default Page": the record's reset of this page's settings, then Refresh.
  virtual void DefaultPage();

 protected:
  // The control of the page's table with this caption (which the table must have).
  const PageControl& Control(const char* caption) const;
  // The row of "Default Page" and "Help" at the bottom of the page, under content.
  void FinishLayout(QLayout* content);
  // Greys out every control of the page, its two buttons included.
  void DisableEverything();

  ReaderSettings& settings_;

 private:
  const PageTable& table_;
  PageBindings* bindings_;
  QPushButton* defaultPageButton_;
  QPushButton* helpButton_;
};

// A page of the advanced sheet: it takes the record, the port and the device index from
// the main window itself.
class AdvancedSettingsPage : public SettingsPage {
  Q_OBJECT

 public:
  AdvancedSettingsPage(MainWindow& mainWindow, QWidget* parent = nullptr);
  ~AdvancedSettingsPage() override;

 protected:
  MainWindow& mainWindow_;
};

}  // namespace tessaron
