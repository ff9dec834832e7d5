#pragma once

#include "server/Database.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace dovra {

// Texts are stored as UTF-8 and become CP949 only in a telegram.
struct Merchant {
    std::string merchantNo, businessNo, name, phone, address;
    std::string authSalt, authHash;
};

enum class CardState { Active, Stolen, Expired };

struct Card {
    std::string cardNo, student, school;
    CardState state = CardState::Active;
};

struct CareItemRecord {
    std::string code; // two digits and the programme mark, "01S"
    char programme = 'S';
    std::string name;
    std::int64_t amount = 0;
    std::string teacherCode, teacherName;
};

struct Budget {
    std::int64_t support = 0, used = 0, remaining = 0;
};

enum class EntryKind { Approval, Cancellation };

struct LedgerEntry {
    std::int64_t id = 0;
    EntryKind kind = EntryKind::Approval;
    std::string approvalNo;
    std::string merchantNo, cardNo, careCode;
    char programme = 'S';
    std::int64_t amount = 0;
    std::string budgetMonth; // YYYYMM
    std::string transDate, transTime;
    std::int64_t atSeconds = 0;
    // The terminal's own clock at the request, on the count of Teller::SecondsOf; none when the
    // request's date and time could not be read or the entry predates it.
    std::optional<std::int64_t> clientSeconds;
    std::int64_t cancels = 0; // the approval a cancellation reverses
};

struct MomentRange {
    std::int64_t from = 0, to = 0; // both included
};

// An automatic cancellation that found nothing to reverse, kept until no approval it could match can
// still be taken.
struct UnmatchedCancellation {
    std::string merchantNo, cardNo, careCode;
    std::int64_t amount = 0;
    std::string transDate, transTime;
    std::int64_t atSeconds = 0;
    std::optional<std::int64_t> clientSeconds;
    std::int64_t keepUntil = 0;
};

struct Session {
    std::int64_t lastSeconds = 0;
    // False while the session is written only in the open transaction: a commit may yet lose it.
    bool settled = true;
};

// The server's durable state in one SQLite file: WAL with synchronous=FULL, so a committed
// transaction is on disk when Commit returns. One thread at a time uses an instance.
class Ledger {
public:
    // Opens or creates the file and migrates it forward; throws DatabaseError.
    void Open(const std::filesystem::path& file);
    void Close() { db_.Close(); }
    Database& database() { return db_; }

    void Begin();
    void Commit();
    void Rollback();
    // A savepoint inside the open transaction, so one request's failure undoes that request alone.
    void Mark();
    void ReleaseMark();
    void RollbackToMark();
    bool InTransaction() const { return db_.InTransaction(); }

    bool IsEmpty();

    void AddMerchant(const Merchant& merchant);
    void AddCard(const Card& card);
    void SetProgramme(const std::string& cardNo, char programme, std::int64_t monthlySupport);
    void AddCareItem(const std::string& cardNo, int position, const CareItemRecord& item);

    std::optional<Merchant> MerchantByNumber(const std::string& merchantNo);
    std::optional<Merchant> MerchantByBusinessNumber(const std::string& businessNo);
    std::optional<Card> CardByNumber(const std::string& cardNo);
    std::vector<CareItemRecord> CareItems(const std::string& cardNo); // in position order

    // A programme the card does not have reads as a support of 0.
    Budget BudgetOf(const std::string& cardNo, char programme, const std::string& month);
    // Both throw DatabaseError when the budget would go below zero or beyond its support.
    Budget Charge(const std::string& cardNo, char programme, const std::string& month, std::int64_t amount);
    Budget Restore(const std::string& cardNo, char programme, const std::string& month, std::int64_t amount);

    // Appends the entry with the next id; approvals and cancellations get that id as their 12-digit
    // approval number. Returns the entry as stored.
    LedgerEntry Append(LedgerEntry entry);
    std::optional<LedgerEntry> ApprovalByNumber(const std::string& merchantNo, const std::string& approvalNo,
                                                const std::string& transDate);
    bool IsCancelled(std::int64_t approvalId);
    // An approval that no cancellation has reversed yet. With a range of client moments, the one whose
    // client moment is latest in it, else the latest without a client moment made since serverSince;
    // without a range, the latest made since serverSince.
    std::optional<LedgerEntry> LatestUncancelledApproval(const std::string& merchantNo,
                                                         const std::string& cardNo,
                                                         const std::string& careCode, std::int64_t amount,
                                                         std::optional<MomentRange> client,
                                                         std::int64_t serverSince);

    // A merchant's session at a peer address; other merchants' sessions there are left as they are.
    void OpenSession(const std::string& peer, const std::string& merchantNo, std::int64_t atSeconds);
    std::optional<Session> SessionOf(const std::string& peer, const std::string& merchantNo);
    void TouchSession(const std::string& peer, const std::string& merchantNo, std::int64_t atSeconds);
    void PruneSessions(std::int64_t lastBeforeSeconds);

    void RecordUnmatchedCancellation(const UnmatchedCancellation& attempt);
    void PruneUnmatchedCancellations(std::int64_t nowSeconds);

    std::optional<std::string> Replay(const std::string& requestHash);
    void StoreReplay(const std::string& requestHash, const std::string& answer, std::int64_t atSeconds);
    void PruneReplays(std::int64_t beforeSeconds);

private:
    Database db_;
    std::set<std::pair<std::string, std::string>> unsettledSessions_; // peer, merchant
};

} // namespace dovra
