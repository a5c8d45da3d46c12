#pragma once
// The controls of a settings page, made from its table (core/settings_table.h) and bound to
// the settings record: each control writes its setting into the record as soon as it
// changes, and Refresh loads every control from the record again. A page names the settings
// it shows by their names in the table; a name the table does not have ends the program at
// once, in every build, so that the first run of the page finds it. The record is the one
// truth: the page refreshes whenever it is shown, so that what another page, a file or the
// reader changed while it was hidden shows at once. The page itself only lays the controls
// out and adds its own rules (which controls are enabled).

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <vector>

#include "core/settings_table.h"
#include "core/reader_settings.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace tessaron {

class EscapeNameEdit;
class UiServices;

class PageBindings : public QObject {
  Q_OBJECT

 public:
  // The bindings of the controls of page, made from table over settings; refusals go to ui,
  // and refresh runs each time the page is shown.
  PageBindings(QWidget* page, const PageTable& table, ReaderSettings& settings, UiServices& ui,
               std::function<void()> refresh);
  ~PageBindings() override;

  const PageTable& Table() const { return table_; }
  // The control of the table's setting of this name; ends the program at once, saying so,
  // when the table has none.
  const PageControl& Setting(const char* name) const;

  // A Choice or BitChoice control: a group box of radio buttons, in columns.
  QGroupBox* AddChoice(const PageControl& control, int columns = 1);
  // A BitCheck or Flag control: a check box.
  QCheckBox* AddCheck(const PageControl& control);
  // A Number control: a digits-only field (its caption label comes from Label()).
  QLineEdit* AddNumber(const PageControl& control);
  // A Character or Bytes control: a byte-string field and the chooser of the named bytes
  // that inserts into it (none chosen again at every Refresh).
  EscapeNameEdit* AddBytes(const PageControl& control, QComboBox** chooser);
  // A label with the control's caption, the buddy of the control's field.
  QLabel* Label(const PageControl& control);

  // Loads every control from the record.
  void Refresh();

  // The widgets made for a control (group box and its buttons, field, chooser, label).
  QList<QWidget*> WidgetsOf(const PageControl& control) const;
  // The radio buttons of a choice, in option order.
  QList<QAbstractButton*> ButtonsOf(const PageControl& control) const;
  // The field of a number or byte-string control, and the check box of a check control.
  QWidget* FieldOf(const PageControl& control) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Binding {
    const PageControl* control;
    QList<QWidget*> widgets;
    QButtonGroup* group = nullptr;
    QWidget* field = nullptr;
    std::function<void()> load;
  };
  Binding& Add(const PageControl& control);
  const Binding* Find(const PageControl& control) const;
  // Every number field must hold a number that fits; the changed one is then written. A
  // field refused gets back, in the record and on screen, the number it held before the
  // user began typing in it (each keystroke is written, so the record may hold a part of
  // the refused number); one whose number is stored otherwise (its low 8 bits) shows the
  // record.
  void NumberEdited(const PageControl& control);
  // Loads one control from the record.
  void Load(const Binding& binding);

  QWidget* page_;
  const PageTable& table_;
  ReaderSettings& settings_;
  UiServices& ui_;
  std::function<void()> refresh_;
  std::vector<Binding> bindings_;
  // Each number field's number when it was last loaded or left: what a refusal restores.
  std::map<const PageControl*, long> editStart_;
  bool loading_ = false;
};

}  // namespace tessaron
