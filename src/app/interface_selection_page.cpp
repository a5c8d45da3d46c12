#include "app/interface_selection_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "app/model_number_dialog.h"
#include "app/pictures.h"
#include "app/reader_state.h"
#include "app/ui_services.h"
#include "app/wait_cursor.h"
#include "app/window_flow_context.h"
#include "controls/keyboard_access.h"
#include "flows/flow_texts.h"

namespace tessaron {

namespace {

const char* const HEADING = "FIRST";
const char* const HEADING_LINE_1 = ",Establish communication";
const char* const HEADING_LINE_2 = "between the reader";
const char* const HEADING_LINE_3 = "and the host.";
const char* const QUESTION_LINE = "-How is the reader connected to the host?";
const char* const PLUG_LINE = "-Plug the reader to the host";
const char* const PORT_LINE = "-Specify the comport";
const char* const INSTRUCTION_LINES[] = {QUESTION_LINE, PLUG_LINE, PORT_LINE};

// Vertical places, as fractions of the page height.
constexpr double QUESTION_Y = 0.22;
constexpr double PICTURE_Y = 0.42;
constexpr double RADIO_Y = 0.55;
constexpr double PLUG_Y = 0.65;
constexpr double PORT_Y = 0.72;
constexpr double INSTRUCTION_Y[] = {QUESTION_Y, PLUG_Y, PORT_Y};
constexpr double BUTTONS_Y = 0.85;
constexpr int COLUMNS_LEFT = 50;

QFont HeadingFont(const DialogUnits& units) {
  QFont font;
  font.setFamilies({QStringLiteral("Impact"), QStringLiteral("Liberation Sans Narrow"),
                    QStringLiteral("DejaVu Sans Condensed")});
  font.setPixelSize(units.Pixels(34));
  font.setWeight(QFont::Black);
  font.setItalic(true);
  return font;
}

QFont TextFont(const DialogUnits& units, bool italic) {
  QFont font;
  font.setFamilies(
      {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
  font.setPixelSize(units.Pixels(20));
  font.setWeight(QFont::Bold);
  font.setStretch(QFont::SemiCondensed);
  font.setItalic(italic);
  return font;
}

QPixmap GroupPicture(int group, double scale) {
  switch (group) {
    case InterfaceSelectionPage::GROUP_PS2:
      return Ps2Picture(scale);
    case InterfaceSelectionPage::GROUP_RS232:
      return Rs232Picture(scale);
    default:
      return UsbPicture(scale);
  }
}

}  // namespace

InterfaceSelectionPage::InterfaceSelectionPage(ReaderState& state, UiServices& ui, QWidget* parent)
    : BaseDialog(parent, Kind::ChildWindow),
      state_(state),
      ui_(ui),
      buttonGroup_(new QButtonGroup(this)),
      deviceBox_(new QComboBox(this)),
      fastBox_(new QCheckBox(QStringLiteral("Fast exchanges: end each one as soon as the whole reply has come"),
                             this)),
      continueButton_(new QPushButton(QStringLiteral("CONTINUE"), this)),
      cancelButton_(new QPushButton(QStringLiteral("CANCEL"), this)) {
  setObjectName(QStringLiteral("interfaceSelectionPage"));
  // The painted heading names the page for a screen reader; the instructions are labels.
  setAccessibleName(
      QStringList{QString::fromLatin1(HEADING), QString::fromLatin1(HEADING_LINE_1),
                  QString::fromLatin1(HEADING_LINE_2), QString::fromLatin1(HEADING_LINE_3)}
          .join(QLatin1Char(' ')));
  for (std::size_t line = 0; line < instructions_.size(); ++line) {
    instructions_[line] = new QLabel(QString::fromLatin1(INSTRUCTION_LINES[line]), this);
    instructions_[line]->setFont(TextFont(units_, true));
  }

  // The device lists are taken once; devices plugged in later appear when the page is
  // opened again.
  DeviceListing& devices = *state_.Readers().devices;
  EnumerateReaders(devices, InterfaceType::Ps2Keyboard, groups_[GROUP_PS2]);
  EnumerateReaders(devices, InterfaceType::Rs232, groups_[GROUP_RS232]);
  groups_[GROUP_USB] = FindUsbReaders(devices);

  const char* const names[GROUP_COUNT] = {"ps2Button", "rs232Button", "usbButton"};
  const char* const descriptions[GROUP_COUNT] = {"PS/2 Keyboard", "RS232", "USB"};
  buttonGroup_->setExclusive(true);
  for (int group = 0; group < GROUP_COUNT; ++group) {
    auto* button = new QRadioButton(this);
    button->setObjectName(QString::fromLatin1(names[group]));
    button->setAccessibleName(QString::fromLatin1(descriptions[group]));
    button->setToolTip(QString::fromLatin1(descriptions[group]));
    buttonGroup_->addButton(button, group);
    groupButtons_[static_cast<std::size_t>(group)] = button;
    button->setAccessibleDescription(SpokenCaption(QString::fromLatin1(QUESTION_LINE)));
  }
  // Where the system offers no keyboard line (Windows), its choice stays on the page greyed
  // out, and says why in the command line's words.
  if (!devices.OffersKeyboardLine()) {
    const QString why = QString::fromLatin1(texts::KEYBOARD_LINE_NOT_OFFERED);
    groupButtons_[GROUP_PS2]->setEnabled(false);
    groupButtons_[GROUP_PS2]->setToolTip(why);
    groupButtons_[GROUP_PS2]->setAccessibleDescription(why);
  }
  TabToCheckedButton(buttonGroup_);
  // The radio buttons are made last but read first.
  PlaceLastInTabOrder(this, {groupButtons_[GROUP_PS2], groupButtons_[GROUP_RS232],
                             groupButtons_[GROUP_USB], deviceBox_, fastBox_, continueButton_,
                             cancelButton_});
  connect(buttonGroup_, &QButtonGroup::idClicked, this, &InterfaceSelectionPage::GroupClicked);

  deviceBox_->setObjectName(QStringLiteral("deviceBox"));
  LabelControl(instructions_[2], deviceBox_);
  deviceBox_->setEditable(false);
  continueButton_->setObjectName(QStringLiteral("continueButton"));
  cancelButton_->setObjectName(QStringLiteral("cancelButton"));
  for (QPushButton* button : {continueButton_, cancelButton_}) {
    button->setAutoDefault(false);
    const QSize hint = button->sizeHint();
    button->setFixedSize(std::max(units_.Pixels(130), hint.width()),
                         std::max(units_.Pixels(34), hint.height()));
  }
  fastBox_->setObjectName(QStringLiteral("fastBox"));
  fastBox_->setToolTip(QStringLiteral(
      "Serial and USB HID readers: the fixed pause and the closing silence stay the limits, "
      "so a slow reader still works, only no faster."));
  fastBox_->setChecked(state_.FastReplies());
  connect(fastBox_, &QCheckBox::toggled, &state_, &ReaderState::SetFastReplies);
  connect(continueButton_, &QPushButton::clicked, this, &InterfaceSelectionPage::Continue);
  connect(cancelButton_, &QPushButton::clicked, this, &InterfaceSelectionPage::Cancel);
}

InterfaceSelectionPage::~InterfaceSelectionPage() = default;

int InterfaceSelectionPage::SelectedGroup() const { return buttonGroup_->checkedId(); }

const std::vector<ReaderDeviceEntry>& InterfaceSelectionPage::GroupEntries(int group) const {
  static const std::vector<ReaderDeviceEntry> none;
  if (group < 0 || group >= GROUP_COUNT) return none;
  return groups_[static_cast<std::size_t>(group)];
}

QRadioButton* InterfaceSelectionPage::GroupButton(int group) const {
  if (group < 0 || group >= GROUP_COUNT) return nullptr;
  return groupButtons_[static_cast<std::size_t>(group)];
}

void InterfaceSelectionPage::SelectGroup(int group) {
  QRadioButton* button = GroupButton(group);
  if (button == nullptr || !button->isEnabled()) return;
  button->setChecked(true);
  GroupClicked(group);
}

void InterfaceSelectionPage::GroupClicked(int group) {
  deviceBox_->clear();
  const std::vector<ReaderDeviceEntry>& entries = GroupEntries(group);
  for (std::size_t position = 0; position < entries.size(); ++position) {
    // Each item carries its entry's position in the group's list.
    deviceBox_->addItem(QString::fromLocal8Bit(entries[position].name.c_str()),
                        static_cast<int>(position));
  }
  if (deviceBox_->count() > 0) deviceBox_->setCurrentIndex(0);
}

void InterfaceSelectionPage::Continue() {
  const int group = SelectedGroup();
  if (deviceBox_->currentIndex() < 0) {
    ui_.ShowMessage(
        this, QString::fromLatin1(group == GROUP_USB ? NO_USB_READER_TEXT : SELECT_INTERFACE_TEXT),
        QString(), 0);
    return;
  }
  const std::vector<ReaderDeviceEntry>& entries = GroupEntries(group);
  const int position = deviceBox_->currentData().toInt();
  if (position < 0 || static_cast<std::size_t>(position) >= entries.size()) return;
  if (ConnectTo(entries[static_cast<std::size_t>(position)])) {
    Finish(QDialog::Accepted);
    return;
  }

  // The device did not answer as a reader: the model number names the interface.
  ModelNumberDialog modelNumber(ui_, this);
  if (modelNumber.exec() != QDialog::Accepted) return;
  std::vector<ReaderDeviceEntry> found;
  EnumerateReaders(*state_.Readers().devices, modelNumber.ChosenInterface(), found);
  if (found.empty()) return;
  if (ConnectTo(found.front())) {
    Finish(QDialog::Accepted);
  } else {
    ui_.ShowMessage(this, QString::fromLatin1(OPEN_DEVICE_FAILED_TEXT),
                    QString::fromLocal8Bit(state_.ConnectFailureCause().c_str()), 0);
  }
}

bool InterfaceSelectionPage::ConnectTo(const ReaderDeviceEntry& entry) {
  state_.SetConnection(ReaderConnection{entry.interfaceType, entry.deviceIndex, std::string()});
  WaitCursor waitCursor;
  WindowFlowContext flow(this, ui_, &state_);
  return state_.Connect(true, flow);
}

void InterfaceSelectionPage::Cancel() { Finish(QDialog::Rejected); }

void InterfaceSelectionPage::Finish(int result) {
  done(result);
  emit pageDone();
}

QPointF InterfaceSelectionPage::PictureCentre(int group) const {
  const qreal column = (width() - COLUMNS_LEFT) / 3.0;
  return QPointF(COLUMNS_LEFT + (group + 0.5) * column - COLUMNS_LEFT / 2.0, height() * PICTURE_Y);
}

qreal InterfaceSelectionPage::PictureRadius() const {
  const qreal column = (width() - COLUMNS_LEFT) / 3.0;
  return std::min(height() * 0.1, column * 0.35);
}

void InterfaceSelectionPage::resizeEvent(QResizeEvent* event) {
  BaseDialog::resizeEvent(event);
  const int w = width();
  const int h = height();
  for (int group = 0; group < GROUP_COUNT; ++group) {
    QRadioButton* button = GroupButton(group);
    const QSize size = button->sizeHint();
    button->resize(size);
    button->move(static_cast<int>(PictureCentre(group).x()) - size.width() / 2,
                 static_cast<int>(h * RADIO_Y));
  }
  for (std::size_t line = 0; line < instructions_.size(); ++line) {
    instructions_[line]->setGeometry(QRect(QPoint(w / 7, static_cast<int>(h * INSTRUCTION_Y[line])),
                                           instructions_[line]->sizeHint()));
  }
  const QFontMetrics metrics(TextFont(units_, true));
  const int boxLeft = w / 7 + metrics.horizontalAdvance(QString::fromLatin1(PORT_LINE)) + 16;
  deviceBox_->setGeometry(boxLeft, static_cast<int>(h * PORT_Y) + 5,
                          std::max(120, w - 30 - boxLeft), deviceBox_->sizeHint().height());
  const QSize fastSize = fastBox_->sizeHint();
  fastBox_->setGeometry(w / 7, deviceBox_->geometry().bottom() + fastSize.height() / 2,
                        fastSize.width(), fastSize.height());
  const int gap = 40;
  const int left = (w - continueButton_->width() - gap - cancelButton_->width()) / 2;
  const int buttonsTop =
      std::max(static_cast<int>(h * BUTTONS_Y), fastBox_->geometry().bottom() + fastSize.height() / 2);
  continueButton_->move(left, buttonsTop);
  cancelButton_->move(left + continueButton_->width() + gap, buttonsTop);
}

void InterfaceSelectionPage::mousePressEvent(QMouseEvent* event) {
  // A click on a picture chooses its group, as its radio button does.
  for (int group = 0; group < GROUP_COUNT; ++group) {
    const QPointF offset = event->position() - PictureCentre(group);
    const qreal radius = PictureRadius();
    if (offset.x() * offset.x() + offset.y() * offset.y() <= radius * radius) {
      if (GroupButton(group)->isEnabled()) {
        SelectGroup(group);
      } else {
        ui_.ShowMessage(this, GroupButton(group)->toolTip(), QString(), 0);
      }
      return;
    }
  }
  BaseDialog::mousePressEvent(event);
}

void InterfaceSelectionPage::paintEvent(QPaintEvent* event) {
  BaseDialog::paintEvent(event);
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  const int left = width() / 7;
  painter.setPen(Qt::black);

  // "FIRST", then the three heading lines right-aligned to one edge beside it.
  const QFont headingFont = HeadingFont(units_);
  const QFontMetrics headingMetrics(headingFont);
  const int headingTop = 10;
  const int headingBaseline = headingTop + headingMetrics.ascent();
  painter.setFont(headingFont);
  painter.drawText(QPoint(left, headingBaseline), QString::fromLatin1(HEADING));
  const int linesLeft = left + headingMetrics.horizontalAdvance(QString::fromLatin1(HEADING)) + 4;

  const QFont lineFont = TextFont(units_, false);
  const QFontMetrics lineMetrics(lineFont);
  painter.setFont(lineFont);
  const int linesRight =
      linesLeft + lineMetrics.horizontalAdvance(QString::fromLatin1(HEADING_LINE_1));
  int baseline = headingBaseline;
  for (const char* line : {HEADING_LINE_1, HEADING_LINE_2, HEADING_LINE_3}) {
    const QString text = QString::fromLatin1(line);
    painter.drawText(QPoint(linesRight - lineMetrics.horizontalAdvance(text), baseline), text);
    baseline += lineMetrics.height();
  }

  // One picture per connection kind, centred in its circle above its radio button.
  const qreal radius = PictureRadius();
  for (int group = 0; group < GROUP_COUNT; ++group) {
    const QPointF centre = PictureCentre(group);
    painter.setBrush(Qt::white);
    painter.setPen(QPen(QColor(100, 100, 100), 3));
    painter.drawEllipse(centre, radius, radius);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawEllipse(centre, radius - 2, radius - 2);
    const QPixmap picture = GroupPicture(group, units_.Scale());
    // A line the system does not offer is drawn greyed out, as its radio button is.
    painter.setOpacity(GroupButton(group)->isEnabled() ? 1.0 : 0.3);
    painter.drawPixmap(
        QPointF(centre.x() - picture.width() / 2.0, centre.y() - picture.height() / 2.0), picture);
    painter.setOpacity(1.0);
  }
}

}  // namespace tessaron
