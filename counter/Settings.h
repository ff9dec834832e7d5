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

// What an installer or an administrator puts there before the first login, as typed.
struct ServerSetup {
    std::string host, port, issueCode;

    enum class Fault { None, Host, Port, IssueCode };
    // A host name or IPv4 address, a port of 1 to 65535 in plain digits, an issue code of four digits:
    // anything else would only fail later, at the counter, as an unreachable server or a refusal.
    Fault Check() const;
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
    // Writes the server's address and the issue code where they are missing or empty, so that values an
    // administrator set stay; with replace, wherever they differ. False when the file could not be
    // written.
    bool SaveServer(const ServerSetup& server, bool replace) const;

private:
    SettingsPaths paths_;
};

} // namespace dovra
