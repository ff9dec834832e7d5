#include "windows/main/AutomaticCancellation.h"

#include <utility>

namespace dovra {

namespace {
constexpr int RetryMs = 10000;
}

AutomaticCancellation::AutomaticCancellation(const Services& services, QObject* parent,
                                             CancellationJournal::FileRemover remover)
    : QObject(parent), services_(services), queue_(services.counter, std::move(remover)) {
    sckMain2 = new TelegramSocket("sckMain2", AutoCancelExchange, services_, this);
    connect(sckMain2, &TelegramSocket::Connected, this, Guarded(&AutomaticCancellation::sckMain2_Connect));
    connect(sckMain2, &TelegramSocket::Failed, this, [this] { Finish(false); });
    connect(sckMain2->socket(), &QTcpSocket::bytesWritten, this, [this] {
        if (queue_.Current() && sckMain2->socket()->bytesToWrite() == 0) {
            Finish(true);
        }
    });
    retryTimer = new QTimer(this);
    retryTimer->setObjectName("retryTimer");
    retryTimer->setInterval(RetryMs);
    connect(retryTimer, &QTimer::timeout, this, Guarded(&AutomaticCancellation::Retry));
}

void AutomaticCancellation::Start() {
    queue_.Start();
    SendNext();
}

void AutomaticCancellation::SettleApproval(const std::string& approvalId) {
    bool tell = queue_.SettleApproval(approvalId);
    KeepRetrying();
    if (tell) {
        emit OutcomeNotRecorded();
    }
}

bool AutomaticCancellation::CancelApproval(const std::string& approvalId,
                                           const std::string& approvalTelegram) {
    if (!queue_.CancelApproval(approvalId, approvalTelegram)) {
        return false;
    }
    SendNext();
    return true;
}

// What is journalled stays journalled, so a fault only costs this attempt: the next retry starts over.
// The merchant hears of it once a run rather than at every retry.
bool AutomaticCancellation::RecoverFromFault() {
    Finish(false);
    if (!retryTimer->isActive()) {
        retryTimer->start();
    }
    return !std::exchange(toldFault_, true);
}

void AutomaticCancellation::Retry() {
    queue_.RetryRecords();
    SendNext();
}

void AutomaticCancellation::KeepRetrying() {
    if (queue_.NeedsRetry()) {
        if (!retryTimer->isActive()) {
            retryTimer->start();
        }
    } else {
        retryTimer->stop();
    }
}

void AutomaticCancellation::SendNext() {
    if (queue_.Current()) {
        return; // one at a time; the rest follow when it is done
    }
    if (!queue_.Next()) {
        KeepRetrying();
        emit AllSent();
        return;
    }
    auto server = services_.counter.settings().ApprovalServer();
    if (!server) {
        Finish(false);
        return;
    }
    sckMain2->Open(*server);
}

void AutomaticCancellation::sckMain2_Connect() {
    // The journalled telegram goes out byte for byte, so a repeat is recognised by the server.
    if (sckMain2->Send(queue_.Current()->telegram) != EnvelopeError::None) {
        Finish(false);
    }
}

void AutomaticCancellation::Finish(bool sent) {
    if (!queue_.Current()) {
        return;
    }
    queue_.Finish(sent);
    sckMain2->Close();
    if (sent) {
        SendNext();
    } else {
        KeepRetrying();
    }
}

} // namespace dovra
