#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace dovra {

struct ResponseCode {
    std::string_view code;
    std::string_view description; // UTF-8
};

// The codes the approval server uses, with the server protocol's own descriptions.
std::span<const ResponseCode> ResponseCodeTable();

// UTF-8 description of a listed code; empty for a code outside the table.
std::string_view DescribeResponseCode(std::string_view code);

// RespCode of a request as the client sends it, and of the server's answers.
namespace RespCode {
inline constexpr std::string_view Success = "00";
inline constexpr std::string_view LoginRequest = "30"; // what a login request carries
inline constexpr std::string_view UnknownMerchant = "16";
inline constexpr std::string_view UnknownCard = "17";
inline constexpr std::string_view StolenCard = "20";
inline constexpr std::string_view NoOriginal = "22";
inline constexpr std::string_view AlreadyCancelled = "23";
inline constexpr std::string_view StorageError = "29";
inline constexpr std::string_view ValidityExpired = "30"; // the same two digits as LoginRequest
inline constexpr std::string_view WrongPassword = "33";
inline constexpr std::string_view AmountNotAllowed = "73";
// Worded like 16, but among the codes of the telegram and the terminal rather than of the card: the
// server gives it to a merchant not logged in from the sender's address.
inline constexpr std::string_view UnregisteredMerchant = "77";
inline constexpr std::string_view MonthlyLimitExceeded = "88";
inline constexpr std::string_view FormatError = "93";
inline constexpr std::string_view DateNotAllowed = "97";
inline constexpr std::string_view UnknownCareItem = "99";
} // namespace RespCode

// Success is exactly "00": no trimming, no numeric reading, so "0 " or a truncated code is a refusal.
bool IsSuccess(std::string_view respCode);

enum class AnswerKind { CardLookup, Approval, Cancellation, BalanceInquiry };

// The three result-list lines of a refusal, in CP949: headline, label + code, label + message, the code
// and the server's message exactly as received.
std::array<std::string, 3> RefusalLines(AnswerKind kind, std::string_view respCode,
                                        std::string_view messageText);

} // namespace dovra
