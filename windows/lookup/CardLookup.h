#pragma once

#include "windows/common/LookupStep.h"
#include "windows/common/Services.h"
#include "windows/common/TelegramSocket.h"

#include <QWidget>

#include <array>
#include <string>

namespace dovra {

// What both card lookup windows do alike: the "0200" on Winsock1, the answer read by the counter for
// the kind of entry the main window had, and each step handed to the main window, after which the
// window closes.
class CardLookupWindow : public QWidget {
    Q_OBJECT
public:
    CardLookupWindow(const Services& services, LookupSource source, Entry::Kind kind, QWidget* main);

    TelegramSocket* Winsock1;

signals:
    void Stepped(const dovra::LookupStep& step);

protected:
    void closeEvent(QCloseEvent* event) override;
    // On the connection just made: the lookup of the card goes out and the main window shows its groups.
    void SendLookup(const std::string& card, const std::array<QString, 4>& groups);
    void Tell(const QString& text);
    // A lookup that broke off may have filled part of the main window: it is emptied for a fresh start
    // and this window closes.
    void Abandon();

    const Services& services_;

private:
    void Winsock1_DataArrival(const std::string& decrypted);
    void Winsock1_Failed(TelegramSocket::Failure failure);

    LookupSource source_;
    Entry::Kind kind_;
};

} // namespace dovra
