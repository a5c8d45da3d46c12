#pragma once
// The private messages of the main window, as event types with their fixed numbers, and
// the device-change notice that the main window forwards to the Quick Clone page.

#include <QEvent>
#include <QtGlobal>

namespace tessaron {

// Posted by the interface selection page on "CONTINUE" success or "CANCEL".
constexpr QEvent::Type MSG_CLOSE_INTERFACE_SELECTION = static_cast<QEvent::Type>(2025);
// Posted by the basic sheet on "Close" and after an interface switch.
constexpr QEvent::Type MSG_CLOSE_BASIC_SHEET = static_cast<QEvent::Type>(2026);
// Posted by the advanced sheet on "Close" and after an interface switch.
constexpr QEvent::Type MSG_CLOSE_ADVANCED_SHEET = static_cast<QEvent::Type>(2027);
// Posted by a notice (time up, click, key) and sent by the main window to itself.
constexpr QEvent::Type MSG_CLOSE_NOTICE = static_cast<QEvent::Type>(2028);
// Posted by a sheet 5 s after a write that switched the reader's interface.
constexpr QEvent::Type MSG_REOPEN_READER = static_cast<QEvent::Type>(2029);
// Posted by the main window to the Quick Clone page on every device change of the system.
constexpr QEvent::Type MSG_DEVICES_CHANGED = static_cast<QEvent::Type>(0x8001);

// MSG_DEVICES_CHANGED with the time the change was noticed (milliseconds of a steady
// clock), so that the receiver can let a burst of notices count as one.
class DevicesChangedEvent : public QEvent {
 public:
  explicit DevicesChangedEvent(qint64 timeMs) : QEvent(MSG_DEVICES_CHANGED), timeMs_(timeMs) {}
  qint64 TimeMs() const { return timeMs_; }

 private:
  qint64 timeMs_;
};

}  // namespace tessaron
