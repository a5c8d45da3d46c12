#include "app/report_window.h"

#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaron {

namespace {
constexpr int REPORT_WINDOW_WIDTH = 640;
constexpr int REPORT_WINDOW_HEIGHT = 520;
}  // namespace

ReportWindow::ReportWindow(const QString& report, QWidget* parent)
    : BaseDialog(parent, Kind::Window),
      textField_(new QPlainTextEdit(this)),
      okButton_(new QPushButton(QStringLiteral("OK"), this)) {
  setObjectName(QStringLiteral("reportWindow"));
  setModal(true);
  setWindowTitle(QString());
  SetBackgroundColor(palette().color(QPalette::Button));

  QString text = report;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  textField_->setObjectName(QStringLiteral("reportText"));
  textField_->setReadOnly(true);
  textField_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  textField_->setLineWrapMode(QPlainTextEdit::NoWrap);
  textField_->setPlainText(text);
  // A tab lines the indented words up under the heading words.
  textField_->setTabStopDistance(textField_->fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 4);

  okButton_->setObjectName(QStringLiteral("okButton"));
  okButton_->setDefault(true);
  okButton_->setMinimumWidth(90);
  connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 8);
  layout->addWidget(textField_, 1);
  layout->addWidget(okButton_, 0, Qt::AlignHCenter);
  resize(REPORT_WINDOW_WIDTH, REPORT_WINDOW_HEIGHT);
}

ReportWindow::~ReportWindow() = default;

QString ReportWindow::Text() const { return textField_->toPlainText(); }

}  // namespace tessaron
