#include "tools/load/LoadRun.h"

#include "foundations/AnsiText.h"
#include "foundations/Clock.h"
#include "transport/Layouts.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace dovra {

namespace {

using Steady = std::chrono::steady_clock;

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
        TerminalAnswer login = Ask("0100");
        if (!login.Answered() || login.fields.RespCode != "00") {
            return;
        }
        while (Steady::now() < until) {
            if (!Ask("0200").Answered()) {
                continue;
            }
            TerminalAnswer approval = Ask("0500");
            if (approval.Answered() && approval.fields.RespCode == "00") {
                Ask("0600", approval.fields.ApprovalNo, approval.fields.TransDate);
            }
        }
    }

    TerminalTally tally;

private:
    TerminalAnswer Ask(const std::string& msgType, const std::string& orgApprovalNo = {},
                       const std::string& orgAuthDate = {}) {
        LocalTime now = clock_.Now();
        RequestFields f;
        f.MsgType = msgType;
        f.IssueCode = "0301";
        f.SendDate = f.TransDate = FormatDate(now);
        f.SendTime = f.TransTime = FormatTime(now);
        // A counter in the trace number keeps every request distinct, so none is answered from the
        // server's store of first answers.
        f.TraceNo = FormatTime(now) + PadField(std::to_string(++sequence_ % 1000000), true, 6);
        f.RespCode = "00";
        f.MerchantNo = msgType == "0100" ? settings_.cards.businessNo : settings_.cards.merchantNo;
        f.AuthNo = msgType == "0100" ? settings_.cards.authNo : "";
        f.TransKind = msgType == "0200" ? "21" : "11";
        f.EntryMode = "0";
        f.CardData = card_;
        f.Amount = msgType == "0200" ? "0" : "10000";
        f.CareCode = msgType == "0200" ? "" : settings_.cards.careCode;
        f.CancelType = msgType == "0600" ? "7" : "0";
        f.OrgApprovalNo = orgApprovalNo;
        f.OrgAuthDate = orgAuthDate;

        auto start = Steady::now();
        std::string telegram = msgType == "0100" ? AssembleLoginRequest(f) : AssembleStandardRequest(f);
        TerminalAnswer answer = TerminalExchange(cipher_, target_, telegram);
        if (!answer.Answered()) {
            ++tally.failures;
            return answer;
        }
        if (msgType == "0100") {
            if (answer.fields.RespCode != "00") {
                ++tally.refusals["0100 " + answer.fields.RespCode];
            }
            return answer;
        }
        tally.latencies.push_back(std::chrono::duration<double, std::milli>(Steady::now() - start).count());
        if (answer.fields.RespCode != "00") {
            ++tally.refusals[msgType + " " + answer.fields.RespCode];
        } else if (msgType == "0200") {
            ++tally.lookups;
        } else if (msgType == "0500") {
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
