#include "windows/common/Seams.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QSystemTrayIcon>

namespace dovra {

void QtMessageBoxes::Show(QWidget* parent, const QString& text, const QString& title, MessageIcon icon) {
    QMessageBox::Icon qtIcon = QMessageBox::NoIcon;
    switch (icon) {
    case MessageIcon::None:
        break;
    case MessageIcon::Information:
        qtIcon = QMessageBox::Information;
        break;
    case MessageIcon::Warning:
        qtIcon = QMessageBox::Warning;
        break;
    case MessageIcon::Critical:
        qtIcon = QMessageBox::Critical;
        break;
    }
    QMessageBox box(qtIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

QtTrayBackend::~QtTrayBackend() {
    Remove();
}

void QtTrayBackend::Add(const QString& tip, const QIcon& icon, std::function<void()> onDoubleClick) {
    Remove();
    icon_ = new QSystemTrayIcon(icon);
    icon_->setToolTip(tip);
    QObject::connect(icon_, &QSystemTrayIcon::activated, icon_,
                     [onDoubleClick = std::move(onDoubleClick)](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::DoubleClick && onDoubleClick) {
                             onDoubleClick();
                         }
                     });
    icon_->show();
}

void QtTrayBackend::Remove() {
    delete icon_;
    icon_ = nullptr;
}

void DesktopPortalLauncher::Open(const QUrl& address) {
    QDesktopServices::openUrl(address);
}

} // namespace dovra
