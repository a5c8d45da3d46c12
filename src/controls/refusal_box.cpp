#include "controls/refusal_box.h"

#include <utility>

namespace tessaron {

namespace {

RefusalBox& InstalledRefusalBox() {
  static RefusalBox show = [](QWidget* owner, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, QString(), text, QMessageBox::Ok, owner);
    box.exec();
  };
  return show;
}

}  // namespace

RefusalBox SetRefusalBox(RefusalBox show) {
  RefusalBox previous = InstalledRefusalBox();
  InstalledRefusalBox() = std::move(show);
  return previous;
}

void ShowRefusal(QWidget* owner, const QString& text, QMessageBox::Icon icon) {
  InstalledRefusalBox()(owner, icon, text);
}

}  // namespace tessaron
