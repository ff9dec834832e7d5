#include "tools/load/LoadCards.h"

#include "foundations/AnsiText.h"
#include "server/AuthNumber.h"

#include <random>

namespace dovra {

LoadCards ProvideLoadCards(Ledger& ledger, int count) {
    LoadCards load{"LOAD00000001", "01S", {}, "9999999999", {}};
    load.authNo = PadField(std::to_string(std::random_device{}() % 10000), true, 4);
    std::string salt = NewAuthSalt();
    std::string hash = HashAuthNumber(salt, load.authNo);
    ledger.Begin();
    try {
        if (!ledger.MerchantByNumber(load.merchantNo)) {
            ledger.AddMerchant({load.merchantNo, load.businessNo, "부하시험 가맹점", "000-0000-0000",
                                "부하시험", salt, hash});
        } else {
            ledger.database()
                .Prepare("UPDATE merchants SET auth_salt = ?, auth_hash = ? WHERE merchant_no = ?")
                .BindBlob(salt)
                .BindBlob(hash)
                .Bind(load.merchantNo)
                .Run();
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
