// The five pages of the basic sheet: every control of each page's table writes its setting
// and shows it again; the interface rules; the validation of numbers and sentinels; and the
// whole sheet end to end with a reader on a pseudo-terminal.

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTemporaryDir>
#include <memory>
#include <sstream>

#include "app/basic_sheet.h"
#include "app/general_settings_page.h"
#include "app/keyboard_settings_page.h"
#include "app/main_window.h"
#include "app/pre_postamble_page.h"
#include "app/rs232_parameters_page.h"
#include "app/track_settings_page.h"
#include "app_test_support.h"
#include "cli/cli.h"
#include "controls/editable_grid.h"
#include "controls/escape_name_edit.h"
#include "core/config_file.h"
#include "core/escape_names.h"
#include "sim/simulated_line.h"

using namespace tessaron;
using namespace tessaron::test;

namespace {

// Every basic page, standalone on a record read over a line that leaves it usable.
std::unique_ptr<BasicSettingsPage> MakePage(int index, ReaderState& state, UiServices& ui) {
  switch (index) {
    case 0:
      return std::make_unique<GeneralSettingsPage>(state, ui);
    case 1:
      return std::make_unique<PrePostamblePage>(state, ui);
    case 2:
      return std::make_unique<Rs232ParametersPage>(state, ui);
    case 3:
      return std::make_unique<TrackSettingsPage>(state, ui);
    default:
      return std::make_unique<KeyboardSettingsPage>(state, ui);
  }
}

// The line over which a page is wholly usable.
InterfaceType UsableLine(int index) {
  return index == 2 ? InterfaceType::Rs232 : index == 4 ? InterfaceType::UsbHidKb : InterfaceType::Ps2Keyboard;
}

// The row of a named byte in the choosers.
int ChooserRow(Byte code) {
  int row = -1;
  FindCharName(code, &row);
  return row;
}

}  // namespace

class BasicPagesTest : public WindowTestBase {
  Q_OBJECT

 private slots:
  void initTestCase() { UseOwnProfile(); }
  void init() { PrepareCase(); }
  void cleanup() { EndCase(); }

  // Each control of every page's table: what the control does lands in the record, and what
  // the record holds shows in the control.
  void everyControlWritesAndShowsItsSetting_data() {
    QTest::addColumn<int>("page");
    for (int page = 0; page < BasicSheet::PAGE_COUNT; ++page) {
      QTest::addRow("%s", BasicSheet::TAB_CAPTIONS[static_cast<std::size_t>(page)]) << page;
    }
  }

  void everyControlWritesAndShowsItsSetting() {
    QFETCH(int, page);
    ReaderState& state = PageState(UsableLine(page));
    ReaderSettings& settings = state.Settings();
    std::unique_ptr<BasicSettingsPage> view = MakePage(page, state, *ui_);
    PageBindings& bindings = view->Bindings();
    for (const PageControl& control : view->Table().controls) {
      const QByteArray name = control.caption;
      switch (control.kind) {
        case ControlKind::Choice:
        case ControlKind::BitChoice: {
          const QList<QAbstractButton*> buttons = bindings.ButtonsOf(control);
          QCOMPARE(buttons.size(), static_cast<qsizetype>(control.options.size()));
          for (int option = static_cast<int>(buttons.size()) - 1; option >= 0; --option) {
            QCOMPARE(buttons[option]->text(), QString::fromLatin1(control.options[option].caption));
            buttons[option]->click();
            QVERIFY2(SelectedOption(control, settings) == option, name);
          }
          SelectOption(control, static_cast<int>(buttons.size()) - 1, settings);
          view->Refresh();
          QVERIFY2(buttons.last()->isChecked(), name);
          break;
        }
        case ControlKind::BitCheck:
        case ControlKind::Flag: {
          auto* box = qobject_cast<QCheckBox*>(bindings.FieldOf(control));
          const bool before = IsChecked(control, settings);
          box->click();
          QVERIFY2(IsChecked(control, settings) != before, name);
          SetChecked(control, before, settings);
          view->Refresh();
          QVERIFY2(box->isChecked() == before, name);
          break;
        }
        case ControlKind::Number: {
          auto* field = qobject_cast<QLineEdit*>(bindings.FieldOf(control));
          field->setText(QStringLiteral("42"));
          QVERIFY2(NumberOf(control, settings) == 42, name);
          SetNumber(control, 7, settings);
          view->Refresh();
          QVERIFY2(field->text() == QStringLiteral("7"), name);
          break;
        }
        case ControlKind::Character:
        case ControlKind::Bytes: {
          auto* field = qobject_cast<EscapeNameEdit*>(bindings.FieldOf(control));
          field->Clear();
          QTest::keyClicks(field, QStringLiteral("ab"));
          auto* chooser = qobject_cast<QComboBox*>(bindings.WidgetsOf(control)[1]);
          // The wheel and the arrows over the closed chooser insert nothing; Enter in its list does.
          QWheelEvent wheel({5, 5}, {5, 5}, {}, {0, -360}, {}, {}, Qt::NoScrollPhase, false);
          QApplication::sendEvent(chooser, &wheel);
          QTest::keyClick(chooser, Qt::Key_Down);
          QTest::keyClicks(chooser->view(), QStringLiteral("\\cr\r"));
          const ByteString expected =
              control.limit == 1 ? ByteString{0x0D} : ByteString{'a', 'b', 0x0D};
          const ByteString stored = control.kind == ControlKind::Bytes
                                        ? ControlString(control, settings)
                                        : ByteString{ControlByte(control, settings)};
          QVERIFY2(stored == expected, name);
          QCOMPARE(chooser->count(), CharNameCount());
          break;
        }
      }
    }
    QVERIFY(ui_->messageBoxes.isEmpty());
  }

  void interfaceRulesGreyOutWhatTheLineCannotUse_data() {
    QTest::addColumn<int>("line");
    QTest::addColumn<bool>("keyboardGroups");  // terminal type and delay on General Settings
    QTest::addColumn<bool>("rs232Page");
    QTest::addColumn<bool>("keyboardPage");
    QTest::newRow("USB-HID") << int(InterfaceType::UsbHid) << false << false << false;
    QTest::newRow("no line") << int(InterfaceType::Unknown) << true << true << false;
    QTest::newRow("RS232") << int(InterfaceType::Rs232) << false << true << false;
    QTest::newRow("PS/2") << int(InterfaceType::Ps2Keyboard) << true << false << true;
    QTest::newRow("USB-HID-KB") << int(InterfaceType::UsbHidKb) << false << false << true;
  }

  void interfaceRulesGreyOutWhatTheLineCannotUse() {
    QFETCH(int, line);
    QFETCH(bool, keyboardGroups);
    QFETCH(bool, rs232Page);
    QFETCH(bool, keyboardPage);
    ReaderState& state = PageState(InterfaceOfNumber(line));
    GeneralSettingsPage general(state, *ui_);
    const PageTable& table = general.Table();
    for (const PageControl& control : table.controls) {
      const bool keyboardOnly = QByteArray(control.caption) == "Terminal Type" ||
                                QByteArray(control.caption) == "Inter-Character Delay";
      for (QWidget* widget : general.Bindings().WidgetsOf(control)) {
        QCOMPARE(widget->isEnabled(), keyboardOnly ? keyboardGroups : true);
      }
    }
    Rs232ParametersPage rs232(state, *ui_);
    KeyboardSettingsPage keyboard(state, *ui_);
    TrackSettingsPage track(state, *ui_);
    for (auto [page, enabled] : {std::pair<BasicSettingsPage*, bool>{&rs232, rs232Page},
                                 {&keyboard, keyboardPage}, {&track, true}}) {
      QCOMPARE(page->DefaultPageButton()->isEnabled(), enabled);
      QCOMPARE(page->HelpButton()->isEnabled(), enabled);
      for (const PageControl& control : page->Table().controls) {
        for (QWidget* widget : page->Bindings().WidgetsOf(control)) {
          QCOMPARE(widget->isEnabled(), enabled);
        }
      }
    }
  }

  void valuesWithoutAButtonAndTheSharedFlagsByte() {
    ReaderState& state = PageState(InterfaceType::Ps2Keyboard);
    ReaderSettings& settings = state.Settings();
    GeneralSettingsPage general(state, *ui_);
    const PageControl& terminal = general.Bindings().Setting("terminal-type");
    for (Byte odd : {Byte('1'), Byte('2'), Byte('3')}) {
      settings.terminalType = odd;
      general.Refresh();
      QVERIFY(general.Bindings().ButtonsOf(terminal)[0]->isChecked());
      QCOMPARE(settings.terminalType, odd);  // shown, not changed
    }

    KeyboardSettingsPage keyboard(state, *ui_);
    const PageControl& language = keyboard.Bindings().Setting("language");
    keyboard.Bindings().ButtonsOf(language).last()->click();
    QCOMPARE(settings.languageOption, Byte(':'));
    settings.languageOption = '0';
    keyboard.Refresh();
    settings.languageOption = ':';
    keyboard.Refresh();
    QVERIFY(keyboard.Bindings().ButtonsOf(language).last()->isChecked());

    // "Default Page" of the RS232 and Track pages also resets the function keys and the
    // track bits that share the flags byte.
    settings.interfaceType = InterfaceType::Unknown;  // the RS232 page usable too
    Rs232ParametersPage rs232(state, *ui_);
    TrackSettingsPage track(state, *ui_);
    for (BasicSettingsPage* page : std::initializer_list<BasicSettingsPage*>{&rs232, &track}) {
      settings.sendOutFormat = 0x3E;  // Alt keys, no sentinels, account number, error indication
      page->DefaultPageButton()->click();
      QCOMPARE(settings.sendOutFormat, Byte(0x31));
      keyboard.Refresh();
      QVERIFY(keyboard.Bindings().ButtonsOf(keyboard.Bindings().Setting("function-key-output"))[0]
                  ->isChecked());
    }
    QCOMPARE(track.focusWidget(), track.DefaultPageButton());
  }

  void numbersAreCheckedAsTheyAreTyped() {
    ReaderState& state = PageState(InterfaceType::Rs232);
    ReaderSettings& settings = state.Settings();
    Rs232ParametersPage rs232(state, *ui_);
    auto* xon = qobject_cast<QLineEdit*>(rs232.Bindings().FieldOf(rs232.Bindings().Setting("xon-char")));
    auto* xoff = qobject_cast<QLineEdit*>(rs232.Bindings().FieldOf(rs232.Bindings().Setting("xoff-char")));
    // Typed key by key, a refused number gives back the one from before ("25" of "256" is not kept).
    const Byte before = settings.xonChar;
    xon->clear();
    QTest::keyClicks(xon, QStringLiteral("256"));
    QCOMPARE(settings.xonChar, before);
    QCOMPARE(xon->text(), QString::number(before));
    QCOMPARE(ui_->messageBoxes, QStringList{": Please enter an integer between 0 and 255."});
    xon->setText(QStringLiteral("20"));
    xoff->setText(QStringLiteral("256"));
    QCOMPARE(settings.xonChar, Byte(20));
    QCOMPARE(settings.xoffChar, Byte(0));
    QCOMPARE(xoff->text(), QStringLiteral("0"));

    settings.interfaceType = InterfaceType::UsbHidKb;
    KeyboardSettingsPage keyboard(state, *ui_);
    auto* interval = qobject_cast<QLineEdit*>(keyboard.Bindings().FieldOf(keyboard.Table().controls[2]));
    interval->setText(QStringLiteral("0"));
    QCOMPARE(settings.hidKbPollingInterval, Byte(1));
    QCOMPARE(interval->text(), QStringLiteral("1"));
    QCOMPARE(ui_->messageBoxes.last(), QStringLiteral(": Please enter an integer between 1 and 255."));
    QCOMPARE(interval->maxLength(), 3);
  }

  void theSentinelGridTakesOneCharacterPerCell() {
    ReaderState& state = PageState();
    ReaderSettings& settings = state.Settings();
    PrePostamblePage page(state, *ui_);
    page.resize(700, 500);
    page.show();
    EditableGrid* grid = page.SentinelGrid();
    settings.track1StartSentinel7Bit = 'x';
    page.DefaultPageButton()->click();
    const QStringList expected = {"%", "%", "%", "%", "INVALID", "!", ";", ";", ";", "?", "?", "?"};
    QStringList shown;
    for (int row = 0; row < SENTINEL_ROWS; ++row) {
      for (int column = 1; column <= SENTINEL_TRACKS; ++column) shown << grid->CellText(row, column);
    }
    QCOMPARE(shown, expected);
    QVERIFY(!grid->OpenEditor(1, 2));  // track 2 has no 6-bit start sentinel

    // Track 1's end sentinel is its own setting; the report's end sentinel stays.
    settings.endSentinel = '?';
    QVERIFY(grid->OpenEditor(3, 1));
    grid->ActiveEditor()->setText(QStringLiteral("#"));
    QTest::keyClick(grid->ActiveEditor(), Qt::Key_Return);
    QCOMPARE(settings.track1EndSentinel, Byte('#'));
    QCOMPARE(settings.endSentinel, Byte('?'));
    // Once the keys have left the grid no cell says it has the focus; back, they act on it.
    QApplication::setActiveWindow(&page);
    const QModelIndex left = grid->currentIndex();
    page.DefaultPageButton()->setFocus();
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(grid);
    for (int cell = 0; cell < table->childCount(); ++cell) QVERIFY(!table->child(cell)->state().focused);
    grid->setFocus();
    QCOMPARE(grid->currentIndex(), left);

    // A cell that ends up with other than one character is refused and shows the stored one.
    emit grid->cellEditFinished(0, 2, QStringLiteral("ab"));
    QCOMPARE(ui_->messages, QStringList{"You should input one valid character!"});
    QCOMPARE(grid->CellText(0, 2), QStringLiteral("%"));
    QCOMPARE(settings.track2StartSentinel7Bit, Byte('%'));

    // A full preamble takes no sixteenth byte from its chooser.
    const PageControl& preamble = page.Bindings().Setting("preamble");
    auto* field = qobject_cast<EscapeNameEdit*>(page.Bindings().FieldOf(preamble));
    field->SetBytes(ByteString(15, 'p'));
    qobject_cast<QComboBox*>(page.Bindings().WidgetsOf(preamble)[1])->activated(ChooserRow(0x0D));
    QCOMPARE(field->Bytes(), ByteString(15, 'p'));
    QCOMPARE(ui_->messageBoxes, QStringList{": Exceed the maximum range."});
  }

  // Checking the reader's settings reads them into the record the open sheet edits: the
  // pages show them at once, so that what is shown is what "Send to MSR" would write.
  void checkingTheReaderShowsWhatItHoldsOnTheOpenSheet() {
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{'0'});
    StartWindow();
    window_->ChangeBasicSettings();
    auto* general = static_cast<BasicSettingsPage*>(window_->GetBasicSheet()->Page(0));
    const QList<QAbstractButton*> beep =
        general->Bindings().ButtonsOf(general->Bindings().Setting("beep-volume"));
    beep[1]->click();
    QCOMPARE(window_->State().Settings().beepVolume, Byte('1'));
    WhenModalShown([](QWidget* modal) {
      if (auto* report = qobject_cast<QDialog*>(modal)) report->accept();
    });
    window_->CheckCurrentSettings();
    QCOMPARE(window_->State().Settings().beepVolume, Byte('2'));
    QVERIFY(beep[2]->isChecked());
  }

  // Every basic page changed, "Send to MSR", and the reader's settings saved by the
  // command-line tool: the file holds exactly the record the pages made.
  void theSheetSendsWhatItsPagesShow() {
    sim::SimulatedLine line(sim::SimulatedLineKind::Rs232);
    START_SIMULATED_SERIAL_LINE(line);
    StartWindow();
    QVERIFY(window_->ConnectTo(ReaderConnection{InterfaceType::Rs232, -1, line.DeviceName()}));
    window_->ChangeBasicSettings();
    BasicSheet* sheet = window_->GetBasicSheet();
    QVERIFY(sheet != nullptr);
    ReaderSettings& settings = window_->State().Settings();
    ReaderSettings expected = settings;

    auto page = [&](int index) { return static_cast<BasicSettingsPage*>(sheet->Page(index)); };
    // Track page: a terminator chosen, a sentinel box cleared and set again by the RS232 page.
    sheet->Tabs()->setCurrentIndex(3);
    QTest::keyClick(page(3)->Bindings().WidgetsOf(page(3)->Bindings().Setting("terminator"))[1], Qt::Key_Down);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("\\cr\r"));
    QTest::keyClick(page(3)->Bindings().FieldOf(page(3)->Bindings().Setting("send-sentinels")), Qt::Key_Space);
    sheet->Tabs()->setCurrentIndex(2);
    QTest::mouseClick(page(2)->DefaultPageButton(), Qt::LeftButton);
    sheet->Tabs()->setCurrentIndex(3);  // seen again, it shows the record: a refresh changes nothing
    const QImage seen = page(3)->grab().toImage();
    page(3)->Refresh();
    QCOMPARE(page(3)->grab().toImage(), seen);
    for (QComboBox* chooser : page(3)->findChildren<QComboBox*>()) QCOMPARE(chooser->currentIndex(), -1);

    auto choose = [&](int index, const char* name, int option) {
      page(index)->Bindings().ButtonsOf(page(index)->Bindings().Setting(name))[option]->click();
    };
    choose(0, "beep-volume", 1);
    expected.beepVolume = '1';
    choose(2, "baud-rate", 4);
    expected.baudRate = '7';
    choose(3, "track-select", 9);
    expected.trackSelect = '9';
    qobject_cast<QCheckBox*>(page(3)->Bindings().FieldOf(page(3)->Bindings().Setting("send-error-indication")))->click();
    expected.sendOutFormat |= 0x04;
    auto* postamble = qobject_cast<EscapeNameEdit*>(
        page(1)->Bindings().FieldOf(page(1)->Bindings().Setting("postamble")));
    postamble->setFocus();
    QTest::keyClicks(postamble, QStringLiteral("END"));
    expected.postamble = {'E', 'N', 'D'};

    sheet->SendButton()->click();
    QCOMPARE(ui_->messages, QStringList{"The configuration settings have been written to Tessaron device successfully!\n"});

    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("read-back.cfs2")).toStdString();
    const std::string device = line.DeviceName();
    const char* argv[] = {"tessaron", "save", path.c_str(), "--reader", device.c_str()};
    std::ostringstream out;
    std::ostringstream err;
    QVERIFY2(RunCli(5, argv, CliEnvironment{out, err, nullptr, 0.05}) == 0, err.str().c_str());
    ReaderSettings readBack;
    QVERIFY(LoadConfigFile(readBack, path));
    const std::string expectedFile = folder.filePath(QStringLiteral("expected.cfs2")).toStdString();
    QVERIFY(SaveConfigFile(expected, expectedFile));
    QFile got(QString::fromStdString(path));
    QFile want(QString::fromStdString(expectedFile));
    QVERIFY(got.open(QIODevice::ReadOnly) && want.open(QIODevice::ReadOnly));
    QCOMPARE(got.readAll(), want.readAll());
  }
};

QTEST_MAIN(BasicPagesTest)
#include "basic_pages_test.moc"
