#include "server/Ledger.h"

#include "foundations/AnsiText.h"
#include "server/FieldWidth.h"
#include "server/Schema.h"

namespace dovra {

namespace {

const char* StateName(CardState state) {
    switch (state) {
    case CardState::Active:
        return "active";
    case CardState::Stolen:
        return "stolen";
    case CardState::Expired:
        return "expired";
    }
    return "active";
}

CardState StateFrom(const std::string& name) {
    if (name == "stolen") {
        return CardState::Stolen;
    }
    return name == "expired" ? CardState::Expired : CardState::Active;
}

const char* KindName(EntryKind kind) {
    return kind == EntryKind::Cancellation ? "cancellation" : "approval";
}

EntryKind KindFrom(const std::string& name) {
    return name == "cancellation" ? EntryKind::Cancellation : EntryKind::Approval;
}

const char* EntryColumns = "id, kind, coalesce(approval_no, ''), merchant_no, card_no, care_code, "
                           "coalesce(programme, 'S'), amount, coalesce(budget_month, ''), trans_date, "
                           "trans_time, at_seconds, coalesce(cancels, 0), client_seconds";

LedgerEntry EntryFrom(const Query& q) {
    LedgerEntry e;
    e.id = q.Int(0);
    e.kind = KindFrom(q.Text(1));
    e.approvalNo = q.Text(2);
    e.merchantNo = q.Text(3);
    e.cardNo = q.Text(4);
    e.careCode = q.Text(5);
    e.programme = q.Text(6).empty() ? 'S' : q.Text(6)[0];
    e.amount = q.Int(7);
    e.budgetMonth = q.Text(8);
    e.transDate = q.Text(9);
    e.transTime = q.Text(10);
    e.atSeconds = q.Int(11);
    e.cancels = q.Int(12);
    if (!q.IsNull(13)) {
        e.clientSeconds = q.Int(13);
    }
    return e;
}

Merchant MerchantFrom(const Query& q) {
    return {q.Text(0), q.Text(1), q.Text(2), q.Text(3), q.Text(4), q.Text(5), q.Text(6)};
}

const char* MerchantColumns = "merchant_no, business_no, name, phone, address, auth_salt, auth_hash";

} // namespace

void Ledger::Open(const std::filesystem::path& file) {
    db_.Open(file);
    {
        Query mode = db_.Prepare("PRAGMA journal_mode=WAL");
        if (!mode.Step() || mode.Text(0) != "wal") {
            throw DatabaseError(file.string() + " cannot be put in WAL mode");
        }
    }
    // FULL syncs the WAL at every commit: an approval once answered survives a power cut.
    db_.Exec("PRAGMA synchronous=FULL");
    db_.Exec("PRAGMA foreign_keys=ON");
    // Another process (the load tool adding its cards) may briefly hold the write lock.
    db_.Exec("PRAGMA busy_timeout=5000");
    MigrateSchema(db_);
}

void Ledger::Begin() {
    unsettledSessions_.clear();
    db_.Exec("BEGIN IMMEDIATE");
}

void Ledger::Commit() {
    db_.Exec("COMMIT");
    unsettledSessions_.clear();
}

void Ledger::Rollback() {
    unsettledSessions_.clear();
    db_.Exec("ROLLBACK");
}

void Ledger::Mark() {
    db_.Exec("SAVEPOINT request");
}

void Ledger::ReleaseMark() {
    db_.Exec("RELEASE request");
}

void Ledger::RollbackToMark() {
    db_.Exec("ROLLBACK TO request");
    db_.Exec("RELEASE request");
}

bool Ledger::IsEmpty() {
    Query q = db_.Prepare("SELECT (SELECT count(*) FROM merchants) + (SELECT count(*) FROM cards)");
    return q.Step() && q.Int(0) == 0;
}

void Ledger::AddMerchant(const Merchant& m) {
    db_.Prepare(
           "INSERT INTO merchants (merchant_no, business_no, name, phone, address, auth_salt, auth_hash) "
           "VALUES (?, ?, ?, ?, ?, ?, ?)")
        .Bind(m.merchantNo)
        .Bind(m.businessNo)
        .Bind(m.name)
        .Bind(m.phone)
        .Bind(m.address)
        .BindBlob(m.authSalt)
        .BindBlob(m.authHash)
        .Run();
}

void Ledger::AddCard(const Card& card) {
    db_.Prepare("INSERT INTO cards (card_no, student, school, state) VALUES (?, ?, ?, ?)")
        .Bind(card.cardNo)
        .Bind(card.student)
        .Bind(card.school)
        .Bind(StateName(card.state))
        .Run();
}

void Ledger::SetProgramme(const std::string& cardNo, char programme, std::int64_t monthlySupport) {
    db_.Prepare("INSERT INTO programmes (card_no, programme, monthly_support) VALUES (?, ?, ?) "
                "ON CONFLICT (card_no, programme) DO UPDATE SET monthly_support = excluded.monthly_support")
        .Bind(cardNo)
        .Bind(std::string(1, programme))
        .Bind(monthlySupport)
        .Run();
}

void Ledger::AddCareItem(const std::string& cardNo, int position, const CareItemRecord& item) {
    db_.Prepare("INSERT INTO care_items (card_no, position, code, programme, name, amount, teacher_code, "
                "teacher_name) VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
        .Bind(cardNo)
        .Bind(position)
        .Bind(item.code)
        .Bind(std::string(1, item.programme))
        .Bind(item.name)
        .Bind(item.amount)
        .Bind(item.teacherCode)
        .Bind(item.teacherName)
        .Run();
}

std::optional<Merchant> Ledger::MerchantByNumber(const std::string& merchantNo) {
    Query q = db_.Prepare(std::string("SELECT ") + MerchantColumns + " FROM merchants WHERE merchant_no = ?");
    q.Bind(merchantNo);
    return q.Step() ? std::optional(MerchantFrom(q)) : std::nullopt;
}

std::optional<Merchant> Ledger::MerchantByBusinessNumber(const std::string& businessNo) {
    Query q = db_.Prepare(std::string("SELECT ") + MerchantColumns + " FROM merchants WHERE business_no = ?");
    q.Bind(businessNo);
    return q.Step() ? std::optional(MerchantFrom(q)) : std::nullopt;
}

std::optional<Card> Ledger::CardByNumber(const std::string& cardNo) {
    Query q = db_.Prepare("SELECT card_no, student, school, state FROM cards WHERE card_no = ?");
    q.Bind(cardNo);
    if (!q.Step()) {
        return std::nullopt;
    }
    return Card{q.Text(0), q.Text(1), q.Text(2), StateFrom(q.Text(3))};
}

std::vector<CareItemRecord> Ledger::CareItems(const std::string& cardNo) {
    Query q = db_.Prepare("SELECT code, programme, name, amount, teacher_code, teacher_name FROM care_items "
                          "WHERE card_no = ? ORDER BY position");
    q.Bind(cardNo);
    std::vector<CareItemRecord> items;
    while (q.Step()) {
        items.push_back({q.Text(0), q.Text(1)[0], q.Text(2), q.Int(3), q.Text(4), q.Text(5)});
    }
    return items;
}

Budget Ledger::BudgetOf(const std::string& cardNo, char programme, const std::string& month) {
    Query q = db_.Prepare(
        "SELECT p.monthly_support, b.support, b.used, b.remaining FROM programmes p LEFT JOIN budgets b "
        "ON b.card_no = p.card_no AND b.programme = p.programme AND b.month = ? "
        "WHERE p.card_no = ? AND p.programme = ?");
    q.Bind(month).Bind(cardNo).Bind(std::string(1, programme));
    if (!q.Step()) {
        return {};
    }
    if (q.IsNull(1)) {
        return {q.Int(0), 0, q.Int(0)};
    }
    return {q.Int(1), q.Int(2), q.Int(3)};
}

// The month's row takes the support the programme has when the month is first charged; a later change
// of the programme applies from the next month on.
Budget Ledger::Charge(const std::string& cardNo, char programme, const std::string& month,
                      std::int64_t amount) {
    db_.Prepare("INSERT INTO budgets (card_no, programme, month, support, used, remaining) "
                "SELECT card_no, programme, ?, monthly_support, 0, monthly_support FROM programmes "
                "WHERE card_no = ? AND programme = ? ON CONFLICT DO NOTHING")
        .Bind(month)
        .Bind(cardNo)
        .Bind(std::string(1, programme))
        .Run();
    db_.Prepare("UPDATE budgets SET used = used + ?1, remaining = remaining - ?1 "
                "WHERE card_no = ?2 AND programme = ?3 AND month = ?4")
        .Bind(amount)
        .Bind(cardNo)
        .Bind(std::string(1, programme))
        .Bind(month)
        .Run();
    if (db_.Changes() != 1) {
        throw DatabaseError("no budget for card " + cardNo);
    }
    return BudgetOf(cardNo, programme, month);
}

Budget Ledger::Restore(const std::string& cardNo, char programme, const std::string& month,
                       std::int64_t amount) {
    return Charge(cardNo, programme, month, -amount);
}

LedgerEntry Ledger::Append(LedgerEntry e) {
    Query next = db_.Prepare("SELECT coalesce(max(id), 0) + 1 FROM ledger");
    next.Step();
    e.id = next.Int(0);
    e.approvalNo = PadField(std::to_string(e.id), true, ApprovalNoWidth);
    Query q =
        db_.Prepare("INSERT INTO ledger (id, kind, approval_no, merchant_no, card_no, care_code, programme, "
                    "amount, budget_month, trans_date, trans_time, at_seconds, cancels, client_seconds) "
                    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    q.Bind(e.id).Bind(KindName(e.kind)).Bind(e.approvalNo).Bind(e.merchantNo).Bind(e.cardNo).Bind(e.careCode);
    q.Bind(std::string(1, e.programme)).Bind(e.amount).Bind(e.budgetMonth);
    q.Bind(e.transDate).Bind(e.transTime).Bind(e.atSeconds);
    e.kind == EntryKind::Cancellation ? q.Bind(e.cancels) : q.BindNull();
    e.clientSeconds ? q.Bind(*e.clientSeconds) : q.BindNull();
    q.Run();
    return e;
}

std::optional<LedgerEntry> Ledger::ApprovalByNumber(const std::string& merchantNo,
                                                    const std::string& approvalNo,
                                                    const std::string& transDate) {
    Query q = db_.Prepare(std::string("SELECT ") + EntryColumns +
                          " FROM ledger WHERE approval_no = ? AND kind = 'approval' AND merchant_no = ? "
                          "AND trans_date = ?");
    q.Bind(approvalNo).Bind(merchantNo).Bind(transDate);
    return q.Step() ? std::optional(EntryFrom(q)) : std::nullopt;
}

bool Ledger::IsCancelled(std::int64_t approvalId) {
    Query q = db_.Prepare("SELECT 1 FROM ledger WHERE cancels = ?");
    q.Bind(approvalId);
    return q.Step();
}

std::optional<LedgerEntry> Ledger::LatestUncancelledApproval(const std::string& merchantNo,
                                                             const std::string& cardNo,
                                                             const std::string& careCode, std::int64_t amount,
                                                             std::optional<MomentRange> client,
                                                             std::int64_t serverSince) {
    // Each query leads with merchant, card and one of the two moments, so each reads its own index
    // rather than every approval the card ever had.
    const std::string head = std::string("SELECT ") + EntryColumns +
                             " FROM ledger a WHERE kind = 'approval' AND merchant_no = ?1 AND card_no = ?2 "
                             "AND care_code = ?3 AND amount = ?4 "
                             "AND NOT EXISTS (SELECT 1 FROM ledger c WHERE c.cancels = a.id) ";
    if (client) {
        // The latest client moment in the range is the exact one whenever an approval carries it.
        Query q = db_.Prepare(head + "AND client_seconds BETWEEN ?5 AND ?6 "
                                     "ORDER BY client_seconds DESC, id DESC LIMIT 1");
        q.Bind(merchantNo).Bind(cardNo).Bind(careCode).Bind(amount).Bind(client->from).Bind(client->to);
        if (q.Step()) {
            return EntryFrom(q);
        }
    }
    Query q = db_.Prepare(head + (client ? "AND client_seconds IS NULL " : "") +
                          "AND at_seconds >= ?5 ORDER BY at_seconds DESC, id DESC LIMIT 1");
    q.Bind(merchantNo).Bind(cardNo).Bind(careCode).Bind(amount).Bind(serverSince);
    return q.Step() ? std::optional(EntryFrom(q)) : std::nullopt;
}

void Ledger::OpenSession(const std::string& peer, const std::string& merchantNo, std::int64_t atSeconds) {
    db_.Prepare("INSERT INTO sessions (peer, merchant_no, last_seconds) VALUES (?1, ?2, ?3) ON CONFLICT "
                "(peer, merchant_no) DO UPDATE SET last_seconds = excluded.last_seconds")
        .Bind(peer)
        .Bind(merchantNo)
        .Bind(atSeconds)
        .Run();
    unsettledSessions_.emplace(peer, merchantNo);
}

std::optional<Session> Ledger::SessionOf(const std::string& peer, const std::string& merchantNo) {
    Query q = db_.Prepare("SELECT last_seconds FROM sessions WHERE peer = ? AND merchant_no = ?");
    q.Bind(peer).Bind(merchantNo);
    if (!q.Step()) {
        return std::nullopt;
    }
    return Session{q.Int(0), !unsettledSessions_.contains({peer, merchantNo})};
}

void Ledger::TouchSession(const std::string& peer, const std::string& merchantNo, std::int64_t atSeconds) {
    db_.Prepare("UPDATE sessions SET last_seconds = ? WHERE peer = ? AND merchant_no = ?")
        .Bind(atSeconds)
        .Bind(peer)
        .Bind(merchantNo)
        .Run();
}

void Ledger::PruneSessions(std::int64_t lastBeforeSeconds) {
    db_.Prepare("DELETE FROM sessions WHERE last_seconds < ?").Bind(lastBeforeSeconds).Run();
}

void Ledger::RecordUnmatchedCancellation(const UnmatchedCancellation& a) {
    Query q = db_.Prepare("INSERT INTO unmatched_cancellations (merchant_no, card_no, care_code, amount, "
                          "trans_date, trans_time, at_seconds, client_seconds, keep_until) "
                          "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    q.Bind(a.merchantNo).Bind(a.cardNo).Bind(a.careCode).Bind(a.amount).Bind(a.transDate).Bind(a.transTime);
    q.Bind(a.atSeconds);
    a.clientSeconds ? q.Bind(*a.clientSeconds) : q.BindNull();
    q.Bind(a.keepUntil).Run();
}

void Ledger::PruneUnmatchedCancellations(std::int64_t nowSeconds) {
    db_.Prepare("DELETE FROM unmatched_cancellations WHERE keep_until <= ?").Bind(nowSeconds).Run();
}

std::optional<std::string> Ledger::Replay(const std::string& requestHash) {
    Query q = db_.Prepare("SELECT answer FROM replays WHERE request_hash = ?");
    q.BindBlob(requestHash);
    return q.Step() ? std::optional(q.Text(0)) : std::nullopt;
}

void Ledger::StoreReplay(const std::string& requestHash, const std::string& answer, std::int64_t atSeconds) {
    db_.Prepare("INSERT INTO replays (request_hash, answer, at_seconds) VALUES (?, ?, ?)")
        .BindBlob(requestHash)
        .BindBlob(answer)
        .Bind(atSeconds)
        .Run();
}

void Ledger::PruneReplays(std::int64_t beforeSeconds) {
    db_.Prepare("DELETE FROM replays WHERE at_seconds < ?").Bind(beforeSeconds).Run();
}

} // namespace dovra
