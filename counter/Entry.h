#pragma once

#include <string>

namespace dovra {

// What the merchant has typed and chosen on the main window, CP949, as the boxes hold it.
struct Entry {
    enum class Kind { Approval, Cancellation, BalanceInquiry };
    Kind kind = Kind::Approval;
    std::string card; // the four groups joined, untrimmed
    // The chosen care item's codes as the lookup answered them; blank for none.
    std::string careCode, teacherCode;
    std::string careName; // as the list shows it
    std::string teacherName;
    std::string amount; // thousands separators allowed
    int reason = -1;    // the amount-change reason's place in AmountChangeReasons(); -1 for none
    std::string ownWords;
    std::string orgApprovalNo;
    std::string orgAuthDate;
};

} // namespace dovra
