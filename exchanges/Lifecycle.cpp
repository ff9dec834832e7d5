#include "exchanges/Lifecycle.h"

#include "exchanges/Guard.h"
#include "exchanges/Texts.h"

namespace dovra {

Lifecycle::Lifecycle(Exchanges& desk, const char* socketName, const Exchange& envelope, QObject* parent)
    : QObject(parent), desk_(desk), socket_(new TelegramSocket(socketName, envelope, desk, this)) {
    connect(socket_, &TelegramSocket::Connected, this, [this] { Guarded([this] { OnConnected(); }); });
    connect(socket_, &TelegramSocket::Answered, this,
            [this](const std::string& decrypted) { Guarded([&] { OnAnswered(decrypted); }); });
    connect(socket_, &TelegramSocket::Failed, this,
            [this](TelegramSocket::Failure failure) { Guarded([&] { OnFailed(failure); }); });
}

// A fault ends the exchange: refused when nothing had left, unanswered when the request had, so the
// window that waits always hears of it once.
template <class Step> void Lifecycle::Guarded(Step step) {
    GuardStep(desk_.programLog(), socket_, step, [this](const std::string& detail) {
        bool sent = stage_ == Stage::Sent;
        Close();
        QString text = ExchangeTexts::Unexpected;
        if (!detail.empty()) {
            text += QLatin1Char('\n') + QString::fromLocal8Bit(detail);
        }
        Conclude({sent ? ExchangeOutcome::Kind::NotAnswered : ExchangeOutcome::Kind::Refused,
                  Refusal::Fault,
                  text,
                  true,
                  {}});
    });
}

void Lifecycle::TimeOutAfter(const char* name, int milliseconds) {
    timeout_ = new QTimer(this);
    timeout_->setObjectName(name);
    timeout_->setSingleShot(true);
    timeout_->setInterval(milliseconds);
    connect(timeout_, &QTimer::timeout, this, [this] { Guarded([this] { OnTimeout(); }); });
}

void Lifecycle::Connect(const ServerAddress& server) {
    if (timeout_ != nullptr) {
        timeout_->stop();
    }
    stage_ = Stage::Connecting;
    socket_->Open(server);
}

void Lifecycle::Close() {
    socket_->Close();
    if (timeout_ != nullptr) {
        timeout_->stop();
    }
    stage_ = Stage::Idle;
}

void Lifecycle::Refuse(Refusal why, const QString& message) {
    Close();
    Conclude({ExchangeOutcome::Kind::Refused, why, message, false, {}});
}

void Lifecycle::Stop() {
    bool sent = stage_ == Stage::Sent;
    Close();
    if (sent) {
        Conclude({ExchangeOutcome::Kind::NotAnswered, Refusal::None, {}, false, {}});
    }
}

void Lifecycle::OnConnected() {
    if (stage_ != Stage::Connecting) {
        return;
    }
    std::string telegram = Build();
    if (!Record(telegram)) {
        Refuse(Refusal::Journal, ExchangeTexts::CannotJournal);
        return;
    }
    if (socket_->Send(telegram) != EnvelopeError::None) {
        Close();
        Withdraw();
        Refuse(Refusal::Encrypt, ExchangeTexts::CannotEncrypt);
        return;
    }
    stage_ = Stage::Sent;
    if (timeout_ != nullptr) {
        timeout_->start();
    }
    AfterSending();
}

// The connection stays open after its answer; the next request closes it first.
void Lifecycle::OnAnswered(const std::string& decrypted) {
    if (timeout_ != nullptr) {
        timeout_->stop();
    }
    if (stage_ != Stage::Sent) {
        return;
    }
    stage_ = Stage::Idle;
    Read(decrypted);
}

void Lifecycle::OnFailed(TelegramSocket::Failure failure) {
    if (stage_ == Stage::Idle) {
        return;
    }
    bool sent = stage_ == Stage::Sent;
    Close();
    if (!sent) {
        // Nothing was sent: the merchant may simply try again.
        Conclude(
            {ExchangeOutcome::Kind::Refused, Refusal::Connection, ExchangeTexts::CannotConnect, false, {}});
        return;
    }
    // Sent, but no answer that can be read: as good as none.
    bool unreadable = failure == TelegramSocket::Failure::UnreadableAnswer;
    Conclude({unreadable ? ExchangeOutcome::Kind::Unreadable : ExchangeOutcome::Kind::NotAnswered,
              Refusal::None,
              unreadable ? ExchangeTexts::UnreadableAnswer : ExchangeTexts::CannotConnect,
              false,
              {}});
}

void Lifecycle::OnTimeout() {
    if (stage_ != Stage::Sent) {
        return;
    }
    Close();
    Conclude({ExchangeOutcome::Kind::NotAnswered, Refusal::None, ExchangeTexts::CannotConnect, false, {}});
}

} // namespace dovra
