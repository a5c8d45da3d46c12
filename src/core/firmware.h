#pragma once
// The reader's firmware: the version text it gives, the number read from that text, and the
// rules that depend on the number. A firmware rule is written here (and, where it decides
// which option a line may choose, in the setting table's column of that option, which takes
// its number from here).

#include <span>
#include <string>
#include <string_view>

#include "core/byte_string.h"
#include "core/interface_type.h"

namespace tessaron {

// From this firmware number on a USB HID reader takes every USB HID format on either of its
// interfaces; before, a "USB-HID-KB" reader keeps the keyboard format and a "USB-HID" reader
// the data formats.
constexpr double HID_KB_FORMAT_MIN_VERSION = 1.89;

// The version text of a reply to the firmware version query: after its first STX, up to the
// ETX; the last two bytes of a reply (ETX and LRC) never belong to it, even when the ETX is
// missing. Empty for a reply of 4 bytes or less, or one without STX.
std::string FirmwareVersionText(std::span<const Byte> reply);

// The firmware number of a version text: the decimal value of its first run of digits, a
// point and digits (1.89 for "V1.89"); 0 when there is none, which no firmware rule takes.
double ParseVersionNumber(std::string_view text);

// A firmware number as the texts name it: "1.89".
std::string VersionNumberText(double number);

// Whether a reader of that firmware takes every USB HID format on either interface.
bool TakesEveryHidFormat(double firmware);

// Whether a write to a reader of the line depends on its firmware (it is read first then):
// a "USB-HID-KB" reader.
bool WriteNeedsFirmware(InterfaceType line);

// The USB HID format a write sends to a reader of the line and firmware where requested was
// asked for: a "USB-HID-KB" reader below HID_KB_FORMAT_MIN_VERSION (or of a firmware not
// known, 0) gets the data format.
Byte HidFormatToWrite(InterfaceType line, double firmware, Byte requested);

// The USB HID format a clone writes to a target of the line and firmware, of a source that
// holds source: a "USB-HID-KB" target that takes every format gets the keyboard format; any
// other target the source's own.
Byte HidFormatToClone(InterfaceType line, double firmware, Byte source);

// Whether writing after where a reader of the line holds before makes it switch its USB
// interface: a USB HID reader whose USB HID format changes.
bool SwitchesInterface(InterfaceType line, Byte before, Byte after);

// What the command line says when the write rule changed the format asked for:
// "The reader's firmware takes the USB HID keyboard format from version 1.89 on".
std::string HidFormatFirmwareNote();

}  // namespace tessaron
