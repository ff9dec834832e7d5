#include "ServerTestSupport.h"

#include "tools/load/LoadCards.h"

#include <QProcess>
#include <QRegularExpression>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

using namespace dovra;
using namespace dovra::testing;

namespace {

// The real dovra-server as a child process.
class ServerProcess {
public:
    explicit ServerProcess(QStringList arguments) {
        EnsureQtApplication();
        process_.setProgram(DOVRA_SERVER);
        process_.setArguments(arguments << "--cipher" << TSEED_LIBRARY);
        process_.start();
    }
    ~ServerProcess() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(10000);
        }
    }

    // The approval port from the "listening" line, or 0 when the server ended without one.
    quint16 WaitListening() {
        QRegularExpression line("^listening on 127\\.0\\.0\\.1:(\\d+) .*127\\.0\\.0\\.1:(\\d+)");
        while (process_.waitForReadyRead(30000) || process_.canReadLine()) {
            while (process_.canReadLine()) {
                QRegularExpressionMatch match = line.match(QString::fromUtf8(process_.readLine()));
                if (match.hasMatch()) {
                    return static_cast<quint16>(match.captured(1).toUInt());
                }
            }
        }
        return 0;
    }
    int WaitExit() {
        process_.waitForFinished(30000);
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }
    QProcess& process() { return process_; }

private:
    QProcess process_;
};

QStringList Arguments(const std::filesystem::path& db, const QString& listen = "127.0.0.1:0",
                      const QString& lookup = "127.0.0.1:0") {
    return {"--db", QString::fromStdString(db.string()), "--listen", listen, "--lookup-listen", lookup};
}

} // namespace

TEST(ServerProcess, PortInUseOrMissingLedgerEndsWithCodeOne) {
    TempFolder temp;
    ServerProcess first(Arguments(temp.path() / "a.db"));
    quint16 port = first.WaitListening();
    ASSERT_NE(port, 0);
    QString taken = "127.0.0.1:" + QString::number(port);

    ServerProcess second(Arguments(temp.path() / "b.db", taken));
    EXPECT_EQ(second.WaitExit(), 1);
    EXPECT_TRUE(second.process().readAllStandardError().contains("cannot listen on " + taken.toUtf8()));
    ServerProcess lookupTaken(Arguments(temp.path() / "c.db", "127.0.0.1:0", taken));
    EXPECT_EQ(lookupTaken.WaitExit(), 1);
    ServerProcess noLedger({"--listen", "127.0.0.1:0"});
    EXPECT_EQ(noLedger.WaitExit(), 1);
}

namespace {

// The terminal's clock as a count of seconds, and back.
LocalTime MomentAt(std::int64_t seconds) {
    using namespace std::chrono;
    year_month_day day{sys_days{days{seconds / 86400}}};
    std::int64_t s = seconds % 86400;
    return {static_cast<int>(day.year()),
            static_cast<int>(static_cast<unsigned>(day.month())),
            static_cast<int>(static_cast<unsigned>(day.day())),
            static_cast<int>(s / 3600),
            static_cast<int>(s / 60 % 60),
            static_cast<int>(s % 60)};
}

void Stamp(RequestFields& f, std::int64_t seconds) {
    f.TransDate = FormatDate(MomentAt(seconds));
    f.TransTime = FormatTime(MomentAt(seconds));
}

} // namespace

TEST(ServerProcess, KilledMidLoadItLosesNoAnsweredApprovalAndReversesOnlyTheLostOnes) {
    TempFolder temp;
    std::filesystem::path db = temp.path() / "ledger.db";
    LoadCards load;
    {
        Ledger ledger;
        ledger.Open(db);
        load = ProvideLoadCards(ledger, 6);
    }
    const CipherLibrary& cipher = LoadedCipher();

    struct Answered {
        std::string kind, number, card;
    };
    std::mutex mutex;
    std::vector<Answered> answered;
    // Approvals without an answer, as their automatic cancellations, with the approval's moment.
    std::vector<std::pair<RequestFields, std::int64_t>> lost;
    std::atomic<int> approvals = 0;
    std::int64_t started = Teller::SecondsOf(SystemClock().Now());
    {
        ServerProcess server(Arguments(db));
        quint16 port = server.WaitListening();
        ASSERT_NE(port, 0);
        TerminalTarget target{QHostAddress::LocalHost, port, 5000, {}};
        RequestFields login = CounterRequest("0100");
        login.MerchantNo = load.businessNo;
        login.AuthNo = load.authNo;
        ASSERT_EQ(TerminalExchange(cipher, target, AssembleLoginRequest(login)).fields.RespCode, "00");
        std::atomic<bool> stop = false;
        std::vector<std::thread> terminals;
        for (const std::string& card : load.cards) {
            terminals.emplace_back([&, card] {
                // Equal amounts on one card, each approval 31 seconds after the last on the terminal's
                // clock: beyond the reach of the next one's automatic cancellation, as at a real counter.
                std::int64_t moment = started;
                std::string previous, previousDate;
                for (int i = 0; !stop; ++i) {
                    bool approval = i % 3 != 2;
                    RequestFields f = CounterRequest(approval ? "0500" : "0600", card);
                    f.MerchantNo = load.merchantNo;
                    f.CareCode = load.careCode;
                    f.Amount = "700";
                    f.OrgApprovalNo = previous;
                    f.OrgAuthDate = previousDate;
                    moment += approval ? 31 : 1;
                    Stamp(f, moment);
                    TerminalAnswer a = TerminalExchange(cipher, target, AssembleStandardRequest(f));
                    std::lock_guard lock(mutex);
                    if (!a.Answered()) {
                        if (approval) {
                            f.MsgType = "0600";
                            f.CancelType = "2";
                            lost.emplace_back(f, moment);
                        }
                        return;
                    }
                    if (a.fields.RespCode != "00") {
                        continue;
                    }
                    answered.push_back({f.MsgType, a.fields.ApprovalNo, card});
                    if (approval) {
                        previous = a.fields.ApprovalNo;
                        previousDate = a.fields.TransDate;
                        ++approvals;
                    }
                }
            });
        }
        auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (approvals < 150 && std::chrono::steady_clock::now() < giveUp) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_GE(approvals, 150) << "the load never got going";
        server.process().kill(); // SIGKILL: no chance to finish anything
        server.WaitExit();
        stop = true;
        for (std::thread& t : terminals) {
            t.join();
        }
    }

    // The same ledger opens again behind a new server, where the terminals' sessions still hold: the
    // automatic cancellations go through without a new login, at the time-out's moment and again with
    // the approval's own, as a restarted program sends them.
    ServerProcess restarted(Arguments(db));
    TerminalTarget target{QHostAddress::LocalHost, restarted.WaitListening(), 5000, {}};
    ASSERT_NE(target.port, 0);
    std::vector<std::string> reversals;
    for (auto& [cancel, approvedAt] : lost) {
        for (std::int64_t at : {approvedAt + 10, approvedAt}) {
            Stamp(cancel, at);
            TerminalAnswer a = TerminalExchange(cipher, target, AssembleStandardRequest(cancel));
            ASSERT_TRUE(a.Answered());
            EXPECT_TRUE(a.fields.RespCode == "00" || a.fields.RespCode == "22") << a.fields.RespCode;
            if (a.fields.RespCode == "00") {
                reversals.push_back(a.fields.ApprovalNo);
            }
        }
    }
    restarted.process().terminate();
    EXPECT_EQ(restarted.WaitExit(), 0);

    Ledger ledger;
    ledger.Open(db);
    std::set<std::string> receipted;
    for (const Answered& a : answered) {
        Query q = ledger.database().Prepare("SELECT kind, card_no FROM ledger WHERE approval_no = ?");
        q.Bind(a.number);
        ASSERT_TRUE(q.Step()) << a.kind << " " << a.number << " answered 00 but not in the ledger";
        EXPECT_EQ(q.Text(0), a.kind == "0500" ? "approval" : "cancellation");
        EXPECT_EQ(q.Text(1), a.card);
        if (a.kind == "0500") {
            receipted.insert(a.number);
        }
    }
    int wrong = 0;
    for (const std::string& number : reversals) {
        Query q = ledger.database().Prepare(
            "SELECT a.approval_no FROM ledger c JOIN ledger a ON a.id = c.cancels WHERE c.approval_no = ?");
        q.Bind(number);
        ASSERT_TRUE(q.Step());
        wrong += static_cast<int>(receipted.count(q.Text(0)));
    }
    EXPECT_EQ(wrong, 0) << "automatic cancellations reversed receipted approvals";
    EXPECT_FALSE(lost.empty());
    EXPECT_EQ(LedgerProblems(ledger), std::vector<std::string>());
}
