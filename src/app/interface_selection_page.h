#pragma once
// The page on which the user says how the reader is connected: PS/2 keyboard, RS232 or
// USB, then one of the devices that discovery found for that group. "CONTINUE" connects
// the reader state to it; when the device does not answer, the model number decides.

#include <array>
#include <vector>

#include "controls/base_dialog.h"
#include "controls/dialog_units.h"
#include "transport/discovery.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace tessaron {

class ReaderState;
class UiServices;

inline constexpr const char* NO_USB_READER_TEXT =
    "No Reader with USB interface has been found, Please Select Right Interface!";
inline constexpr const char* SELECT_INTERFACE_TEXT = "Please select an interface!";

class InterfaceSelectionPage : public BaseDialog {
  Q_OBJECT

 public:
  static constexpr int GROUP_PS2 = 0;
  static constexpr int GROUP_RS232 = 1;
  static constexpr int GROUP_USB = 2;
  static constexpr int GROUP_COUNT = 3;

  // Lists the readers of the three groups once, now.
  InterfaceSelectionPage(ReaderState& state, UiServices& ui, QWidget* parent);
  ~InterfaceSelectionPage() override;

  // -1 while no group is chosen.
  int SelectedGroup() const;
  const std::vector<ReaderDeviceEntry>& GroupEntries(int group) const;
  QRadioButton* GroupButton(int group) const;
  QComboBox* DeviceBox() const { return deviceBox_; }
  // Fast exchanges (the reader state's setting, kept in the profile).
  QCheckBox* FastBox() const { return fastBox_; }
  QPushButton* ContinueButton() const { return continueButton_; }
  QPushButton* CancelButton() const { return cancelButton_; }

  // Chooses a group as a click on its radio button does.
  void SelectGroup(int group);
  // Centre of the picture circle above a group's radio button (a click there chooses it).
  QPointF PictureCentre(int group) const;
  // "CONTINUE" and "CANCEL".
  void Continue();
  void Cancel();

 signals:
  // "CONTINUE" connected, or "CANCEL": the page is done, to be closed.
  void pageDone();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void GroupClicked(int group);
  // Says that the page is done and ends it with the result.
  void Finish(int result);
  // Connects to the reader of the entry.
  bool ConnectTo(const ReaderDeviceEntry& entry);
  qreal PictureRadius() const;

  ReaderState& state_;
  UiServices& ui_;
  DialogUnits units_;
  std::array<std::vector<ReaderDeviceEntry>, GROUP_COUNT> groups_;
  std::array<QRadioButton*, GROUP_COUNT> groupButtons_;
  QButtonGroup* buttonGroup_;
  // The three instruction lines, each above or beside what it asks for.
  std::array<QLabel*, 3> instructions_;
  QComboBox* deviceBox_;
  QCheckBox* fastBox_;
  QPushButton* continueButton_;
  QPushButton* cancelButton_;
};

}  // namespace tessaron
