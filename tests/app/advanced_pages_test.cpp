// The pages of the advanced sheet: output format, manual command, boot loader mode and
// quick clone, on simulated readers.

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "app/advanced_sheet.h"
#include "app/basic_sheet.h"
#include "app/boot_loader_mode_page.h"
#include "app/data_editing_page.h"
#include "app/main_window.h"
#include "app/manual_command_page.h"
#include "app/output_format_page.h"
#include "app/quick_clone_page.h"
#include "app_test_support.h"
#include "core/command_frame.h"
#include "core/firmware.h"
#include "core/data_edit_model.h"
#include "core/settings_codec.h"
#include "flows/flow_texts.h"
#include "sim/simulated_line.h"

using namespace tessaron;
using namespace tessaron::test;

namespace {

ReaderSettings Stored(sim::SimulatedReader& reader) {
  ReaderSettings settings;
  const ByteString stream = reader.SettingsStream();
  DecodeSettings(stream.data(), static_cast<std::uint32_t>(stream.size()), &settings);
  return settings;
}

QList<bool> EnabledStates(const QList<QAbstractButton*>& buttons) {
  QList<bool> states;
  for (QAbstractButton* button : buttons) states << button->isEnabled();
  return states;
}

}  // namespace

class AdvancedPagesTest : public WindowTestBase {
  Q_OBJECT

 private slots:
  void initTestCase() { UseOwnProfile(); }
  void init() { PrepareCase(); }
  void cleanup() { EndCase(); }

  // --- Output Format ---

  void theUsbHidFormatsFollowLineAndFirmware_data() {
    QTest::addColumn<char>("format");  // of the simulated USB reader: '0' USB-HID, '8' KB
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<QList<bool>>("enabled");
    const double every = HID_KB_FORMAT_MIN_VERSION;
    QTest::newRow("USB-HID, older firmware")
        << '0' << FirmwareText(every, true) << QList<bool>{true, true, false};
    QTest::newRow("USB-HID, every format") << '0' << FirmwareText(every) << QList<bool>{true, true, true};
    QTest::newRow("USB-HID-KB, older firmware")
        << '8' << FirmwareText(every, true) << QList<bool>{false, false, true};
    QTest::newRow("USB-HID-KB, every format")
        << '8' << FirmwareText(every) << QList<bool>{true, true, true};
  }

  void theUsbHidFormatsFollowLineAndFirmware() {
    QFETCH(char, format);
    QFETCH(QString, firmware);
    QFETCH(QList<bool>, enabled);
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{static_cast<Byte>(format)});
    usb_->Reader(0).SetFirmware(firmware.toStdString());
    StartWindow();
    window_->ChangeAdvancedSettings();
    OutputFormatPage* page = window_->GetAdvancedSheet()->OutputFormat();
    const PageControl& hid = page->Bindings().Setting("hid-format");
    QCOMPARE(EnabledStates(page->Bindings().ButtonsOf(hid)), enabled);
    // Over USB the emulated serial formats and their options are out of reach.
    const PageControl& data = page->Bindings().Setting("data-format");
    QCOMPARE(EnabledStates(page->Bindings().ButtonsOf(data)), (QList<bool>{true, false, false}));
    QVERIFY(!page->UicBox()->isEnabled());
    QVERIFY(!page->MagTekBox()->isEnabled());
  }

  void onRs232TheDataFormatChoosesItsOptions() {
    sim::SimulatedLine line(sim::SimulatedLineKind::Rs232);
    START_SIMULATED_SERIAL_LINE(line);
    StartWindow();
    QVERIFY(window_->ConnectTo(ReaderConnection{InterfaceType::Rs232, -1, line.DeviceName()}));
    window_->ChangeAdvancedSettings();
    OutputFormatPage* page = window_->GetAdvancedSheet()->OutputFormat();
    ReaderSettings& settings = window_->State().Settings();
    const PageControl& hid = page->Bindings().Setting("hid-format");
    QCOMPARE(EnabledStates(page->Bindings().ButtonsOf(hid)), (QList<bool>{false, false, false}));
    const QList<QAbstractButton*> formats =
        page->Bindings().ButtonsOf(page->Bindings().Setting("data-format"));
    struct Step {
      int button;
      bool uic;
      bool magTek;
    };
    for (const Step& step : {Step{2, false, true}, Step{1, true, false}, Step{0, false, false}}) {
      formats[step.button]->click();
      QCOMPARE(page->UicBox()->isEnabled(), step.uic);
      QCOMPARE(page->MagTekBox()->isEnabled(), step.magTek);
    }
    formats[2]->click();
    const PageControl& buffered = page->Bindings().Setting("magtek-buffer");
    page->Bindings().ButtonsOf(buffered)[1]->click();
    QCOMPARE(settings.formatOptions, Byte(0x59 | 0x02));

    // "Default Page": the factory options, Kaldor format, both option groups greyed out; the
    // USB HID format from a file goes back too, but a serial reader has no interface to switch.
    settings.hidFormat = '8';
    page->DefaultPage();
    QVERIFY(!settings.IsInterfaceSwitchPending());
    QCOMPARE(settings.dataFormat, Byte('0'));
    QCOMPARE(settings.formatOptions, Byte(0x59));
    QVERIFY(formats[0]->isChecked());
    QVERIFY(page->Bindings().ButtonsOf(buffered)[0]->isChecked());
    QVERIFY(!page->UicBox()->isEnabled() && !page->MagTekBox()->isEnabled());
  }

  void aUsbHidFormatClickThatChangesTheFormatRaisesTheSwitch() {
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{'0'});
    usb_->Reader(0).SetFirmware("V1.90");
    StartWindow();
    window_->ChangeAdvancedSettings();
    OutputFormatPage* page = window_->GetAdvancedSheet()->OutputFormat();
    ReaderSettings& settings = window_->State().Settings();
    const QList<QAbstractButton*> hid =
        page->Bindings().ButtonsOf(page->Bindings().Setting("hid-format"));
    QVERIFY(hid[0]->isChecked());
    hid[0]->click();  // the format already chosen
    QVERIFY(!settings.IsInterfaceSwitchPending());
    hid[2]->click();
    QVERIFY(settings.IsInterfaceSwitchPending());

    // A record with a format no button stands for shows none chosen.
    settings.hidFormat = '5';
    page->Refresh();
    for (QAbstractButton* button : hid) QVERIFY(!button->isChecked());

    // The whole switch: the keyboard format written, the sheet gone, and after the wait the
    // reader found again on its other interface.
    hid[2]->click();
    QPointer<AdvancedSheet> sheet = window_->GetAdvancedSheet();
    sheet->SendButton()->click();
    QCOMPARE(ui_->messages.last(),
             QStringLiteral("The configuration settings have been written to Tessaron device "
                            "successfully!\nThe interface is switched, please wait some second to "
                            "re-open it."));
    Settle();
    QCOMPARE(ui_->waits.last(), 5000);
    QVERIFY(sheet.isNull());
    QCOMPARE(window_->State().Connection().type, InterfaceType::UsbHidKb);
    QVERIFY(window_->State().Link() != nullptr);
  }

  // --- Manual Command ---

  void theConsoleShowsCommandAndReplyAndReadsBackAfterASetCommand() {
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{'0'});
    StartWindow();
    window_->ChangeBasicSettings();
    window_->ChangeAdvancedSettings();
    ManualCommandPage* page = window_->GetAdvancedSheet()->ManualCommand();
    window_->GetAdvancedSheet()->Tabs()->setCurrentIndex(AdvancedSheet::MANUAL_COMMAND_TAB);
    QVERIFY(page->SendButton()->isEnabled());
    page->CommandBox()->setText(QStringLiteral("\\x2\\x52\\x22\\x3"));
    page->SendButton()->click();
    QVERIFY(page->TranscriptBox()->toPlainText().startsWith(
        QStringLiteral("1) Send Command:  \\x2\\x52\\x22\\x3\\x71 ......\nReturn From MSR (")));
    QVERIFY(ui_->messages.isEmpty());

    // A set command: the reader takes it, the settings are read back, the pages show them.
    page->CommandBox()->setText(QStringLiteral("\\x2\\x53\\x11\\x01\\x30\\x3"));
    QTest::keyClick(page->CommandBox(), Qt::Key_Return);  // one Enter, one command
    QCOMPARE(ui_->waits, QList<int>{700});
    QCOMPARE(window_->State().Settings().beepVolume, Byte('0'));
    auto* general = static_cast<BasicSettingsPage*>(window_->GetBasicSheet()->Page(0));
    QVERIFY(general->Bindings().ButtonsOf(general->Bindings().Setting("beep-volume"))[0]->isChecked());
    QVERIFY(page->TranscriptBox()->toPlainText().contains(QStringLiteral("\n\n2) Send Command:  ")));

    // A command the reader does not know: the warning closes itself after a second.
    usb_->Reader(0).SetRejectUnknown(true);
    page->CommandBox()->setText(QStringLiteral("\\x2\\x53\\x99\\x01\\x00\\x3"));
    page->SendButton()->click();
    QCOMPARE(ui_->messages, QStringList{"Warning: Unkown Command!"});
    QCOMPARE(ui_->messageLifetimes, QList<int>{1000});
    page->ClearButton()->click();
    QCOMPARE(page->TranscriptBox()->toPlainText(), QString());
    QCOMPARE(page->Console().Count(), 0);

    // A set command whose settings then cannot be read back: said so, and the sheets stay as
    // they were (a refresh would have reset the data editing page's card kind).
    QButtonGroup* cardKind = window_->GetAdvancedSheet()->DataEditing()->DataFormat();
    cardKind->button(CARD_KIND_CUSTOM)->setChecked(true);
    ui_->onWait = [this](int) { usb_->Reader(0).SetSilent(true); };
    page->CommandBox()->setText(QStringLiteral("\\x2\\x53\\x11\\x01\\x31\\x3"));
    page->SendButton()->click();
    QCOMPARE(ui_->messages.last(), QString::fromLatin1(texts::READ_FAILED));
    QCOMPARE(cardKind->checkedId(), int{CARD_KIND_CUSTOM});
  }

  // --- Boot loader ---

  void theBootLoaderTakesThePasswordAndAYes() {
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{'0'});
    StartWindow();
    window_->ChangeAdvancedSettings();
    BootLoaderModePage* page = window_->GetAdvancedSheet()->BootLoaderMode();
    window_->GetAdvancedSheet()->Tabs()->setCurrentIndex(AdvancedSheet::BOOT_LOADER_TAB);
    QCOMPARE(page->PasswordBox()->echoMode(), QLineEdit::Password);
    for (const char* wrong : {"", "verdanth 5291", "Verdanth 5291 "}) {
      page->PasswordBox()->setText(QString::fromLatin1(wrong));
      QTest::keyClick(page->PasswordBox(), Qt::Key_Return);  // one Enter, one check
      QCOMPARE(page->PasswordBox()->text(), QString::fromLatin1(wrong));
    }
    QCOMPARE(ui_->messageBoxes, QStringList(3, QStringLiteral(": Invalid password!")));

    // The right password, then "No" (the default): the field is empty, nothing was sent.
    const std::size_t commands = usb_->Reader(0).CommandCount();
    page->PasswordBox()->setText(QStringLiteral("Verdanth 5291"));
    QTest::keyClick(page->PasswordBox(), Qt::Key_Return);
    QVERIFY(page->PasswordBox()->text().isEmpty());
    QVERIFY(ui_->messageBoxes.last().startsWith(QStringLiteral("Warning: It is IMPORTANT!")));
    QCOMPARE(usb_->Reader(0).CommandCount(), commands);

    ui_->boxAnswers << QMessageBox::Yes;
    page->PasswordBox()->setText(QStringLiteral("Verdanth 5291"));
    page->SetButton()->click();
    QCOMPARE(ui_->messages, QStringList{"Set Boot Loader mode successfully!"});
    QVERIFY(usb_->Reader(0).InBootLoader());

    // The reader unplugged meanwhile.
    usb_->SetPresent(0, false);
    ui_->boxAnswers << QMessageBox::Yes;
    page->PasswordBox()->setText(QStringLiteral("Verdanth 5291"));
    page->SetButton()->click();
    QCOMPARE(ui_->messages.last(),
             QStringLiteral("Could not open this Tessaron device! or It is not Tessaron device"));
  }

  // --- Quick clone ---

  void theCloneAsksForWhatIsMissing() {
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{'0', '0'});
    StartWindow();
    // With two USB readers the main window's own reader is named.
    QVERIFY(window_->ConnectTo(ReaderConnection{InterfaceType::UsbHid, 0, std::string()}));
    window_->ChangeAdvancedSettings();
    QuickClonePage* page = window_->GetAdvancedSheet()->QuickClone();
    // Both sides start on the reader in use, the target on another reader where there is one.
    QCOMPARE(page->SourceConnectionBox()->currentText(), QStringLiteral("/dev/hidraw-sim0"));
    QCOMPARE(page->TargetConnectionBox()->currentText(), QStringLiteral("/dev/hidraw-sim1"));
    // No RS232 port: the RS232 lists are empty, and so are the connection boxes.
    page->SourceInterfaceBox()->setCurrentIndex(InterfaceNumber(InterfaceType::Rs232) - 1);
    page->TargetInterfaceBox()->setCurrentIndex(InterfaceNumber(InterfaceType::Rs232) - 1);
    QCOMPARE(page->SourceConnectionBox()->count(), 0);
    page->CloneButton()->click();
    page->ReadButton()->click();
    QCOMPARE(ui_->messages, (QStringList{"Please Read From MSR First!",
                                         "Please select a source MSR device!"}));

    page->SourceInterfaceBox()->setCurrentIndex(InterfaceNumber(InterfaceType::UsbHid) - 1);
    page->ReadButton()->click();
    QCOMPARE(ui_->messages.last(),
             QStringLiteral("Read configuration settings from Source MSR device successfully!"));
    QVERIFY(page->SourceRead());
    page->CloneButton()->click();
    QCOMPARE(ui_->messages.last(), QStringLiteral("Please select a target MSR device!"));

    // Another source the user picks must be read before it is cloned.
    QTest::keyClick(page->SourceConnectionBox(), Qt::Key_Down);
    QVERIFY(!page->SourceRead());
    page->TargetInterfaceBox()->setCurrentIndex(InterfaceNumber(InterfaceType::UsbHid) - 1);
    page->CloneButton()->click();
    QCOMPARE(ui_->messages.last(), QStringLiteral("Please Read From MSR First!"));

    // A target that refuses the frame.
    page->ReadButton()->click();
    usb_->Reader(0).SetRejectUnknown(true);
    usb_->Reader(0).SetUnknownFuncIds({0x25});
    page->CloneButton()->click();
    QCOMPARE(ui_->messages.last(),
             QStringLiteral("Warning! There are unknown FuncIDs in the command."));
    // Never onto the reader it was read from.
    page->TargetConnectionBox()->setCurrentIndex(1);
    page->CloneButton()->click();
    QVERIFY(ui_->messages.last().startsWith(QStringLiteral("The source and the target are the same")));
  }

  void deviceChangesRefreshTheUsbListsOnce() {
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{'0', '0', '0'});
    usb_->SetPresent(2, false);
    StartWindow();
    QVERIFY(window_->ConnectTo(ReaderConnection{InterfaceType::UsbHid, 0, std::string()}));
    window_->ChangeAdvancedSettings();
    QuickClonePage* page = window_->GetAdvancedSheet()->QuickClone();
    page->TargetInterfaceBox()->setCurrentIndex(InterfaceNumber(InterfaceType::UsbHid) - 1);
    QCOMPARE(page->TargetConnectionBox()->count(), 2);
    // A read survives every refill of the source list: only the user's pick forgets it.
    page->SourceInterfaceBox()->setCurrentIndex(InterfaceNumber(InterfaceType::UsbHid) - 1);
    page->ReadButton()->click();

    qint64 clock = 1000000;  // the notices' own clock
    const auto notice = [&](qint64 afterMs) {
      clock += afterMs;
      window_->State().TellDevicesChangedAt(clock);
    };
    usb_->SetPresent(1, false);
    notice(1000);
    QCOMPARE(page->TargetConnectionBox()->count(), 1);
    // A second notice within 500 ms is the same change.
    usb_->SetPresent(1, true);
    notice(100);
    QCOMPARE(page->TargetConnectionBox()->count(), 1);
    notice(600);
    QCOMPARE(page->TargetConnectionBox()->count(), 2);
    // One reader replaced by another: the same number, so the list is kept as it was.
    usb_->SetPresent(1, false);
    usb_->SetPresent(2, true);
    notice(600);
    QCOMPARE(page->TargetConnectionBox()->itemText(1), QStringLiteral("/dev/hidraw-sim1"));
    QVERIFY(page->SourceRead());
  }

  // From the simulated USB-HID reader to a reader on a pseudo-terminal, listed as a serial
  // port: the target then holds the source's settings byte for byte, also after a clone to a
  // keyboard reader, which alone gets the keyboard format.
  void aCloneCarriesTheWholeRecordAcrossLines() {
    sim::SimulatedLine serial(sim::SimulatedLineKind::Rs232);
    START_SIMULATED_SERIAL_LINE(serial);
    ListedDevice port;
    port.node = serial.DeviceName();
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{'0', '8'},
                                                 std::vector<ListedDevice>{port});
    ReaderSettings source;
    source.beepVolume = '4';
    source.preamble = {0x02, 'X'};
    source.formulas[0] = {0x21, 0x22};
    Byte buffer[SETTINGS_BUFFER_SIZE] = {};
    std::uint32_t length = sizeof buffer;
    QVERIFY(EncodeSettings(source, buffer, &length));
    QVERIFY(usb_->Reader(0).SetSettingsStream(ByteString(buffer, buffer + length)));
    StartWindow();
    QVERIFY(window_->ConnectTo(ReaderConnection{InterfaceType::UsbHid, 0, std::string()}));
    window_->ChangeAdvancedSettings();
    QuickClonePage* page = window_->GetAdvancedSheet()->QuickClone();
    page->SourceInterfaceBox()->setCurrentIndex(InterfaceNumber(InterfaceType::UsbHid) - 1);
    page->ReadButton()->click();
    QCOMPARE(page->SourceSettings()->interfaceType, InterfaceType::UsbHid);
    page->TargetInterfaceBox()->setCurrentIndex(InterfaceNumber(InterfaceType::UsbHidKb) - 1);
    page->CloneButton()->click();
    page->TargetInterfaceBox()->setCurrentIndex(InterfaceNumber(InterfaceType::Rs232) - 1);
    QCOMPARE(page->TargetConnectionBox()->currentText(), QString::fromStdString(port.node));
    page->CloneButton()->click();
    QCOMPARE(ui_->messages.last(), QStringLiteral("Clone to Target MSR device successfully!"));
    QCOMPARE(serial.Reader().SettingsStream(), usb_->Reader(0).SettingsStream());
    QCOMPARE(Stored(serial.Reader()).preamble, source.preamble);
  }
};

QTEST_MAIN(AdvancedPagesTest)
#include "advanced_pages_test.moc"
