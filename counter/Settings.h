#pragma once

#include "foundations/SettingsPaths.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dovra {

// The merchant as the login answer gives it and the receipts print it, CP949.
struct MerchantDetails {
    std::string name, number, telephone, address;
};

struct ServerAddress {
    std::string host;
    std::uint16_t port = 0;
};

// Every settings key the counter reads or writes. Each value is read anew at each use, so a login just
// made is seen at once and a changed server address needs no restart.
class Settings {
public:
    explicit Settings(SettingsPaths paths) : paths_(std::move(paths)) {}

    const SettingsPaths& paths() const { return paths_; }

    std::string IssueCode() const;      // [PellumInfo] dovra_Issue_code
    std::string MerchantNumber() const; // [ComInfo] Number
    // The merchant number the manual lookup server knows this counter by.
    std::string ManualLookupMerchantNumber() const;
    MerchantDetails ReadMerchant() const;
    // [PellumInfo] dovra_Ip and dovra_Port; nothing when either is unusable.
    std::optional<ServerAddress> ApprovalServer() const;

    // The merchant's details for the main window and the receipts; false when any could not be written.
    bool SaveMerchant(const MerchantDetails& merchant) const;
    // Only the update service reads this one.
    bool SaveBusinessNumber(std::string_view businessNumber) const;

private:
    SettingsPaths paths_;
};

} // namespace dovra
