#pragma once

#include <string_view>

namespace dovra {

// MsgType of each exchange; an answer carries its request's type.
namespace MessageType {
inline constexpr std::string_view Login = "0100";
inline constexpr std::string_view CardLookup = "0200";
inline constexpr std::string_view Approval = "0500";
inline constexpr std::string_view Cancellation = "0600";
inline constexpr std::string_view BalanceInquiry = "0700";
} // namespace MessageType

// TransKind of the card lookups and of the transactions.
namespace TransactionKind {
inline constexpr std::string_view CardLookup = "21";
inline constexpr std::string_view Transaction = "11";
} // namespace TransactionKind

// CancelType: none, the merchant's own cancellation, the counter's automatic one.
namespace CancelType {
inline constexpr std::string_view None = "0";
inline constexpr std::string_view ByMerchant = "7";
inline constexpr std::string_view Automatic = "2";
} // namespace CancelType

} // namespace dovra
