// The Windows watch of device arrival and removal: its notice window turns the notices of
// one arrival or removal into one devicesChanged, ignores the other device-change notices,
// and leaves nothing behind when stopped, not even a notice still on its way.

#include <windows.h>
// Windows' header first: dbt.h needs its types.
#include <dbt.h>

#include <QSignalSpy>
#include <QTest>
#include <tuple>

#include "app/device_monitor.h"

namespace {

HWND NoticeWindow() {
  return ::FindWindowExW(HWND_MESSAGE, nullptr, L"TessaronDeviceMonitor", nullptr);
}

void SendNotices(HWND window, WPARAM event, int count) {
  DEV_BROADCAST_DEVICEINTERFACE_W notice{};
  notice.dbcc_size = sizeof(notice);
  notice.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  for (int i = 0; i < count; ++i) {
    ::SendMessageW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&notice));
  }
}

}  // namespace

class DeviceMonitorTest : public QObject {
  Q_OBJECT

 private slots:
  void noticesAreToldOncePerBatch() {
    tessaron::DeviceMonitor monitor;
    QSignalSpy told(&monitor, &tessaron::DeviceMonitor::devicesChanged);
    // A reader arrives as several interfaces (its HID and its COM port interface) at once.
    const std::tuple<WPARAM, int, int> cases[] = {
        {DBT_DEVICEARRIVAL, 3, 1}, {DBT_DEVICEREMOVECOMPLETE, 1, 1},
        {DBT_DEVICEQUERYREMOVE, 2, 0}, {DBT_DEVNODES_CHANGED, 1, 0}};
    // Started again after a stop, it watches as before.
    for (int round = 0; round < 2; ++round) {
      QVERIFY(monitor.Start());
      const HWND window = NoticeWindow();
      QVERIFY(window != nullptr);
      for (const auto& [event, notices, toldTimes] : cases) {
        told.clear();
        SendNotices(window, event, notices);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(told.count(), toldTimes);
      }

      SendNotices(window, DBT_DEVICEARRIVAL, 1);
      told.clear();
      monitor.Stop();
      QCoreApplication::processEvents();
      QCOMPARE(told.count(), 0);
      QVERIFY(NoticeWindow() == nullptr);
    }
  }
};

QTEST_GUILESS_MAIN(DeviceMonitorTest)
#include "device_monitor_test.moc"
