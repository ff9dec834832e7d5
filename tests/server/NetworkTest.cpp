#include "ServerTestSupport.h"

#include "foundations/Cp949.h"
#include "transport/Envelope.h"

#include <QTcpSocket>

#ifndef _WIN32
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <random>
#include <set>
#include <thread>

using namespace dovra;
using namespace dovra::testing;

namespace {

class NetworkTest : public ::testing::Test {
protected:
    // Started with the demo merchant logged in from 127.0.0.1, as the counter would be.
    std::unique_ptr<ServerThread> Start(ServerSettings settings = {}) {
        auto server = std::make_unique<ServerThread>(temp.path() / "ledger.db", std::move(settings));
        EXPECT_TRUE(server->LogIn());
        return server;
    }
    TerminalAnswer Send(const ServerThread& server, const RequestFields& f, Port port = Port::Approval) {
        std::string telegram = f.MsgType == "0100" ? AssembleLoginRequest(f) : AssembleStandardRequest(f);
        return TerminalExchange(server.cipher(), server.Target(port), telegram);
    }
    TempFolder temp;
};

RequestFields Approval(const std::string& amount, const std::string& care = "01S") {
    RequestFields f = CounterRequest("0500");
    f.CareCode = care;
    f.Amount = amount;
    return f;
}

} // namespace

TEST_F(NetworkTest, ExchangesTravelEncryptedOverLoopbackOnBothPorts) {
    auto server = Start();
    TerminalAnswer answer = Send(*server, LoginRequest());
    ASSERT_TRUE(answer.Answered());
    ResponseFields read;
    ASSERT_TRUE(CutLoginAnswer(answer.decrypted, read));
    EXPECT_EQ(read.RespCode, "00");
    EXPECT_EQ(Cp949ToUtf8(read.MerchantName).substr(0, 24), "새싹아동발달센터");

    RequestFields manual = CounterRequest("0200", Chorong);
    manual.IssueCode = "KVRB";
    manual.EntryMode = "2";
    TerminalAnswer lookup = Send(*server, manual, Port::Lookup);
    ASSERT_TRUE(lookup.Answered());
    EXPECT_EQ(lookup.fields.RespCode, "00");
    EXPECT_EQ(lookup.fields.MonthRemain, "000010000");
    EXPECT_EQ(lookup.fields.CareItems[0].ItemCode, "01S");

    TerminalAnswer wrongPort = Send(*server, Approval("1000"), Port::Lookup);
    ASSERT_TRUE(wrongPort.Answered());
    EXPECT_EQ(wrongPort.fields.RespCode, "93");

    // A body a byte short still has a header: it is refused with the request's own trace number.
    RequestFields shortOne = Approval("1000");
    std::string telegram = AssembleStandardRequest(shortOne).substr(0, 449);
    TerminalAnswer refused = TerminalExchange(server->cipher(), server->Target(), telegram);
    ASSERT_TRUE(refused.Answered());
    EXPECT_EQ(refused.fields.RespCode, "93");
    EXPECT_EQ(refused.fields.TraceNo, shortOne.TraceNo);
    EXPECT_EQ(refused.fields.PlainLength, "0450");

    // Sessions go by the sender's address.
    QHostAddress elsewhere("127.0.0.3");
    auto fromElsewhere = [&] {
        std::string telegram = AssembleStandardRequest(CounterRequest("0700"));
        return TerminalExchange(server->cipher(), server->Target(Port::Approval, 10000, elsewhere), telegram);
    };
    EXPECT_EQ(fromElsewhere().fields.RespCode, "77");
    ASSERT_TRUE(server->LogIn(elsewhere));
    EXPECT_EQ(fromElsewhere().fields.RespCode, "00");

    bool loggedAuthNumber = false;
    for (const std::string& line : server->LogLines()) {
        loggedAuthNumber |= line.find("2580") != std::string::npos;
    }
    EXPECT_FALSE(loggedAuthNumber);
}

TEST_F(NetworkTest, ConcurrentTerminalsAreAllChargedOnce) {
    auto server = Start();
    constexpr int Terminals = 16, Each = 8;
    std::vector<std::thread> threads;
    std::mutex mutex;
    std::set<std::string> numbers;
    std::atomic<int> approved = 0;
    for (int t = 0; t < Terminals; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < Each; ++i) {
                TerminalAnswer a = Send(*server, Approval("1000"));
                if (a.Answered() && a.fields.RespCode == "00") {
                    ++approved;
                    std::lock_guard lock(mutex);
                    numbers.insert(a.fields.ApprovalNo);
                }
            }
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    EXPECT_EQ(approved, Terminals * Each);
    EXPECT_EQ(numbers.size(), static_cast<size_t>(Terminals * Each));
    TerminalAnswer balance = Send(*server, CounterRequest("0700"));
    EXPECT_EQ(balance.fields.SupportUsed, "000128000");
}

TEST_F(NetworkTest, AutomaticCancellationCountsEvenWhenTheSenderHangsUpAtOnce) {
    auto server = Start();
    ASSERT_EQ(Send(*server, Approval("40000")).fields.RespCode, "00");
    RequestFields cancel = Approval("40000");
    cancel.MsgType = "0600";
    cancel.CancelType = "2";
    ASSERT_TRUE(
        SendAndClose(server->Target(), SealTelegram(server->cipher(), AssembleStandardRequest(cancel))));
    std::string used;
    for (int attempt = 0; attempt < 100 && used != "000000000"; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        used = Send(*server, CounterRequest("0700")).fields.SupportUsed;
    }
    EXPECT_EQ(used, "000000000");
}

TEST_F(NetworkTest, IdleAndHalfSentConnectionsAreDropped) {
    ServerSettings settings;
    settings.idleLimit = std::chrono::milliseconds(200);
    auto server = Start(settings);
    for (std::string sent : {std::string(), std::string("0400"), std::string("0400abcdef")}) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, server->Target().port);
        ASSERT_TRUE(socket.waitForConnected(5000));
        socket.write(sent.data(), static_cast<qint64>(sent.size()));
        socket.waitForBytesWritten(1000);
        EXPECT_TRUE(socket.state() == QAbstractSocket::UnconnectedState || socket.waitForDisconnected(10000))
            << sent;
    }
    EXPECT_EQ(Send(*server, CounterRequest("0200")).fields.RespCode, "00");
}

TEST_F(NetworkTest, ThousandsOfBadFramesLeaveTheServerServing) {
    ServerSettings settings;
    settings.idleLimit = std::chrono::milliseconds(500);
    auto server = Start(settings);
    const CipherLibrary& cipher = server->cipher();
    std::mt19937 random(42);
    auto byte = [&] { return static_cast<char>(random() & 0xFF); };
    std::string good = SealTelegram(cipher, AssembleStandardRequest(Approval("1000")));

    int answered93 = 0;
    for (int i = 0; i < 2000; ++i) {
        std::string frame;
        std::string plain = AssembleStandardRequest(CounterRequest(i % 2 == 0 ? "0200" : "0700"));
        switch (i % 5) {
        case 0: // noise, now and then behind a plausible prefix
            for (int n = static_cast<int>(random() % 1200); n > 0; --n) {
                frame += byte();
            }
            if (i % 10 == 0) {
                frame = "0" + std::to_string(100 + random() % 900) + frame;
            }
            break;
        case 1: // a good frame cut short
            frame = good.substr(0, random() % good.size());
            break;
        case 2: // a good frame with bits flipped
            frame = good;
            for (int n = 1 + static_cast<int>(random() % 4); n > 0; --n) {
                frame[random() % frame.size()] ^= static_cast<char>(1 << (random() % 8));
            }
            break;
        case 3: // well sealed, but the telegram inside is damaged
            for (int n = 1 + static_cast<int>(random() % 8); n > 0; --n) {
                plain[random() % plain.size()] = byte();
            }
            plain.resize(random() % 3 == 0 ? random() % 700 : plain.size());
            frame = SealTelegram(cipher, plain);
            break;
        case 4: // well sealed, a header and a body of the wrong width
            frame = SealTelegram(cipher, plain.substr(0, 51 + random() % 398));
            break;
        }
        if (i % 5 >= 3 && !frame.empty()) {
            std::string reply = SendRaw(server->Target(Port::Approval, 5000), frame);
            answered93 += !reply.empty();
        } else {
            SendAndClose(server->Target(), frame);
        }
        if (i % 100 == 99) {
            TerminalAnswer check = Send(*server, CounterRequest("0200"));
            ASSERT_TRUE(check.Answered()) << "after frame " << i;
            ASSERT_EQ(check.fields.RespCode, "00");
        }
    }
    EXPECT_GT(answered93, 400);
}

#ifndef _WIN32 // the flood is made of plain sockets, a descriptor each

namespace {

// Connections from 127.0.0.2 that a flood keeps open: idle ones, and slow ones sending, a byte a second,
// a frame that promises 450 characters. Once a second, whatever the server closed is opened again.
class Flood {
public:
    Flood(quint16 port, int idle, int slow)
        : fds_(static_cast<size_t>(idle + slow), -1), sent_(fds_.size(), -1) {
        std::fill(sent_.begin() + idle, sent_.end(), 0);
        thread_ = std::thread([this, port] {
            for (int tick = 0; !stop_; ++tick) {
                if (tick % 10 == 0) {
                    Round(port);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        });
    }
    ~Flood() {
        stop_ = true;
        thread_.join();
        for (int fd : fds_) {
            ::close(fd);
        }
    }
    int connects() const { return connects_; }

private:
    void Round(quint16 port) {
        for (size_t i = 0; i < fds_.size(); ++i) {
            int& fd = fds_[i];
            int& sent = sent_[i]; // -1 for an idle connection
            pollfd p{fd, POLLIN, 0};
            char byte = sent >= 0 && sent < 4 ? "0450"[sent] : 'A';
            bool closed = fd >= 0 && ::poll(&p, 1, 0) > 0 &&
                          (p.revents & (POLLHUP | POLLERR) || ::recv(fd, &byte, 1, MSG_DONTWAIT) <= 0);
            if (!closed && fd >= 0 && sent >= 0) {
                sent += ::send(fd, &byte, 1, MSG_NOSIGNAL) == 1 ? 1 : 0;
            }
            if (closed || fd < 0) {
                ::close(fd);
                sent = sent >= 0 ? 0 : -1;
                sockaddr_in from{}, to{};
                from.sin_family = to.sin_family = AF_INET;
                from.sin_addr.s_addr = htonl(0x7F000002);
                to.sin_addr.s_addr = htonl(0x7F000001);
                to.sin_port = htons(port);
                fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
                ::bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from);
                ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to);
                ++connects_;
            }
        }
    }

    std::vector<int> fds_;
    std::vector<int> sent_;
    std::atomic<bool> stop_ = false;
    std::atomic<int> connects_ = 0;
    std::thread thread_;
};

} // namespace

TEST_F(NetworkTest, AFloodFromOneAddressLeavesTheCounterServed) {
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = std::min<rlim_t>(files.rlim_max, 4096);
    setrlimit(RLIMIT_NOFILE, &files);
    if (files.rlim_cur < 2000) {
        GTEST_SKIP() << "needs 2,000 descriptors, may have " << files.rlim_cur;
    }
    auto server = Start();
    Flood flood(server->Target().port, 1100, 200);
    std::this_thread::sleep_for(std::chrono::seconds(1));

    std::vector<double> latencies;
    int tried = 0;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(6);
    while (std::chrono::steady_clock::now() < until) {
        ++tried;
        auto start = std::chrono::steady_clock::now();
        TerminalAnswer a = TerminalExchange(server->cipher(), server->Target(Port::Approval, 2000),
                                            AssembleStandardRequest(Approval("1")));
        if (a.Answered() && a.fields.RespCode == "00") {
            latencies.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    }
    std::sort(latencies.begin(), latencies.end());
    double p99 = latencies.empty() ? 0 : latencies[latencies.size() * 99 / 100];
    std::printf("flood: %d connections opened from 127.0.0.2; %zu of %d approvals answered, p50 %.1f ms, "
                "p99 %.1f ms\n",
                flood.connects(), latencies.size(), tried,
                latencies.empty() ? 0 : latencies[latencies.size() / 2], p99);
    EXPECT_GT(flood.connects(), 2600); // the flood kept coming
    EXPECT_GE(static_cast<double>(latencies.size()), 0.99 * tried);
    bool told = false;
    for (const std::string& line : server->LogLines()) {
        told |= line.find("connections from 127.0.0.2 refused while 32 are open") != std::string::npos;
    }
    EXPECT_TRUE(told);
}

#endif
