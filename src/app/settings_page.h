#pragma once
// The pages of the two settings sheets. Every page is a child window of its sheet; it is
// handed the user-interface services where it is made, and what it shows of the reader (the
// reader state, or the record alone), and reloads its controls from the record on Refresh.

#include "app/page_bindings.h"
#include "controls/base_dialog.h"
#include "core/reader_settings.h"
#include "core/settings_table.h"

class QLayout;
class QPushButton;

namespace tessaron {

class ReaderState;
class UiServices;

class SettingsPage : public BaseDialog {
  Q_OBJECT

 public:
  explicit SettingsPage(UiServices& ui, QWidget* parent = nullptr, Kind kind = Kind::ChildWindow);
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

  UiServices& ui_;
};

// A page of the basic sheet: it shows the reader state's record; its controls come from its
// table, bound by the settings' names; "Default Page" resets the table's settings and "Help"
// opens the page's help topic.
class BasicSettingsPage : public SettingsPage {
  Q_OBJECT

 public:
  BasicSettingsPage(ReaderState& state, UiServices& ui, const PageTable& table, int helpContext,
                    QWidget* parent = nullptr);
  ~BasicSettingsPage() override;

  // Loads every control from the record.
  void Refresh() override;

  const PageTable& Table() const { return bindings_->Table(); }
  PageBindings& Bindings() const { return *bindings_; }
  QPushButton* DefaultPageButton() const { return defaultPageButton_; }
  QPushButton* HelpButton() const { return helpButton_; }

  // "Default Page": the record's reset of this page's settings, then Refresh.
  virtual void DefaultPage();

 protected:
  // The control of the page's setting of this name (see PageBindings::Setting).
  const PageControl& Setting(const char* name) const { return bindings_->Setting(name); }
  // The row of "Default Page" and "Help" at the bottom of the page, under content; then the
  // page greys out what does not apply on the record's line (GreyOutByLine).
  void FinishLayout(QLayout* content);
  // Greys out what the table says does not apply on the line the record was last read over:
  // the whole page, its two buttons included, when none of its settings applies there, else
  // each control that does not. Nothing is enabled again: a reconnect makes the pages afresh.
  void GreyOutByLine();

  ReaderState& state_;
  ReaderSettings& settings_;

 private:
  PageBindings* bindings_;
  QPushButton* defaultPageButton_;
  QPushButton* helpButton_;
};

}  // namespace tessaron
