#include "server/DemoData.h"

#include "server/AuthNumber.h"
#include "server/Teller.h"

namespace dovra {

namespace {

void AddDemoCard(Ledger& ledger, const Card& card, std::int64_t support, std::int64_t afterSchool,
                 const std::vector<CareItemRecord>& items) {
    ledger.AddCard(card);
    if (support > 0) {
        ledger.SetProgramme(card.cardNo, 'S', support);
    }
    if (afterSchool > 0) {
        ledger.SetProgramme(card.cardNo, 'A', afterSchool);
    }
    int position = 1;
    for (const CareItemRecord& item : items) {
        ledger.AddCareItem(card.cardNo, position++, item);
    }
}

} // namespace

bool SeedDemo(Ledger& ledger, const Clock& clock) {
    ledger.Begin();
    try {
        if (!ledger.IsEmpty()) {
            ledger.Rollback();
            return false;
        }
        std::string salt = NewAuthSalt();
        Merchant merchant{"000071052301",
                          "1208147521",
                          "새싹아동발달센터",
                          "02-3456-7890",
                          "서울특별시 마포구 월드컵로 120 3층",
                          salt,
                          HashAuthNumber(salt, "2580")};
        ledger.AddMerchant(merchant);

        AddDemoCard(ledger, {"9410000012345678", "김하늘", "서울새싹초등학교"}, 220000, 100000,
                    {{"01S", 'S', "언어치료", 40000, "T000000001", "이수진"},
                     {"02S", 'S', "감각통합치료", 50000, "T000000002", "박민호"},
                     {"03A", 'A', "방과후 미술", 30000, "T000000003", "최유리"}});
        AddDemoCard(ledger, {"9410000087654321", "이바다", "한빛특수학교"}, 180000, 80000,
                    {{"01A", 'A', "방과후 체육", 25000, "T000000004", "정다운"},
                     {"02S", 'S', "미술치료", 45000, "T000000005", "한지민"},
                     {"03S", 'S', "놀이치료", 45000, "T000000006", "오세훈"}});
        AddDemoCard(ledger, {"9410000000000020", "윤서준", "한빛특수학교", CardState::Stolen}, 0, 0, {});
        AddDemoCard(ledger, {"9410000000000030", "강민지", "서울새싹초등학교", CardState::Expired}, 0, 0, {});
        AddDemoCard(ledger, {"9410000000000088", "박초롱", "푸른숲학교"}, 200000, 0,
                    {{"01S", 'S', "언어치료", 40000, "T000000001", "이수진"}});

        // The 190,000 already used this month is an approval in the ledger like any other, dated the
        // first of the month, so the budget and the ledger agree from the start.
        LocalTime now = clock.Now();
        now.day = 1;
        now.hour = now.minute = now.second = 0;
        LedgerEntry used;
        used.merchantNo = merchant.merchantNo;
        used.cardNo = "9410000000000088";
        used.careCode = "01S";
        used.amount = 190000;
        used.budgetMonth = FormatDate(now).substr(0, 6);
        used.transDate = FormatDate(now);
        used.transTime = FormatTime(now);
        used.atSeconds = Teller::SecondsOf(now);
        ledger.Charge(used.cardNo, 'S', used.budgetMonth, used.amount);
        ledger.Append(used);
        ledger.Commit();
        return true;
    } catch (...) {
        ledger.Rollback();
        throw;
    }
}

} // namespace dovra
