#pragma once
// The formula editor of each card kind: the page opens the one of the kind chosen.

#include <memory>

#include "dataedit/formula_editor.h"

namespace tessaron {

// The editor of the card kind (CardKind 0 to 3): Credit Card, DMV, AAMVA or Custom; none
// for another number.
std::unique_ptr<FormulaEditor> MakeFormulaEditor(int kind, QWidget* parent, RefusalSink& refusals,
                                                 ReaderSettings& settings, TrackStates tracks);

}  // namespace tessaron
