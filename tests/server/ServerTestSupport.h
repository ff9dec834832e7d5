#pragma once

#include "foundations/Clock.h"
#include "server/ApprovalServer.h"
#include "server/DemoData.h"
#include "server/Ledger.h"
#include "server/Teller.h"
#include "support/TempFolder.h"
#include "tools/load/Terminal.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QThread>

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace dovra::testing {

inline constexpr const char* DemoMerchant = "000071052301";
inline constexpr const char* Haneul = "9410000012345678"; // 220,000 S and 100,000 A a month
inline constexpr const char* Bada = "9410000087654321";
inline constexpr const char* Stolen = "9410000000000020";
inline constexpr const char* Expired = "9410000000000030";
inline constexpr const char* Chorong = "9410000000000088"; // 190,000 of 200,000 used

// Bytes [position, position + width) of a decrypted answer, positions 1-based as documented.
inline std::string At(const std::string& answer, int position, int width) {
    return answer.substr(static_cast<size_t>(position - 1), static_cast<size_t>(width));
}

// A well-formed request of the counter; each call gets its own trace number, so no two are repeats.
RequestFields CounterRequest(const std::string& msgType, const std::string& card = Haneul);
// The demo merchant's login, as the counter sends it.
RequestFields LoginRequest(const std::string& authNo = "2580");

// What a decrypted request looks like to the server: the framed telegram, the library's NUL, spaces.
std::string AsDecrypted(const std::string& telegram);

// The disagreements between budgets and ledger, in words; empty when the ledger is sound.
std::vector<std::string> LedgerProblems(Ledger& ledger);

// The cipher library as built, loaded once for the whole test process.
const CipherLibrary& LoadedCipher();

// Makes sure a QCoreApplication exists for sockets, threads and processes.
void EnsureQtApplication();

// A fresh ledger with the demo data, decided on directly, at 09:30:15 on 7 December 2026.
class DemoLedgerTest : public ::testing::Test {
protected:
    void SetUp() override;
    // Decides one request from the peer in a transaction of its own, as a batch of one. The demo
    // merchant is logged in from 127.0.0.1 before each test.
    Outcome Ask(const RequestFields& fields, Port port = Port::Approval);
    Budget BudgetNow(const std::string& card, char programme) {
        return ledger.BudgetOf(card, programme, "202612");
    }

    TempFolder temp;
    SettableClock clock{{2026, 12, 7, 9, 30, 15}};
    Ledger ledger;
    std::vector<std::string> logLines;
    Teller teller{ledger, clock, [this](const std::string& line) { logLines.push_back(line); }};
    std::string peer = "127.0.0.1";
};

// A real ApprovalServer on loopback in a thread of its own, on a demo ledger in a temp folder. Its
// clock keeps the real time of day on 7 December 2026, the date the tests' counters stamp.
class ServerThread {
public:
    explicit ServerThread(const std::filesystem::path& ledgerFile, ServerSettings settings = {});
    ~ServerThread();

    TerminalTarget Target(Port port = Port::Approval, int timeoutMs = 10000,
                          QHostAddress from = QHostAddress::LocalHost) const;
    // Logs the demo merchant in from the address; true when answered "00".
    bool LogIn(QHostAddress from = QHostAddress::LocalHost) const;
    const CipherLibrary& cipher() const { return LoadedCipher(); }
    std::vector<std::string> LogLines() const;

private:
    std::unique_ptr<QThread> thread_;
    QEventLoop* loop_ = nullptr;
    quint16 ports_[2] = {0, 0};
    std::shared_ptr<std::vector<std::string>> log_;
    std::shared_ptr<std::mutex> logMutex_;
};

} // namespace dovra::testing
