// The data editing page, the four formula editors and the two field editors; and a Custom
// formula built in them travelling to a simulated reader and a file, byte for byte.

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "app/advanced_sheet.h"
#include "app/data_editing_page.h"
#include "app/main_window.h"
#include "app_test_support.h"
#include "controls/escape_name_edit.h"
#include "core/data_edit_rules.h"
#include "dataedit/added_field_editor.h"
#include "dataedit/custom_card_formula_editor.h"
#include "dataedit/custom_field_editor.h"
#include "support/settings_streams.h"

using namespace tessaron;
using namespace tessaron::test;

namespace {

using tessaron::test_support::StreamOf;

// Picks a line as a double-click does: with Enter, or Space on odd rows.
void DoubleClick(QListWidget* list, int row) {
  list->setCurrentRow(row);
  QTest::keyClick(list, row % 2 == 0 ? Qt::Key_Return : Qt::Key_Space);
}

QStringList Lines(const QListWidget* list) {
  QStringList lines;
  for (int row = 0; row < list->count(); ++row) lines << list->item(row)->text();
  return lines;
}

QList<bool> Enabled(const QList<QWidget*>& widgets) {
  QList<bool> states;
  for (const QWidget* widget : widgets) states << widget->isEnabled();
  return states;
}

// What a user types: textEdited follows, as it does for keys.
void Type(QLineEdit* edit, const QString& text) {
  edit->setText(text);
  emit edit->textEdited(text);
}

QString Box(const char* text) { return QStringLiteral(": ") + QString::fromLatin1(text); }

// A Ctrl+click on the line the click before selected: it stays the current line, selected
// is none.
void Unselect(QListWidget* list, int row) {
  list->window()->show();
  const QPoint line = list->visualItemRect(list->item(row)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, line);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, line);
}

const ByteString BEFORE_1A{TAG_BEFORE, FieldRef(1, 0), 1, 1, 'A'};

}  // namespace

class DataEditingTest : public WindowTestBase {
  Q_OBJECT

 private slots:
  void initTestCase() { UseOwnProfile(); }
  void init() { PrepareCase(); }
  void cleanup() { EndCase(); }

  // --- The page ---

  void theModeLoadsIntoThePage_data() {
    QTest::addColumn<char>("mode");
    QTest::addColumn<int>("enable");
    QTest::addColumn<int>("method");
    QTest::newRow("unmatched") << '3' << 0 << 1;
    QTest::newRow("matched") << '1' << 0 << 0;
    QTest::newRow("disabled") << '0' << 1 << 0;
  }

  void theModeLoadsIntoThePage() {
    QFETCH(char, mode);
    QFETCH(int, enable);
    QFETCH(int, method);
    ReaderSettings settings;
    settings.dataEditMode = static_cast<Byte>(mode);
    DataEditingPage page(settings, *ui_, true);
    QCOMPARE(page.EnableChoice()->checkedId(), enable);
    QCOMPARE(page.OutputMethod()->checkedId(), method);
    QCOMPARE(page.DataFormat()->checkedId(), int{CARD_KIND_CREDIT_CARD});
    QCOMPARE(page.ControlSet().size(), 20);
    // Enabled, the whole set is usable but for Track3, which Credit Card does not read.
    for (QWidget* control : page.ControlSet()) {
      QCOMPARE(control->isEnabled(), enable == 0 && control != page.TrackBox(3));
    }
    QVERIFY(page.Button("Help")->isEnabled() && page.EnableChoice()->button(0)->isEnabled());
    // In a sheet there is no "OK", and Enter and Escape change nothing.
    QVERIFY(page.Button("OK")->isHidden());
    QSignalSpy finished(&page, &QDialog::finished);
    page.accept();
    page.reject();
    QCOMPARE(finished.count(), 0);
  }

  void theRadiosSetTheModeAndTheTrackRule() {
    ReaderSettings settings;
    DataEditingPage page(settings, *ui_, false);
    page.show();
    page.EnableChoice()->button(0)->click();
    QCOMPARE(settings.dataEditMode, Byte('1'));
    page.OutputMethod()->button(1)->click();
    QCOMPARE(settings.dataEditMode, Byte('3'));
    page.EnableChoice()->button(1)->click();
    page.EnableChoice()->button(0)->click();
    QCOMPARE(settings.dataEditMode, Byte('3'));  // Enable keeps the method chosen
    page.TrackBox(3)->setChecked(true);
    struct Step {
      int format;
      QList<bool> usable;
    };
    for (const Step& step : {Step{CARD_KIND_CUSTOM, {false, false, false}},
                             Step{CARD_KIND_AAMVA, {true, true, true}},
                             Step{CARD_KIND_CREDIT_CARD, {true, true, false}}}) {
      page.DataFormat()->button(step.format)->click();
      QCOMPARE(Enabled({page.TrackBox(1), page.TrackBox(2), page.TrackBox(3)}), step.usable);
    }
    QVERIFY(page.TrackBox(3)->isChecked());  // marks are never changed by the rule
    page.EnableChoice()->button(1)->click();
    QCOMPARE(settings.dataEditMode, Byte('0'));
    QVERIFY(!page.Button("Add Formula")->isEnabled());
    // A window of its own closes with "OK".
    QVERIFY(page.Button("OK")->isVisible());
    page.Button("OK")->click();
    QCOMPARE(page.result(), int{QDialog::Accepted});
  }

  void theFormulaButtonsActOnTheRecord() {
    ReaderSettings settings;
    settings.dataEditMode = '1';
    settings.addedFields = {ByteString{'x'}};
    settings.customFields = {BEFORE_1A};
    settings.lengthLimits[0] = LengthLimitRecord(1, 1, 2);
    settings.formulas = {ByteString{0x2A, 0x2B}, ByteString{}, ByteString{0x27, 0x01},
                         ByteString{0x20}};
    DataEditingPage page(settings, *ui_, true);
    QCOMPARE(Lines(page.FormulaList()),
             (QStringList{"Credit Card: 1011", "AAMVA: 100b", "Custom: 1a"}));
    // Without a selected line, "Delete Formula" and "Edit Formula" do nothing, also when a
    // line is the current one.
    Unselect(page.FormulaList(), 1);
    page.Button("Delete Formula")->click();
    QCOMPARE(page.FormulaList()->count(), 3);
    page.Button("Edit Formula")->click();
    page.FormulaList()->setCurrentRow(1);
    page.Button("Delete Formula")->click();
    QVERIFY(settings.formulas[CARD_KIND_AAMVA].empty());
    QCOMPARE(Lines(page.FormulaList()), (QStringList{"Credit Card: 1011", "Custom: 1a"}));

    // "Clear All" empties the formulas only.
    page.Button("Clear All")->click();
    QCOMPARE(page.FormulaList()->count(), 0);
    QVERIFY(settings.formulas[CARD_KIND_CREDIT_CARD].empty() && settings.formulas[3].empty());
    QCOMPARE(settings.addedFields.size(), 1u);
    QCOMPARE(settings.customFields.size(), 1u);
    QVERIFY(!settings.lengthLimits[0].empty());

    // "Default" switches data editing off and empties every record.
    page.Button("Default")->click();
    QCOMPARE(settings.dataEditMode, Byte('0'));
    QVERIFY(settings.addedFields.empty() && settings.customFields.empty());
    QVERIFY(settings.lengthLimits[0].empty());
    QCOMPARE(page.EnableChoice()->checkedId(), 1);
    QVERIFY(!page.FormulaList()->isEnabled());
  }

  void theEditorsStoreOnlyOnOk() {
    ReaderSettings settings;
    settings.dataEditMode = '1';
    settings.formulas[CARD_KIND_AAMVA] = {0x01};
    DataEditingPage page(settings, *ui_, true);
    page.TrackBox(2)->setChecked(false);
    page.DataFormat()->button(CARD_KIND_AAMVA)->click();
    // "Add Formula" opens the kind's one formula, with the page's track marks.
    QList<bool> lists;
    WhenModalShown([&](QWidget* modal) {
      auto* editor = qobject_cast<FormulaEditor*>(modal);
      QVERIFY(editor != nullptr);
      QCOMPARE(editor->windowTitle(), QStringLiteral("AAMVA Sent Sequence(Formula)"));
      for (int track = 1; track <= 3; ++track) lists << editor->TrackList(track)->isEnabled();
      DoubleClick(editor->TrackList(1), 7);
      QCOMPARE(editor->SequenceText(), QStringLiteral("0b10"));
      editor->OkButton()->click();
    });
    page.Button("Add Formula")->click();
    QCOMPARE(lists, (QList<bool>{true, false, false}));
    QCOMPARE(settings.formulas[CARD_KIND_AAMVA], (ByteString{0x01, 0x27}));
    QCOMPARE(Lines(page.FormulaList()), QStringList{"AAMVA: 0b10"});

    // Cancel leaves formula and list; a nested field editor's OK still stores its list.
    page.FormulaList()->setCurrentRow(0);
    WhenModalShown([&](QWidget* modal) {
      auto* editor = qobject_cast<FormulaEditor*>(modal);
      editor->ClearSequence();
      DoubleClick(editor->AddedFieldList(), 0);  // no added field: nothing to click
      WhenModalShown([](QWidget* fields) {
        auto* added = qobject_cast<AddedFieldEditor*>(fields);
        added->FieldEdit()->SetBytes(ByteString{'$'});
        added->Add();
        added->accept();
      });
      editor->NewAddedFieldsButton()->click();
      QCOMPARE(Lines(editor->AddedFieldList()), QStringList{"(0a)$"});
      editor->CancelButton()->click();
    });
    page.Button("Edit Formula")->click();
    QCOMPARE(settings.formulas[CARD_KIND_AAMVA], (ByteString{0x01, 0x27}));
    QCOMPARE(settings.addedFields, ByteStringList{ByteString{'$'}});
  }

  // --- The formula editors ---

  void theItemLimitsRefuseAppends() {
    ReaderSettings settings;
    settings.formulas[CARD_KIND_CREDIT_CARD] = ByteString(10, 0x21);
    settings.formulas[CARD_KIND_DMV] = ByteString(150, 0x21);
    DmvFormulaEditor editor(UiHost(), *ui_, settings, {true, true, true});
    QCOMPARE(editor.TrackList(2)->count(), 11);
    // The stored total is 160: even a cleared sequence takes nothing until OK.
    editor.ClearSequenceButton()->click();
    DoubleClick(editor.TrackList(2), 7);
    QCOMPARE(ui_->messageBoxes, QStringList{Box("Only 160 items can be added for Send Command.")});
    QVERIFY(editor.WorkingFormula().empty());
    editor.accept();
    DmvFormulaEditor again(UiHost(), *ui_, settings, {true, true, true});
    DoubleClick(again.TrackList(2), 7);
    QCOMPARE(again.SequenceText(), QStringLiteral("2h"));

    settings.formulas[CARD_KIND_CREDIT_CARD].clear();
    settings.formulas[CARD_KIND_DMV] = ByteString(150, 0x21);
    DmvFormulaEditor full(UiHost(), *ui_, settings, {true, true, true});
    DoubleClick(full.TrackList(1), 0);
    QCOMPARE(ui_->messageBoxes.last(), Box("Only 150 items can be added for a Formula."));
    QCOMPARE(full.WorkingFormula().size(), 150u);
  }

  void theCustomEditorKeepsLimitsAndMatchStrings() {
    ReaderSettings settings;
    settings.lengthLimits[1] = LengthLimitRecord(2, 5, 6);
    CustomCardFormulaEditor editor(UiHost(), *ui_, settings);
    const auto& limit = editor.LengthLimitControls();
    QCOMPARE(limit.track->currentIndex(), -1);
    // The editor reads from the top: Tab from Cancel comes to its first control.
    editor.show();
    QApplication::setActiveWindow(&editor);
    editor.CancelButton()->setFocus();
    QTest::keyClick(editor.CancelButton(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(limit.track));
    Type(limit.first, QStringLiteral("9"));  // no track chosen: nothing happens
    QVERIFY(editor.WorkingLengthLimits()[0].empty());

    limit.track->setCurrentIndex(1);
    emit limit.track->activated(1);
    QCOMPARE(limit.first->text(), QStringLiteral("5"));
    QCOMPARE(limit.second->text(), QStringLiteral("6"));
    Type(limit.first, QStringLiteral("30"));
    QCOMPARE(editor.WorkingLengthLimits()[1], LengthLimitRecord(2, 30, 6));
    // OK refuses Min above Max (the command line would not write it) and shows that track.
    limit.track->setCurrentIndex(0);
    editor.accept();
    QVERIFY(editor.isVisible() && limit.track->currentIndex() == 1 && limit.first->text() == "30");
    // A Min of 300 does not fit a byte: refused, the limit and the edit keep 30.
    Type(limit.first, QStringLiteral("300"));
    QCOMPARE(ui_->messageBoxes, (QStringList{Box("Track 2: Min 30 is above Max 6. Please make Min no larger than Max."),
                                             Box("Please enter an integer between 0 and 255.")}));
    QCOMPARE(editor.WorkingLengthLimits()[1], LengthLimitRecord(2, 30, 6));
    QCOMPARE(limit.first->text(), QStringLiteral("30"));
    // Emptying Max removes the limit of the track.
    Type(limit.second, QString());
    QVERIFY(editor.WorkingLengthLimits()[1].empty());
    Type(limit.second, QStringLiteral("79"));

    const auto& match = editor.MatchStringControls();
    match.track->setCurrentIndex(2);
    emit match.track->activated(2);
    Type(match.first, QStringLiteral("1"));
    Type(match.second, QStringLiteral("%B"));
    QCOMPARE(editor.WorkingMatchStrings()[2], MatchStringRecord(3, 1, ByteString{'%', 'B'}));
    Type(match.second, QString(MAX_FIELD_STRING_BYTES + 1, QLatin1Char('x')));
    QCOMPARE(ui_->messageBoxes.last(), Box("A string can hold at most 120 characters."));
    QCOMPARE(match.second->text(), QStringLiteral("%B"));

    // Neither the refused OK nor Cancel stores; OK stores formula, limits and match strings.
    editor.reject();
    QCOMPARE(settings.lengthLimits[1], LengthLimitRecord(2, 5, 6));
    editor.accept();
    QCOMPARE(settings.lengthLimits[1], LengthLimitRecord(2, 30, 79));
    QCOMPARE(settings.matchStrings[2], MatchStringRecord(3, 1, ByteString{'%', 'B'}));

    CustomCardFormulaEditor cleared(UiHost(), *ui_, settings);
    cleared.LengthLimitControls().clearAll->click();
    QVERIFY(cleared.WorkingLengthLimits()[1].empty());
    QCOMPARE(cleared.LengthLimitControls().track->currentIndex(), -1);
    QCOMPARE(cleared.WorkingMatchStrings()[2], settings.matchStrings[2]);
  }

  // A match string slot holding two records (a file or a reader may give that): the editor
  // shows and edits the first and keeps the second byte for byte.
  void aSlotOfTwoRecordsIsEditedInItsFirst() {
    const ByteString second = MatchStringRecord(1, 7, ByteString{'Z'});
    ReaderSettings settings;
    settings.matchStrings[0] = MatchStringRecord(1, 2, ByteString{'%', 'B'});
    settings.matchStrings[0].insert(settings.matchStrings[0].end(), second.begin(), second.end());
    CustomCardFormulaEditor editor(UiHost(), *ui_, settings);
    QTest::keyClick(editor.MatchStringControls().track, Qt::Key_Down);  // "Track 1"
    QTest::keyClicks(editor.MatchStringControls().second, QStringLiteral("C"));
    editor.accept();
    ByteString expected = MatchStringRecord(1, 2, ByteString{'%', 'B', 'C'});
    expected.insert(expected.end(), second.begin(), second.end());
    QCOMPARE(settings.matchStrings[0], expected);
  }

  // --- The field editors ---

  void theAddedFieldEditorGuardsItsList() {
    ReaderSettings settings;
    settings.addedFields = {ByteString{'a'}, ByteString{'b'}, ByteString{'c'}};
    settings.formulas[CARD_KIND_DMV] = {FieldRef(0, 2)};
    const ByteString calling{FieldRef(0, 3)};
    AddedFieldEditor editor(UiHost(), *ui_, settings, &calling);
    editor.Add();  // empty edit
    editor.FieldList()->setCurrentRow(1);
    editor.Delete();  // "0b" while "0c" is used
    editor.FieldEdit()->SetBytes(ByteString{'d', 0x0D});
    editor.Add();
    QCOMPARE(Lines(editor.FieldList()).last(), QStringLiteral("(0d)d\\cr"));
    QVERIFY(editor.FieldEdit()->Bytes().empty());
    editor.FieldList()->setCurrentRow(3);
    editor.Delete();  // the calling formula uses "0d"
    QCOMPARE(editor.WorkingList().size(), 4u);
    QCOMPARE(ui_->messageBoxes,
             (QStringList{Box(EMPTY_ADDED_FIELD_TEXT), Box(ADDED_FIELD_USED_TEXT),
                          Box(ADDED_FIELD_USED_TEXT)}));
    // The chooser inserts its byte at the caret, up to 8 bytes.
    editor.NamedByteChooser()->setCurrentIndex(0);
    emit editor.NamedByteChooser()->activated(0);
    QCOMPARE(editor.FieldEdit()->Bytes().size(), 1u);
    for (std::size_t field = 4; field <= MAX_ADDED_FIELDS; ++field) {
      editor.Add();
      editor.FieldEdit()->SetBytes(ByteString{'z'});
    }
    editor.Add();
    QCOMPARE(ui_->messageBoxes.last(), Box("Only 8 added field can be set!"));
    QCOMPARE(editor.WorkingList().size(), 8u);
    QCOMPARE(editor.FieldEdit()->Bytes(), ByteString{'z'});

    editor.reject();
    QCOMPARE(settings.addedFields.size(), 3u);
    // From the page only the stored formulas count: with none left, the last one may go.
    settings.formulas[CARD_KIND_DMV].clear();
    AddedFieldEditor fromPage(UiHost(), *ui_, settings, nullptr);
    Unselect(fromPage.FieldList(), 1);
    fromPage.Delete();  // no line selected
    fromPage.FieldList()->setCurrentRow(2);
    fromPage.Delete();
    fromPage.accept();
    QCOMPARE(settings.addedFields, (ByteStringList{ByteString{'a'}, ByteString{'b'}}));
  }

  void theCustomFieldEditorBuildsAndRenumbers() {
    ReaderSettings settings;
    CustomFieldEditor editor(UiHost(), *ui_, settings, ByteString{FieldRef(0, 5)});
    QCOMPARE(editor.NewFieldLetter()->currentText(), QStringLiteral("a"));
    QVERIFY(!editor.NewFieldLetter()->isEnabled());
    const auto& between = editor.Inputs(CustomFieldRule::Between);
    QVERIFY(!between.times1->isEnabled());
    editor.RuleButton(CustomFieldRule::Between)->click();
    QVERIFY(between.times1->isEnabled());
    QVERIFY(!editor.Inputs(CustomFieldRule::Before).times1->isEnabled());
    between.times1->setText(QStringLiteral("1"));
    between.string1->setText(QStringLiteral("A"));
    between.string2->setText(QStringLiteral("B"));
    editor.Add();  // Times 2 is empty
    QCOMPARE(ui_->messageBoxes, QStringList{Box(EMPTY_CUSTOM_INPUT_TEXT)});
    between.times2->setText(QStringLiteral("257"));
    editor.Add();  // refused, not stored as 1
    QCOMPARE(ui_->messageBoxes.last(), Box("Please enter an integer between 0 and 255."));
    QVERIFY(editor.WorkingList().empty());

    // Fields "1a", "2b", "1c"; deleting "2b" leaves "1a" and "1b".
    const auto& before = editor.Inputs(CustomFieldRule::Before);
    before.times1->setText(QStringLiteral("1"));
    before.string1->setText(QStringLiteral("X"));
    editor.RuleButton(CustomFieldRule::Before)->click();
    for (int track : {0, 1, 0}) {
      editor.TrackChooser()->setCurrentIndex(track);
      editor.Add();
    }
    QCOMPARE(Lines(editor.FieldList()),
             (QStringList{"(1a)Before: \"X\"(1)", "(2b)Before: \"X\"(1)", "(1c)Before: \"X\"(1)"}));
    QCOMPARE(editor.NewFieldLetter()->currentText(), QStringLiteral("d"));
    Unselect(editor.FieldList(), 0);
    editor.Delete();  // no line selected
    editor.FieldList()->setCurrentRow(1);
    editor.Delete();
    QCOMPARE(Lines(editor.FieldList()), (QStringList{"(1a)Before: \"X\"(1)", "(1b)Before: \"X\"(1)"}));
    editor.accept();
    QCOMPARE(settings.customFields[1][1], FieldRef(1, 1));

    // The stored Custom formula refers to "b": "a" and "b" stay; twelve fields are the most.
    settings.formulas[CARD_KIND_CUSTOM] = {FieldRef(1, 1)};
    settings.customFields.resize(MAX_CUSTOM_FIELDS, BEFORE_1A);
    CustomFieldEditor full(UiHost(), *ui_, settings, ByteString{});
    full.FieldList()->setCurrentRow(0);
    full.Delete();
    full.Inputs(CustomFieldRule::Before).times1->clear();
    full.Add();  // refused for the count before any edit is looked at
    QCOMPARE(ui_->messageBoxes.mid(2),
             (QStringList{Box(CUSTOM_FIELD_USED_TEXT), Box("Only 12 flexible field can be set!")}));
  }

  // --- End to end ---

  void aCustomFormulaTravelsToTheReaderAndAFileByteForByte() {
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{'0'});
    StartWindow();
    window_->ChangeAdvancedSettings();
    DataEditingPage* page = window_->GetAdvancedSheet()->DataEditing();
    page->EnableChoice()->button(0)->click();
    page->DataFormat()->button(CARD_KIND_CUSTOM)->click();
    WhenModalShown([&](QWidget* modal) {
      auto* editor = qobject_cast<CustomCardFormulaEditor*>(modal);
      WhenModalShown([](QWidget* fields) {
        auto* added = qobject_cast<AddedFieldEditor*>(fields);
        added->FieldEdit()->SetBytes(ByteString{'I', 'D', 0x0D});
        added->Add();
        added->accept();
      });
      editor->NewAddedFieldsButton()->click();
      WhenModalShown([](QWidget* fields) {
        auto* custom = qobject_cast<CustomFieldEditor*>(fields);
        custom->RuleButton(CustomFieldRule::Among)->click();
        const auto& among = custom->Inputs(CustomFieldRule::Among);
        for (QLineEdit* edit : {among.times1, among.times2, among.offset, among.length}) {
          edit->setText(QStringLiteral("2"));
        }
        among.string1->setText(QStringLiteral("^"));
        among.string2->setText(QStringLiteral("="));
        custom->TrackChooser()->setCurrentIndex(1);
        custom->Add();
        custom->accept();
      });
      editor->NewCustomFieldButton()->click();
      DoubleClick(editor->CustomFieldList(), 0);
      DoubleClick(editor->AddedFieldList(), 0);
      const auto& limit = editor->LengthLimitControls();
      limit.track->setCurrentIndex(0);
      emit limit.track->activated(0);
      Type(limit.first, QStringLiteral("10"));
      Type(limit.second, QStringLiteral("200"));
      const auto& match = editor->MatchStringControls();
      match.track->setCurrentIndex(1);
      emit match.track->activated(1);
      Type(match.first, QStringLiteral("0"));
      Type(match.second, QStringLiteral(";9"));
      editor->OkButton()->click();
    });
    page->Button("Add Formula")->click();
    QCOMPARE(Lines(page->FormulaList()), QStringList{"Custom: 2a0a"});
    QVERIFY(ui_->messageBoxes.isEmpty());

    const ByteString built = StreamOf(window_->State().Settings());
    const QString path = profileDir_.filePath(QStringLiteral("custom.cfs2"));
    ui_->chosenPath = path;
    window_->GetAdvancedSheet()->SaveButton()->click();
    window_->GetAdvancedSheet()->SendButton()->click();
    QCOMPARE(usb_->Reader(0).SettingsStream(), built);

    // A fresh program on a reader at its factory settings loads the same record.
    EndCase();
    PrepareCase();
    usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{'0'});
    StartWindow();
    window_->ChangeAdvancedSettings();
    ui_->chosenPath = path;
    window_->GetAdvancedSheet()->LoadButton()->click();
    QCOMPARE(StreamOf(window_->State().Settings()), built);
    QCOMPARE(Lines(window_->GetAdvancedSheet()->DataEditing()->FormulaList()),
             QStringList{"Custom: 2a0a"});

    // Filled to the limits the editors allow, the record no longer fits one frame: refused
    // with its text, nothing sent.
    ReaderSettings& settings = window_->State().Settings();
    settings.addedFields.assign(MAX_ADDED_FIELDS, ByteString(MAX_ADDED_FIELD_BYTES, 'x'));
    ByteString customField{TAG_BEFORE, FieldRef(1, 0), 1, 10};
    customField.resize(customField.size() + 10, '#');
    settings.customFields.assign(MAX_CUSTOM_FIELDS, customField);
    RenumberCustomFields(settings.customFields);
    CreditCardFormulaEditor editor(UiHost(), *ui_, settings, {true, true, false});
    for (int entry = 0; entry < MAX_FORMULA_ITEMS; ++entry) DoubleClick(editor.AddedFieldList(), 7);
    editor.accept();
    const std::size_t commands = usb_->Reader(0).CommandCount();
    window_->GetAdvancedSheet()->SendButton()->click();
    QCOMPARE(ui_->messages.last(),
             QStringLiteral("The command is too long, maybe there are too many fields in the "
                            "formulas, please check it!"));
    QCOMPARE(usb_->Reader(0).CommandCount(), commands);
  }
};

QTEST_MAIN(DataEditingTest)
#include "data_editing_test.moc"
