#include "app/quick_clone_page.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/reader_state.h"
#include "app/ui_services.h"
#include "app/wait_cursor.h"
#include "app/window_flow_context.h"
#include "controls/keyboard_access.h"
#include "flows/reader_flows.h"

namespace tessaron {

namespace {

// The interface drop-downs list the five lines; each item holds its line's number.
void FillInterfaces(QComboBox* box) {
  for (InterfaceType line : LINES) {
    box->addItem(QString::fromLatin1(InterfaceDisplayName(line)), InterfaceNumber(line));
  }
  box->setCurrentIndex(0);
}

InterfaceType TypeOf(const QComboBox* interfaceBox) {
  return InterfaceOfNumber(interfaceBox->currentData().toInt());
}

// The item that stands for the main window's reader named by a path.
constexpr int IN_USE_ITEM = -1;

constexpr const char* SAME_READER_TEXT =
    "The source and the target are the same reader: choose another reader as the target.";

}  // namespace

QuickClonePage::QuickClonePage(ReaderState& state, UiServices& ui, QWidget* parent)
    : SettingsPage(ui, parent),
      state_(state),
      sourceType_(new QComboBox(this)),
      sourceInterface_(new QComboBox(this)),
      sourceConnection_(new QComboBox(this)),
      targetType_(new QComboBox(this)),
      targetInterface_(new QComboBox(this)),
      targetConnection_(new QComboBox(this)),
      readButton_(new QPushButton(QStringLiteral("Read From MSR"), this)),
      cloneButton_(new QPushButton(QStringLiteral("Clone To MSR"), this)) {
  setObjectName(QStringLiteral("quickClonePage"));
  for (InterfaceType line : LINES) {
    EnumerateReaders(*state_.Readers().devices, line,
                     deviceLists_[static_cast<std::size_t>(line)]);
  }
  if (const ReaderLink* link = state_.Link()) inUse_ = link->Connection();
  connect(&state_, &ReaderState::devicesChanged, this, &QuickClonePage::DevicesChanged);

  for (QComboBox* typeBox : {sourceType_, targetType_}) {
    typeBox->addItem(QStringLiteral("MagStripe"));
    typeBox->setCurrentIndex(0);
  }
  FillInterfaces(sourceInterface_);
  FillInterfaces(targetInterface_);
  const int inUseItem = sourceInterface_->findData(InterfaceNumber(inUse_.type));
  if (inUseItem >= 0) {
    sourceInterface_->setCurrentIndex(inUseItem);
    targetInterface_->setCurrentIndex(inUseItem);
  }
  FillConnections(sourceInterface_, sourceConnection_);
  FillConnections(targetInterface_, targetConnection_);
  // The target starts on another reader of that interface, where there is one.
  if (targetConnection_->count() > 1) targetConnection_->setCurrentIndex(1);
  connect(sourceInterface_, &QComboBox::currentIndexChanged, this,
          [this] { FillConnections(sourceInterface_, sourceConnection_); });
  connect(targetInterface_, &QComboBox::currentIndexChanged, this,
          [this] { FillConnections(targetInterface_, targetConnection_); });
  // Another source the user picks must be read before it can be cloned. A refill of the
  // list (a device came or went) is no such pick: the read stays, so that the source may be
  // unplugged and the target plugged into the same port.
  for (QComboBox* box : {sourceInterface_, sourceConnection_}) {
    connect(box, &QComboBox::activated, this, &QuickClonePage::SourcePicked);
  }
  readButton_->setObjectName(QStringLiteral("readFromMsrButton"));
  cloneButton_->setObjectName(QStringLiteral("cloneToMsrButton"));
  for (QPushButton* button : {readButton_, cloneButton_}) button->setAutoDefault(false);
  connect(readButton_, &QPushButton::clicked, this, &QuickClonePage::ReadFromSource);
  connect(cloneButton_, &QPushButton::clicked, this, &QuickClonePage::CloneToTarget);

  auto side = [this](const char* title, QComboBox* type, QComboBox* interfaceBox,
                     QComboBox* connection, const char* prefix) {
    auto* box = new QGroupBox(QString::fromLatin1(title), this);
    auto* form = new QFormLayout(box);
    form->addRow(QStringLiteral("%1 Type:").arg(QLatin1String(prefix)), type);
    form->addRow(QStringLiteral("%1 Interface:").arg(QLatin1String(prefix)), interfaceBox);
    form->addRow(QStringLiteral("%1 Connection:").arg(QLatin1String(prefix)), connection);
    for (QComboBox* field : {type, interfaceBox, connection}) {
      LabelControl(qobject_cast<QLabel*>(form->labelForField(field)), field);
    }
    return box;
  };
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(readButton_);
  buttons->addWidget(cloneButton_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(side("Source", sourceType_, sourceInterface_, sourceConnection_, "Source"));
  layout->addWidget(side("Target", targetType_, targetInterface_, targetConnection_, "Target"));
  layout->addLayout(buttons);
  layout->addStretch(1);
}

QuickClonePage::~QuickClonePage() = default;

const std::vector<ReaderDeviceEntry>& QuickClonePage::DeviceList(InterfaceType type) const {
  static const std::vector<ReaderDeviceEntry> none;
  const InterfaceType line = InterfaceOfNumber(InterfaceNumber(type));
  if (line == InterfaceType::Unknown) return none;
  return deviceLists_[static_cast<std::size_t>(line)];
}

void QuickClonePage::FillConnections(QComboBox* interfaceBox, QComboBox* connectionBox) {
  connectionBox->clear();
  const InterfaceType type = TypeOf(interfaceBox);
  const std::vector<ReaderDeviceEntry>& list = DeviceList(type);
  const bool inUseHere = type == inUse_.type;
  if (inUseHere && !inUse_.path.empty()) {
    connectionBox->addItem(QString::fromLocal8Bit(inUse_.path.c_str()), IN_USE_ITEM);
  }
  for (std::size_t position = 0; position < list.size(); ++position) {
    // Each item carries its entry's position in the list; the reader in use comes first.
    const QString name = QString::fromLocal8Bit(list[position].name.c_str());
    const bool inUse = inUseHere && inUse_.path.empty() && list[position].deviceIndex == inUse_.index;
    if (inUse) {
      connectionBox->insertItem(0, name, static_cast<int>(position));
    } else if (!inUseHere || inUse_.path.empty() || list[position].name != inUse_.path) {
      connectionBox->addItem(name, static_cast<int>(position));
    }
  }
  if (connectionBox->count() > 0) connectionBox->setCurrentIndex(0);
}

std::string QuickClonePage::NodeOf(const ReaderConnection& connection) const {
  if (!connection.path.empty()) return connection.path;
  for (const ReaderDeviceEntry& entry : DeviceList(connection.type)) {
    if (entry.deviceIndex == connection.index) return entry.name;
  }
  return std::string();
}

bool QuickClonePage::SelectedConnection(QComboBox* interfaceBox, QComboBox* connectionBox,
                                        ReaderConnection* connection) const {
  if (connectionBox->currentIndex() < 0) return false;
  const std::vector<ReaderDeviceEntry>& list = DeviceList(TypeOf(interfaceBox));
  const int position = connectionBox->currentData().toInt();
  if (position == IN_USE_ITEM) {
    *connection = inUse_;
    return true;
  }
  if (position < 0 || static_cast<std::size_t>(position) >= list.size()) return false;
  *connection = ConnectionOf(list[static_cast<std::size_t>(position)]);
  return true;
}

void QuickClonePage::SourcePicked() {
  ReaderConnection picked;
  if (!SelectedConnection(sourceInterface_, sourceConnection_, &picked) ||
      picked.type != sourceReadFrom_.type || picked.index != sourceReadFrom_.index ||
      picked.path != sourceReadFrom_.path) {
    sourceRead_ = false;
  }
}

void QuickClonePage::ReadFromSource() {
  WaitCursor waitCursor;
  WindowFlowContext flow(this, ui_, &state_);
  ReaderConnection source;
  const bool selected = SelectedConnection(sourceInterface_, sourceConnection_, &source);
  const SourceReadOutcome outcome = ReadCloneSource(selected ? &source : nullptr,
                                                    state_.Readers(), sourceLink_,
                                                    sourceSettings_, flow);
  // A read that was not even tried leaves what was read before.
  if (outcome == SourceReadOutcome::NotRead) return;
  sourceRead_ = outcome == SourceReadOutcome::Read;
  sourceReadFrom_ = source;
}

void QuickClonePage::CloneToTarget() {
  WaitCursor waitCursor;
  WindowFlowContext flow(this, ui_, &state_);
  ReaderConnection target;
  const bool selected = SelectedConnection(targetInterface_, targetConnection_, &target);
  // A reader cloned onto itself would be "cloned successfully" with nothing done.
  const std::string targetNode = selected ? NodeOf(target) : std::string();
  if (sourceRead_ && !targetNode.empty() && targetNode == NodeOf(sourceReadFrom_)) {
    flow.TellFailed(SAME_READER_TEXT);
    return;
  }
  tessaron::CloneToTarget(sourceSettings_.get(), sourceRead_, selected ? &target : nullptr,
                          state_.Readers(), targetLink_, flow);
}

void QuickClonePage::DevicesChanged() {
  // Only the USB lists: a reader comes and goes there. A list of the same length is kept,
  // even when another reader took the place of one.
  for (InterfaceType type : UsbSearchOrder()) {
    std::vector<ReaderDeviceEntry> fresh;
    EnumerateReaders(*state_.Readers().devices, type, fresh);
    std::lock_guard<std::mutex> guard(listLock_);
    std::vector<ReaderDeviceEntry>& stored = deviceLists_[static_cast<std::size_t>(type)];
    if (fresh.size() == stored.size()) continue;
    stored = std::move(fresh);
    if (TypeOf(sourceInterface_) == type) FillConnections(sourceInterface_, sourceConnection_);
    if (TypeOf(targetInterface_) == type) FillConnections(targetInterface_, targetConnection_);
  }
}

}  // namespace tessaron
