#include "tools/load/LoadCards.h"

#include "foundations/AnsiText.h"
#include "server/AuthNumber.h"

namespace dovra {

LoadCards ProvideLoadCards(Ledger& ledger, int count) {
    LoadCards load{"LOAD00000001", "01S", {}};
    ledger.Begin();
    try {
        if (!ledger.MerchantByNumber(load.merchantNo)) {
            std::string salt = NewAuthSalt();
            ledger.AddMerchant({load.merchantNo, "9999999999", "부하시험 가맹점", "000-0000-0000", "부하시험",
                                salt, HashAuthNumber(salt, NewAuthSalt())});
        }
        for (int i = 1; i <= count; ++i) {
            std::string cardNo = "9499" + PadField(std::to_string(i), true, 12);
            if (!ledger.CardByNumber(cardNo)) {
                ledger.AddCard({cardNo, "부하시험", "부하시험학교"});
                ledger.SetProgramme(cardNo, 'S', 900000000);
                ledger.AddCareItem(cardNo, 1,
                                   {load.careCode, 'S', "부하시험 치료", 10000, "T999999999", "부하"});
            }
            load.cards.push_back(cardNo);
        }
        ledger.Commit();
    } catch (...) {
        ledger.Rollback();
        throw;
    }
    return load;
}

} // namespace dovra
