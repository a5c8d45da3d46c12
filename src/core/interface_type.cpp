#include "core/interface_type.h"

#include <algorithm>

namespace tessaron {

const InterfaceRow& InterfaceRowOf(InterfaceType type) {
  return INTERFACE_ROWS[static_cast<std::size_t>(InterfaceNumber(InterfaceOfNumber(InterfaceNumber(type))))];
}

const char* InterfaceDisplayName(InterfaceType type) { return InterfaceRowOf(type).displayName; }

const char* InterfaceLineName(InterfaceType type) { return InterfaceRowOf(type).lineName; }

std::vector<std::string> LineNames(bool withUnknown) {
  std::vector<std::string> names;
  for (const InterfaceRow& row : INTERFACE_ROWS) {
    if (withUnknown || row.type != InterfaceType::Unknown) names.emplace_back(row.lineName);
  }
  return names;
}

namespace {

// The types whose rows satisfy keep, ordered by the field place (rows with place 0 left out).
template <typename Keep>
std::vector<InterfaceType> TypesInOrder(int InterfaceRow::*place, Keep keep) {
  std::vector<const InterfaceRow*> rows;
  for (const InterfaceRow& row : INTERFACE_ROWS) {
    if (row.*place > 0 && keep(row)) rows.push_back(&row);
  }
  std::sort(rows.begin(), rows.end(),
            [place](const InterfaceRow* a, const InterfaceRow* b) { return a->*place < b->*place; });
  std::vector<InterfaceType> types;
  for (const InterfaceRow* row : rows) types.push_back(row->type);
  return types;
}

}  // namespace

std::string LineNamesText(LineSet lines, const char* lastJoin) {
  const std::vector<InterfaceType> listed = TypesInOrder(
      &InterfaceRow::listPlace, [lines](const InterfaceRow& row) { return lines.Has(row.type); });
  std::string text;
  for (std::size_t i = 0; i < listed.size(); ++i) {
    if (i > 0) text += i + 1 == listed.size() ? lastJoin : ", ";
    text += InterfaceLineName(listed[i]);
  }
  return text;
}

std::string LineNamesText(bool serialOrHid) {
  LineSet lines;
  for (const InterfaceRow& row : INTERFACE_ROWS) {
    if (!serialOrHid || row.serial || row.hid) lines = lines | LineSet{row.type};
  }
  return LineNamesText(lines, " or ");
}

bool ParseLineName(std::string_view name, InterfaceType* type) {
  for (const InterfaceRow& row : INTERFACE_ROWS) {
    if (name == row.lineName) {
      if (type != nullptr) *type = row.type;
      return true;
    }
  }
  return false;
}

bool IsHidInterface(InterfaceType type) { return InterfaceRowOf(type).hid; }

bool IsSerialInterface(InterfaceType type) { return InterfaceRowOf(type).serial; }

std::vector<InterfaceType> UsbSearchOrder() {
  return TypesInOrder(&InterfaceRow::usbSearchPlace, [](const InterfaceRow&) { return true; });
}

bool PresentsInterface(InterfaceType type, std::uint16_t productId) {
  const InterfaceRow& row = InterfaceRowOf(type);
  return row.usb && productId != 0 &&
         std::find(row.productIds.begin(), row.productIds.end(), productId) != row.productIds.end();
}

InterfaceType HidInterfaceOfProduct(std::uint16_t productId) {
  for (const InterfaceRow& row : INTERFACE_ROWS) {
    if (row.hid && PresentsInterface(row.type, productId)) return row.type;
  }
  return InterfaceType::Unknown;
}

std::uint16_t ProductIdOf(InterfaceType type) { return InterfaceRowOf(type).productIds[0]; }

}  // namespace tessaron
