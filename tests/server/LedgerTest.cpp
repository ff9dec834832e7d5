#include "ServerTestSupport.h"

#include "server/AuthNumber.h"
#include "server/Schema.h"

using namespace dovra;
using namespace dovra::testing;

namespace {

std::int64_t Count(Ledger& ledger, const std::string& sql) {
    Query q = ledger.database().Prepare(sql);
    q.Step();
    return q.Int(0);
}

} // namespace

TEST(LedgerFile, OlderSchemaMigratesForwardKeepingItsData) {
    TempFolder temp;
    std::filesystem::path file = temp.path() / "ledger.db";
    {
        Database old;
        old.Open(file);
        MigrateSchema(old, 1);
        old.Exec("INSERT INTO merchants VALUES ('000000000001', '1111111111', x'00', x'00', 'a', 'b', 'c')");
    }
    Ledger ledger;
    ledger.Open(file);
    EXPECT_EQ(SchemaVersion(ledger.database()), LatestSchemaVersion());
    EXPECT_TRUE(ledger.MerchantByNumber("000000000001").has_value());
    ledger.StoreReplay("key", "answer", 0);
    EXPECT_EQ(ledger.Replay("key"), "answer");

    ledger.database().Exec("UPDATE schema_version SET version = 99");
    ledger.Close();
    Ledger newer;
    EXPECT_THROW(newer.Open(file), DatabaseError);
}

TEST_F(DemoLedgerTest, LedgerRefusesEditsAndUnmatchedCancellations) {
    EXPECT_THROW(ledger.database().Exec("UPDATE ledger SET amount = 1"), DatabaseError);
    EXPECT_THROW(ledger.database().Exec("DELETE FROM ledger"), DatabaseError);
    LedgerEntry orphan;
    orphan.kind = EntryKind::Cancellation;
    orphan.merchantNo = DemoMerchant;
    orphan.cardNo = Chorong;
    orphan.careCode = "01S";
    orphan.amount = 5;
    orphan.budgetMonth = "202612";
    orphan.cancels = 1;
    EXPECT_THROW(ledger.Append(orphan), DatabaseError);
    EXPECT_THROW(ledger.Charge(Chorong, 'S', "202612", 10001), DatabaseError);
}

TEST_F(DemoLedgerTest, DemoDataIsConsistentAndLoadsOnlyOnce) {
    EXPECT_FALSE(SeedDemo(ledger, clock));
    EXPECT_EQ(Count(ledger, "SELECT count(*) FROM cards"), 5);
    Budget chorong = BudgetNow(Chorong, 'S');
    EXPECT_EQ(chorong.used, 190000);
    EXPECT_EQ(chorong.remaining, 10000);
    EXPECT_EQ(BudgetNow(Chorong, 'A').support, 0);
    EXPECT_EQ(BudgetNow(Haneul, 'A').remaining, 100000);
    EXPECT_TRUE(LedgerProblems(ledger).empty());

    std::optional<Merchant> merchant = ledger.MerchantByBusinessNumber("1208147521");
    ASSERT_TRUE(merchant.has_value());
    EXPECT_EQ(merchant->authHash.find("2580"), std::string::npos);
    EXPECT_TRUE(AuthNumberMatches(merchant->authSalt, merchant->authHash, "2580"));
    EXPECT_FALSE(AuthNumberMatches(merchant->authSalt, merchant->authHash, "2581"));
}
