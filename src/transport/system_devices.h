#pragma once
// The back-ends of the system the program was built for, which the programs reach their
// readers through: the device listing, HID devices and the keyboard controller's ports. Each
// system has a file of its own that defines them (system_devices.cpp on Linux,
// win_system_devices.cpp on Windows); CMake chooses the file.

#include <memory>
#include <string>

#include "transport/discovery.h"
#include "transport/hid_device.h"
#include "transport/port_io.h"

namespace tessaron {

// Linux: libudev. Windows: SetupAPI.
std::shared_ptr<DeviceListing> MakeSystemDeviceListing();
// An unopened HID device. Linux: hidraw. Windows: hid.dll.
std::unique_ptr<HidDevice> MakeSystemHidDevice();
// The keyboard controller's ports. Linux: ioperm. Windows: none, since the controller is
// reached only through a kernel driver there, so the PS/2 line is not offered.
std::shared_ptr<PortIo> MakeSystemPortIo();

// Whether text is written the way this system names a device: with a '/' (a device node on
// Linux); on Windows also a device path behind \\?\ or \\.\ (a HID interface as discovery
// lists it) and a COM port name.
bool IsDevicePath(const std::string& text);

}  // namespace tessaron
