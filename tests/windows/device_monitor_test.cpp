// The Windows watch of device arrival and removal: its notice window turns the notices of
// one arrival or removal into one devicesChanged, ignores the other device-change notices,
// and leaves nothing behind when stopped, not even a notice still on its way.

#include <windows.h>
// Windows' header first: dbt.h needs its types.
#include <dbt.h>

#include <QSignalSpy>
#include <QTest>

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
    QVERIFY(monitor.Start());
    const HWND window = NoticeWindow();
    QVERIFY(window != nullptr);
    QSignalSpy told(&monitor, &tessaron::DeviceMonitor::devicesChanged);
    struct Case {
      WPARAM event;
      int notices;
      int toldTimes;
    };
    // A reader arrives as several interfaces (its HID and its COM port interface) at once.
    for (const Case& row : {Case{DBT_DEVICEARRIVAL, 3, 1}, Case{DBT_DEVICEREMOVECOMPLETE, 1, 1},
                            Case{DBT_DEVICEQUERYREMOVE, 2, 0}, Case{DBT_DEVNODES_CHANGED, 1, 0}}) {
      told.clear();
      SendNotices(window, row.event, row.notices);
      QCoreApplication::processEvents();
      QCoreApplication::processEvents();
      QCOMPARE(told.count(), row.toldTimes);
    }

    SendNotices(window, DBT_DEVICEARRIVAL, 1);
    told.clear();
    monitor.Stop();
    QCoreApplication::processEvents();
    QCOMPARE(told.count(), 0);
    QVERIFY(NoticeWindow() == nullptr);
    // Started again, it watches again.
    QVERIFY(monitor.Start());
    SendNotices(NoticeWindow(), DBT_DEVICEREMOVECOMPLETE, 1);
    QCoreApplication::processEvents();
    QCOMPARE(told.count(), 1);
  }
};

QTEST_GUILESS_MAIN(DeviceMonitorTest)
#include "device_monitor_test.moc"
