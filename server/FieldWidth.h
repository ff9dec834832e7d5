#pragma once

#include "transport/Layouts.h"

#include <array>
#include <cstddef>
#include <string>

namespace dovra {

// A field's width as its layout gives it; a field the layout does not hold does not compile.
template <class Record, std::size_t N>
consteval int FieldWidth(const std::array<Field<Record>, N>& layout, std::string Record::*member) {
    for (const auto& field : layout) {
        if (field.member == member) {
            return field.width;
        }
    }
    throw "the field is not in this layout";
}

inline constexpr int AmountWidth = FieldWidth(TransactionBodyLayout, &TransactionBody::Amount);
inline constexpr int ApprovalNoWidth = FieldWidth(TransactionBodyLayout, &TransactionBody::ApprovalNo);
inline constexpr int MonthAmountWidth = FieldWidth(TransactionBodyLayout, &TransactionBody::MonthSupport);

} // namespace dovra
