#pragma once

#include "counter/Entry.h"
#include "counter/Receipt.h"
#include "counter/Settings.h"
#include "foundations/Clock.h"
#include "transport/Layouts.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dovra {

enum class LookupSource { CardReader, ManualEntry };

// Why the pay button sends nothing, in the order it asks.
enum class PayRefusal {
    None,
    SameSecond, // a request already went out in this second: dropped without a word
    EnterCardNumber,
    EnterReason,
    CheckServerSettings,
};

struct LoginOutcome {
    enum class Result { Accepted, Refused, Unreadable } result = Result::Refused;
    MerchantDetails merchant;
};

// One care item the main window's list offers: its name as shown, its block (1 to 9) and the block
// whole, so the codes that are sent travel with the name that was chosen.
struct CareChoice {
    std::string name;
    int item = 0;
    CareItem care;
};

// The teacher and amount the main window shows for a care item: the name as received, the amount with
// thousands separators.
struct CareShown {
    std::string teacher;
    std::string amount;
};

// What a card lookup's answer does to the main window, CP949 throughout.
struct CardOutcome {
    std::vector<std::string> lines; // result lines
    std::vector<CareChoice> choices;
    CareShown shown; // for the first item offered
    // Open: offered; Locked: greyed, nothing offered; Withdrawn: greyed, emptied, the amount emptied.
    enum class CareList { Open, Locked, Withdrawn } careList = CareList::Locked;
    bool amountChange = false;
};

struct TransactionOutcome {
    std::vector<std::string> lines;
    std::optional<Receipt> receipt; // an approval or cancellation that went through
};

enum class CancellationMoment { Now, OfApproval };

// The counter's rules: every request it sends and every answer it reads, from the merchant's settings,
// the looked-up card and the entry. One counter serves every window, so what one request leaves behind
// (its TraceNo) is what the next one sees.
class Counter {
public:
    Counter(const Clock& clock, SettingsPaths paths) : clock_(clock), settings_(std::move(paths)) {}

    const Settings& settings() const { return settings_; }

    // The login, CP949 as typed.
    std::string LoginRequest(std::string_view businessNumber, std::string_view authNo);
    LoginOutcome ReadLoginAnswer(std::string_view decrypted) const;

    std::string CardLookupRequest(LookupSource source, std::string_view card);
    // What the main window shows of the answer for the given kind of entry, the items offered whole.
    CardOutcome ReadCardAnswer(LookupSource source, Entry::Kind kind, std::string_view decrypted) const;

    PayRefusal CheckPay(const Entry& entry) const;
    // The approval ("0500"), cancellation ("0600") or balance inquiry ("0700") of the entry.
    std::string TransactionRequest(const Entry& entry);
    TransactionOutcome ReadTransactionAnswer(const Entry& entry, std::string_view decrypted) const;

    // The "0600" that cancels the given approval telegram: CancelType "2", no teacher code, and the
    // moment of now in its header. Its TransDate and TransTime are now too at a time-out; for an
    // approval an earlier run left open they are the approval's own, since the server looks for the
    // approval in the ten minutes before them and the program may start again much later.
    std::string AutomaticCancellation(std::string_view approvalTelegram, CancellationMoment moment);

private:
    void Stamp(CommonHeader& header, std::string_view msgType, std::string_view merchantNumber);
    RequestFields StandardRequest(std::string_view msgType, std::string issueCode,
                                  const std::string& merchantNumber);
    const Clock& clock_;
    Settings settings_;
    std::string lastTraceNo_;
};

// The teacher and amount the main window shows for a care item.
CareShown ShowCare(const CareItem& item);
// The merchant a request was sent for: its header's MerchantNo, blanks trimmed.
std::string MerchantOf(std::string_view telegram);

// The amount-change reasons in list order (UTF-8); the last one asks for the merchant's own words.
std::span<const std::string_view> AmountChangeReasons();
inline constexpr int OwnWordsReason = 7;

// A card number of sixteen characters or more; blanks count.
bool IsWholeCardNumber(std::string_view card);
// The card number in a reader's track: its first sixteen bytes, when they make sixteen characters.
std::optional<std::string> CardFromTrack(std::string_view track);

} // namespace dovra
