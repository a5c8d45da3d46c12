// The two settings sheets on a simulated reader: "Send to MSR" with its outcomes, the
// firmware rule of keyboard-class readers, the interface switch, files, "Default All",
// the advanced tab rule and Escape.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "app/advanced_sheet.h"
#include "app/basic_sheet.h"
#include "app/main_window.h"
#include "app/settings_page.h"
#include "app_test_support.h"
#include "controls/editable_grid.h"
#include "core/command_frame.h"
#include "core/config_file.h"
#include "core/firmware.h"
#include "core/settings_codec.h"
#include "core/settings_transactions.h"
#include "flows/flow_waits.h"
#include "sim/simulated_line.h"
#include "support/settings_streams.h"

using namespace tessaron;
using namespace tessaron::test;

namespace {

using tessaron::test_support::SettingsIn;
using tessaron::test_support::StreamOf;

const QString WRITE_OK = QStringLiteral(
    "The configuration settings have been written to Tessaron device successfully!\n");
const QString SWITCHED =
    QStringLiteral("The interface is switched, please wait some second to re-open it.");

QWidget* Focus() { return QApplication::focusWidget(); }

}  // namespace

class SettingsSheetTest : public WindowTestBase {
  Q_OBJECT

 private slots:
  void initTestCase() {
    UseOwnProfile();
    QVERIFY(fileDir_.isValid());
  }

  void init() { PrepareCase(); }
  void cleanup() { EndCase(); }

  void sendWritesTheWholeRecordFromEitherSheet() {
    StartWithReaders({'0'});
    SettingsSheet* basic = OpenSheet(false);
    window_->State().Settings().beepVolume = '1';
    window_->State().Settings().formulas[0] = ByteString{0x21, 0x22};  // an advanced setting too
    basic->SendButton()->click();
    QCOMPARE(ui_->messages, QStringList{WRITE_OK});
    QCOMPARE(SettingsIn(usb_->Reader(0).SettingsStream()).beepVolume, Byte('1'));
    QCOMPARE(SettingsIn(usb_->Reader(0).SettingsStream()).formulas[0], (ByteString{0x21, 0x22}));
    QVERIFY(ui_->waits.isEmpty());

    SettingsSheet* advanced = OpenSheet(true);
    window_->State().Settings().beepVolume = '2';
    advanced->SendButton()->click();
    QCOMPARE(ui_->messages.last(), WRITE_OK);
    QCOMPARE(SettingsIn(usb_->Reader(0).SettingsStream()).beepVolume, Byte('2'));
    QVERIFY(window_->GetAdvancedSheet()->isVisible());
  }

  void sendAFrameOfFourHundredBytesButNotOneMore() {
    StartWithReaders({'0'});
    SettingsSheet* sheet = OpenSheet(false);
    ReaderSettings& settings = window_->State().Settings();
    settings.preamble.assign(400 - DEFAULT_STREAM_LENGTH, 'A');
    QCOMPARE(SettingsFrameLength(settings), std::uint64_t{400});
    sheet->SendButton()->click();
    QCOMPARE(ui_->messages, QStringList{WRITE_OK});
    QCOMPARE(SettingsIn(usb_->Reader(0).SettingsStream()).preamble.size(),
             settings.preamble.size());

    const std::size_t commands = usb_->Reader(0).CommandCount();
    settings.preamble.push_back('B');
    QCOMPARE(SettingsFrameLength(settings), std::uint64_t{401});
    sheet->SendButton()->click();
    QCOMPARE(ui_->messages.last(),
             QStringLiteral("The command is too long, maybe there are too many fields in the "
                            "formulas, please check it!"));
    QCOMPARE(usb_->Reader(0).CommandCount(), commands);  // nothing sent
    QCOMPARE(SettingsIn(usb_->Reader(0).SettingsStream()).preamble.size(),
             std::size_t{400 - DEFAULT_STREAM_LENGTH});
  }

  void sendToAReaderThatIsGoneFails() {
    StartWithReaders({'0'});
    SettingsSheet* sheet = OpenSheet(true);
    usb_->SetPresent(0, false);
    sheet->SendButton()->click();
    QCOMPARE(ui_->messages,
             QStringList{"Could not write configuration settings to Tessaron device!"});
    QVERIFY2(ui_->causes[0].startsWith(QStringLiteral("The reader is not present")),
             qPrintable(ui_->causes[0]));
    QVERIFY(sheet->isVisible());
  }

  // A reader whose firmware does not know a FuncID of the frame refuses it: both sheets say
  // so instead of reporting success.
  void aRefusedWriteIsNoSuccess() {
    StartWithReaders({'0'});
    usb_->Reader(0).SetRejectUnknown(true);
    usb_->Reader(0).SetUnknownFuncIds({0x25});
    for (bool advanced : {false, true}) {
      window_->State().Settings().beepVolume = advanced ? '3' : '4';
      OpenSheet(advanced)->SendButton()->click();
    }
    const QString refused = QStringLiteral("Warning! There are unknown FuncIDs in the command.");
    QCOMPARE(ui_->messages, (QStringList{refused, refused}));
    QCOMPARE(SettingsIn(usb_->Reader(0).SettingsStream()).beepVolume, ReaderSettings().beepVolume);
  }

  void keyboardReadersGetTheKeyboardFormatOnlyFromItsFirmware_data() {
    QTest::addColumn<bool>("advanced");
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<char>("written");
    QTest::addColumn<QList<int>>("waits");
    const double every = HID_KB_FORMAT_MIN_VERSION;
    QTest::newRow("basic, older firmware") << false << FirmwareText(every, true) << '0' << QList<int>{500, 500};
    QTest::newRow("basic, every format") << false << FirmwareText(every) << '8' << QList<int>{500, 500};
    QTest::newRow("advanced, older firmware") << true << FirmwareText(every, true) << '0' << QList<int>{500};
    QTest::newRow("advanced, every format") << true << FirmwareText(every) << '8' << QList<int>{500};
    QTest::newRow("advanced 2.01") << true << "V2.01" << '8' << QList<int>{500};
    QTest::newRow("no version number") << true << "V-beta" << '0' << QList<int>{500};
  }

  void keyboardReadersGetTheKeyboardFormatOnlyFromItsFirmware() {
    QFETCH(bool, advanced);
    QFETCH(QString, firmware);
    QFETCH(char, written);
    QFETCH(QList<int>, waits);
    StartWithReaders({'8'});
    usb_->Reader(0).SetFirmware(firmware.toStdString());
    SettingsSheet* sheet = OpenSheet(advanced);
    QCOMPARE(window_->State().Settings().hidFormat, Byte('8'));
    sheet->SendButton()->click();
    QCOMPARE(ui_->messages, QStringList{WRITE_OK});
    QCOMPARE(usb_->Reader(0).HidFormat(), Byte(written));
    QCOMPARE(ui_->waits, waits);
  }

  void theFirmwareRuleLeavesOtherInterfacesAlone() {
    StartWithReaders({'0'});
    usb_->Reader(0).SetFirmware("V1.00");
    SettingsSheet* sheet = OpenSheet(false);
    window_->State().Settings().hidFormat = '1';
    sheet->SendButton()->click();
    QCOMPARE(usb_->Reader(0).HidFormat(), Byte('1'));
    QVERIFY(ui_->waits.isEmpty());
  }

  void interfaceSwitchClosesTheSheetAndFindsTheReaderAgain_data() {
    QTest::addColumn<bool>("advanced");
    QTest::newRow("basic sheet") << false;
    QTest::newRow("advanced sheet") << true;
  }

  void interfaceSwitchClosesTheSheetAndFindsTheReaderAgain() {
    QFETCH(bool, advanced);
    StartWithReaders({'0'});
    QPointer<SettingsSheet> sheet = OpenSheet(advanced);
    window_->State().Settings().SelectHidFormat('8');  // as the Output Format page does

    bool hiddenDuringWait = false;
    QString busyDuringWait;
    InterfaceType interfaceDuringWait = InterfaceType::Unknown;
    ui_->onWait = [&](int) {
      hiddenDuringWait = !sheet || sheet->isHidden();
      busyDuringWait = window_->BusyLine()->isVisibleTo(window_.get()) ? window_->BusyLine()->text() : "";
      interfaceDuringWait = window_->State().Connection().type;
    };
    sheet->SendButton()->click();
    QCOMPARE(ui_->messages, QStringList{WRITE_OK + SWITCHED});
    QVERIFY(!window_->State().Settings().IsInterfaceSwitchPending());

    // The main window waits, saying what for; the sheet is gone by then.
    Settle();
    QCOMPARE(ui_->waits, QList<int>{5000});
    QVERIFY(hiddenDuringWait);
    QCOMPARE(busyDuringWait, QString::fromLatin1(WAITING_FOR_READER_TEXT));
    QCOMPARE(interfaceDuringWait, InterfaceType::UsbHid);  // not looked for before the wait
    QVERIFY(window_->BusyLine()->isHidden());
    QCOMPARE(window_->focusWidget(), window_->GetButton(MainWindow::Button::SelectInterface));
    QVERIFY(sheet.isNull());
    QCOMPARE(usb_->Device(0).Reenumerations(), std::size_t{1});
    QCOMPARE(window_->State().Connection().type, InterfaceType::UsbHidKb);
    QCOMPARE(window_->State().Connection().index, 0);
    QVERIFY(window_->State().Link() != nullptr);
    QCOMPARE(window_->State().Line(), InterfaceType::UsbHidKb);
    QCOMPARE(window_->State().FirmwareVersion(), std::string("V1.90"));
    QCOMPARE(window_->State().Settings().interfaceType, InterfaceType::UsbHidKb);
    QCOMPARE(window_->State().Settings().hidFormat, Byte('8'));
    QCOMPARE(ui_->messages.size(), 1);
  }

  // A reader simulated for the run (--simulate), where a named position is checked before
  // it is opened: the reader that switched is found on its new line without a word about
  // the name it left.
  void aSimulatedReaderIsFoundAgainWithoutAWordAboutItsOldName() {
    window_.reset();
    session_ = std::make_unique<ReaderSession>(TestReaders());
    std::string error;
    QVERIFY(session_->Simulate({sim::SimulatedLineKind::UsbHid}, &error));
    window_ = std::make_unique<MainWindow>(*session_, *ui_);
    SettingsSheet* sheet = OpenSheet(true);
    QCOMPARE(window_->State().Connection().type, InterfaceType::UsbHid);
    window_->State().Settings().SelectHidFormat('8');
    sheet->SendButton()->click();
    Settle();
    QCOMPARE(ui_->messages, QStringList{WRITE_OK + SWITCHED});
    QCOMPARE(window_->State().Line(), InterfaceType::UsbHidKb);
  }

  void aSwitchNotedBeforeAFailedOpenStillClosesTheAdvancedSheet() {
    // The advanced sheet notes the switch before opening the port, the basic sheet after.
    StartWithReaders({'0'});
    QPointer<SettingsSheet> basic = OpenSheet(false);
    window_->State().Settings().SelectHidFormat('8');
    usb_->SetPresent(0, false);
    basic->SendButton()->click();
    QCOMPARE(ui_->messages,
             QStringList{"Could not write configuration settings to Tessaron device!"});
    QVERIFY(ui_->waits.isEmpty());
    Settle();
    QVERIFY(basic && basic->isVisible());

    QPointer<SettingsSheet> advanced = OpenSheet(true);
    advanced->SendButton()->click();
    QCOMPARE(ui_->messages.last(),
             QStringLiteral("Could not write configuration settings to Tessaron device!"));
    Settle();
    // Looked for after the wait, and again every second for a while.
    QCOMPARE(ui_->waits, QList<int>{5000} + QList<int>(REAPPEAR_RETRIES, int(REAPPEAR_RETRY_WAIT.count())));
    QVERIFY(advanced.isNull());
    // The reader is not found again: the user chooses.
    QVERIFY(window_->GetInterfaceSelection() != nullptr);
    QVERIFY(window_->State().Link() == nullptr);
  }

  void saveAndLoadThroughTheChooser() {
    StartWithReaders({'0'});
    const QString path = fileDir_.filePath(QStringLiteral("saved.cfs2"));
    SettingsSheet* basic = OpenSheet(false);
    ui_->chosenPath = path;
    basic->SaveButton()->click();
    QCOMPARE(ui_->messages, QStringList{"Save configuration to file successfully."});
    QCOMPARE(QFile(path).size(), qint64(16 + DEFAULT_STREAM_LENGTH));

    SettingsSheet* advanced = OpenSheet(true);
    window_->State().Settings().beepVolume = '2';
    window_->State().Settings().preamble = ByteString{'x'};
    const std::size_t commands = usb_->Reader(0).CommandCount();
    advanced->LoadButton()->click();
    QCOMPARE(ui_->messages.last(), QStringLiteral("Load configuration from file successfully."));
    QCOMPARE(window_->State().Settings().beepVolume, ReaderSettings().beepVolume);
    QVERIFY(window_->State().Settings().preamble.empty());
    QCOMPARE(usb_->Reader(0).CommandCount(), commands);  // nothing written to the reader
    QCOMPARE(ui_->fileChoices, (QList<bool>{false, true}));
    // The first choice starts at home (a fresh profile), the next in the folder last used.
    QCOMPARE(ui_->fileStartFolders, (QStringList{QDir::homePath(), fileDir_.path()}));

    // Cancelled choices show nothing.
    ui_->chosenPath.clear();
    advanced->SaveButton()->click();
    advanced->LoadButton()->click();
    QCOMPARE(ui_->messages.size(), 2);
  }

  void fileFailuresHaveEachSheetsTexts() {
    StartWithReaders({'0'});
    const QString nowhere = fileDir_.filePath(QStringLiteral("missing-folder/x.cfs2"));
    const QString garbage = fileDir_.filePath(QStringLiteral("garbage.cfs2"));
    QFile file(garbage);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("KALDORMSRCFG2001\x02\x53\x03\x50");
    file.close();

    ui_->chosenPath = nowhere;
    OpenSheet(false)->SaveButton()->click();
    OpenSheet(true)->SaveButton()->click();
    ui_->chosenPath = garbage;
    OpenSheet(true)->LoadButton()->click();
    OpenSheet(false)->LoadButton()->click();
    QCOMPARE(ui_->messages, (QStringList{"Failed to save configuration to file.",
                                         "Failed to save configuration file.",
                                         "Failed to load configuration from file.",
                                         "Failed to load configuration from file."}));
    // Each says why below its text.
    QVERIFY(ui_->causes[0].contains(QStringLiteral("No such file or directory")));
    QVERIFY(ui_->causes[2].contains(QStringLiteral("not a configuration file")));
  }

  void loadingOnAKeyboardReaderSetsTheKeyboardFormat_data() {
    QTest::addColumn<char>("readerFormat");
    QTest::addColumn<bool>("present");
    QTest::addColumn<char>("expected");
    QTest::newRow("USB-HID-KB") << '8' << true << '8';
    QTest::newRow("USB-HID") << '0' << true << '1';
    QTest::newRow("USB-HID-KB unplugged") << '8' << false << '1';
  }

  void loadingOnAKeyboardReaderSetsTheKeyboardFormat() {
    QFETCH(char, readerFormat);
    QFETCH(bool, present);
    QFETCH(char, expected);
    const QString path = fileDir_.filePath(QStringLiteral("magtek.cfs2"));
    ReaderSettings fileSettings;
    fileSettings.hidFormat = '1';
    QVERIFY(SaveConfigFile(fileSettings, path.toStdString()));

    StartWithReaders({Byte(readerFormat)});
    SettingsSheet* sheet = OpenSheet(false);
    usb_->SetPresent(0, present);
    ui_->chosenPath = path;
    sheet->LoadButton()->click();
    QCOMPARE(ui_->messages, QStringList{"Load configuration from file successfully."});
    QCOMPARE(window_->State().Settings().hidFormat, Byte(expected));
  }

  void defaultAllOnTheAdvancedSheet() {
    StartWithReaders({'0'});
    ReaderSettings changed;
    changed.beepVolume = '2';
    changed.terminator = 'X';
    usb_->Reader(0).SetSettingsStream(StreamOf(changed));
    SettingsSheet* sheet = OpenSheet(true);
    QCOMPARE(window_->State().Settings().terminator, Byte('X'));

    sheet->DefaultAllButton()->click();
    QCOMPARE(ui_->messages, QStringList{"Set default settings to Tessaron device successfully!"});
    QCOMPARE(ui_->waits, QList<int>{700});
    QCOMPARE(window_->State().Settings().terminator, ReaderSettings().terminator);
    QCOMPARE(SettingsIn(usb_->Reader(0).SettingsStream()).beepVolume, ReaderSettings().beepVolume);

    usb_->SetPresent(0, false);
    sheet->DefaultAllButton()->click();
    QCOMPARE(ui_->messages.last(),
             QStringLiteral("Set default settings to Tessaron device failed!"));
    QCOMPARE(ui_->waits.size(), 1);

    usb_->SetPresent(0, true);
    usb_->Reader(0).SetSilent(true);
    sheet->DefaultAllButton()->click();
    QCOMPARE(ui_->messages.last(),
             QStringLiteral("Set default settings to Tessaron device failed!"));
  }

  void defaultAllOnTheBasicSheet() {
    StartWithReaders({'0'});
    ReaderSettings changed;
    changed.terminator = 'X';
    usb_->Reader(0).SetSettingsStream(StreamOf(changed));
    SettingsSheet* sheet = OpenSheet(false);

    sheet->DefaultAllButton()->click();
    QCOMPARE(ui_->messages, QStringList{"Set default settings to Tessaron device successfully!"});
    QCOMPARE(ui_->waits, (QList<int>{700, 500}));
    QCOMPARE(window_->State().Settings().terminator, ReaderSettings().terminator);
  }

  void defaultAllOnTheBasicSheetStepByStepFailures() {
    StartWithReaders({'0'});
    SettingsSheet* sheet = OpenSheet(false);

    usb_->SetPresent(0, false);
    sheet->DefaultAllButton()->click();
    QCOMPARE(ui_->messages, QStringList{"Fail to open deivce!"});
    QVERIFY(ui_->waits.isEmpty());

    // Unplugged while the factory settings are being restored.
    usb_->SetPresent(0, true);
    ui_->onWait = [this](int ms) {
      if (ms == 700) usb_->SetPresent(0, false);
    };
    // The outcome comes once the settings are read back: here the failure alone.
    sheet->DefaultAllButton()->click();
    QCOMPARE(ui_->messages.mid(1),
             QStringList{"Fail to open deivce to read setting again. Please try it again"});

    // Silent before the read-back.
    usb_->SetPresent(0, true);
    window_->State().Settings().terminator = 'Q';
    ui_->onWait = [this](int ms) {
      if (ms == 500) usb_->Reader(0).SetSilent(true);
    };
    sheet->DefaultAllButton()->click();
    QCOMPARE(ui_->messages.mid(2), QStringList{"Fail to read the settings. Please try again."});

    // Silent from the start: the command is not acknowledged.
    ui_->onWait = nullptr;
    sheet->DefaultAllButton()->click();
    QCOMPARE(ui_->messages.last(),
             QStringLiteral("Set default settings to Tessaron device failed!"));
  }

  void advancedActionButtonsWorkOnlyOnTheFirstTwoTabs() {
    StartWithReaders({'0'});
    SettingsSheet* sheet = OpenSheet(true);
    const QList<QPushButton*> actions{sheet->SendButton(), sheet->LoadButton(), sheet->SaveButton(),
                                      sheet->DefaultAllButton()};
    const bool expected[] = {true, true, false, false, false};
    for (int tab : {2, 3, 4, 1, 0, 4, 1}) {
      sheet->Tabs()->setCurrentIndex(tab);
      QCOMPARE(sheet->CurrentPage(), sheet->Page(tab));
      for (QPushButton* button : actions) QCOMPARE(button->isEnabled(), expected[tab]);
      QVERIFY(sheet->CloseButton()->isEnabled());
    }

    SettingsSheet* basic = OpenSheet(false);
    for (int tab : {4, 3, 2, 1, 0}) {
      basic->Tabs()->setCurrentIndex(tab);
      QVERIFY(basic->SendButton()->isEnabled() && basic->DefaultAllButton()->isEnabled());
    }
  }

  void keysDoWhatOnlyTheMouseDid() {
    StartWithReaders({'0'});
    QApplication::setActiveWindow(window_.get());
    QTest::keyClick(window_->GetButton(MainWindow::Button::ChangeBasic), Qt::Key_Return);
    BasicSheet* sheet = window_->GetBasicSheet();
    QVERIFY(sheet != nullptr);
    sheet->Tabs()->setCurrentIndex(1);
    auto* page = static_cast<BasicSettingsPage*>(sheet->CurrentPage());
    auto* grid = page->findChild<EditableGrid*>();
    // Tab lands on the grid's first editable cell; F2, or a typed character, opens it; Enter
    // ends the edit and the arrows move on. Tab and Shift+Tab leave it, an open editor too.
    sheet->Tabs()->tabBar()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(Focus(), Qt::Key_Tab);
    QTest::keyClick(grid, Qt::Key_F2);
    QCOMPARE(Focus()->accessibleName(), QStringLiteral("7 Bits Start Sentinel, Track 1"));
    QTest::keyClicks(Focus(), QStringLiteral("#\r"));
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClicks(grid, QStringLiteral("!\r"));
    QCOMPARE(window_->State().Settings().track1StartSentinel7Bit, Byte('#'));
    QCOMPARE(window_->State().Settings().track1StartSentinel6Bit, Byte('!'));
    QTest::keyClick(grid, Qt::Key_F2);
    QTest::keyClick(Focus(), Qt::Key_Tab);
    QCOMPARE(Focus(), page->Bindings().FieldOf(page->Bindings().Setting("track1-prefix")));
    QTest::keyClick(Focus(), Qt::Key_Backtab);
    QTest::keyClick(Focus(), Qt::Key_Backtab);
    QCOMPARE(Focus(), sheet->Tabs()->tabBar());
    QTest::keyClick(grid, Qt::Key_Tab, Qt::ControlModifier);  // Ctrl+Tab turns the page
    QCOMPARE(sheet->Tabs()->currentIndex(), 2);
    QTest::keyClick(sheet->CloseButton(), Qt::Key_Enter, Qt::KeypadModifier);
    Settle();
    QVERIFY(window_->GetBasicSheet() == nullptr);
  }

  void tabFollowsTheReadingOrder() {
    StartWithReaders({'0'});
    QApplication::setActiveWindow(window_.get());
    for (bool advanced : {false, true}) {
      SettingsSheet* sheet = OpenSheet(advanced);
      for (int index = 0; index < sheet->PageCount(); ++index) {
        sheet->Tabs()->setCurrentIndex(index);
        // From the tab bar: the page's own controls, then the sheet's row; a radio group is
        // entered on its checked button.
        QList<QWidget*> order{sheet->Tabs()->tabBar()};
        for (order.first()->setFocus(Qt::TabFocusReason); !order.contains(sheet->CloseButton());
             order << Focus()) {
          QTest::keyClick(Focus(), Qt::Key_Tab);
          auto* radio = qobject_cast<QRadioButton*>(Focus());
          QVERIFY(radio == nullptr || radio->isChecked());
          QVERIFY(order.size() < 40 && !order.contains(Focus()));
        }
        QTest::keyClick(Focus(), Qt::Key_Tab);
        QVERIFY(!sheet->CurrentPage()->isAncestorOf(Focus()));
      }
    }
    // Tab went past the pages' default buttons: Enter in a field still presses its page's.
    AdvancedSheet* sheet = window_->GetAdvancedSheet();
    sheet->Tabs()->setCurrentIndex(3);
    QTest::keyClicks(sheet->CurrentPage()->findChild<QLineEdit*>(), QStringLiteral("\\x2\\x52\\x22\\x3\r"));
    QVERIFY(!sheet->CurrentPage()->findChild<QPlainTextEdit*>()->toPlainText().isEmpty());
    sheet->Tabs()->setCurrentIndex(4);
    QTest::keyClick(sheet->CurrentPage()->findChild<QLineEdit*>(), Qt::Key_Return);
    QCOMPARE(ui_->messageBoxes.size(), 1);  // the wrong password
  }

  void escapeLeavesEitherSheetOpen() {
    StartWithReaders({'0'});
    for (bool advanced : {false, true}) {
      SettingsSheet* sheet = OpenSheet(advanced);
      QTest::keyClick(sheet, Qt::Key_Escape);
      QTest::keyClick(sheet->CurrentPage(), Qt::Key_Escape);
      QTest::keyClick(sheet->CloseButton(), Qt::Key_Escape);
      Settle();
      QVERIFY(sheet->isVisible());
      QVERIFY(sheet->CurrentPage()->isVisible());
      QVERIFY(advanced ? window_->GetAdvancedSheet() != nullptr
                       : window_->GetBasicSheet() != nullptr);
    }
  }

 private:
  void StartWithReaders(const std::vector<Byte>& formats) {
    usb_ = std::make_unique<SimulatedUsbReaders>(formats);
    StartWindow();
  }

  SettingsSheet* OpenSheet(bool advanced) {
    if (advanced) {
      window_->ChangeAdvancedSettings();
      return window_->GetAdvancedSheet();
    }
    window_->ChangeBasicSettings();
    return window_->GetBasicSheet();
  }

  QTemporaryDir fileDir_;
};

QTEST_MAIN(SettingsSheetTest)
#include "settings_sheet_test.moc"
