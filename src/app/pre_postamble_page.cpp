#include "app/pre_postamble_page.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/help_files.h"
#include "app/ui_services.h"
#include "controls/editable_grid.h"
#include "controls/escape_name_edit.h"
#include "controls/keyboard_access.h"

namespace tessaron {

namespace {

// A sentinel byte as the one character of its cell.
QString SentinelText(Byte value) { return QString(QChar(value)); }

}  // namespace

PrePostamblePage::PrePostamblePage(ReaderState& state, UiServices& ui, QWidget* parent)
    : BasicSettingsPage(state, ui, PrePostambleTable(), HELP_CONTEXT_PRE_POSTAMBLE, parent),
      grid_(new EditableGrid(this)) {
  setObjectName(QStringLiteral("prePostamblePage"));
  auto* sentinels = new QGroupBox(QStringLiteral("Track Start/End Sentinels:"), this);
  auto* sentinelLayout = new QVBoxLayout(sentinels);
  sentinelLayout->addWidget(grid_);
  NameControl(grid_, sentinels->title());
  grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid_->setWordWrap(false);
  grid_->viewport()->installEventFilter(this);
  connect(grid_, &EditableGrid::cellEditFinished, this, &PrePostamblePage::CellEdited);

  // The byte strings one under the other, in the table's order (each track's prefix, then
  // its suffix; preamble and postamble last): every field gets the whole width between its
  // label and its chooser, room for its limit of typical names where the window allows.
  auto* strings = new QGridLayout;
  strings->addWidget(new QLabel(QStringLiteral("Output String"), this), 0, 1);
  strings->addWidget(new QLabel(QStringLiteral("Non-Printable Characters"), this), 0, 2);
  int row = 1;
  for (const PageControl& control : Table().controls) {
    QComboBox* chooser = nullptr;
    EscapeNameEdit* field = Bindings().AddBytes(control, &chooser);
    strings->addWidget(Bindings().Label(control), row, 0);
    strings->addWidget(field, row, 1);
    strings->addWidget(chooser, row, 2);
    ++row;
  }
  strings->setColumnStretch(1, 1);

  auto* content = new QVBoxLayout;
  content->addWidget(sentinels);
  content->addLayout(strings);
  content->addStretch(1);
  FinishLayout(content);
  Refresh();
}

PrePostamblePage::~PrePostamblePage() = default;

void PrePostamblePage::FillGrid() {
  // The first column takes a third of the width, each track column two ninths.
  const int width = grid_->viewport()->width();
  grid_->SetColumns({QStringLiteral("Bits\\Track"), QStringLiteral("Track 1"),
                     QStringLiteral("Track 2"), QStringLiteral("Track 3")},
                    {width / 3 + 3, 2 * width / 9, 2 * width / 9, 2 * width / 9});
  for (int row = 0; row < SENTINEL_ROWS; ++row) {
    QList<EditableGrid::Cell> cells;
    for (int track = 0; track < SENTINEL_TRACKS; ++track) {
      const SettingsRecordInfo* record = SentinelRecord(row, track);
      if (record == nullptr) {
        cells << EditableGrid::Cell{QString::fromLatin1(NO_SENTINEL_TEXT), false, 0};
      } else {
        cells << EditableGrid::Cell{SentinelText(*RecordByte(*record, settings_)), true, 1};
      }
    }
    grid_->AddRow(QString::fromLatin1(SENTINEL_ROW_CAPTIONS[row]), cells);
  }
  // Exactly as high as its header and its four rows.
  int height = grid_->horizontalHeader()->sizeHint().height() + 2 * grid_->frameWidth();
  for (int row = 0; row < grid_->rowCount(); ++row) height += grid_->rowHeight(row);
  grid_->setFixedHeight(height);
}

void PrePostamblePage::Refresh() {
  FillGrid();
  BasicSettingsPage::Refresh();
}

void PrePostamblePage::DefaultPage() {
  BasicSettingsPage::DefaultPage();
  DefaultPageButton()->setFocus(Qt::OtherFocusReason);
}

bool PrePostamblePage::eventFilter(QObject* watched, QEvent* event) {
  // The columns keep their shares of the grid's width when it changes.
  if (watched == grid_->viewport() && event->type() == QEvent::Resize) {
    const int width = grid_->viewport()->width();
    grid_->setColumnWidth(0, width / 3 + 3);
    for (int column = 1; column <= SENTINEL_TRACKS; ++column) {
      grid_->setColumnWidth(column, 2 * width / 9);
    }
  }
  return BasicSettingsPage::eventFilter(watched, event);
}

void PrePostamblePage::CellEdited(int row, int column, const QString& text) {
  // The grid writes the sentinel byte alone: the report's end sentinel is not the grid's.
  const SettingsRecordInfo* record = column >= 1 ? SentinelRecord(row, column - 1) : nullptr;
  if (record == nullptr) return;
  Byte& sentinel = *RecordByte(*record, settings_);
  if (text.size() == 1 && text.at(0).unicode() <= 0xFF) {
    sentinel = static_cast<Byte>(text.at(0).unicode());
    return;
  }
  ui_.ShowMessage(this, QString::fromLatin1(ONE_CHARACTER_TEXT), QString(), 0);
  // The cell shows the character that is still stored, not the text that was refused.
  grid_->SetCellText(row, column, SentinelText(sentinel));
}

}  // namespace tessaron
