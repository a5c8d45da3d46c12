// The main window driven with simulated readers: connecting on its own, remembering the
// reader between runs, which child window may be open, notices, the report, the PS/2 waits.

#include "app/main_window.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>

#include "app/advanced_sheet.h"
#include "app/basic_sheet.h"
#include "app/interface_selection_page.h"
#include "app/notice_window.h"
#include "app/quick_clone_page.h"
#include "app/report_window.h"
#include "app_test_support.h"
#include "flows/flow_texts.h"
#include "sim/simulated_line.h"

using namespace tessaron;
using namespace tessaron::test;

class MainWindowTest : public WindowTestBase {
  Q_OBJECT

 private slots:
  void initTestCase() {
    UseOwnProfile();
  }

  void init() { PrepareCase(); }
  void cleanup() { EndCase(); }

  void firstRunWithOneUsbReaderConnectsByItselfAndIsRemembered() {
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{'0'});
    StartWindow();
    QCOMPARE(window_->State().Connection().type, InterfaceType::Unknown);
    QCOMPARE(usb_->Reader(0).CommandCount(), std::size_t{0});  // nothing at start-up

    window_->GetButton(MainWindow::Button::ChangeBasic)->click();
    QVERIFY(window_->GetBasicSheet() != nullptr);
    QVERIFY(window_->GetBasicSheet()->isVisible());
    QCOMPARE(window_->GetBasicSheet()->geometry(), window_->ChildArea());
    QCOMPARE(window_->State().Connection().type, InterfaceType::UsbHid);
    QCOMPARE(window_->State().Connection().index, 0);
    // Found by auto-detection (one read), then read again for the sheet.
    QCOMPARE(usb_->Reader(0).CommandCount(), std::size_t{2});
    QVERIFY(ui_->messages.isEmpty());

    window_.reset();
    QCOMPARE(ReadProfile(), std::make_pair(InterfaceType::UsbHid, 0));
  }

  void twoUsbReadersLeaveTheChoiceToTheUser() {
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{'0', '8'});
    StartWindow();

    window_->ChangeBasicSettings();
    window_->ChangeAdvancedSettings();
    QVERIFY(window_->GetBasicSheet() == nullptr);
    QVERIFY(window_->GetAdvancedSheet() == nullptr);
    QVERIFY(window_->State().Link() == nullptr);
    QVERIFY(ui_->messages.isEmpty());
    QVERIFY(ui_->notices.isEmpty());

    window_->CheckCurrentSettings();
    QVERIFY(window_->GetInterfaceSelection() != nullptr);
    QVERIFY(window_->GetInterfaceSelection()->isVisible());
    QCOMPARE(
        window_->GetInterfaceSelection()->GroupEntries(InterfaceSelectionPage::GROUP_USB).size(),
        std::size_t{2});
    QCOMPARE(usb_->Reader(0).CommandCount() + usb_->Reader(1).CommandCount(), std::size_t{0});
  }

  void rememberedReaderThatIsGoneFallsBackToAutoDetection() {
    WriteProfile(InterfaceType::UsbHid, 3);
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{'8'});
    StartWindow();
    QCOMPARE(window_->State().Connection().index, 3);

    window_->ChangeAdvancedSettings();
    QVERIFY(window_->GetAdvancedSheet() != nullptr);
    QCOMPARE(window_->State().Connection().type, InterfaceType::UsbHidKb);
    QCOMPARE(window_->State().Connection().index, 0);
    window_.reset();
    QCOMPARE(ReadProfile(), std::make_pair(InterfaceType::UsbHidKb, 0));
  }

  void rememberedReaderGoneWithNothingAttachedIsForgotten() {
    WriteProfile(InterfaceType::UsbHid, 0);
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{});
    StartWindow();
    // Told; the sheet opens, saying that its values are not the reader's.
    window_->ChangeBasicSettings();
    QCOMPARE(ui_->messages, QStringList{OPEN_DEVICE_FAILED_TEXT});
    QVERIFY(window_->GetBasicSheet()->RecordNote()->isVisibleTo(window_.get()));
    window_.reset();
    QCOMPARE(ReadProfile(), std::make_pair(InterfaceType::Unknown, -1));
  }

  void rememberedInterfaceOutsideTheTableIsForgottenWithoutACrash() {
    WriteProfile(static_cast<InterfaceType>(9), 0);
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{'0'});
    StartWindow();
    window_->ChangeBasicSettings();
    QCOMPARE(ui_->messages, QStringList{QStringLiteral("ERROR Interface Type!")});
    QVERIFY(window_->GetBasicSheet() != nullptr);
    QCOMPARE(window_->State().Connection().type, InterfaceType::UsbHid);
  }

  void selectionPageBlocksTheCheckAndChangeButtons() {
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{'0', '0'});
    StartWindow();
    window_->SelectReaderInterface();
    QVERIFY(window_->GetInterfaceSelection() != nullptr);
    QCOMPARE(window_->GetInterfaceSelection()->geometry(), window_->ChildArea());

    window_->GetButton(MainWindow::Button::CheckSettings)->click();
    window_->GetButton(MainWindow::Button::ChangeBasic)->click();
    window_->GetButton(MainWindow::Button::ChangeAdvanced)->click();
    QCOMPARE(
        ui_->notices,
        (QStringList{
            "Please close current window before selecting \"CHECK CURRENT READER SETTINGS\"",
            "Please close current window before selecting \"CHANGE BASIC READER SETTINGS\"",
            "Please close current window before selecting \"CHANGE ADVANCED READER SETTINGS\""}));
    QVERIFY(window_->GetBasicSheet() == nullptr);
    QVERIFY(window_->GetAdvancedSheet() == nullptr);
    QVERIFY(window_->State().Link() == nullptr);
    QVERIFY(window_->Notice() != nullptr);
    QCOMPARE(window_->Notice()->Text(), ui_->notices.last());

    // A reopen request meets the same rule.
    window_->ReopenReader();
    QCOMPARE(ui_->notices.size(), 4);
    QCOMPARE(ui_->notices.last(), ui_->notices.first());
  }

  void aVisibleSheetBlocksSelectingTheInterface() {
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{'0'});
    StartWindow();
    window_->ChangeBasicSettings();
    window_->SelectReaderInterface();
    QCOMPARE(
        ui_->notices.last(),
        QString::fromLatin1(
            "Please close \"Change Basic Reader Setting\" Before Going Back to the Main Menu"));
    QCOMPARE(window_->focusWidget(), window_->GetBasicSheet()->CloseButton());
    QVERIFY(window_->GetInterfaceSelection() == nullptr);

    // The change buttons switch between the sheets; the hidden one keeps living.
    QPointer<BasicSheet> basic = window_->GetBasicSheet();
    window_->ChangeAdvancedSettings();
    QVERIFY(basic && basic->isHidden());
    window_->SelectReaderInterface();
    QCOMPARE(
        ui_->notices.last(),
        QString::fromLatin1(
            "Please close \"Change Advanced Reader Setting\" Before Going Back to the Main Menu"));
    QCOMPARE(window_->focusWidget(), window_->GetAdvancedSheet()->CloseButton());
    // No settings read for a switch; only the Output Format page's firmware query.
    QCOMPARE(usb_->Reader(0).CommandCount(), std::size_t{3});

    // Closing the visible sheet lifts the rule and takes the notice away.
    window_->GetAdvancedSheet()->CloseButton()->click();
    Settle();
    QVERIFY(window_->GetAdvancedSheet() == nullptr);
    QVERIFY(window_->Notice() == nullptr);
    QCOMPARE(window_->focusWidget(), window_->GetButton(MainWindow::Button::SelectInterface));
    window_->SelectReaderInterface();
    QVERIFY(window_->GetInterfaceSelection() != nullptr);
    QVERIFY(basic);  // hidden, kept
    window_->ChangeBasicSettings();
    QVERIFY(basic->isHidden());
  }

  void aNewNoticeReplacesTheOldOneAndAClickClosesIt() {
    StartWindow();
    window_->ShowNotice(QStringLiteral("first"));
    QPointer<NoticeWindow> first = window_->Notice();
    window_->ShowNotice(QStringLiteral("second"));
    Settle();
    QVERIFY(first.isNull());
    QPointer<NoticeWindow> second = window_->Notice();
    QVERIFY(second && second->isVisible());
    QCOMPARE(second->Text(), QStringLiteral("second"));
    QCOMPARE(second->BackgroundColor(), QColor(255, 255, 128));

    QTest::mouseClick(second, Qt::LeftButton);
    Settle();
    QVERIFY(window_->Notice() == nullptr);
    QVERIFY(second.isNull());

    window_->ShowNotice(QStringLiteral("third"));
    QTest::keyClick(window_->Notice(), Qt::Key_A);
    Settle();
    QVERIFY(window_->Notice() == nullptr);

    // The notice never has the focus: a key pressed anywhere in the program closes it.
    window_->ShowNotice(QStringLiteral("fourth"));
    QTest::keyClick(window_->GetButton(MainWindow::Button::Help), Qt::Key_Shift);
    Settle();
    QVERIFY(window_->Notice() == nullptr);
  }

  void aNoticeDisappearsByItselfAfterItsLifetime() {
    StartWindow();
    QElapsedTimer clock;
    clock.start();
    window_->ShowNotice(QStringLiteral("going"));
    QPointer<NoticeWindow> notice = window_->Notice();
    QCOMPARE(notice->LifetimeMs(), TEST_LIFETIMES.noticeMs);
    QTest::qWait(TEST_LIFETIMES.noticeMs * 9 / 10);
    QVERIFY(notice && notice->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(notice.isNull(), 3000);
    QVERIFY(clock.elapsed() >= TEST_LIFETIMES.noticeMs * 98 / 100);
    QVERIFY(window_->Notice() == nullptr);
    // The program's own notices live five seconds.
    QCOMPARE(NoticeWindow(QStringLiteral("real"), nullptr).LifetimeMs(), 5000);
  }

  // A reader on a pseudo-terminal, named on the command line, as discovery never offers it.
  void aReaderNamedByPathConnectsAtStartUp() {
    StartWindow();
    sim::SimulatedLine line(sim::SimulatedLineKind::Rs232);
    START_SIMULATED_SERIAL_LINE(line);
    // Until the start-up read has ended, input is held off as during every exchange: a click
    // meanwhile does nothing (nor opens a sheet that the read's end would close).
    window_->ConnectAtStartUp(ReaderConnection{InterfaceType::Rs232, -1, line.DeviceName()});
    QSignalSpy exitAsked(window_.get(), &MainWindow::exitRequested);
    QTest::mouseClick(window_->GetButton(MainWindow::Button::Exit), Qt::LeftButton);
    QTRY_VERIFY(window_->State().Link() != nullptr);
    QCOMPARE(exitAsked.count(), 0);
    QCOMPARE(window_->State().Settings().interfaceType, InterfaceType::Rs232);
    QVERIFY(ui_->messages.isEmpty());

    QVERIFY(!window_->ConnectTo(ReaderConnection{InterfaceType::Rs232, -1, "/dev/no-such-reader"}));
    QCOMPARE(ui_->messages, QStringList{"Could not open Tessaron device, please check it!"});
    QVERIFY2(ui_->causes[0].contains(QStringLiteral("not present")), qPrintable(ui_->causes[0]));
    QCOMPARE(window_->State().Connection().type, InterfaceType::Unknown);
  }

  void aSuccessfulConnectDestroysBothSheets() {
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{'0'});
    StartWindow();
    window_->ChangeBasicSettings();
    window_->ChangeAdvancedSettings();
    QPointer<BasicSheet> basic = window_->GetBasicSheet();
    QPointer<AdvancedSheet> advanced = window_->GetAdvancedSheet();
    QVERIFY(basic && advanced);

    QVERIFY(window_->Connect(true));
    QVERIFY(window_->GetBasicSheet() == nullptr);
    QVERIFY(window_->GetAdvancedSheet() == nullptr);
    Settle();
    QVERIFY(basic.isNull() && advanced.isNull());

    window_->ChangeBasicSettings();
    QVERIFY(window_->GetBasicSheet() != nullptr);
    QVERIFY(window_->GetBasicSheet() != basic.data());
  }

  void checkShowsTheReportOfTheReaderAndItsFirmware_data() {
    QTest::addColumn<QString>("firmware");  // none: the version query fails
    QTest::newRow("version") << "V1.93";
    QTest::newRow("no version") << "";
  }

  void checkShowsTheReportOfTheReaderAndItsFirmware() {
    QFETCH(QString, firmware);
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{'0'});
    usb_->Reader(0).SetFirmware(firmware.toStdString());
    StartWindow();
    QString report;
    WhenModalShown([&report](QWidget* modal) {
      auto* window = qobject_cast<ReportWindow*>(modal);
      if (window == nullptr) return;
      report = window->Text();
      QVERIFY(window->TextField()->isReadOnly());
      window->OkButton()->click();
    });
    window_->CheckCurrentSettings();
    QVERIFY(report.startsWith(
        QStringLiteral("=============Check Current Tessaron Settings===============\n")));
    QVERIFY(report.contains(QStringLiteral("\nINTERFACE_TYPE: USB-HID\n")));
    QVERIFY(report.endsWith("Firmware Version: " + (firmware.isEmpty() ? VERSION_NOT_READ_TEXT : firmware)));
    QVERIFY(ui_->messages.isEmpty());
  }

  void checkFollowsTheReadersCurrentSettings() {
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{'0'});
    StartWindow();
    QVERIFY(window_->EnsureConnection());
    // The reader's settings change behind the program's back: a check reads them again.
    usb_->Reader(0).SetSettingsStream(DefaultStreamWithHidFormat('1'));
    QString report;
    WhenModalShown([&report](QWidget* modal) {
      if (auto* window = qobject_cast<ReportWindow*>(modal)) {
        report = window->Text();
        window->accept();
      }
    });
    window_->CheckCurrentSettings();
    QVERIFY(report.contains(QStringLiteral("USB HID Format: Mag-Tek USB HID Data Format\n")));
  }

  void aReaderThatStoppedAnsweringIsToldAndItsSheetSaysSo() {
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{'0'});
    StartWindow();
    QCOMPARE(window_->focusWidget(), window_->GetButton(MainWindow::Button::SelectInterface));
    QVERIFY(window_->EnsureConnection());
    usb_->Reader(0).SetSilent(true);
    bool reportShown = false;
    WhenModalShown(
        [&reportShown](QWidget* modal) {
          reportShown = true;
          static_cast<QDialog*>(modal)->reject();
        },
        300);
    window_->CheckCurrentSettings();  // a report is shown (modal) before this returns
    Settle();
    QVERIFY(!reportShown);
    QCOMPARE(ui_->messages, QStringList{texts::READ_FAILED});
    QVERIFY(ui_->causes[0].contains(QStringLiteral("did not answer")));
    window_->ChangeBasicSettings();
    QVERIFY(window_->GetBasicSheet()->RecordNote()->isVisibleTo(window_.get()));
  }

  void aPs2ReaderGetsItsWaitsAfterReading() {
    keyboard_ = std::make_unique<SimulatedKeyboardLine>(true);
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{});
    WriteProfile(InterfaceType::Ps2Keyboard, 0);
    StartWindow();

    window_->ChangeBasicSettings();
    QVERIFY(window_->GetBasicSheet() != nullptr);
    QCOMPARE(window_->State().Settings().interfaceType, InterfaceType::Ps2Keyboard);
    QCOMPARE(ui_->waits, QList<int>{700});

    window_->GetBasicSheet()->CloseButton()->click();
    Settle();
    WhenModalShown([](QWidget* modal) { static_cast<QDialog*>(modal)->accept(); });
    window_->CheckCurrentSettings();
    QCOMPARE(ui_->waits, (QList<int>{700, 800}));
    QCOMPARE(window_->State().FirmwareVersion(), std::string("V1.90"));
  }

  void helpAndHowToUseOpenTheFilesBesideTheProgram() {
    StartWindow();
    window_->GetButton(MainWindow::Button::Help)->click();
    window_->GetButton(MainWindow::Button::HowToUse)->click();
    QCOMPARE(ui_->documents.size(), 2);
    QCOMPARE(ui_->documents[0].fileName(), QStringLiteral("TessaronCfgUtil.html"));
    QCOMPARE(ui_->documents[0].fragment(), QStringLiteral("context-4000"));
    QCOMPARE(ui_->documents[1].fileName(), QStringLiteral("HOW TO USE THIS UTILITY.txt"));
    QVERIFY(QFileInfo::exists(ui_->documents[1].toLocalFile()));
    // Without a viewer on the desktop the program shows the page itself, at the topic.
    ui_->opensDocuments = false;
    window_->GetButton(MainWindow::Button::Help)->click();
    auto* browser = window_->findChild<QTextBrowser*>();
    QVERIFY(browser != nullptr && browser->isVisible());
    QCOMPARE(browser->source().fragment(), QStringLiteral("context-4000"));
  }

  void aBurstOfDeviceChangesIsToldOnce() {
    StartWindow();
    QSignalSpy told(&window_->State(), &ReaderState::devicesChanged);
    window_->NotifyDevicesChanged();
    window_->NotifyDevicesChanged();
    QCOMPARE(told.count(), 1);
  }

  void enterAndEscapeDoNothingInTheMainWindow() {
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{'0'});
    StartWindow();
    QTest::keyClick(window_.get(), Qt::Key_Escape);
    QTest::keyClick(window_.get(), Qt::Key_Return);
    QTest::keyClick(window_.get(), Qt::Key_Enter, Qt::KeypadModifier);
    Settle();
    QVERIFY(window_->isVisible());
    QVERIFY(window_->GetBasicSheet() == nullptr);
  }

  void exitClosesTheNoticeAndEndsTheRun() {
    StartWindow();
    QSignalSpy exitRequested(window_.get(), &MainWindow::exitRequested);
    window_->ShowNotice(QStringLiteral("a notice"));
    window_->GetButton(MainWindow::Button::Exit)->click();
    QVERIFY(window_->Notice() == nullptr);
    QVERIFY(!window_->isVisible());
    QCOMPARE(exitRequested.count(), 1);
  }

 private:
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
