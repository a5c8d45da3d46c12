// The interface selection page and the model number dialog: the groups, the messages of
// "CONTINUE", connecting the main window, and the model-number table.

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/interface_selection_page.h"
#include "app/main_window.h"
#include "app/model_number_dialog.h"
#include "app_test_support.h"
#include "flows/flow_texts.h"

using namespace tessaron;
using namespace tessaron::test;

Q_DECLARE_METATYPE(tessaron::ModelNumberCheck)

namespace {

using tessaron::test_support::MotherboardPort;
using tessaron::test_support::UsbPort;

// A serial port that is listed but cannot be opened: the device does not answer.
const char* const DEAD_PORT = "/dev/tessaron-test-no-such-tty";

// Types text into the model number dialog once it shows, then presses its button.
void AnswerModelNumber(const QString& text, bool cancel = false) {
  WhenModalShown([text, cancel](QWidget* modal) {
    auto* dialog = qobject_cast<ModelNumberDialog*>(modal);
    if (dialog == nullptr) return;
    dialog->ModelNumberEdit()->setText(text);
    (cancel ? dialog->CancelButton() : dialog->ContinueButton())->click();
  });
}

}  // namespace

class InterfaceSelectionTest : public WindowTestBase {
  Q_OBJECT

 private slots:
  void initTestCase() {
    UseOwnProfile();
  }

  void init() { PrepareCase(); }
  void cleanup() { EndCase(); }

  void groupsListTheReadersFoundWhenThePageOpened() {
    usb_ = std::make_unique<SimulatedUsbReaders>(
        std::vector<Byte>{'8', '0'},
        std::vector<ListedDevice>{MotherboardPort("/dev/ttyS0"),
                                  UsbPort("/dev/ttyUSB0", 0x0F3E, 0x0217),
                                  UsbPort("/dev/ttyUSB1", 0x0403, 0x6001)});
    InterfaceSelectionPage* page = OpenPage();
    QCOMPARE(page->SelectedGroup(), -1);
    QCOMPARE(page->DeviceBox()->count(), 0);

    // Devices that come or go later show only when the page is opened again.
    usb_->SetPresent(1, false);

    page->GroupButton(InterfaceSelectionPage::GROUP_USB)->click();
    QCOMPARE(page->SelectedGroup(), InterfaceSelectionPage::GROUP_USB);
    QCOMPARE(Items(page), (QStringList{"/dev/hidraw-sim0", "/dev/ttyUSB0", "/dev/hidraw-sim1"}));
    QCOMPARE(page->DeviceBox()->currentIndex(), 0);
    const std::vector<ReaderDeviceEntry>& usb =
        page->GroupEntries(InterfaceSelectionPage::GROUP_USB);
    QCOMPARE(usb[0].interfaceType, InterfaceType::UsbHidKb);
    QCOMPARE(usb[1].interfaceType, InterfaceType::UsbRs232);
    QCOMPARE(usb[1].deviceIndex, 1);
    QCOMPARE(usb[2].interfaceType, InterfaceType::UsbHid);
    QCOMPARE(usb[2].deviceIndex, 1);

    // The PC's own port, and the port of a USB serial adapter.
    page->GroupButton(InterfaceSelectionPage::GROUP_RS232)->click();
    QCOMPARE(Items(page), (QStringList{"/dev/ttyS0", "/dev/ttyUSB1"}));
    page->GroupButton(InterfaceSelectionPage::GROUP_PS2)->click();
    QCOMPARE(Items(page), QStringList{"PS/2 Keyboard port"});
    QVERIFY(ui_->messages.isEmpty());
  }

  void keyboardLineTheSystemLacksIsGreyedOutWithTheReason() {
    auto listing = std::make_shared<tessaron::test_support::TestListing>();
    listing->keyboardLine = false;
    ReaderEnvironment readers = TestReaders();
    readers.devices = listing;
    session_ = std::make_unique<ReaderSession>(readers);
    window_ = std::make_unique<MainWindow>(*session_, *ui_);
    window_->show();
    window_->SelectReaderInterface();
    InterfaceSelectionPage* page = window_->GetInterfaceSelection();
    QRadioButton* ps2 = page->GroupButton(InterfaceSelectionPage::GROUP_PS2);
    QVERIFY(!ps2->isEnabled());
    QCOMPARE(ps2->toolTip(), QString::fromLatin1(texts::KEYBOARD_LINE_NOT_OFFERED));
    // Neither its button nor its picture chooses it; the picture says why.
    page->SelectGroup(InterfaceSelectionPage::GROUP_PS2);
    QTest::mouseClick(page, Qt::LeftButton, {}, page->PictureCentre(0).toPoint());
    QCOMPARE(page->SelectedGroup(), -1);
    QCOMPARE(ui_->messages, QStringList{QString::fromLatin1(texts::KEYBOARD_LINE_NOT_OFFERED)});
  }

  void continueWithoutADeviceExplainsAndStays() {
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{});
    InterfaceSelectionPage* page = OpenPage();
    page->ContinueButton()->click();
    page->SelectGroup(InterfaceSelectionPage::GROUP_USB);
    page->ContinueButton()->click();
    page->SelectGroup(InterfaceSelectionPage::GROUP_RS232);
    page->ContinueButton()->click();
    QCOMPARE(
        ui_->messages,
        (QStringList{"Please select an interface!",
                     "No Reader with USB interface has been found, Please Select Right Interface!",
                     "Please select an interface!"}));
    Settle();
    QCOMPARE(window_->GetInterfaceSelection(), page);
    QVERIFY(page->isVisible());
  }

  void continueConnectsTheMainWindowAndClosesThePage() {
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{'0', '0'});
    QPointer<InterfaceSelectionPage> page = OpenPage();
    page->SelectGroup(InterfaceSelectionPage::GROUP_USB);
    page->DeviceBox()->setCurrentIndex(1);
    page->ContinueButton()->click();
    QCOMPARE(window_->State().Connection().type, InterfaceType::UsbHid);
    QCOMPARE(window_->State().Connection().index, 1);
    QVERIFY(window_->State().Link() != nullptr);
    QCOMPARE(usb_->Reader(1).CommandCount(), std::size_t{1});
    QCOMPARE(usb_->Reader(0).CommandCount(), std::size_t{0});
    Settle();
    QVERIFY(window_->GetInterfaceSelection() == nullptr);
    QVERIFY(page.isNull());
    QVERIFY(ui_->messages.isEmpty());

    // The check button works again and uses the chosen reader.
    WhenModalShown([](QWidget* modal) { static_cast<QDialog*>(modal)->accept(); });
    window_->CheckCurrentSettings();
    QVERIFY(usb_->Reader(1).CommandCount() > 1);
  }

  void fastExchangesAreUsedAndRemembered() {
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{'0'});
    TransportTiming slow = FastTiming();
    slow.hid.replyPause = Millis(400);
    StartWindow(slow);
    QPointer<InterfaceSelectionPage> page = OpenPage();
    QVERIFY(!page->FastBox()->isChecked());
    page->FastBox()->click();
    page->SelectGroup(InterfaceSelectionPage::GROUP_USB);
    QElapsedTimer clock;
    clock.start();
    page->ContinueButton()->click();  // the connection asks for the version once
    QVERIFY(window_->State().Link() != nullptr);
    QVERIFY(clock.elapsed() < 400);
    StartWindow(slow);
    QVERIFY(window_->State().FastReplies());
  }

  void aDeviceThatDoesNotAnswerAsksForTheModelNumber() {
    usb_ = std::make_unique<SimulatedUsbReaders>(
        std::vector<Byte>{'0'}, std::vector<ListedDevice>{MotherboardPort(DEAD_PORT)});
    QPointer<InterfaceSelectionPage> page = OpenPage();
    page->SelectGroup(InterfaceSelectionPage::GROUP_RS232);
    AnswerModelNumber(QStringLiteral("RM20-3350"));  // the eighth character 5 is USB-HID
    page->ContinueButton()->click();
    QCOMPARE(window_->State().Connection().type, InterfaceType::UsbHid);
    QCOMPARE(window_->State().Connection().index, 0);
    Settle();
    QVERIFY(page.isNull());
    QVERIFY(ui_->messages.isEmpty());
  }

  void modelNumberFlowsThatKeepThePageOpen() {
    usb_ = std::make_unique<SimulatedUsbReaders>(
        std::vector<Byte>{}, std::vector<ListedDevice>{MotherboardPort(DEAD_PORT)});
    QPointer<InterfaceSelectionPage> page = OpenPage();
    page->SelectGroup(InterfaceSelectionPage::GROUP_RS232);

    // Cancel: nothing more; the failed connect has forgotten the pair.
    AnswerModelNumber(QString(), true);
    page->ContinueButton()->click();
    QVERIFY(ui_->messages.isEmpty());
    QCOMPARE(window_->State().Connection().type, InterfaceType::Unknown);
    QCOMPARE(window_->State().Connection().index, -1);

    // An interface without devices, and a known model naming no interface: silent.
    AnswerModelNumber(QStringLiteral("RM30-3360"));
    page->ContinueButton()->click();
    AnswerModelNumber(QStringLiteral("RM30-3390"));
    page->ContinueButton()->click();
    QVERIFY(ui_->messages.isEmpty());

    // The named interface has a device that does not answer either.
    AnswerModelNumber(QStringLiteral("RM40-3320"));
    page->ContinueButton()->click();
    QCOMPARE(ui_->messages, QStringList{"Could not open Tessaron device, please check it!"});

    Settle();
    QVERIFY(page && page->isVisible());
    QVERIFY(window_->State().Link() == nullptr);
  }

  void cancelClosesThePageAndKeepsThePair() {
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{'0'});
    StartWindow();
    window_->State().SetConnection(ReaderConnection{InterfaceType::Rs232, 4, {}});
    window_->SelectReaderInterface();
    QPointer<InterfaceSelectionPage> page = window_->GetInterfaceSelection();
    page->SelectGroup(InterfaceSelectionPage::GROUP_USB);
    page->CancelButton()->click();
    Settle();
    QVERIFY(page.isNull());
    QVERIFY(window_->GetInterfaceSelection() == nullptr);
    QCOMPARE(window_->State().Connection().type, InterfaceType::Rs232);
    QCOMPARE(window_->State().Connection().index, 4);

    // Opened again, it is a new page that lists afresh.
    window_->SelectReaderInterface();
    QVERIFY(window_->GetInterfaceSelection() != nullptr);
    QCOMPARE(window_->GetInterfaceSelection()->SelectedGroup(), -1);
  }

  void modelNumbers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<ModelNumberCheck>("check");
    QTest::addColumn<int>("interface");
    QTest::newRow("empty") << "" << ModelNumberCheck::Empty << 0;
    QTest::newRow("RM10-33 then 4") << "RM10-334" << ModelNumberCheck::Accepted << 3;
    QTest::newRow("RM40-33 then 2") << "RM40-332" << ModelNumberCheck::Accepted << 1;
    QTest::newRow("RM30-33 then 3") << "RM30-3330" << ModelNumberCheck::Accepted << 2;
    QTest::newRow("RM20-33 then 5") << "RM20-3351" << ModelNumberCheck::Accepted << 5;
    QTest::newRow("then 6") << "RM10-336" << ModelNumberCheck::Accepted << 4;
    QTest::newRow("then 7") << "RM10-337" << ModelNumberCheck::Accepted << 0;
    QTest::newRow("then a letter") << "RM10-33A" << ModelNumberCheck::Accepted << 0;
    QTest::newRow("prefix alone") << "RM10-33" << ModelNumberCheck::Unknown << 0;
    QTest::newRow("18 characters") << "RM10-334ABCDEFGHIJ" << ModelNumberCheck::Accepted << 3;
    QTest::newRow("19 characters") << "RM10-334ABCDEFGHIJK" << ModelNumberCheck::Unknown << 0;
    QTest::newRow("small letters") << "rm10-332" << ModelNumberCheck::Unknown << 0;
    QTest::newRow("unknown model") << "RM50-332" << ModelNumberCheck::Unknown << 0;
    QTest::newRow("leading blank") << " RM10-332" << ModelNumberCheck::Unknown << 0;
  }

  void modelNumbers() {
    QFETCH(QString, text);
    QFETCH(ModelNumberCheck, check);
    QFETCH(int, interface);
    InterfaceType chosen = static_cast<InterfaceType>(-7);
    QCOMPARE(CheckModelNumber(text, &chosen), check);
    if (check == ModelNumberCheck::Accepted) QCOMPARE(InterfaceNumber(chosen), interface);
  }

  void modelNumberDialogExplainsAndStaysUntilTheNumberIsKnown() {
    ModelNumberDialog dialog(*ui_, UiHost());
    dialog.show();
    dialog.ContinueButton()->click();
    dialog.ModelNumberEdit()->setText(QStringLiteral("RM10-33"));
    dialog.ContinueButton()->click();
    QCOMPARE(ui_->messages, (QStringList{"Please Input Model Number!", "Unknown Model Number!"}));
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), 0);

    dialog.ModelNumberEdit()->setText(QStringLiteral("RM10-334"));
    dialog.ContinueButton()->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.ChosenInterface(), InterfaceType::UsbHidKb);
  }

 private:
  InterfaceSelectionPage* OpenPage() {
    StartWindow();
    window_->SelectReaderInterface();
    return window_->GetInterfaceSelection();
  }

  static QStringList Items(InterfaceSelectionPage* page) {
    QStringList items;
    for (int index = 0; index < page->DeviceBox()->count(); ++index) {
      items << page->DeviceBox()->itemText(index);
    }
    return items;
  }

};

QTEST_MAIN(InterfaceSelectionTest)
#include "interface_selection_test.moc"
