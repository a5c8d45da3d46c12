#pragma once
// "Quick Clone" of the advanced sheet: reads the settings of one reader (the source) and
// writes them to another (the target), each chosen by interface and connection, with ports
// and a record of its own; the reader and record of the reader state are never touched. The
// device lists are taken when the page is made; the USB lists are taken again when the
// reader state says that the system's devices changed. The reader in use comes first in its
// interface's list, also when it was named by a path that discovery does not list, and both
// sides start on its interface. A clone onto the reader it was read from is refused.

#include <array>
#include <memory>
#include <mutex>
#include <vector>

#include "app/settings_page.h"
#include "flows/reader_connection.h"
#include "transport/discovery.h"

class QComboBox;
class QPushButton;

namespace tessaron {

class QuickClonePage : public SettingsPage {
  Q_OBJECT

 public:
  QuickClonePage(ReaderState& state, UiServices& ui, QWidget* parent = nullptr);
  ~QuickClonePage() override;

  void ReadFromSource();
  void CloneToTarget();

  QComboBox* SourceInterfaceBox() const { return sourceInterface_; }
  QComboBox* SourceConnectionBox() const { return sourceConnection_; }
  QComboBox* TargetInterfaceBox() const { return targetInterface_; }
  QComboBox* TargetConnectionBox() const { return targetConnection_; }
  QPushButton* ReadButton() const { return readButton_; }
  QPushButton* CloneButton() const { return cloneButton_; }
  bool SourceRead() const { return sourceRead_; }
  // The device node a connection reaches ("/dev/ttyUSB0"); empty when it is not known.
  std::string NodeOf(const ReaderConnection& connection) const;
  const ReaderSettings* SourceSettings() const { return sourceSettings_.get(); }
  const std::vector<ReaderDeviceEntry>& DeviceList(InterfaceType type) const;

 private:
  // Fills a connection box from the list of the interface its interface box shows.
  void FillConnections(QComboBox* interfaceBox, QComboBox* connectionBox);
  // The connection of the entry a connection box has selected; false when none is.
  bool SelectedConnection(QComboBox* interfaceBox, QComboBox* connectionBox,
                          ReaderConnection* connection) const;
  void DevicesChanged();
  // The user chose a source interface or connection: unless it is the reader read from, the
  // read is forgotten.
  void SourcePicked();

  ReaderState& state_;
  // The reader in use when the page was made (type 0: none).
  ReaderConnection inUse_;
  // One list per interface type 1 to 5 (index 0 unused).
  std::array<std::vector<ReaderDeviceEntry>, INTERFACE_TYPE_COUNT> deviceLists_;
  std::mutex listLock_;
  std::unique_ptr<ReaderLink> sourceLink_;
  std::unique_ptr<ReaderLink> targetLink_;
  std::unique_ptr<ReaderSettings> sourceSettings_;
  bool sourceRead_ = false;
  // The connection sourceSettings_ was last read from.
  ReaderConnection sourceReadFrom_;

  QComboBox* sourceType_;
  QComboBox* sourceInterface_;
  QComboBox* sourceConnection_;
  QComboBox* targetType_;
  QComboBox* targetInterface_;
  QComboBox* targetConnection_;
  QPushButton* readButton_;
  QPushButton* cloneButton_;
};

}  // namespace tessaron
