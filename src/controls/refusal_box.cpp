#include "controls/refusal_box.h"

#include <QVariant>
#include <QWidget>

namespace tessaron {

namespace {

constexpr const char* SINK_PROPERTY = "tessaronRefusalSink";

}  // namespace

void CarryRefusals(QWidget* window, RefusalSink* sink) {
  window->setProperty(SINK_PROPERTY, QVariant::fromValue(static_cast<void*>(sink)));
}

void ShowRefusal(QWidget* owner, const QString& text, QMessageBox::Icon icon) {
  for (const QWidget* widget = owner; widget != nullptr; widget = widget->parentWidget()) {
    const QVariant carried = widget->property(SINK_PROPERTY);
    if (auto* sink = static_cast<RefusalSink*>(carried.value<void*>())) {
      sink->Refuse(owner, icon, text);
      return;
    }
  }
  QMessageBox box(icon, QString(), text, QMessageBox::Ok, owner);
  box.exec();
}

}  // namespace tessaron
