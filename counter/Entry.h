#pragma once

#include <string>

namespace dovra {

// What the merchant has typed and chosen on the main window, CP949, as the boxes hold it.
struct Entry {
    enum class Kind { Approval, Cancellation, BalanceInquiry };
    Kind kind = Kind::Approval;
    std::string card;     // the four groups joined, untrimmed
    int careItem = 0;     // the chosen care item, 1 to 9; 0 for none
    std::string careName; // as the list shows it
    std::string teacherName;
    std::string amount; // thousands separators allowed
    int reason = -1;    // the amount-change reason's place in AmountChangeReasons(); -1 for none
    std::string ownWords;
    std::string orgApprovalNo;
    std::string orgAuthDate;
};

} // namespace dovra
