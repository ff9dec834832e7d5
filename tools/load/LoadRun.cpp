#include "tools/load/LoadRun.h"

#include "foundations/AnsiText.h"
#include "foundations/Clock.h"
#include "server/FieldWidth.h"
#include "transport/Layouts.h"
#include "transport/MessageTypes.h"
#include "transport/ResponseCodes.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace dovra {

namespace {

using Steady = std::chrono::steady_clock;

// The trace number is the time of day and a counter in the rest of its width.
constexpr int SequenceWidth = FieldWidth(CommonHeaderLayout, &CommonHeader::TraceNo) -
                              FieldWidth(CommonHeaderLayout, &CommonHeader::SendTime);

struct TerminalTally {
    std::int64_t approvals = 0, cancellations = 0, lookups = 0, failures = 0;
    std::map<std::string, std::int64_t> refusals;
    std::vector<double> latencies;
};

class LoadTerminal {
public:
    LoadTerminal(const CipherLibrary& cipher, const LoadSettings& settings, int index)
        : cipher_(cipher), settings_(settings), target_(settings.target),
          card_(settings.cards.cards[static_cast<size_t>(index)]) {
        // Counters sit at addresses of their own, each with its own session and its own share of the
        // server's connections.
        if (target_.host.isLoopback() && target_.host.protocol() == QAbstractSocket::IPv4Protocol) {
            target_.from = QHostAddress((127u << 24) | (1u << 16) | static_cast<quint32>(index + 1));
        }
    }

    void Run(Steady::time_point until) {
        TerminalAnswer login = Ask(MessageType::Login);
        if (!login.Answered() || login.fields.RespCode != RespCode::Success) {
            return;
        }
        while (Steady::now() < until) {
            if (!Ask(MessageType::CardLookup).Answered()) {
                continue;
            }
            TerminalAnswer approval = Ask(MessageType::Approval);
            if (approval.Answered() && approval.fields.RespCode == RespCode::Success) {
                Ask(MessageType::Cancellation, approval.fields.ApprovalNo, approval.fields.TransDate);
            }
        }
    }

    TerminalTally tally;

private:
    TerminalAnswer Ask(std::string_view msgType, const std::string& orgApprovalNo = {},
                       const std::string& orgAuthDate = {}) {
        LocalTime now = clock_.Now();
        RequestFields f;
        f.MsgType = msgType;
        f.IssueCode = "0301";
        f.SendDate = f.TransDate = FormatDate(now);
        f.SendTime = f.TransTime = FormatTime(now);
        // A counter in the trace number keeps every request distinct, so none is answered from the
        // server's store of first answers. PadField keeps its last digits, so it wraps round by itself.
        f.TraceNo = FormatTime(now) + PadField(std::to_string(++sequence_), true, SequenceWidth);
        f.RespCode = RespCode::Success;
        bool login = msgType == MessageType::Login;
        bool lookup = msgType == MessageType::CardLookup;
        f.MerchantNo = login ? settings_.cards.businessNo : settings_.cards.merchantNo;
        f.AuthNo = login ? settings_.cards.authNo : "";
        f.TransKind = lookup ? TransactionKind::CardLookup : TransactionKind::Transaction;
        f.EntryMode = "0";
        f.CardData = card_;
        f.Amount = lookup ? "0" : "10000";
        f.CareCode = lookup ? "" : settings_.cards.careCode;
        f.CancelType = msgType == MessageType::Cancellation ? CancelType::ByMerchant : CancelType::None;
        f.OrgApprovalNo = orgApprovalNo;
        f.OrgAuthDate = orgAuthDate;

        auto start = Steady::now();
        std::string telegram = login ? AssembleLoginRequest(f) : AssembleStandardRequest(f);
        TerminalAnswer answer = TerminalExchange(cipher_, target_, telegram);
        if (!answer.Answered()) {
            ++tally.failures;
            return answer;
        }
        if (login) {
            if (answer.fields.RespCode != RespCode::Success) {
                ++tally.refusals[std::string(msgType) + " " + answer.fields.RespCode];
            }
            return answer;
        }
        tally.latencies.push_back(std::chrono::duration<double, std::milli>(Steady::now() - start).count());
        if (answer.fields.RespCode != RespCode::Success) {
            ++tally.refusals[std::string(msgType) + " " + answer.fields.RespCode];
        } else if (lookup) {
            ++tally.lookups;
        } else if (msgType == MessageType::Approval) {
            ++tally.approvals;
        } else {
            ++tally.cancellations;
        }
        return answer;
    }

    const CipherLibrary& cipher_;
    const LoadSettings& settings_;
    TerminalTarget target_;
    std::string card_;
    SystemClock clock_;
    std::uint64_t sequence_ = 0;
};

double Percentile(const std::vector<double>& sorted, double fraction) {
    if (sorted.empty()) {
        return 0;
    }
    size_t rank = static_cast<size_t>(fraction * static_cast<double>(sorted.size()));
    return sorted[std::min(rank, sorted.size() - 1)];
}

} // namespace

LoadReport RunLoad(const CipherLibrary& cipher, const LoadSettings& settings) {
    std::vector<LoadTerminal> terminals;
    terminals.reserve(settings.cards.cards.size());
    for (size_t i = 0; i < settings.cards.cards.size(); ++i) {
        terminals.emplace_back(cipher, settings, static_cast<int>(i));
    }
    auto start = Steady::now();
    auto until =
        start + std::chrono::duration_cast<Steady::duration>(std::chrono::duration<double>(settings.seconds));
    std::vector<std::thread> threads;
    for (LoadTerminal& terminal : terminals) {
        threads.emplace_back([&terminal, until] { terminal.Run(until); });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }

    LoadReport report;
    report.seconds = std::chrono::duration<double>(Steady::now() - start).count();
    std::vector<double> latencies;
    for (const LoadTerminal& terminal : terminals) {
        const TerminalTally& t = terminal.tally;
        report.approvals += t.approvals;
        report.cancellations += t.cancellations;
        report.lookups += t.lookups;
        report.failures += t.failures;
        for (const auto& [what, count] : t.refusals) {
            report.refusals[what] += count;
        }
        latencies.insert(latencies.end(), t.latencies.begin(), t.latencies.end());
    }
    report.exchanges = static_cast<std::int64_t>(latencies.size());
    std::sort(latencies.begin(), latencies.end());
    report.p50Ms = Percentile(latencies, 0.50);
    report.p99Ms = Percentile(latencies, 0.99);
    return report;
}

} // namespace dovra
