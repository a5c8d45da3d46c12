// The byte-string edit and the editable grid under simulated keys and mouse.

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "app_test_support.h"
#include "controls/editable_grid.h"
#include "controls/escape_name_edit.h"

using namespace tessaron;
using namespace tessaron::test;

namespace {

// Character position of the visible caret.
int VisibleCaret(const EscapeNameEdit& edit) { return edit.cursorPosition(); }

// The point in the middle of the character at a position of the edit's text.
QPoint PointAt(EscapeNameEdit& edit, int character) {
  edit.setCursorPosition(character);
  const QRect caret = edit.inputMethodQuery(Qt::ImCursorRectangle).toRect();
  const int width = edit.fontMetrics().horizontalAdvance(edit.text().mid(character, 1));
  return QPoint(caret.left() + width / 2 + 1, edit.height() / 2);
}

}  // namespace

class EditingControlsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    ui_ = std::make_unique<RecordingUiServices>();
    edit_ = std::make_unique<EscapeNameEdit>(*ui_);
    edit_->resize(300, edit_->sizeHint().height());
    edit_->show();
    QVERIFY(QTest::qWaitForWindowExposed(edit_.get()));
  }
  void cleanup() {
    edit_.reset();
    ui_.reset();
  }

  void theCaretStepsOverNamedBytes() {
    edit_->SetBytes({0x0D, 0x0A, 'A'});
    QCOMPARE(edit_->text(), QStringLiteral("\\cr\\lfA"));
    QCOMPARE(VisibleCaret(*edit_), 7);
    QTest::keyClick(edit_.get(), Qt::Key_Left);
    QCOMPARE(VisibleCaret(*edit_), 6);
    QTest::keyClick(edit_.get(), Qt::Key_Left);
    QCOMPARE(VisibleCaret(*edit_), 3);
    QCOMPARE(edit_->CaretByte(), 1);
    // Typing goes in at the byte caret; Backspace takes back the named byte before it.
    QTest::keyClicks(edit_.get(), QStringLiteral("x"));
    QCOMPARE(edit_->Bytes(), (ByteString{0x0D, 'x', 0x0A, 'A'}));
    QTest::keyClick(edit_.get(), Qt::Key_Backspace);
    QTest::keyClick(edit_.get(), Qt::Key_Backspace);
    QCOMPARE(edit_->Bytes(), (ByteString{0x0A, 'A'}));
    QCOMPARE(VisibleCaret(*edit_), 0);

    // A click inside a name puts the caret before that name's byte.
    edit_->SetBytes({'A', 0x1B, 'B'});
    QTest::mouseClick(edit_.get(), Qt::LeftButton, {}, PointAt(*edit_, 3));
    QCOMPARE(edit_->CaretByte(), 1);
    QCOMPARE(VisibleCaret(*edit_), 1);
  }

  void limitsRefuseOrReplace() {
    edit_->SetLimit(1);
    QTest::keyClicks(edit_.get(), QStringLiteral("abc"));
    QCOMPARE(edit_->Bytes(), ByteString{'c'});
    edit_->InsertByte(0x0D);
    QCOMPARE(edit_->Bytes(), ByteString{0x0D});
    QVERIFY(ui_->messageBoxes.isEmpty());

    edit_->Clear();
    edit_->SetLimit(8);
    QTest::keyClicks(edit_.get(), QStringLiteral("12345678"));
    QTest::keyClicks(edit_.get(), QStringLiteral("9"));
    edit_->InsertByte(0x0D);
    QCOMPARE(edit_->Bytes(), (ByteString{'1', '2', '3', '4', '5', '6', '7', '8'}));
    QCOMPARE(ui_->messageBoxes, (QStringList{": Exceed the maximum range.",
                                             ": Exceed the maximum range."}));
  }

  void mouseSelectionsDeleteExactlyTheirBytes() {
    edit_->SetBytes({'A', 0x0D, 'B', 'C'});  // "A\crBC"
    // Drag from inside "\cr" to before "C": the bytes \cr and B.
    QTest::mousePress(edit_.get(), Qt::LeftButton, {}, PointAt(*edit_, 2));
    QTest::mouseMove(edit_.get(), PointAt(*edit_, 5) - QPoint(3, 0));
    QTest::mouseRelease(edit_.get(), Qt::LeftButton, {}, PointAt(*edit_, 5) - QPoint(3, 0));
    QCOMPARE(edit_->SelectionStartByte(), 1);
    QCOMPARE(edit_->SelectionEndByte(), 3);
    QTest::keyClick(edit_.get(), Qt::Key_Delete);
    QCOMPARE(edit_->Bytes(), (ByteString{'A', 'C'}));

    // After a selection, Right ends it and typing removes nothing.
    edit_->SetBytes({'1', '2', '3'});
    QTest::mousePress(edit_.get(), Qt::LeftButton, {}, PointAt(*edit_, 0));
    QTest::mouseMove(edit_.get(), PointAt(*edit_, 2));
    QTest::mouseRelease(edit_.get(), Qt::LeftButton, {}, PointAt(*edit_, 2));
    QTest::keyClick(edit_.get(), Qt::Key_Right);
    QTest::keyClicks(edit_.get(), QStringLiteral("x"));
    QCOMPARE(edit_->Bytes(), (ByteString{'1', 'x', '2', '3'}));

    // A double-click selects everything.
    QTest::mouseDClick(edit_.get(), Qt::LeftButton, {}, PointAt(*edit_, 1));
    QTest::keyClick(edit_.get(), Qt::Key_Delete);
    QVERIFY(edit_->Bytes().empty());
    QCOMPARE(edit_->text(), QString());
  }

  void theGridOpensOneEditorOnEditableCellsOnly() {
    EditableGrid grid;
    grid.resize(400, 200);
    grid.SetColumns({QStringLiteral("Row"), QStringLiteral("A"), QStringLiteral("B")},
                    {100, 100, 100});
    grid.AddRow(QStringLiteral("first"), {{QStringLiteral("x"), true, 1}, {QStringLiteral("fixed"), false, 0}});
    grid.AddRow(QStringLiteral("second"), {{QStringLiteral("y"), true, 1}, {QStringLiteral("z"), true, 1}});
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy finished(&grid, &EditableGrid::cellEditFinished);
    const auto click = [&](int row, int column) {
      QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                        grid.visualRect(grid.model()->index(row, column)).center());
    };

    click(0, 0);  // a row label
    click(0, 2);  // a fixed cell
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(380, 180));  // empty space
    QVERIFY(grid.ActiveEditor() == nullptr);

    click(0, 1);
    QVERIFY(grid.ActiveEditor() != nullptr);
    QTest::keyClicks(grid.ActiveEditor(), QStringLiteral("q"));
    // Another cell: the open edit ends first, its text in the cell before the owner hears.
    click(1, 2);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished[0], (QList<QVariant>{0, 1, QStringLiteral("q")}));
    QCOMPARE(grid.CellText(0, 1), QStringLiteral("q"));
    QVERIFY(grid.ActiveEditor() != nullptr);
    QCOMPARE(grid.ActiveEditor()->Row(), 1);

    // An empty editor stays open, and no other cell opens meanwhile.
    QTest::keyClick(grid.ActiveEditor(), Qt::Key_Backspace);
    click(1, 1);
    QVERIFY(grid.ActiveEditor() != nullptr);
    QCOMPARE(grid.ActiveEditor()->Column(), 2);
    QTest::keyClicks(grid.ActiveEditor(), QStringLiteral("w"));
    QTest::keyClick(grid.ActiveEditor(), Qt::Key_Escape);
    QVERIFY(grid.ActiveEditor() == nullptr);
    QCOMPARE(grid.CellText(1, 2), QStringLiteral("w"));
    QCOMPARE(finished.size(), 2);
  }

 private:
  std::unique_ptr<RecordingUiServices> ui_;
  std::unique_ptr<EscapeNameEdit> edit_;
};

QTEST_MAIN(EditingControlsTest)
#include "editing_controls_test.moc"
