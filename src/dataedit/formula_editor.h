#pragma once
// The formula editors: modal dialogs in which the user composes the send sequence of one
// card kind by double-clicking fields in lists (the kind's track fields, the added fields
// and, for customized cards, the custom fields). The editor works on a copy of the kind's
// formula and stores it only when closed with OK; the field editors it opens store their
// lists at once.

#include <QString>
#include <array>

#include "controls/base_dialog.h"
#include "core/byte_string.h"
#include "core/reader_settings.h"

class QGroupBox;
class QLayout;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace tessaron {

class RefusalSink;

// Which of the three track lists the editor enables ("Track1" to "Track3" of the page).
using TrackStates = std::array<bool, TRACK_COUNT>;

class FormulaEditor : public BaseDialog {
  Q_OBJECT

 public:
  ~FormulaEditor() override;

  int CardKind() const { return kind_; }
  const ByteString& WorkingFormula() const { return working_; }
  // The text of the "Sent Sequence" box.
  QString SequenceText() const;

  // Appends track T, field I to the working formula unless one of the two item limits
  // refuses it (with its message).
  void AppendEntry(int track, int index);
  // "Clear Seq.": empties the working formula.
  void ClearSequence();
  // "New Added Fields": the added field editor on the record and the working formula; the
  // added field list is filled again when it ends with OK.
  void NewAddedFields();

  // The list of a track (1 to 3); nullptr where the editor has none.
  QListWidget* TrackList(int track) const;
  QListWidget* AddedFieldList() const { return addedList_; }
  QPushButton* ClearSequenceButton() const { return clearButton_; }
  QPushButton* NewAddedFieldsButton() const { return newAddedButton_; }
  QPushButton* OkButton() const { return okButton_; }
  QPushButton* CancelButton() const { return cancelButton_; }

 public slots:
  // "OK": stores the working state, then closes.
  void accept() override;

 protected:
  // Refusals of the editor and of the editors it opens go to refusals.
  FormulaEditor(QWidget* parent, RefusalSink& refusals, ReaderSettings& settings, int kind,
                const QString& clearCaption, const QString& newAddedCaption);

  // What OK stores; the Custom editor stores its limits and match strings too.
  virtual void StoreWorkingState();

  // A group box "TrackN Fields" around the kind's list of track fields, enabled by its state.
  QGroupBox* MakeTrackGroup(int track, bool enabled);
  // The "Sent Sequence:" label above its box, with the clear button beside.
  QLayout* SequenceRow();
  // OK and Cancel at the right.
  QLayout* OkCancelRow();
  // A list whose double-clicked line (or the current line, on Enter or Space) appends an
  // entry of the track; the line's item data (the field index, or the whole entry for
  // track -1) tells which.
  void AppendOnDoubleClick(QListWidget* list, int track);
  // The tab order: the editor's own controls from the top, then the sent sequence with its
  // clear button, OK and Cancel.
  void FinishTabOrder(const QList<QWidget*>& top);
  void FillAddedFieldList();

  RefusalSink& refusals_;
  ReaderSettings& settings;
  ByteString working_;

 private:
  void ShowSequence();

  int kind_;
  std::array<QListWidget*, TRACK_COUNT> trackLists_{};
  QListWidget* addedList_;
  QPlainTextEdit* sequenceBox_;
  QPushButton* clearButton_;
  QPushButton* newAddedButton_;
  QPushButton* okButton_;
  QPushButton* cancelButton_;
};

// The editors of the three card kinds with fixed track fields.
class CreditCardFormulaEditor : public FormulaEditor {
  Q_OBJECT
 public:
  CreditCardFormulaEditor(QWidget* parent, RefusalSink& refusals, ReaderSettings& settings,
                          TrackStates tracks);
};

class DmvFormulaEditor : public FormulaEditor {
  Q_OBJECT
 public:
  DmvFormulaEditor(QWidget* parent, RefusalSink& refusals, ReaderSettings& settings,
                   TrackStates tracks);
};

class AamvaFormulaEditor : public FormulaEditor {
  Q_OBJECT
 public:
  AamvaFormulaEditor(QWidget* parent, RefusalSink& refusals, ReaderSettings& settings,
                     TrackStates tracks);
};

}  // namespace tessaron
