#include "server/Schema.h"

#include <array>
#include <string>

namespace dovra {

namespace {

// A step, once released, is never edited: a ledger written by any earlier server must still open.
constexpr std::array<const char*, 6> Steps{
    // 1: merchants, cards and their programmes and care items, monthly budgets, the ledger.
    R"sql(
CREATE TABLE merchants (
    merchant_no TEXT PRIMARY KEY,
    business_no TEXT NOT NULL UNIQUE,
    auth_salt BLOB NOT NULL,
    auth_hash BLOB NOT NULL,
    name TEXT NOT NULL,
    phone TEXT NOT NULL,
    address TEXT NOT NULL
);
CREATE TABLE cards (
    card_no TEXT PRIMARY KEY,
    student TEXT NOT NULL,
    school TEXT NOT NULL,
    state TEXT NOT NULL CHECK (state IN ('active', 'stolen', 'expired'))
);
-- A card's monthly support per programme: S therapy support, A after-school.
CREATE TABLE programmes (
    card_no TEXT NOT NULL REFERENCES cards (card_no),
    programme TEXT NOT NULL CHECK (programme IN ('S', 'A')),
    monthly_support INTEGER NOT NULL CHECK (monthly_support BETWEEN 0 AND 999999999),
    PRIMARY KEY (card_no, programme)
);
CREATE TABLE care_items (
    card_no TEXT NOT NULL,
    position INTEGER NOT NULL CHECK (position BETWEEN 1 AND 9),
    code TEXT NOT NULL CHECK (length(code) = 3),
    programme TEXT NOT NULL CHECK (programme = substr(code, 3)),
    name TEXT NOT NULL,
    amount INTEGER NOT NULL CHECK (amount BETWEEN 0 AND 999999),
    teacher_code TEXT NOT NULL,
    teacher_name TEXT NOT NULL,
    PRIMARY KEY (card_no, code),
    UNIQUE (card_no, position),
    FOREIGN KEY (card_no, programme) REFERENCES programmes (card_no, programme)
);
-- A month's row appears with its first charge; until then the month is untouched and all remains.
CREATE TABLE budgets (
    card_no TEXT NOT NULL,
    programme TEXT NOT NULL,
    month TEXT NOT NULL CHECK (length(month) = 6),
    support INTEGER NOT NULL,
    used INTEGER NOT NULL,
    remaining INTEGER NOT NULL,
    CHECK (used >= 0 AND remaining >= 0 AND used + remaining = support),
    PRIMARY KEY (card_no, programme, month),
    FOREIGN KEY (card_no, programme) REFERENCES programmes (card_no, programme)
);
-- Append-only. A cancellation points at the one approval it reverses; an automatic cancellation that
-- found nothing to reverse is kept too, with no approval number and no budget.
CREATE TABLE ledger (
    id INTEGER PRIMARY KEY,
    kind TEXT NOT NULL CHECK (kind IN ('approval', 'cancellation', 'unmatched-cancellation')),
    approval_no TEXT UNIQUE,
    merchant_no TEXT NOT NULL REFERENCES merchants (merchant_no),
    card_no TEXT NOT NULL,
    care_code TEXT NOT NULL,
    programme TEXT CHECK (programme IN ('S', 'A')),
    amount INTEGER NOT NULL,
    budget_month TEXT,
    trans_date TEXT NOT NULL,
    trans_time TEXT NOT NULL,
    at_seconds INTEGER NOT NULL,
    cancels INTEGER UNIQUE REFERENCES ledger (id),
    CHECK ((kind = 'cancellation') = (cancels IS NOT NULL)),
    CHECK ((kind = 'unmatched-cancellation') = (approval_no IS NULL)),
    CHECK ((kind = 'unmatched-cancellation') = (budget_month IS NULL))
);
CREATE INDEX ledger_recent_approvals ON ledger (merchant_no, card_no, at_seconds) WHERE kind = 'approval';
CREATE TRIGGER ledger_no_update BEFORE UPDATE ON ledger
BEGIN SELECT RAISE(ABORT, 'the ledger is append-only'); END;
CREATE TRIGGER ledger_no_delete BEFORE DELETE ON ledger
BEGIN SELECT RAISE(ABORT, 'the ledger is append-only'); END;
CREATE TRIGGER ledger_cancellation_matches BEFORE INSERT ON ledger WHEN NEW.kind = 'cancellation'
BEGIN
    SELECT RAISE(ABORT, 'a cancellation must reverse an approval of the same merchant, card and amount')
    WHERE NOT EXISTS (SELECT 1 FROM ledger a WHERE a.id = NEW.cancels AND a.kind = 'approval'
                      AND a.merchant_no = NEW.merchant_no AND a.card_no = NEW.card_no
                      AND a.amount = NEW.amount AND a.programme = NEW.programme
                      AND a.budget_month = NEW.budget_month);
END;
)sql",
    // 2: the first answer to each request, so that a repeated telegram is answered again, not charged again.
    R"sql(
CREATE TABLE replays (
    request_hash BLOB PRIMARY KEY,
    answer BLOB NOT NULL,
    at_seconds INTEGER NOT NULL
);
CREATE INDEX replays_by_age ON replays (at_seconds);
)sql",
    // 3: each entry's moment on the terminal's own clock, from its TransDate and TransTime, so that an
    // automatic cancellation, however late it arrives, is matched on the clock that stamped it. Entries
    // written before, and requests whose moment cannot be read, have none.
    R"sql(
ALTER TABLE ledger ADD COLUMN client_seconds INTEGER;
CREATE INDEX ledger_approvals_by_client_moment ON ledger (merchant_no, card_no, client_seconds)
    WHERE kind = 'approval';
)sql",
    // 4: merchant sessions, one per peer address: a login opens or replaces it, and it lasts while the
    // merchant's requests keep coming from there. Kept here so that a restart logs no counter out.
    R"sql(
CREATE TABLE sessions (
    peer TEXT PRIMARY KEY,
    merchant_no TEXT NOT NULL REFERENCES merchants (merchant_no),
    last_seconds INTEGER NOT NULL
);
)sql",
    // 5: a session for each merchant at an address, so that merchants sharing one line do not log each
    // other out.
    R"sql(
CREATE TABLE merchant_sessions (
    peer TEXT NOT NULL,
    merchant_no TEXT NOT NULL REFERENCES merchants (merchant_no),
    last_seconds INTEGER NOT NULL,
    PRIMARY KEY (peer, merchant_no)
) WITHOUT ROWID;
INSERT INTO merchant_sessions (peer, merchant_no, last_seconds) SELECT peer, merchant_no, last_seconds
    FROM sessions;
DROP TABLE sessions;
ALTER TABLE merchant_sessions RENAME TO sessions;
)sql",
    // 6: the automatic cancellations that found nothing leave the append-only ledger for a table of their
    // own, from which they go once no approval they could match can still be taken; those of cards the
    // server does not know could never match anything and are not kept. The ends follow the server's
    // rules of the time: a day of date either way (FreshDays), four days of answers (ReplayKeep).
    R"sql(
CREATE TABLE unmatched_cancellations (
    id INTEGER PRIMARY KEY,
    merchant_no TEXT NOT NULL REFERENCES merchants (merchant_no),
    card_no TEXT NOT NULL REFERENCES cards (card_no),
    care_code TEXT NOT NULL,
    amount INTEGER NOT NULL,
    trans_date TEXT NOT NULL,
    trans_time TEXT NOT NULL,
    at_seconds INTEGER NOT NULL,
    client_seconds INTEGER,
    keep_until INTEGER NOT NULL
);
CREATE INDEX unmatched_cancellations_by_end ON unmatched_cancellations (keep_until);
INSERT INTO unmatched_cancellations (merchant_no, card_no, care_code, amount, trans_date, trans_time,
                                     at_seconds, client_seconds, keep_until)
SELECT merchant_no, card_no, care_code, amount, trans_date, trans_time, at_seconds, client_seconds,
       CASE WHEN client_seconds IS NULL THEN at_seconds + 4 * 86400
            ELSE (client_seconds / 86400 + 2) * 86400 END
    FROM ledger WHERE kind = 'unmatched-cancellation' AND card_no IN (SELECT card_no FROM cards) ORDER BY id;
DROP TRIGGER ledger_no_delete;
DELETE FROM ledger WHERE kind = 'unmatched-cancellation';
CREATE TRIGGER ledger_no_delete BEFORE DELETE ON ledger
BEGIN SELECT RAISE(ABORT, 'the ledger is append-only'); END;
CREATE TRIGGER ledger_only_charges_and_reversals BEFORE INSERT ON ledger
    WHEN NEW.kind = 'unmatched-cancellation'
BEGIN SELECT RAISE(ABORT, 'an unmatched cancellation belongs in unmatched_cancellations'); END;
)sql",
};

} // namespace

int LatestSchemaVersion() {
    return static_cast<int>(Steps.size());
}

int SchemaVersion(Database& db) {
    db.Exec("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)");
    Query query = db.Prepare("SELECT max(version) FROM schema_version");
    return query.Step() && !query.IsNull(0) ? static_cast<int>(query.Int(0)) : 0;
}

void MigrateSchema(Database& db, int target) {
    int version = SchemaVersion(db);
    if (version > LatestSchemaVersion()) {
        throw DatabaseError("the ledger has schema version " + std::to_string(version) +
                            ", newer than this server's " + std::to_string(LatestSchemaVersion()));
    }
    for (; version < target; ++version) {
        db.Exec("BEGIN IMMEDIATE");
        try {
            db.Exec(Steps[static_cast<size_t>(version)]);
            db.Exec("DELETE FROM schema_version");
            db.Exec("INSERT INTO schema_version (version) VALUES (" + std::to_string(version + 1) + ")");
            db.Exec("COMMIT");
        } catch (...) {
            db.Exec("ROLLBACK");
            throw;
        }
    }
}

} // namespace dovra
