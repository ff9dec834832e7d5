#include "windows/main/SystemTray.h"

namespace dovra {

void SystemTray::AddTrayIcon(QWidget* window, const QString& tip, const QIcon& icon,
                             std::function<void()> onDoubleClick) {
    if (window_ == window) {
        return;
    }
    RemoveTrayIcon();
    window_ = window;
    backend_.Add(tip, icon, std::move(onDoubleClick));
}

void SystemTray::RemoveTrayIcon() {
    if (window_ != nullptr) {
        backend_.Remove();
        window_ = nullptr;
    }
}

} // namespace dovra
