#pragma once

#include "foundations/Clock.h"
#include "server/ApprovalServer.h"
#include "support/TempFolder.h"
#include "tools/load/Terminal.h"

#include <gtest/gtest.h>

#include <QThread>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace dovra::testing {

inline constexpr const char* DemoMerchant = "000071052301";
inline constexpr const char* Haneul = "9410000012345678";  // 220,000 S and 100,000 A a month
inline constexpr const char* Bada = "9410000087654321";    // 180,000 S and 80,000 A
inline constexpr const char* Chorong = "9410000000000088"; // 190,000 of 200,000 used

// Bytes [position, position + width) of an answer, positions 1-based as documented.
inline std::string At(const std::string& answer, int position, int width) {
    return answer.substr(static_cast<size_t>(position - 1), static_cast<size_t>(width));
}

// A well-formed request of the counter at 09:30:15 on 7 December 2026 (the time is the one given), with a
// trace number of its own so that no two are repeats. A cancel type of "2" makes it the automatic one.
RequestFields CounterRequest(const std::string& msgType, const std::string& card = Haneul,
                             const std::string& care = "", const std::string& amount = "0",
                             const std::string& time = "093015");
inline RequestFields AutoCancel(const char* card, const char* care, const char* amount,
                                const char* time = "093015") {
    RequestFields f = CounterRequest("0600", card, care, amount, time);
    f.CancelType = "2";
    return f;
}
RequestFields LoginRequest(const std::string& authNo = "2580"); // the demo merchant's
std::string Telegram(const RequestFields& fields);              // by MsgType, the login's or 450 bytes
// What a decrypted request looks like to the server: the framed telegram, the library's NUL, spaces.
std::string AsDecrypted(const std::string& telegram);

std::int64_t Count(Ledger& ledger, const std::string& sql);
// The disagreements between budgets and ledger, in words; empty when the ledger is sound.
std::vector<std::string> LedgerProblems(Ledger& ledger);
const CipherLibrary& LoadedCipher();
void EnsureQtApplication();

// A fresh demo ledger decided on directly, with the demo merchant logged in from `peer`. The server's
// clock is `clock`; the times given to the helpers are the terminal's.
class DemoLedgerTest : public ::testing::Test {
protected:
    void SetUp() override;
    // One request in a transaction of its own, as a batch of one.
    Outcome Ask(const RequestFields& fields, Port port = Port::Approval);
    // One request inside the caller's transaction.
    Outcome Handle(const RequestFields& fields, Port port = Port::Approval);

    TempFolder temp;
    SettableClock clock{{2026, 12, 7, 9, 30, 15}};
    Ledger ledger;
    std::vector<std::string> logLines;
    Teller teller{ledger, clock, [this](const std::string& line) { logLines.push_back(line); }};
    std::string peer = "127.0.0.1";
};

// A real ApprovalServer on loopback in a thread of its own, on a demo ledger, with the demo merchant
// logged in from 127.0.0.1. Its clock stands at the moment CounterRequest stamps.
class ServerThread {
public:
    explicit ServerThread(const std::filesystem::path& ledgerFile, ServerSettings settings = {});
    ~ServerThread() {
        thread_->quit();
        thread_->wait();
    }

    TerminalTarget Target(Port port = Port::Approval, QHostAddress from = QHostAddress::LocalHost) const {
        return {QHostAddress::LocalHost, ports_[port == Port::Approval ? 0 : 1], 10000, std::move(from)};
    }
    TerminalAnswer Send(const RequestFields& fields, Port port = Port::Approval,
                        QHostAddress from = QHostAddress::LocalHost) const {
        return TerminalExchange(LoadedCipher(), Target(port, std::move(from)), Telegram(fields));
    }
    int Logged(const std::string& text) const { // lines holding the text
        std::lock_guard lock(logMutex_);
        return static_cast<int>(std::ranges::count_if(log_, [&](auto& l) { return l.find(text) != l.npos; }));
    }

private:
    std::unique_ptr<QThread> thread_;
    quint16 ports_[2] = {0, 0};
    mutable std::mutex logMutex_;
    std::vector<std::string> log_;
};

} // namespace dovra::testing
