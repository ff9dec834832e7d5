#pragma once

#include <QIcon>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <stdexcept>

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

// A printed page measured in millimetres from its top left; a text's position is the top of its line.
// Every step may throw ReceiptError, whose text is shown to the merchant.
class ReceiptCanvas {
public:
    virtual ~ReceiptCanvas() = default;
    virtual void SetFont(const QString& family, int points, bool bold) = 0;
    virtual double TextWidth(const QString& text) = 0;
    virtual void DrawText(double x, double y, const QString& text) = 0;
    virtual void DrawRectangle(double left, double top, double right, double bottom) = 0;
    // The page goes to the printer.
    virtual void EndDocument() = 0;
    // Nothing of the document is printed.
    virtual void Discard() noexcept = 0;
};

class ReceiptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Opens a document on the default printer; throws ReceiptError when there is none to open.
using ReceiptCanvasFactory = std::function<std::unique_ptr<ReceiptCanvas>()>;

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
