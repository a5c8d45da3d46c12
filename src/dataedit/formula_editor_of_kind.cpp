#include "dataedit/formula_editor_of_kind.h"

#include "core/data_edit_model.h"
#include "dataedit/custom_card_formula_editor.h"

namespace tessaron {

std::unique_ptr<FormulaEditor> MakeFormulaEditor(int kind, QWidget* parent, RefusalSink& refusals,
                                                 ReaderSettings& settings, TrackStates tracks) {
  switch (kind) {
    case CARD_KIND_CREDIT_CARD:
      return std::make_unique<CreditCardFormulaEditor>(parent, refusals, settings, tracks);
    case CARD_KIND_DMV:
      return std::make_unique<DmvFormulaEditor>(parent, refusals, settings, tracks);
    case CARD_KIND_AAMVA:
      return std::make_unique<AamvaFormulaEditor>(parent, refusals, settings, tracks);
    case CARD_KIND_CUSTOM:
      return std::make_unique<CustomCardFormulaEditor>(parent, refusals, settings);
    default:
      return nullptr;
  }
}

}  // namespace tessaron
