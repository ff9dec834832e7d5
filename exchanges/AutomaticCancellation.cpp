#include "exchanges/AutomaticCancellation.h"

#include "exchanges/Exchanges.h"
#include "exchanges/Guard.h"
#include "transport/ResponseCodes.h"

#include <utility>

namespace dovra {

namespace {
constexpr int RetryMs = 10000;
// Long enough for a server that answers, short enough not to hold the program's end for long.
constexpr int AnswerWaitMs = 3000;
} // namespace

template <class Step> auto AutomaticCancellation::Guarded(Step step) {
    return [this, step] {
        GuardStep(desk_.programLog(), this, step, [this](const std::string& detail) {
            Recover();
            if (!std::exchange(toldFault_, true)) {
                emit desk_.FaultInCancellations(QString::fromLocal8Bit(detail));
            }
        });
    };
}

AutomaticCancellation::AutomaticCancellation(Exchanges& desk, Counter& counter,
                                             CancellationJournal::FileRemover remover, QObject* parent)
    : QObject(parent), desk_(desk), queue_(counter, std::move(remover)),
      sckMain2_(new TelegramSocket("sckMain2", AutoCancelExchange, desk, this)),
      retryTimer_(new QTimer(this)), answerWait_(new QTimer(this)) {
    setObjectName("AutomaticCancellation");
    connect(sckMain2_, &TelegramSocket::Connected, this, Guarded([this] { OnConnected(); }));
    connect(sckMain2_, &TelegramSocket::BytesWritten, this, Guarded([this] { OnWritten(); }));
    connect(sckMain2_, &TelegramSocket::Answered, this,
            [this](const std::string& decrypted) { Guarded([&] { OnAnswered(decrypted); })(); });
    connect(sckMain2_, &TelegramSocket::Failed, this, Guarded([this] {
                // Once it has left, a connection the server drops is the end of the wait, not a failure.
                Finish(written_ ? CancellationQueue::Ending::Sent : CancellationQueue::Ending::NotSent);
            }));
    retryTimer_->setObjectName("retryTimer");
    retryTimer_->setInterval(RetryMs);
    connect(retryTimer_, &QTimer::timeout, this, Guarded([this] { Retry(); }));
    answerWait_->setObjectName("answerWait");
    answerWait_->setSingleShot(true);
    answerWait_->setInterval(AnswerWaitMs);
    connect(answerWait_, &QTimer::timeout, this,
            Guarded([this] { Finish(CancellationQueue::Ending::Sent); }));
}

// What is journalled stays journalled, so a fault only costs this attempt: the next retry starts over.
void AutomaticCancellation::Recover() {
    Finish(CancellationQueue::Ending::NotSent);
    if (!retryTimer_->isActive()) {
        retryTimer_->start();
    }
}

void AutomaticCancellation::LoggedIn() {
    queue_.Start();
    SendNext();
}

std::optional<std::string> AutomaticCancellation::RecordApproval(const std::string& telegram) {
    return queue_.journal().RecordApproval(telegram);
}

void AutomaticCancellation::WithdrawApproval(const std::string& approvalId) {
    queue_.WithdrawApproval(approvalId);
    KeepRetrying();
}

bool AutomaticCancellation::SettleApproval(const std::string& approvalId, bool approved) {
    bool tell = queue_.SettleApproval(approvalId, approved);
    KeepRetrying();
    return tell;
}

bool AutomaticCancellation::CancelApproval(const std::string& approvalId,
                                           const std::string& approvalTelegram) {
    bool recorded = queue_.CancelApproval(approvalId, approvalTelegram);
    SendNext();
    return recorded;
}

void AutomaticCancellation::Retry() {
    queue_.RetryRecords();
    SendNext();
}

void AutomaticCancellation::KeepRetrying() {
    if (queue_.NeedsRetry()) {
        if (!retryTimer_->isActive()) {
            retryTimer_->start();
        }
    } else {
        retryTimer_->stop();
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
    auto server = desk_.settings().ApprovalServer();
    if (!server) {
        Finish(CancellationQueue::Ending::NotSent);
        return;
    }
    written_ = false;
    sckMain2_->Open(*server);
}

void AutomaticCancellation::OnConnected() {
    // The journalled telegram goes out byte for byte, so a repeat is recognised by the server.
    if (queue_.Current() && sckMain2_->Send(queue_.Current()->telegram) != EnvelopeError::None) {
        Finish(CancellationQueue::Ending::NotSent);
    }
}

void AutomaticCancellation::OnWritten() {
    if (queue_.Current() && !written_ && sckMain2_->Flushed()) {
        written_ = true;
        answerWait_->start();
    }
}

void AutomaticCancellation::OnAnswered(const std::string& decrypted) {
    ResponseFields answer;
    CutStandardAnswer(decrypted, answer);
    Finish(answer.RespCode == RespCode::UnregisteredMerchant ? CancellationQueue::Ending::KeptForLogin
                                                             : CancellationQueue::Ending::Sent);
}

void AutomaticCancellation::Finish(CancellationQueue::Ending ending) {
    answerWait_->stop();
    if (!queue_.Current()) {
        return;
    }
    written_ = false;
    sckMain2_->Close();
    queue_.Finish(ending);
    if (ending == CancellationQueue::Ending::NotSent) {
        KeepRetrying();
    } else {
        SendNext();
    }
}

} // namespace dovra
