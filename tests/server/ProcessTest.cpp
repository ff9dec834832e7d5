#include "ServerTestSupport.h"

#include "server/DemoData.h"
#include "tools/load/LoadCards.h"

#include <QDateTime>
#include <QProcess>
#include <QRegularExpression>
#include <QTimeZone>

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <map>
#include <thread>

using namespace dovra;
using namespace dovra::testing;

namespace {

// The real dovra-server as a child process; no ledger file when db is empty.
struct ServerProcess {
    explicit ServerProcess(const std::filesystem::path& db, const QString& listen = "127.0.0.1:0",
                           const QString& lookup = "127.0.0.1:0") {
        EnsureQtApplication();
        QStringList withDb = {"--db", QString::fromStdString(db.string())};
        // A file size limit stands in for a full disk: a write past it fails, rather than ending the server.
        process.setChildProcessModifier([] { std::signal(SIGXFSZ, SIG_IGN); });
        process.start(DOVRA_SERVER,
                      QStringList{"--listen", listen, "--lookup-listen", lookup, "--cipher", TSEED_LIBRARY} +
                          (db.empty() ? QStringList() : withDb));
    }
    ~ServerProcess() {
        process.kill();
        process.waitForFinished();
    }
    // The approval port from the "listening" line, or 0 when the server ended without one.
    quint16 WaitListening() {
        QRegularExpression listening("^listening on 127\\.0\\.0\\.1:(\\d+) ",
                                     QRegularExpression::MultilineOption);
        QString out;
        while (!listening.match(out).hasMatch() && process.waitForReadyRead(30000)) {
            out += QString::fromUtf8(process.readAllStandardOutput());
        }
        return static_cast<quint16>(listening.match(out).captured(1).toUInt());
    }
    int WaitExit() {
        process.waitForFinished(30000);
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QProcess process;
};

// The terminal's clock at a moment on the count of Teller::SecondsOf.
void Stamp(RequestFields& f, std::int64_t seconds) {
    QDateTime at = QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc());
    f.TransDate = at.toString("yyyyMMdd").toStdString();
    f.TransTime = at.toString("HHmmss").toStdString();
}

} // namespace

TEST(ServerProcess, EndsWithCodeOneWhenItCannotStartAndKilledMidLoadLosesNoAnsweredApproval) {
    TempFolder temp;
    std::filesystem::path db = temp.path() / "ledger.db";
    Ledger ledger;
    ledger.Open(db);
    LoadCards load = ProvideLoadCards(ledger, 6);
    ledger.Close();
    std::mutex mutex;
    std::map<std::string, std::string> answered; // approval number, card
    std::atomic<int> approvals = 0;
    // Approvals without an answer, as their automatic cancellations, with the approval's moment.
    std::vector<std::pair<RequestFields, std::int64_t>> lost;
    std::int64_t started = Teller::SecondsOf(SystemClock().Now());
    {
        ServerProcess server(db);
        TerminalTarget target{QHostAddress::LocalHost, server.WaitListening(), 5000, {}};
        RequestFields login = LoginRequest(load.authNo);
        login.MerchantNo = load.businessNo;
        ASSERT_EQ(TerminalExchange(LoadedCipher(), target, Telegram(login)).fields.RespCode, "00");
        // A second server cannot have either port of the first, nor start without a ledger.
        QString taken = "127.0.0.1:" + QString::number(target.port);
        ServerProcess second(temp.path() / "b.db", taken);
        EXPECT_EQ(second.WaitExit(), 1);
        EXPECT_TRUE(second.process.readAllStandardError().contains("cannot listen on " + taken.toUtf8()));
        EXPECT_EQ(ServerProcess(temp.path() / "c.db", "127.0.0.1:0", taken).WaitExit(), 1);
        EXPECT_EQ(ServerProcess(std::filesystem::path()).WaitExit(), 1);

        std::vector<std::jthread> terminals;
        for (const std::string& card : load.cards) {
            terminals.emplace_back([&, card](std::stop_token stop) {
                // Equal amounts on one card 31 seconds apart on the terminal's clock: beyond the reach of
                // the next one's automatic cancellation, as at a real counter.
                for (std::int64_t moment = started + 31; !stop.stop_requested(); moment += 31) {
                    RequestFields f = CounterRequest("0500", card, load.careCode, "700");
                    f.MerchantNo = load.merchantNo;
                    Stamp(f, moment);
                    TerminalAnswer a = TerminalExchange(LoadedCipher(), target, Telegram(f));
                    std::lock_guard lock(mutex);
                    if (!a.Answered()) {
                        f.MsgType = "0600";
                        f.CancelType = "2";
                        lost.emplace_back(f, moment);
                        return;
                    }
                    answered.emplace(a.fields.RespCode == "00" ? a.fields.ApprovalNo : "refused", card);
                    ++approvals;
                }
            });
        }
        for (auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
             approvals < 150 && std::chrono::steady_clock::now() < giveUp;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        server.process.kill(); // SIGKILL: no chance to finish anything
        server.WaitExit();
    }
    EXPECT_GE(approvals, 150) << "the load never got going";
    EXPECT_FALSE(lost.empty());

    // The same ledger opens again behind a new server, where the terminals' sessions still hold: the
    // automatic cancellations go through without a new login, at the time-out's moment and again with
    // the approval's own, as a restarted program sends them.
    ServerProcess restarted(db);
    TerminalTarget target{QHostAddress::LocalHost, restarted.WaitListening(), 5000, {}};
    std::int64_t reversals = 0;
    for (auto& [cancel, approvedAt] : lost) {
        for (std::int64_t at : {approvedAt + 10, approvedAt}) {
            Stamp(cancel, at);
            std::string code = TerminalExchange(LoadedCipher(), target, Telegram(cancel)).fields.RespCode;
            ASSERT_TRUE(code == "00" || code == "22") << code;
            reversals += code == "00";
        }
    }
    restarted.process.terminate();
    EXPECT_EQ(restarted.WaitExit(), 0);

    // Every answered approval stands as it was answered, refused ones showing as "refused"; the
    // cancellations are exactly the ones answered, so none reversed an answered approval.
    ledger.Open(db);
    std::map<std::string, std::string> standing; // approval number, card
    Query q = ledger.database().Prepare("SELECT approval_no, card_no FROM ledger a WHERE kind = 'approval' "
                                        "AND NOT EXISTS (SELECT 1 FROM ledger c WHERE c.cancels = a.id)");
    while (q.Step()) {
        standing.emplace(q.Text(0), q.Text(1));
    }
    for (const auto& [number, card] : answered) {
        EXPECT_EQ(standing[number], card) << number << " was answered but does not stand in the ledger";
    }
    EXPECT_EQ(Count(ledger, "SELECT count(*) FROM ledger WHERE kind = 'cancellation'"), reversals);
    EXPECT_EQ(LedgerProblems(ledger), std::vector<std::string>());
}

TEST(ServerProcess, MerchantsSharingAnAddressKeepTheirSessionsAndAFullDiskRefusesOnlyWhatMustBeWritten) {
    TempFolder temp;
    std::filesystem::path db = temp.path() / "ledger.db";
    SystemClock clock;
    Ledger ledger;
    ledger.Open(db);
    SeedDemo(ledger, clock);
    LoadCards load = ProvideLoadCards(ledger, 1);
    // A counter at 127.0.0.3 logged in two minutes before the server was restarted.
    ledger.Begin();
    ledger.OpenSession("127.0.0.3", DemoMerchant, Teller::SecondsOf(clock.Now()) - 120);
    ledger.Commit();
    ledger.Close();
    ServerProcess server(db);
    quint16 port = server.WaitListening();
    auto send = [&](RequestFields f, const char* from) {
        Stamp(f, Teller::SecondsOf(clock.Now()));
        TerminalTarget target{QHostAddress::LocalHost, port, 5000, QHostAddress(from)};
        return TerminalExchange(LoadedCipher(), target, Telegram(f)).fields.RespCode;
    };
    // The answers in the order sent: the elements of a braced list are sent one after the other.
    auto codes = [](std::initializer_list<std::string> answers) {
        std::string joined;
        for (const std::string& code : answers) {
            joined += (joined.empty() ? "" : " ") + code;
        }
        return joined;
    };
    RequestFields loadLogin = LoginRequest(load.authNo);
    loadLogin.MerchantNo = load.businessNo;
    auto approval = [&](bool loadMerchant) {
        RequestFields f = loadMerchant ? CounterRequest("0500", load.cards[0], load.careCode, "700")
                                       : CounterRequest("0500", Haneul, "01S", "1000");
        f.MerchantNo = loadMerchant ? load.merchantNo : DemoMerchant;
        return f;
    };
    // Two business numbers at one counter, behind one line: each logs in, then each approves.
    const char* shared = "127.0.0.1";
    EXPECT_EQ(codes({send(LoginRequest(), shared), send(loadLogin, shared), send(approval(false), shared),
                     send(approval(true), shared)}),
              "00 00 00 00");

    // The disk fills up: none of the server's files may grow any further.
    pid_t pid = static_cast<pid_t>(server.process.processId());
    rlimit room{};
    ASSERT_EQ(prlimit(pid, RLIMIT_FSIZE, nullptr, &room), 0);
    rlimit full = room;
    full.rlim_cur = static_cast<rlim_t>(std::filesystem::file_size(db.string() + "-wal")) + 1;
    ASSERT_EQ(prlimit(pid, RLIMIT_FSIZE, &full, nullptr), 0);
    // The restarted counter's logins find its session and are let in, and it may look a card up, though
    // none of them can move the session's last request on; a charge is refused, and so is a new session,
    // which leaves nothing behind to let a request in.
    std::string logins;
    for (int i = 0; i < 10; ++i) {
        logins += send(LoginRequest(), "127.0.0.3");
    }
    EXPECT_EQ(logins, std::string(20, '0'));
    EXPECT_EQ(codes({send(CounterRequest("0200"), "127.0.0.3"), send(approval(false), "127.0.0.3"),
                     send(LoginRequest(), "127.0.0.2"), send(CounterRequest("0200"), "127.0.0.2")}),
              "00 29 29 77");

    // With room again, the new session opens.
    ASSERT_EQ(prlimit(pid, RLIMIT_FSIZE, &room, nullptr), 0);
    EXPECT_EQ(codes({send(LoginRequest(), "127.0.0.2"), send(CounterRequest("0200"), "127.0.0.2")}), "00 00");
}
