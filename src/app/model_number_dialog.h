#pragma once
// Asks for the reader's model number when the chosen device does not answer as a reader:
// the eighth character of a known model number names the interface.

#include <QString>

#include "controls/base_dialog.h"
#include "controls/dialog_units.h"
#include "core/interface_type.h"

class QLineEdit;
class QPushButton;

namespace tessaron {

class UiServices;

inline constexpr const char* MODEL_NUMBER_PROMPT =
    "The utility can't identify the correct interface for your reader. Please reconfirm that "
    "the connector and com port are correct, or enter reader model number below";
inline constexpr const char* MODEL_NUMBER_EMPTY_TEXT = "Please Input Model Number!";
inline constexpr const char* MODEL_NUMBER_UNKNOWN_TEXT = "Unknown Model Number!";

enum class ModelNumberCheck {
  Empty,     // nothing typed
  Unknown,   // not a known model number
  Accepted,  // a known model; the interface is set (0 when the eighth character names none)
};

// Checks a typed model number: 8 to 18 characters whose first seven are one of the known
// model prefixes, compared exactly (letter case included). On Accepted, *chosen holds the
// interface named by the eighth character.
ModelNumberCheck CheckModelNumber(const QString& text, InterfaceType* chosen);

class ModelNumberDialog : public BaseDialog {
  Q_OBJECT

 public:
  // Its messages go through ui.
  explicit ModelNumberDialog(UiServices& ui, QWidget* parent = nullptr);
  ~ModelNumberDialog() override;

  InterfaceType ChosenInterface() const { return chosenInterface_; }
  QLineEdit* ModelNumberEdit() const { return edit_; }
  QPushButton* ContinueButton() const { return continueButton_; }
  QPushButton* CancelButton() const { return cancelButton_; }

  // "Continue": closes the dialog with OK for a known model number, otherwise explains.
  void Continue();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QRect PromptRect() const;
  QFont PromptFont() const;

  UiServices& ui_;
  DialogUnits units_;
  InterfaceType chosenInterface_;
  QLineEdit* edit_;
  QPushButton* continueButton_;
  QPushButton* cancelButton_;
};

}  // namespace tessaron
