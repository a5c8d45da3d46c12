#include "app/model_number_dialog.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRegion>
#include <algorithm>

#include "app/ui_services.h"
#include "controls/keyboard_access.h"

namespace tessaron {

namespace {

// In dialog units.
constexpr int DIALOG_UNITS_WIDTH = 353;
constexpr int DIALOG_UNITS_HEIGHT = 145;
// In pixels of the look (scaled with the font).
constexpr int CORNER = 80;  // diameter of the rounded corners
constexpr int TEXT_MARGIN = 20;
constexpr int MIN_MODEL_LENGTH = 8;
constexpr int MAX_MODEL_LENGTH = 18;
constexpr int MODEL_PREFIX_LENGTH = 7;

const char* const MODEL_PREFIXES[] = {"RM40-33", "RM30-33", "RM20-33", "RM10-33"};

InterfaceType InterfaceOfModelCharacter(QChar character) {
  switch (character.unicode()) {
    case '2':
      return InterfaceType::Rs232;
    case '3':
      return InterfaceType::Ps2Keyboard;
    case '4':
      return InterfaceType::UsbHidKb;
    case '5':
      return InterfaceType::UsbHid;
    case '6':
      return InterfaceType::UsbRs232;
    default:
      return InterfaceType::Unknown;
  }
}

QPainterPath RoundedOutline(const QRectF& rect, double scale) {
  QPainterPath path;
  path.addRoundedRect(rect, CORNER * scale / 2.0, CORNER * scale / 2.0);
  return path;
}

}  // namespace

ModelNumberCheck CheckModelNumber(const QString& text, InterfaceType* chosen) {
  if (text.isEmpty()) return ModelNumberCheck::Empty;
  if (text.size() < MIN_MODEL_LENGTH || text.size() > MAX_MODEL_LENGTH) {
    return ModelNumberCheck::Unknown;
  }
  const QString prefix = text.left(MODEL_PREFIX_LENGTH);
  for (const char* known : MODEL_PREFIXES) {
    if (prefix == QLatin1String(known)) {
      if (chosen != nullptr) *chosen = InterfaceOfModelCharacter(text.at(MODEL_PREFIX_LENGTH));
      return ModelNumberCheck::Accepted;
    }
  }
  return ModelNumberCheck::Unknown;
}

ModelNumberDialog::ModelNumberDialog(UiServices& ui, QWidget* parent)
    : BaseDialog(parent, Kind::Window, Qt::Dialog | Qt::FramelessWindowHint),
      ui_(ui),
      chosenInterface_(InterfaceType::Unknown),
      edit_(new QLineEdit(this)),
      continueButton_(new QPushButton(QStringLiteral("Continue"), this)),
      cancelButton_(new QPushButton(QStringLiteral("Cancel"), this)) {
  setObjectName(QStringLiteral("modelNumberDialog"));
  setModal(true);
  SetBackgroundColor(Qt::white);

  QFont editFont(QStringLiteral("Times New Roman"));
  editFont.setPixelSize(units_.Pixels(18));
  editFont.setWeight(QFont::Light);
  edit_->setObjectName(QStringLiteral("modelNumberEdit"));
  // The painted prompt asks for what the field takes.
  NameControl(edit_, QString::fromLatin1(MODEL_NUMBER_PROMPT));
  edit_->setFont(editFont);
  edit_->setFixedSize(units_.Pixels(300), std::max(units_.Pixels(34), edit_->sizeHint().height()));

  continueButton_->setObjectName(QStringLiteral("continueButton"));
  continueButton_->setDefault(true);
  cancelButton_->setObjectName(QStringLiteral("cancelButton"));
  cancelButton_->setAutoDefault(false);
  for (QPushButton* button : {continueButton_, cancelButton_}) {
    const QSize hint = button->sizeHint();
    button->setFixedSize(std::max(units_.Pixels(110), hint.width()),
                         std::max(units_.Pixels(32), hint.height()));
  }
  connect(continueButton_, &QPushButton::clicked, this, &ModelNumberDialog::Continue);
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);

  // As large as its units, and higher when the wrapped prompt needs more room.
  const int width = units_.X(DIALOG_UNITS_WIDTH);
  resize(width, units_.Y(DIALOG_UNITS_HEIGHT));
  const int needed = PromptRect().bottom() + units_.Pixels(14) + edit_->height() +
                     units_.Pixels(20) + continueButton_->height() + units_.Pixels(26);
  setFixedSize(width, std::max(units_.Y(DIALOG_UNITS_HEIGHT), needed));
  edit_->setFocus();
}

ModelNumberDialog::~ModelNumberDialog() = default;

void ModelNumberDialog::Continue() {
  InterfaceType chosen = InterfaceType::Unknown;
  switch (CheckModelNumber(edit_->text(), &chosen)) {
    case ModelNumberCheck::Empty:
      ui_.ShowMessage(this, QString::fromLatin1(MODEL_NUMBER_EMPTY_TEXT), QString(), 0);
      return;
    case ModelNumberCheck::Unknown:
      ui_.ShowMessage(this, QString::fromLatin1(MODEL_NUMBER_UNKNOWN_TEXT), QString(), 0);
      return;
    case ModelNumberCheck::Accepted:
      chosenInterface_ = chosen;
      accept();
      return;
  }
}

QFont ModelNumberDialog::PromptFont() const {
  QFont font(QStringLiteral("Times New Roman"));
  font.setPixelSize(units_.Pixels(26));
  font.setWeight(QFont::Medium);
  return font;
}

QRect ModelNumberDialog::PromptRect() const {
  // Starts 20 pixels from the left and top, inside the border, wrapped to the width.
  const int margin = units_.Pixels(TEXT_MARGIN);
  const QRect area = rect().adjusted(margin, margin, -margin, 0);
  const QFontMetrics metrics(PromptFont());
  const QRect measured = metrics.boundingRect(area, Qt::TextWordWrap | Qt::AlignLeft,
                                              QString::fromLatin1(MODEL_NUMBER_PROMPT));
  return QRect(area.left(), area.top(), area.width(), measured.height());
}

void ModelNumberDialog::resizeEvent(QResizeEvent* event) {
  BaseDialog::resizeEvent(event);
  // The window itself is cut to the rounded rectangle.
  setMask(QRegion(RoundedOutline(QRectF(rect()), units_.Scale()).toFillPolygon().toPolygon()));

  const QRect prompt = PromptRect();
  edit_->move((width() - edit_->width()) / 2, prompt.bottom() + units_.Pixels(14));
  const int buttonsTop = height() - continueButton_->height() - units_.Pixels(26);
  const int gap = units_.Pixels(30);
  const int left = (width() - continueButton_->width() - gap - cancelButton_->width()) / 2;
  continueButton_->move(left, buttonsTop);
  cancelButton_->move(left + continueButton_->width() + gap, buttonsTop);
}

void ModelNumberDialog::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(rect(), Qt::white);
  painter.setPen(QPen(Qt::black, 3));
  painter.setBrush(Qt::white);
  painter.drawPath(RoundedOutline(QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5), units_.Scale()));

  painter.setFont(PromptFont());
  painter.setPen(Qt::black);
  painter.drawText(PromptRect(), Qt::TextWordWrap | Qt::AlignLeft,
                   QString::fromLatin1(MODEL_NUMBER_PROMPT));
}

}  // namespace tessaron
