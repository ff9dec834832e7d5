#include "ServerTestSupport.h"

#include "server/AuthNumber.h"
#include "server/DemoData.h"
#include "server/Schema.h"

using namespace dovra;
using namespace dovra::testing;

TEST(LedgerFile, OlderSchemaMigratesForwardKeepingItsData) {
    TempFolder temp;
    std::filesystem::path file = temp.path() / "ledger.db";
    {
        Database old;
        old.Open(file);
        MigrateSchema(old, 1);
        old.Exec("INSERT INTO merchants VALUES ('000000000001', '1111111111', x'00', x'00', 'a', 'b', 'c')");
        MigrateSchema(old, 2);
        old.Exec("INSERT INTO replays VALUES (x'01', 'first', 0)");
        old.Exec(
            "INSERT INTO ledger VALUES (1, 'approval', '000000000001', '000000000001', '9410000000000001', "
            "'01S', 'S', 1000, '202612', '20261207', '093015', 100, NULL)");
        MigrateSchema(old, 4);
        old.Exec("INSERT INTO cards VALUES ('9410000000000001', 'a', 'b', 'active')");
        old.Exec("INSERT INTO sessions VALUES ('127.0.0.1', '000000000001', 100)");
        // Automatic cancellations that found nothing, on a known card and on one the server never knew.
        for (const char* card : {"9410000000000001", "9410000000000009"}) {
            old.Exec("INSERT INTO ledger (kind, merchant_no, card_no, care_code, amount, trans_date, "
                     "trans_time, at_seconds, client_seconds) VALUES ('unmatched-cancellation', "
                     "'000000000001', '" +
                     std::string(card) + "', '01S', 1000, '19700102', '000000', 86400, 86400)");
        }
    }
    Ledger ledger;
    ledger.Open(file);
    EXPECT_EQ(SchemaVersion(ledger.database()), LatestSchemaVersion());
    EXPECT_TRUE(ledger.MerchantByNumber("000000000001").has_value());
    EXPECT_EQ(ledger.Replay("\x01"), "first");
    // An approval from before the terminal's moment was kept is found on the server's clock alone.
    auto latest = [&](std::int64_t since) {
        return ledger.LatestUncancelledApproval("000000000001", "9410000000000001", "01S", 1000, {{0, 10}},
                                                since);
    };
    EXPECT_TRUE(latest(100).has_value());
    EXPECT_FALSE(latest(101).has_value());
    EXPECT_THROW(ledger.database().Exec("UPDATE ledger SET client_seconds = 5"), DatabaseError);
    // The session is now the merchant's at that address; the attempts have left the ledger, the unknown
    // card's for good, the known card's until its approval is past taking.
    EXPECT_EQ(ledger.SessionOf("127.0.0.1", "000000000001").value().lastSeconds, 100);
    EXPECT_EQ(Count(ledger, "SELECT count(*) FROM ledger"), 1);
    {
        Query kept = ledger.database().Prepare("SELECT group_concat(card_no || ' ' || keep_until) "
                                               "FROM unmatched_cancellations");
        ASSERT_TRUE(kept.Step());
        EXPECT_EQ(kept.Text(0), "9410000000000001 259200");
    }

    ledger.database().Exec("UPDATE schema_version SET version = 99");
    ledger.Close();
    Ledger newer;
    EXPECT_THROW(newer.Open(file), DatabaseError);
}

TEST_F(DemoLedgerTest, LedgerRefusesEditsAndUnmatchedCancellationsAndTheDemoLoadsOnce) {
    EXPECT_THROW(ledger.database().Exec("UPDATE ledger SET amount = 1"), DatabaseError);
    EXPECT_THROW(ledger.database().Exec("DELETE FROM ledger"), DatabaseError);
    // A cancellation whose amount is not its approval's.
    LedgerEntry orphan = ledger.ApprovalByNumber(DemoMerchant, "000000000001", "20261201").value();
    orphan.kind = EntryKind::Cancellation;
    orphan.cancels = orphan.id;
    orphan.amount = 5;
    EXPECT_THROW(ledger.Append(orphan), DatabaseError);
    EXPECT_THROW(ledger.Charge(Chorong, 'S', "202612", 10001), DatabaseError);

    EXPECT_FALSE(SeedDemo(ledger, clock));
    EXPECT_EQ(Count(ledger, "SELECT count(*) FROM cards"), 5);
    // Only a salted hash of the authentication number is kept.
    Merchant merchant = ledger.MerchantByBusinessNumber("1208147521").value();
    EXPECT_EQ(merchant.authHash.find("2580"), std::string::npos);
    EXPECT_FALSE(AuthNumberMatches(merchant.authSalt, merchant.authHash, "2581"));
}
