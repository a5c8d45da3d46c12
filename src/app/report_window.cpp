#include "app/report_window.h"

#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QPainter>
#include <QScrollBar>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/dialog_units.h"
#include "controls/keyboard_access.h"

namespace tessaron {

namespace {
// In dialog units.
constexpr int REPORT_UNITS_WIDTH = 400;
constexpr int REPORT_UNITS_HEIGHT = 300;
}  // namespace

ReportWindow::ReportWindow(const QString& report, QWidget* parent)
    : BaseDialog(parent, Kind::Window, Qt::Dialog | Qt::FramelessWindowHint),
      textField_(new QPlainTextEdit(this)),
      okButton_(MakeOkButton()) {
  setObjectName(QStringLiteral("reportWindow"));
  setModal(true);
  setWindowTitle(QString());
  SetBackgroundColor(palette().color(QPalette::Button));

  QString text = report;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  textField_->setObjectName(QStringLiteral("reportText"));
  textField_->setReadOnly(true);
  ReadableByKeys(textField_);
  // The window and its text are named by the report's heading, without its rule of '='.
  const QString heading = text.section(QLatin1Char('\n'), 0, 0).remove(QLatin1Char('=')).trimmed();
  setAccessibleName(heading);
  textField_->setAccessibleName(heading);
  textField_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  textField_->setLineWrapMode(QPlainTextEdit::NoWrap);
  textField_->setPlainText(text);
  // A tab lines the indented words up under the heading words.
  textField_->setTabStopDistance(textField_->fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 4);


  const DialogUnits units;
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(1, 1, 1, units.Y(3));
  layout->addWidget(textField_, 1);
  layout->addWidget(okButton_, 0, Qt::AlignHCenter);

  // Wide enough for the longest line of the report beside the scroll bar, so that no line
  // needs a horizontal scroll bar.
  const QFontMetrics metrics = textField_->fontMetrics();
  int longest = 0;
  for (const QString& line : text.split(QLatin1Char('\n'))) {
    longest = std::max(longest, metrics.horizontalAdvance(line));
  }
  const int textWidth = longest + 2 * textField_->frameWidth() +
                        static_cast<int>(2 * textField_->document()->documentMargin()) +
                        textField_->verticalScrollBar()->sizeHint().width() + 4;
  resize(std::max(units.X(REPORT_UNITS_WIDTH), textWidth + 2), units.Y(REPORT_UNITS_HEIGHT));
}

void ReportWindow::paintEvent(QPaintEvent* event) {
  BaseDialog::paintEvent(event);
  // A window without a caption: a thin frame marks its edge.
  QPainter painter(this);
  painter.setPen(QPen(QColor(86, 120, 100), 1));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

ReportWindow::~ReportWindow() = default;

QString ReportWindow::Text() const { return textField_->toPlainText(); }

}  // namespace tessaron
