#include "ServerTestSupport.h"

#include "tools/load/LoadCards.h"

#include <QProcess>
#include <QRegularExpression>

#include <atomic>
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

TEST(ServerProcess, KilledMidLoadItLosesNoAnsweredApproval) {
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
    std::atomic<int> approvals = 0;
    {
        ServerProcess server(Arguments(db));
        quint16 port = server.WaitListening();
        ASSERT_NE(port, 0);
        TerminalTarget target{QHostAddress::LocalHost, port, 5000};
        std::atomic<bool> stop = false;
        std::vector<std::thread> terminals;
        for (const std::string& card : load.cards) {
            terminals.emplace_back([&, card] {
                std::string previous;
                for (int i = 0; !stop; ++i) {
                    RequestFields f = CounterRequest(i % 3 == 2 ? "0600" : "0500", card);
                    f.MerchantNo = load.merchantNo;
                    f.CareCode = load.careCode;
                    f.Amount = "700";
                    f.OrgApprovalNo = previous;
                    f.OrgAuthDate = FormatDate(SystemClock().Now());
                    TerminalAnswer a = TerminalExchange(cipher, target, AssembleStandardRequest(f));
                    if (!a.Answered() || a.fields.RespCode != "00") {
                        continue;
                    }
                    std::lock_guard lock(mutex);
                    answered.push_back({f.MsgType, a.fields.ApprovalNo, card});
                    if (f.MsgType == "0500") {
                        previous = a.fields.ApprovalNo;
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

    // The same ledger opens again behind a new server, which then stops cleanly on SIGTERM.
    ServerProcess restarted(Arguments(db));
    ASSERT_NE(restarted.WaitListening(), 0);
    restarted.process().terminate();
    EXPECT_EQ(restarted.WaitExit(), 0);

    Ledger ledger;
    ledger.Open(db);
    for (const Answered& a : answered) {
        Query q = ledger.database().Prepare("SELECT kind, card_no FROM ledger WHERE approval_no = ?");
        q.Bind(a.number);
        ASSERT_TRUE(q.Step()) << a.kind << " " << a.number << " answered 00 but not in the ledger";
        EXPECT_EQ(q.Text(0), a.kind == "0500" ? "approval" : "cancellation");
        EXPECT_EQ(q.Text(1), a.card);
    }
    EXPECT_EQ(LedgerProblems(ledger), std::vector<std::string>());
}
