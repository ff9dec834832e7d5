#include "ServerTestSupport.h"

#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>

#include <set>
#include <thread>

using namespace dovra;
using namespace dovra::testing;

TEST(Network, ConcurrentTerminalsAreChargedOnceWhileAFloodFromOneAddressIsHeldOff) {
    TempFolder temp;
    ServerThread server(temp.path() / "ledger.db");
    // Far more connections from 127.0.0.2 than one address may hold, none of them sending a byte.
    std::vector<std::unique_ptr<QTcpSocket>> flood(300);
    for (auto& socket : flood) {
        socket = std::make_unique<QTcpSocket>();
        socket->bind(QHostAddress("127.0.0.2"));
        socket->connectToHost(QHostAddress::LocalHost, server.Target().port);
    }
    std::mutex mutex;
    std::set<std::string> numbers;
    {
        std::vector<std::jthread> terminals;
        for (int t = 0; t < 16; ++t) {
            terminals.emplace_back([&] {
                for (int i = 0; i < 8; ++i) {
                    TerminalAnswer a = server.Send(CounterRequest("0500", Haneul, "01S", "1000"));
                    std::lock_guard lock(mutex);
                    numbers.insert(a.fields.ApprovalNo);
                }
            });
        }
    }
    EXPECT_EQ(numbers.size(), 128u); // no approval number given twice
    EXPECT_EQ(server.Send(CounterRequest("0700")).fields.SupportUsed, "000128000");

    // The automatic cancellation is sent as the connection closes; what it sent counts all the same.
    ASSERT_TRUE(SendAndClose(server.Target(),
                             SealTelegram(LoadedCipher(), Telegram(AutoCancel(Haneul, "01S", "1000")))));
    std::string used;
    for (int attempt = 0; attempt < 100 && used != "000127000"; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        used = server.Send(CounterRequest("0700")).fields.SupportUsed;
    }
    EXPECT_EQ(used, "000127000");

    QEventLoop settling;
    QTimer::singleShot(2000, &settling, &QEventLoop::quit);
    settling.exec();
    auto open = std::count_if(flood.begin(), flood.end(),
                              [](const auto& s) { return s->state() == QAbstractSocket::ConnectedState; });
    EXPECT_EQ(open, 32); // the rest were closed at once
    EXPECT_EQ(server.Logged("connections from 127.0.0.2 refused while 32 are open"), 1);
}

TEST(Network, BothPortsAnswerWhatTheyTakeAndBadOrIdleFramesLeaveTheServerServing) {
    ServerSettings settings;
    settings.idleLimit = std::chrono::milliseconds(300);
    TempFolder temp;
    ServerThread server(temp.path() / "ledger.db", settings);
    RequestFields approval = CounterRequest("0500", Haneul, "01S", "1000");
    RequestFields manual = CounterRequest("0200", Chorong);
    manual.IssueCode = "KVRB";
    manual.EntryMode = "2";
    ResponseFields lookup = server.Send(manual, Port::Lookup).fields;
    EXPECT_EQ(lookup.RespCode + lookup.IssueCode + lookup.MonthRemain + lookup.CareItems[0].ItemCode,
              "00KVRB00001000001S");
    EXPECT_EQ(server.Send(approval, Port::Lookup).fields.RespCode, "93");

    // A body a byte short still has a header: it is refused with the request's own trace number.
    ResponseFields refused =
        TerminalExchange(LoadedCipher(), server.Target(), Telegram(approval).substr(0, 449)).fields;
    EXPECT_EQ(refused.PlainLength + refused.RespCode + refused.TraceNo, "045093" + approval.TraceNo);

    // Sessions go by the sender's address, and the log keeps no authentication number.
    EXPECT_EQ(server.Send(CounterRequest("0700"), Port::Approval, QHostAddress("127.0.0.3")).fields.RespCode,
              "77");
    EXPECT_EQ(server.Logged("2580"), 0);

    // A connection that sends nothing, or half a frame, is hung up on at the idle limit.
    for (std::string sent : {"", "0400", "0400abcdef"}) {
        EXPECT_EQ(SendRaw(server.Target(), sent), "") << sent;
    }
    EXPECT_EQ(server.Logged("dropped: nothing complete within the time limit"), 3);

    // Still serving after all of that.
    EXPECT_EQ(server.Send(CounterRequest("0200")).fields.RespCode, "00");
}
