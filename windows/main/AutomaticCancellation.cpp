#include "windows/main/AutomaticCancellation.h"

#include "foundations/AnsiText.h"
#include "foundations/Ini.h"
#include "transport/RequestHeader.h"

#include <algorithm>
#include <utility>

namespace dovra {

namespace {
constexpr int RetryMs = 10000;
}

std::string BuildAutomaticCancellation(const std::string& approvalTelegram, const Services& services,
                                       CancellationMoment moment) {
    RequestFields& f = services.telegrams.requestFields;
    f = RequestFields{};
    int position = CutFields<CommonHeader>(approvalTelegram, 1, f, CommonHeaderLayout);
    CutFields<TransactionBody>(approvalTelegram, position, f, TransactionBodyLayout);
    std::string number = ReadIni("ComInfo", "Number", services.paths.DovraSetting());
    f.MsgType = "0600";
    StampRequestHeader(f, services.clock, number);
    if (moment == CancellationMoment::Now) {
        f.TransDate = FormatDate(services.clock.Now());
        f.TransTime = FormatTime(services.clock.Now());
    }
    f.CancelType = "2";
    f.TeacherCode.clear();
    return AssembleStandardRequest(f);
}

AutomaticCancellation::AutomaticCancellation(const Services& services, QObject* parent,
                                             CancellationJournal::FileRemover remover)
    : QObject(parent), services_(services), journal_(services.paths.root / "Journal", std::move(remover)) {
    sckMain2 = new TelegramSocket("sckMain2", AutoCancelExchange, services_, this);
    connect(sckMain2, &TelegramSocket::Connected, this, Guarded(&AutomaticCancellation::sckMain2_Connect));
    connect(sckMain2, &TelegramSocket::Failed, this, [this] { Finish(false); });
    connect(sckMain2->socket(), &QTcpSocket::bytesWritten, this, [this] {
        if (current_ && sckMain2->socket()->bytesToWrite() == 0) {
            Finish(true);
        }
    });
    retryTimer = new QTimer(this);
    retryTimer->setObjectName("retryTimer");
    retryTimer->setInterval(RetryMs);
    connect(retryTimer, &QTimer::timeout, this, Guarded(&AutomaticCancellation::Retry));
}

void AutomaticCancellation::Start() {
    for (const auto& entry : journal_.Entries()) {
        if (entry.kind == CancellationJournal::Kind::AnsweredApproval) {
            journal_.ClearApproval(entry.id); // a tidy-up an earlier run could not finish
        } else if (entry.kind == CancellationJournal::Kind::OpenApproval &&
                   !answeredNotRecorded_.contains(entry.id)) {
            journal_.RecordCancellation(entry.id, BuildAutomaticCancellation(entry.telegram, services_,
                                                                             CancellationMoment::OfApproval));
        }
    }
    SendNext();
}

void AutomaticCancellation::SettleApproval(const std::string& approvalId) {
    bool recorded = false;
    try {
        recorded = journal_.ClearApproval(approvalId);
    } catch (...) {
        // kept in memory below, like any other refusal of the disk
    }
    if (recorded) {
        return;
    }
    answeredNotRecorded_.insert(approvalId);
    if (!retryTimer->isActive()) {
        retryTimer->start();
    }
    if (!toldNotRecorded_) {
        toldNotRecorded_ = true;
        emit OutcomeNotRecorded();
    }
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
    std::erase_if(answeredNotRecorded_, [this](const std::string& id) { return journal_.ClearApproval(id); });
    SendNext();
}

bool AutomaticCancellation::CancelApproval(const std::string& approvalId,
                                           const std::string& approvalTelegram) {
    if (!journal_.RecordCancellation(
            approvalId, BuildAutomaticCancellation(approvalTelegram, services_, CancellationMoment::Now))) {
        return false;
    }
    SendNext();
    return true;
}

bool AutomaticCancellation::Settled() const {
    if (current_) {
        return false;
    }
    auto entries = journal_.Entries();
    return std::none_of(entries.begin(), entries.end(), [](const CancellationJournal::Entry& entry) {
        return entry.kind == CancellationJournal::Kind::PendingCancellation;
    });
}

void AutomaticCancellation::SendNext() {
    if (current_) {
        return; // one at a time; the rest follow when it is done
    }
    for (auto& entry : journal_.Entries()) {
        if (entry.kind == CancellationJournal::Kind::PendingCancellation) {
            current_ = std::move(entry);
            break;
        }
    }
    if (!current_) {
        if (answeredNotRecorded_.empty()) {
            retryTimer->stop();
        }
        return;
    }
    auto server = ReadApprovalServer(services_.paths);
    if (!server) {
        Finish(false);
        return;
    }
    sckMain2->Open(*server);
}

void AutomaticCancellation::sckMain2_Connect() {
    // The journalled telegram goes out byte for byte, so a repeat is recognised by the server.
    services_.telegrams.TelegramBuffer = current_->telegram;
    if (sckMain2->Send(current_->telegram) != EnvelopeError::None) {
        Finish(false);
    }
}

void AutomaticCancellation::Finish(bool sent) {
    if (!current_) {
        return;
    }
    if (sent) {
        journal_.ClearCancellation(current_->id);
    }
    current_.reset();
    sckMain2->Close();
    if (sent) {
        SendNext();
    } else if (!retryTimer->isActive()) {
        retryTimer->start();
    }
}

} // namespace dovra
