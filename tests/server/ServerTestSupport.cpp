#include "ServerTestSupport.h"

#include "server/DemoData.h"
#include "transport/Envelope.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <atomic>
#include <future>

namespace dovra::testing {

RequestFields CounterRequest(const std::string& msgType, const std::string& card, const std::string& care,
                             const std::string& amount, const std::string& time) {
    static std::atomic<int> trace = 0;
    RequestFields f;
    f.MsgType = msgType;
    f.IssueCode = "0301";
    f.SendDate = f.TransDate = "20261207";
    f.SendTime = f.TransTime = time;
    f.TraceNo = "093015" + PadField(std::to_string(++trace), true, 6);
    f.RespCode = "00";
    f.MerchantNo = DemoMerchant;
    f.TransKind = msgType == "0200" ? "21" : "11";
    f.EntryMode = "0";
    f.CardData = card;
    f.CareCode = care;
    f.Amount = amount;
    f.CancelType = msgType == "0600" ? "7" : "0";
    return f;
}

RequestFields LoginRequest(const std::string& authNo) {
    RequestFields f = CounterRequest("0100");
    f.MerchantNo = "1208147521";
    f.AuthNo = authNo;
    return f;
}

std::string Telegram(const RequestFields& fields) {
    return fields.MsgType == "0100" ? AssembleLoginRequest(fields) : AssembleStandardRequest(fields);
}

std::string AsDecrypted(const std::string& telegram) {
    std::string plain = FramePlainRequest(telegram) + '\0';
    return plain + std::string(CipherBuffer - plain.size(), ' ');
}

std::int64_t Count(Ledger& ledger, const std::string& sql) {
    Query q = ledger.database().Prepare(sql);
    return q.Step() ? q.Int(0) : -1;
}

// Cancellations are not looked at: one that does not match its approval, or a second one of the same
// approval, cannot be written at all, as the ledger's trigger and its unique cancels column refuse it.
std::vector<std::string> LedgerProblems(Ledger& ledger) {
    Query q = ledger.database().Prepare(
        "SELECT 'a budget not adding up or not the ledger''s' FROM budgets b WHERE used < 0 OR remaining < 0 "
        "OR used + remaining <> support OR used <> (SELECT coalesce(sum(amount * ((kind = 'approval') - "
        "(kind = 'cancellation'))), 0) FROM ledger l WHERE l.card_no = b.card_no AND l.programme = "
        "b.programme AND l.budget_month = b.month) UNION ALL SELECT 'an entry with no budget' FROM ledger l "
        "WHERE NOT EXISTS (SELECT 1 FROM budgets b WHERE b.card_no = l.card_no AND b.programme = "
        "l.programme AND b.month = l.budget_month)");
    std::vector<std::string> problems;
    while (q.Step()) {
        problems.push_back(q.Text(0));
    }
    return problems;
}

const CipherLibrary& LoadedCipher() {
    static CipherLibrary library;
    static std::string error;
    static const bool loaded = library.Load(TSEED_LIBRARY, error);
    EXPECT_TRUE(loaded) << error;
    return library;
}

// The window tests bring their own application object; the server tests need one made for them.
void EnsureQtApplication() {
    static int argc = 1;
    static char* argv[] = {const_cast<char*>("server_tests"), nullptr};
    if (QCoreApplication::instance() == nullptr) {
        static QCoreApplication app(argc, argv);
    }
}

void DemoLedgerTest::SetUp() {
    ledger.Open(temp.path() / "ledger.db");
    ASSERT_TRUE(SeedDemo(ledger, clock));
    ASSERT_EQ(Ask(LoginRequest()).respCode, "00");
}

Outcome DemoLedgerTest::Ask(const RequestFields& fields, Port port) {
    ledger.Begin();
    Outcome outcome = Handle(fields, port);
    ledger.Commit();
    return outcome;
}

Outcome DemoLedgerTest::Handle(const RequestFields& fields, Port port) {
    ReadResult read = ReadRequest(AsDecrypted(Telegram(fields)), port);
    EXPECT_EQ(read.kind, ReadResult::Kind::Request) << read.problem;
    read.request.peer = peer;
    return teller.Handle(read.request);
}

// The login at the end fails too when the server could not listen.
ServerThread::ServerThread(const std::filesystem::path& ledgerFile, ServerSettings settings) {
    EnsureQtApplication();
    settings.log = [this](const std::string& line) {
        std::lock_guard lock(logMutex_);
        log_.push_back(line);
    };
    std::promise<void> ready;
    thread_.reset(QThread::create([this, ledgerFile, settings, &ready] {
        SettableClock clock({2026, 12, 7, 9, 30, 15});
        Ledger ledger;
        ledger.Open(ledgerFile);
        SeedDemo(ledger, clock);
        ApprovalServer server(LoadedCipher(), ledger, clock, settings);
        QString error;
        server.Listen({QHostAddress::LocalHost, 0}, {QHostAddress::LocalHost, 0}, error);
        ports_[0] = server.Address(Port::Approval).port;
        ports_[1] = server.Address(Port::Lookup).port;
        ready.set_value();
        // Ends at the thread's quit, even one that comes before the loop has started.
        QEventLoop().exec();
    }));
    thread_->start();
    ready.get_future().wait();
    EXPECT_EQ(Send(LoginRequest()).fields.RespCode, "00");
}

} // namespace dovra::testing
