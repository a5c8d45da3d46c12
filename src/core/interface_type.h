#pragma once
// The interfaces over which a reader is reached, in one table: each one's display name, its
// word on the command line and in line names, whether it is a USB function of the reader and
// whether it is reached by HID feature reports, the USB product ids that present it, and its
// place in the search for the one USB reader.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tessaron {

// How a reader is reached; the number is the one the profile stores.
enum class InterfaceType : std::int32_t {
  Unknown = 0,  // no line known
  Rs232 = 1,
  Ps2Keyboard = 2,
  UsbHidKb = 3,
  UsbRs232 = 4,
  UsbHid = 5,
};
constexpr int INTERFACE_TYPE_COUNT = 6;

// The five lines, in InterfaceType order: for (InterfaceType line : LINES) ...
inline constexpr std::array<InterfaceType, INTERFACE_TYPE_COUNT - 1> LINES{
    InterfaceType::Rs232, InterfaceType::Ps2Keyboard, InterfaceType::UsbHidKb,
    InterfaceType::UsbRs232, InterfaceType::UsbHid};

// The number of an interface, and the interface of a number (Unknown for any number that
// names none).
constexpr std::int32_t InterfaceNumber(InterfaceType type) { return static_cast<std::int32_t>(type); }
constexpr InterfaceType InterfaceOfNumber(std::int32_t number) {
  return number > 0 && number < INTERFACE_TYPE_COUNT ? static_cast<InterfaceType>(number)
                                                     : InterfaceType::Unknown;
}

// A set of interfaces: the lines something applies to, with Unknown among them when it is to
// count too while no line is known.
class LineSet {
 public:
  constexpr LineSet() = default;
  constexpr LineSet(std::initializer_list<InterfaceType> types) {
    for (InterfaceType type : types) bits_ |= Bit(type);
  }
  // Every line, and Unknown.
  static constexpr LineSet Any() {
    LineSet all;
    all.bits_ = (1u << INTERFACE_TYPE_COUNT) - 1;
    return all;
  }
  constexpr bool Has(InterfaceType type) const { return (bits_ & Bit(type)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr LineSet operator|(LineSet other) const {
    LineSet both;
    both.bits_ = bits_ | other.bits_;
    return both;
  }
  constexpr bool operator==(const LineSet&) const = default;

 private:
  static constexpr std::uint8_t Bit(InterfaceType type) {
    return static_cast<std::uint8_t>(1u << InterfaceNumber(InterfaceOfNumber(InterfaceNumber(type))));
  }
  std::uint8_t bits_ = 0;
};

// Position of a reader among the present devices of its class; -1 means none.
using DeviceIndex = std::int32_t;

// The USB vendor id of every reader.
constexpr std::uint16_t READER_VENDOR_ID = 0x0F3E;

// The USB product ids under which a reader presents its interfaces.
constexpr std::uint16_t USB_RS232_PRODUCT_ID = 0x0217;
constexpr std::uint16_t USB_HID_KB_PRODUCT_ID = 0x0221;
constexpr std::uint16_t USB_HID_PRODUCT_ID = 0x0222;
constexpr std::uint16_t USB_HID_PRODUCT_ID_ALT = 0x0223;

// The name of the one device of the PS/2 keyboard line.
inline constexpr const char* PS2_PORT_NAME = "PS/2 Keyboard port";

struct InterfaceRow {
  InterfaceType type;
  const char* displayName;  // how windows, reports and messages name it
  const char* lineName;     // its word on the command line and in connections
  bool usb;                 // a USB function of the reader
  bool hid;                 // reached by HID feature reports (else a serial port or the keyboard line)
  bool serial;              // reached as a serial port
  // The USB product ids under which the reader presents this interface; 0 ends the list.
  std::array<std::uint16_t, 2> productIds;
  // Place in the search for the one USB reader (1 is looked at first); 0: not searched.
  int usbSearchPlace;
  // Place where help and messages list the line names (1 first); 0: not listed.
  int listPlace;
};

// One row a value, in InterfaceType order; row 0 is "Unknown", which names no line.
inline constexpr std::array<InterfaceRow, INTERFACE_TYPE_COUNT> INTERFACE_ROWS{{
    {InterfaceType::Unknown, "Unknown", "unknown", false, false, false, {0, 0}, 0, 0},
    {InterfaceType::Rs232, "RS232", "rs232", false, false, true, {0, 0}, 0, 1},
    {InterfaceType::Ps2Keyboard, "PS/2 Keyboard", "ps2", false, false, false, {0, 0}, 0, 5},
    {InterfaceType::UsbHidKb, "USB-HID-KB", "usb-hid-kb", true, true, false, {USB_HID_KB_PRODUCT_ID, 0}, 1, 4},
    {InterfaceType::UsbRs232, "USB-RS232", "usb-rs232", true, false, true, {USB_RS232_PRODUCT_ID, 0}, 2, 2},
    {InterfaceType::UsbHid, "USB-HID", "usb-hid", true, true, false, {USB_HID_PRODUCT_ID, USB_HID_PRODUCT_ID_ALT}, 3, 3},
}};

// The row of an interface; "Unknown"'s for a value outside the table, so that no caller
// reads outside it.
const InterfaceRow& InterfaceRowOf(InterfaceType type);

// "Unknown", "RS232", "PS/2 Keyboard", "USB-HID-KB", "USB-RS232", "USB-HID" for 0 to 5.
const char* InterfaceDisplayName(InterfaceType type);
// "unknown", "rs232", "ps2", "usb-hid-kb", "usb-rs232", "usb-hid" for 0 to 5.
const char* InterfaceLineName(InterfaceType type);
// The line names of the five lines in InterfaceType order; with withUnknown "unknown" first.
std::vector<std::string> LineNames(bool withUnknown = false);
// The line names as help and messages list them, joined by ", " and a last " or ":
// "rs232, usb-rs232, usb-hid, usb-hid-kb or ps2"; with serialOrHid only those of the lines
// that have a device path ("rs232, usb-rs232, usb-hid or usb-hid-kb").
std::string LineNamesText(bool serialOrHid = false);
// The names of the lines of a set in that order (Unknown left out), the last joined by
// lastJoin: "rs232", "usb-hid and usb-hid-kb".
std::string LineNamesText(LineSet lines, const char* lastJoin);
// The interface of a line name, exactly as written ("unknown" included); false for any other
// text, with type untouched.
bool ParseLineName(std::string_view name, InterfaceType* type);

bool IsHidInterface(InterfaceType type);
bool IsSerialInterface(InterfaceType type);
// The USB interfaces in the order the search for the one USB reader looks at them:
// USB-HID-KB, USB-RS232, USB-HID.
std::vector<InterfaceType> UsbSearchOrder();
// The HID interface that a reader of this product id presents; Unknown for another.
InterfaceType HidInterfaceOfProduct(std::uint16_t productId);
// Whether the product id is one under which the reader presents this interface.
bool PresentsInterface(InterfaceType type, std::uint16_t productId);
// The first product id of an interface (0 for one that is no USB function).
std::uint16_t ProductIdOf(InterfaceType type);

}  // namespace tessaron
