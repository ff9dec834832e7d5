#include "ServerTestSupport.h"

#include "transport/Envelope.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <atomic>
#include <future>
#include <mutex>

namespace dovra::testing {

RequestFields CounterRequest(const std::string& msgType, const std::string& card) {
    static std::atomic<int> trace = 0;
    RequestFields f;
    f.MsgType = msgType;
    f.IssueCode = "0301";
    f.SendDate = f.TransDate = "20261207";
    f.SendTime = f.TransTime = "093015";
    f.TraceNo = "093015" + PadField(std::to_string(++trace), true, 6);
    f.RespCode = "00";
    f.MerchantNo = DemoMerchant;
    f.TransKind = msgType == "0200" ? "21" : "11";
    f.EntryMode = "0";
    f.CardData = card;
    f.Amount = "0";
    f.CancelType = msgType == "0600" ? "7" : "0";
    return f;
}

RequestFields LoginRequest(const std::string& authNo) {
    RequestFields f = CounterRequest("0100");
    f.MerchantNo = "1208147521";
    f.AuthNo = authNo;
    return f;
}

std::string AsDecrypted(const std::string& telegram) {
    std::string plain = FramePlainRequest(telegram);
    return plain + std::string(2000 - plain.size(), ' ');
}

std::vector<std::string> LedgerProblems(Ledger& ledger) {
    std::vector<std::string> problems;
    auto count = [&](const std::string& what, const std::string& sql) {
        Query q = ledger.database().Prepare(sql);
        if (q.Step() && q.Int(0) != 0) {
            problems.push_back(what + ": " + std::to_string(q.Int(0)));
        }
    };
    count("budgets below zero or not adding up to their support",
          "SELECT count(*) FROM budgets WHERE used < 0 OR remaining < 0 OR used + remaining <> support");
    count("budgets whose used amount differs from the ledger",
          "SELECT count(*) FROM budgets b WHERE used <> (SELECT coalesce(sum(CASE kind WHEN 'approval' THEN "
          "amount ELSE -amount END), 0) FROM ledger l WHERE l.kind IN ('approval', 'cancellation') AND "
          "l.card_no = b.card_no AND l.programme = b.programme AND l.budget_month = b.month)");
    count(
        "ledger entries with no budget",
        "SELECT count(*) FROM ledger l WHERE kind <> 'unmatched-cancellation' AND NOT EXISTS (SELECT 1 FROM "
        "budgets b WHERE b.card_no = l.card_no AND b.programme = l.programme AND b.month = l.budget_month)");
    count("cancellations not matching exactly one approval",
          "SELECT count(*) FROM ledger c LEFT JOIN ledger a ON a.id = c.cancels WHERE c.kind = "
          "'cancellation' AND "
          "(a.id IS NULL OR a.kind <> 'approval' OR a.amount <> c.amount OR a.card_no <> c.card_no OR "
          "(SELECT count(*) FROM ledger d WHERE d.cancels = a.id) <> 1)");
    return problems;
}

const CipherLibrary& LoadedCipher() {
    static const CipherLibrary* cipher = [] {
        static CipherLibrary library;
        std::string error;
        if (!library.Load(TSEED_LIBRARY, error)) {
            throw std::runtime_error(error);
        }
        return &library;
    }();
    return *cipher;
}

void EnsureQtApplication() {
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "server_tests";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }
}

void DemoLedgerTest::SetUp() {
    ledger.Open(temp.path() / "ledger.db");
    ASSERT_TRUE(SeedDemo(ledger, clock));
    ASSERT_EQ(Ask(LoginRequest()).respCode, "00");
}

Outcome DemoLedgerTest::Ask(const RequestFields& fields, Port port) {
    std::string telegram =
        fields.MsgType == "0100" ? AssembleLoginRequest(fields) : AssembleStandardRequest(fields);
    ReadResult read = ReadRequest(AsDecrypted(telegram), port);
    EXPECT_EQ(read.kind, ReadResult::Kind::Request) << read.problem;
    read.request.peer = peer;
    ledger.Begin();
    Outcome outcome = teller.Handle(read.request);
    ledger.Commit();
    return outcome;
}

ServerThread::ServerThread(const std::filesystem::path& ledgerFile, ServerSettings settings)
    : log_(std::make_shared<std::vector<std::string>>()), logMutex_(std::make_shared<std::mutex>()) {
    EnsureQtApplication();
    settings.log = [log = log_, mutex = logMutex_](const std::string& line) {
        std::lock_guard lock(*mutex);
        log->push_back(line);
    };
    std::promise<std::pair<quint16, quint16>> ready;
    std::future<std::pair<quint16, quint16>> ports = ready.get_future();
    thread_.reset(QThread::create([this, ledgerFile, settings, &ready] {
        struct TestDayClock final : Clock {
            LocalTime Now() const override {
                LocalTime now = SystemClock().Now();
                return {2026, 12, 7, now.hour, now.minute, now.second};
            }
        } clock;
        Ledger ledger;
        ledger.Open(ledgerFile);
        SeedDemo(ledger, clock);
        ApprovalServer server(LoadedCipher(), ledger, clock, settings);
        QString listenError;
        Endpoint any{QHostAddress::LocalHost, 0};
        if (!server.Listen(any, any, listenError)) {
            ready.set_value({0, 0});
            return;
        }
        QEventLoop loop;
        loop_ = &loop;
        ready.set_value({server.Address(Port::Approval).port, server.Address(Port::Lookup).port});
        loop.exec();
    }));
    thread_->start();
    auto [approvals, lookups] = ports.get();
    if (approvals == 0) {
        thread_->wait();
        throw std::runtime_error("the test server could not listen");
    }
    ports_[0] = approvals;
    ports_[1] = lookups;
}

ServerThread::~ServerThread() {
    // Queued, so the quit waits for the loop even if it has not started yet.
    QMetaObject::invokeMethod(loop_, &QEventLoop::quit, Qt::QueuedConnection);
    thread_->wait();
}

TerminalTarget ServerThread::Target(Port port, int timeoutMs, QHostAddress from) const {
    return {QHostAddress::LocalHost, ports_[port == Port::Approval ? 0 : 1], timeoutMs, std::move(from)};
}

bool ServerThread::LogIn(QHostAddress from) const {
    TerminalAnswer answer = TerminalExchange(cipher(), Target(Port::Approval, 10000, std::move(from)),
                                             AssembleLoginRequest(LoginRequest()));
    return answer.Answered() && answer.fields.RespCode == "00";
}

std::vector<std::string> ServerThread::LogLines() const {
    std::lock_guard lock(*logMutex_);
    return *log_;
}

} // namespace dovra::testing
