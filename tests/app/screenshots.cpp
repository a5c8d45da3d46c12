// Draws the program's windows with a simulated reader and writes them as PNG files, so that
// their look can be checked without a screen: tessaron-screenshots OUTPUT_FOLDER

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <string>

#include "app/advanced_sheet.h"
#include "app/basic_sheet.h"
#include "app/boot_loader_mode_page.h"
#include "app/help_files.h"
#include "app/interface_selection_page.h"
#include "app/main_window.h"
#include "app/message_window.h"
#include "app/model_number_dialog.h"
#include "app/notice_window.h"
#include "app/report_window.h"
#include "app_test_support.h"
#include "core/data_edit_rules.h"
#include "core/settings_report.h"
#include "dataedit/added_field_editor.h"
#include "dataedit/custom_field_editor.h"
#include "dataedit/formula_editor_of_kind.h"
#include "app/responsive_port.h"
#include "flows/reader_connection.h"

using namespace tessaron;
using namespace tessaron::test;

namespace {

bool Save(QWidget* widget, const QDir& folder, const char* name) {
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  const QString path = folder.filePath(QString::fromLatin1(name));
  const bool saved = widget->grab().save(path);
  std::printf("%s %s\n", saved ? "wrote" : "FAILED", path.toLocal8Bit().constData());
  return saved;
}

// Draws every window once at the application's current font into folder.
bool DrawWindows(const QDir& folder) {
  RecordingUiServices ui;
  SimulatedKeyboardLine keyboard(false);
  SimulatedUsbReaders usb({'0', '8'});
  bool ok = true;

  ReaderEnvironment readers;
  readers.timing = FastTiming();
  usb.AddTo(readers);
  keyboard.AddTo(readers);
  ReaderSession session(ReadersForWindows(readers, ui));
  MainWindow window(session, ui);
  window.show();
  ok &= Save(&window, folder, "main-window.png");

  window.SelectReaderInterface();
  window.GetInterfaceSelection()->SelectGroup(InterfaceSelectionPage::GROUP_USB);
  ok &= Save(&window, folder, "interface-selection.png");

  window.ShowNotice(QString::fromLatin1(BLOCKED_CHECK_TEXT));
  ok &= Save(window.Notice(), folder, "notice.png");
  window.GetInterfaceSelection()->ContinueButton()->click();
  QCoreApplication::sendPostedEvents();

  window.ChangeBasicSettings();
  ok &= Save(&window, folder, "basic-sheet.png");
  // A step under way over a sheet whose values the reader did not give.
  window.State().SetRecordState(RecordState::NotRead);
  window.ShowBusyStep(QStringLiteral("Reading settings from /dev/hidraw-sim0..."));
  ok &= Save(&window, folder, "busy-not-read.png");
  window.ShowBusyStep(QString());
  window.State().RecordMatchesReader();
  // Every page of the basic sheet, as a reader on the keyboard-class USB line shows them.
  const char* const basicPages[] = {"basic-general.png", "basic-pre-postamble.png",
                                    "basic-rs232.png", "basic-track.png", "basic-keyboard.png"};
  for (int page = 0; page < BasicSheet::PAGE_COUNT; ++page) {
    window.GetBasicSheet()->Tabs()->setCurrentIndex(page);
    ok &= Save(&window, folder, basicPages[page]);
  }
  // Where the focus is, as a keyboard user sees it: a grid cell, a disabled page's tab.
  const auto focused = [&](QWidget* widget, const char* name) {
    QApplication::setActiveWindow(widget->window());
    widget->window()->setAttribute(Qt::WA_KeyboardFocusChange);  // as a Tab does
    widget->setFocus(Qt::TabFocusReason);
    return Save(widget->window(), folder, name);
  };
  window.GetBasicSheet()->Tabs()->setCurrentIndex(1);
  ok &= focused(window.GetBasicSheet()->findChild<QTableWidget*>(), "focus-grid.png");
  window.GetBasicSheet()->Tabs()->setCurrentIndex(2);
  ok &= focused(window.GetBasicSheet()->Tabs()->tabBar(), "focus-disabled-page.png");
  // The data editing page and its editors with something in every list.
  ReaderSettings& settings = window.State().Settings();
  settings.dataEditMode = '1';
  settings.addedFields = {ByteString{'A', 'B', 0x0D}, ByteString{'-'}};
  settings.customFields = {ByteString{TAG_BEFORE, FieldRef(1, 0), 2, 2, 'A', 'B'},
                           ByteString{TAG_AMONG, FieldRef(2, 1), 1, 1, '=', 2, 1, '?', 3, 4}};
  settings.lengthLimits[0] = LengthLimitRecord(1, 10, 79);
  settings.formulas = {ByteString{0x21, 0x22, 0x00, 0x2A}, ByteString{0x41, 0x48},
                       ByteString{0x27, 0x01}, ByteString{0x20, 0x41, 0x00}};
  window.ChangeAdvancedSettings();
  window.GetAdvancedSheet()->BootLoaderMode()->PasswordBox()->setText(QStringLiteral("secret"));
  const char* const advancedPages[] = {"advanced-output-format.png", "advanced-data-editing.png",
                                       "advanced-quick-clone.png", "advanced-manual-command.png",
                                       "advanced-boot-loader.png"};
  for (int page = 0; page < AdvancedSheet::PAGE_COUNT; ++page) {
    window.GetAdvancedSheet()->Tabs()->setCurrentIndex(page);
    ok &= Save(&window, folder, advancedPages[page]);
  }

  for (int kind = 0; kind < CARD_KIND_COUNT; ++kind) {
    const char* const names[] = {"editor-credit-card.png", "editor-dmv.png", "editor-aamva.png",
                                 "editor-custom.png"};
    std::unique_ptr<FormulaEditor> editor =
        MakeFormulaEditor(kind, &window, ui, settings, {true, true, false});
    editor->show();
    ok &= Save(editor.get(), folder, names[kind]);
  }
  AddedFieldEditor addedFields(&window, ui, settings, nullptr);
  addedFields.show();
  ok &= Save(&addedFields, folder, "editor-added-fields.png");
  CustomFieldEditor customFields(&window, ui, settings, settings.formulas[CARD_KIND_CUSTOM]);
  customFields.show();
  ok &= Save(&customFields, folder, "editor-custom-fields.png");

  ReportWindow report(QString::fromLatin1(BuildSettingsReport(window.State().Settings(), "V1.90").c_str()));
  report.show();
  ok &= Save(&report, folder, "report-window.png");

  QWidget* help = ShowDocumentWindow(HelpTopicUrl(HELP_CONTEXT_DATA_EDITING), &window);
  ok &= Save(help, folder, "help-window.png");
  help->close();

  ModelNumberDialog modelNumber(ui);
  modelNumber.ModelNumberEdit()->setText(QStringLiteral("RM10-3350"));
  modelNumber.show();
  ok &= Save(&modelNumber, folder, "model-number.png");

  MessageWindow shortMessage(QStringLiteral("Load configuration from file successfully."));
  shortMessage.show();
  ok &= Save(&shortMessage, folder, "message-short.png");
  MessageWindow longMessage(QStringLiteral(
      "The configuration settings have been written to Tessaron device successfully!\n"
      "The interface is switched, please wait some second to re-open it."));
  longMessage.show();
  ok &= Save(&longMessage, folder, "message-long.png");
  return ok;
}

// The windows of a run on the system's own reader: the main window connected to it, the
// report of a "CHECK CURRENT READER SETTINGS", and both sheets after that read.
bool DrawReaderWindows(const std::string& connectionText, const QDir& folder) {
  ReaderConnection connection;
  std::string error;
  if (!ParseReaderConnection(connectionText, &connection, &error)) {
    std::fprintf(stderr, "tessaron-screenshots: --reader: %s\n", error.c_str());
    return false;
  }
  RecordingUiServices ui;
  ReaderSession session(ReadersForWindows(ReaderEnvironment::System(), ui));
  MainWindow window(session, ui);
  window.show();
  // The lines this system offers (on Windows the PS/2 line greyed out).
  window.SelectReaderInterface();
  bool ok = Save(&window, folder, "interface-selection.png");
  window.GetInterfaceSelection()->CancelButton()->click();
  QCoreApplication::sendPostedEvents();
  if (!window.ConnectTo(connection)) {
    std::fprintf(stderr, "tessaron-screenshots: no reader at %s: %s\n", connectionText.c_str(),
                 ui.causes.join(QLatin1Char(' ')).toLocal8Bit().constData());
    return false;
  }
  ok &= Save(&window, folder, "main-window.png");
  bool reported = false;
  WhenModalShown([&](QWidget* report) {
    reported = true;
    ok &= Save(report, folder, "report-after-read.png");
    report->close();
  }, 120000);  // the read of a serial line with its real timing takes seconds
  window.CheckCurrentSettings();
  StopModalWatchers();
  window.ChangeBasicSettings();
  ok &= window.GetBasicSheet() != nullptr && Save(&window, folder, "basic-sheet.png");
  window.ChangeAdvancedSettings();
  ok &= window.GetAdvancedSheet() != nullptr && Save(&window, folder, "advanced-sheet.png");
  if (!reported || !ui.messages.isEmpty()) {
    std::fprintf(stderr, "tessaron-screenshots: the read showed no report%s%s\n",
                 ui.messages.isEmpty() ? "" : ": ",
                 ui.messages.join(QLatin1Char(' ')).toLocal8Bit().constData());
    return false;
  }
  return ok;
}

}  // namespace

// tessaron-screenshots OUTPUT_FOLDER [POINT_SIZE ...]: with point sizes, each size draws
// into OUTPUT_FOLDER/<size>pt; without, the desktop font draws into OUTPUT_FOLDER.
// tessaron-screenshots --reader CONNECTION OUTPUT_FOLDER: the windows of a run on that reader.
int main(int argc, char** argv) {
  QApplication application(argc, argv);
  EnterPressesButtons enterKeys;
  QTemporaryDir profile;
  UseProfileFolder(profile);
  if (argc == 4 && std::string(argv[1]) == "--reader") {
    const QDir output(QString::fromLocal8Bit(argv[3]));
    return output.mkpath(QStringLiteral(".")) && DrawReaderWindows(argv[2], output) ? 0 : 1;
  }
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: tessaron-screenshots OUTPUT_FOLDER [POINT_SIZE ...]\n"
                 "       tessaron-screenshots --reader CONNECTION OUTPUT_FOLDER\n");
    return 2;
  }
  const QDir output(QString::fromLocal8Bit(argv[1]));

  QStringList folders;
  QList<int> sizes;
  for (int i = 2; i < argc; ++i) sizes << QString::fromLocal8Bit(argv[i]).toInt();
  if (sizes.isEmpty()) sizes << 0;
  bool ok = true;
  const QFont desktopFont = QApplication::font();
  for (int size : sizes) {
    QFont font = desktopFont;
    if (size > 0) font.setPointSize(size);
    QApplication::setFont(font);
    QDir folder = output;
    if (size > 0) folder.setPath(output.filePath(QStringLiteral("%1pt").arg(size)));
    if (!folder.mkpath(QStringLiteral("."))) return 1;
    ok &= DrawWindows(folder);
  }
  return ok ? 0 : 1;
}
