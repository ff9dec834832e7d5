#pragma once

#include "counter/Settings.h"

#include <string>
#include <string_view>
#include <vector>

namespace dovra {

// One approval or cancellation as its receipt shows it, CP949: the values as the receipt window's boxes
// hold them, and the merchant as the settings had it when the answer came.
struct Receipt {
    std::string kind; // "카드 승인" or "카드 취소"
    std::string cardNumber;
    std::string dateTime;
    std::string approvalNo;
    std::string amount; // with thousands separators
    std::string remain;
    std::string careItem;
    std::string teacher;
    MerchantDetails merchant;
};

// The receipt's values with their labels (UTF-8), in the order the receipt window and the printed page
// list them. The page prints the first as its heading, without its label.
struct ReceiptField {
    std::string_view label;
    std::string Receipt::*value;
};
inline constexpr ReceiptField ReceiptFields[] = {
    {"승인상태 :", &Receipt::kind},     {"카드번호 :", &Receipt::cardNumber},
    {"승인일시 :", &Receipt::dateTime}, {"승인번호 :", &Receipt::approvalNo},
    {"승인금액 :", &Receipt::amount},   {"잔여금액 :", &Receipt::remain},
    {"치료영역 :", &Receipt::careItem}, {"치료강사 :", &Receipt::teacher},
};

enum class Align { Left, Right, Centred };

// One thing on the printed page, in millimetres from its top left: a frame, or a line of text whose y
// is the top of its line and whose x follows from its alignment between the margins.
struct ReceiptMark {
    bool frame = false;
    double left = 0, top = 0, right = 0, bottom = 0;
    std::string text;
    Align align = Align::Left;
};

inline constexpr double ReceiptLeftMargin = 5;
inline constexpr double ReceiptRightMargin = 70;

// The customer's copy above the merchant's, in drawing order.
std::vector<ReceiptMark> LayOutReceipt(const Receipt& receipt);

// Digits 9 to 12 hidden, groups of four joined by "-".
std::string MaskCardNumber(std::string_view cardNumber);

} // namespace dovra
