#pragma once

#include "windows/common/Seams.h"

#include <QIcon>
#include <QString>

#include <functional>

class QWidget;

namespace dovra {

// The notification-area icon of the main window. Adding again for the same window is refused, as the
// platform refuses a second icon with the same identity, so one icon remains however often the
// window is minimized.
class SystemTray {
public:
    explicit SystemTray(TrayBackend& backend) : backend_(backend) {}
    ~SystemTray() { RemoveTrayIcon(); }
    SystemTray(const SystemTray&) = delete;
    SystemTray& operator=(const SystemTray&) = delete;

    void AddTrayIcon(QWidget* window, const QString& tip, const QIcon& icon,
                     std::function<void()> onDoubleClick);
    void RemoveTrayIcon();

private:
    TrayBackend& backend_;
    QWidget* window_ = nullptr;
};

} // namespace dovra
