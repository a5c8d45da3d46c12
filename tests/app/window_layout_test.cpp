// The windows at the desktop font sizes people use: every caption keeps its room. And the
// windows keep painting while a slow reader answers, with the user's input held off.

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "app/advanced_sheet.h"
#include "app/basic_sheet.h"
#include "app/help_files.h"
#include "app/interface_selection_page.h"
#include "app/main_window.h"
#include "app/settings_page.h"
#include "app/message_window.h"
#include "app/model_number_dialog.h"
#include "app/report_window.h"
#include "app_test_support.h"
#include "controls/escape_name_edit.h"
#include "core/settings_report.h"
#include "dataedit/added_field_editor.h"
#include "dataedit/custom_field_editor.h"
#include "dataedit/formula_editor_of_kind.h"

using namespace tessaron;
using namespace tessaron::test;

namespace {

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
  int paints = 0;
};

}  // namespace

class WindowLayoutTest : public WindowTestBase {
  Q_OBJECT

 private slots:
  void initTestCase() { UseOwnProfile(); }
  void init() { PrepareCase(); }
  void cleanup() {
    QApplication::setFont(desktopFont_);
    EndCase();
  }

  void everyCaptionIsWholeAndEveryFieldNamed_data() {
    QTest::addColumn<int>("pointSize");
    for (int size : {9, 11, 14, 18}) QTest::addRow("%d pt", size) << size;
  }

  void everyCaptionIsWholeAndEveryFieldNamed() {
    QFETCH(int, pointSize);
    QFont font = desktopFont_;
    font.setPointSize(pointSize);
    QApplication::setFont(font);
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{'0'});
    StartWindow();
    Settle();

    QStringList cut = CaptionsCutOff(window_.get());
    window_->SelectReaderInterface();
    window_->GetInterfaceSelection()->SelectGroup(InterfaceSelectionPage::GROUP_USB);
    Settle();
    cut << CaptionsCutOff(window_.get()) << UnnamedControls(window_.get());
    window_->GetInterfaceSelection()->CancelButton()->click();
    Settle();
    for (bool advanced : {false, true}) {
      advanced ? window_->ChangeAdvancedSettings() : window_->ChangeBasicSettings();
      Settle();
      SettingsSheet* sheet = advanced ? static_cast<SettingsSheet*>(window_->GetAdvancedSheet())
                                      : window_->GetBasicSheet();
      for (int page = 0; page < sheet->PageCount(); ++page) {
        sheet->Tabs()->setCurrentIndex(page);
        Settle();
        cut << CaptionsCutOff(window_.get()) << UnnamedControls(window_.get());
        // Fields beside their labels; byte strings as wide as their limit of typical names.
        for (QLabel* label : sheet->Tabs()->currentWidget()->findChildren<QLabel*>()) {
          const QFontMetrics font = label->fontMetrics();
          const QWidget* field = label->buddy();
          const auto* bytes = qobject_cast<const EscapeNameEdit*>(field);
          if ((field && field->x() - label->x() - font.horizontalAdvance(label->text()) > 8 * font.averageCharWidth()) ||
              (bytes && bytes->width() < bytes->Limit() * font.horizontalAdvance(QStringLiteral("\\esc")))) {
            cut << label->text();
          }
        }
      }
    }

    ReportWindow report(QString::fromLatin1(BuildSettingsReport(window_->State().Settings(), "V1.90").c_str()));
    ModelNumberDialog modelNumber(*ui_);
    MessageWindow message(QStringLiteral(
        "The configuration settings have been written to Tessaron device successfully!\n"
        "The interface is switched, please wait some second to re-open it."));
    ReaderSettings& settings = window_->State().Settings();
    std::unique_ptr<FormulaEditor> editors[CARD_KIND_COUNT];
    for (int kind = 0; kind < CARD_KIND_COUNT; ++kind) {
      editors[kind] = MakeFormulaEditor(kind, nullptr, *ui_, settings, {true, true, true});
    }
    AddedFieldEditor addedFields(nullptr, *ui_, settings, nullptr);
    CustomFieldEditor customFields(nullptr, *ui_, settings, ByteString{});
    for (QWidget* window : std::initializer_list<QWidget*>{
             &report, &modelNumber, &message, editors[0].get(), editors[1].get(),
             editors[2].get(), editors[3].get(), &addedFields, &customFields}) {
      window->show();
      Settle();
      cut << CaptionsCutOff(window) << UnnamedControls(window);
    }
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral(", "))));
    // The report needs no horizontal scroll bar.
    auto* text = report.findChild<QPlainTextEdit*>();
    QVERIFY(text != nullptr);
    QVERIFY(!text->horizontalScrollBar()->isVisible());
    // A message window is announced as an alert with its text, as a message box is.
    QAccessibleInterface* alert = QAccessible::queryAccessibleInterface(&message);
    QCOMPARE(alert->role(), QAccessible::AlertMessage);
    QCOMPARE(alert->text(QAccessible::Name), message.Text());
  }

  // The help describes each page as it is: the section its "Help" opens names every group,
  // check box and label of the page, the "Non-Printable Char" choosers included.
  void theHelpNamesWhatEachPageShows() {
    QFile file(QString::fromLocal8Bit(qgetenv("TESSARON_BIN_DIR") + '/' + HELP_FILE_NAME));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString help = QString::fromUtf8(file.readAll())
                             .remove(QRegularExpression(QStringLiteral("<(?!/?section)[^>]*>")))
                             .simplified();
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{'0'});
    StartWindow();
    window_->ChangeBasicSettings();
    window_->ChangeAdvancedSettings();
    QStringList missing;
    for (SettingsPage* page : window_->findChildren<SettingsPage*>()) {
      ui_->documents.clear();
      for (QPushButton* button : page->findChildren<QPushButton*>()) {
        if (button->text() == QLatin1String("Help")) button->click();
      }
      if (ui_->documents.isEmpty()) continue;  // a page without a topic of its own
      const QString anchor = QStringLiteral("id=\"%1\"").arg(ui_->documents[0].fragment());
      const QString section =
          help.section(anchor, 1, 1).section(QStringLiteral("</section>"), 0, 0);
      for (QWidget* widget : page->findChildren<QWidget*>()) {
        const char* property = widget->inherits("QGroupBox") ? "title" : "text";
        if (!widget->inherits("QGroupBox") && !widget->inherits("QLabel") &&
            !widget->inherits("QCheckBox")) {
          continue;
        }
        const QString caption = widget->property(property).toString().simplified();
        if (!section.contains(caption)) missing << anchor + ' ' + caption;
      }
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(", "))));
  }

  void theWindowsPaintWhileASlowReaderAnswers() {
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{'0'});
    TransportTiming slow = FastTiming();
    slow.hid.replyPause = std::chrono::milliseconds(200);
    StartWindow(slow);
    PaintCounter counter(window_.get());
    bool exitAsked = false;
    connect(window_.get(), &MainWindow::exitRequested, this, [&] { exitAsked = true; });

    // Once the first command has gone to the reader, while the exchange waits for its reply,
    // the window is asked to repaint, and "EXIT" is clicked: the repaint happens, the click
    // does not.
    int paintsDuringExchange = -1;
    QTimer sent;
    connect(&sent, &QTimer::timeout, this, [&] {
      if (usb_->Device(0).SetFeatureCalls() == 0) return;
      sent.stop();
      const int before = counter.paints;
      window_->update();
      QTest::mouseClick(window_->GetButton(MainWindow::Button::Exit), Qt::LeftButton);
      QTimer::singleShot(50, this, [&, before] { paintsDuringExchange = counter.paints - before; });
    });
    sent.start(2);
    window_->ChangeBasicSettings();
    QVERIFY(paintsDuringExchange > 0);
    QVERIFY(!exitAsked);
    QVERIFY(window_->GetBasicSheet() != nullptr);
  }

 private:
  const QFont desktopFont_ = QApplication::font();
};

QTEST_MAIN(WindowLayoutTest)
#include "window_layout_test.moc"
