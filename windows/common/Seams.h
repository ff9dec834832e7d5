#pragma once

#include <QIcon>
#include <QString>
#include <QUrl>

#include <functional>

class QSystemTrayIcon;
class QWidget;

namespace dovra {

// The outside world as the windows see it: the program fills these with the real thing, the tests with
// recorders.

enum class MessageIcon { None, Information, Warning, Critical };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Modal, OK button only; returns when the merchant has answered.
    virtual void Show(QWidget* parent, const QString& text, const QString& title, MessageIcon icon) = 0;
};

class TrayBackend {
public:
    virtual ~TrayBackend() = default;
    virtual void Add(const QString& tip, const QIcon& icon, std::function<void()> onDoubleClick) = 0;
    virtual void Remove() = 0;
};

class PortalLauncher {
public:
    virtual ~PortalLauncher() = default;
    virtual void Open(const QUrl& address) = 0;
};

class QtMessageBoxes final : public MessageBoxes {
public:
    void Show(QWidget* parent, const QString& text, const QString& title, MessageIcon icon) override;
};

class QtTrayBackend final : public TrayBackend {
public:
    ~QtTrayBackend() override;
    void Add(const QString& tip, const QIcon& icon, std::function<void()> onDoubleClick) override;
    void Remove() override;

private:
    QSystemTrayIcon* icon_ = nullptr;
};

class DesktopPortalLauncher final : public PortalLauncher {
public:
    void Open(const QUrl& address) override;
};

} // namespace dovra
