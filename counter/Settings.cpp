#include "counter/Settings.h"

#include "foundations/AnsiText.h"
#include "foundations/Ini.h"

namespace dovra {

namespace {
std::string_view TrimBlanks(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (!s.empty() && blank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && blank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}
} // namespace

std::string Settings::IssueCode() const {
    return ReadIni("PellumInfo", "dovra_Issue_code", paths_.DovraSetting());
}

std::string Settings::MerchantNumber() const {
    return ReadIni("ComInfo", "Number", paths_.DovraSetting());
}

std::string Settings::ManualLookupMerchantNumber() const {
    return ReadIni("ComInfo", "Number", paths_.Pellum7());
}

MerchantDetails Settings::ReadMerchant() const {
    auto file = paths_.DovraSetting();
    return {ReadIni("ComInfo", "Name", file), ReadIni("ComInfo", "Number", file),
            ReadIni("ComInfo", "Telephone", file), ReadIni("ComInfo", "Address", file)};
}

std::optional<ServerAddress> Settings::ApprovalServer() const {
    auto file = paths_.DovraSetting();
    std::string host(TrimBlanks(ReadIni("PellumInfo", "dovra_Ip", file)));
    std::string port(TrimBlanks(ReadIni("PellumInfo", "dovra_Port", file)));
    std::string_view digits = port;
    if (digits.starts_with('+')) {
        digits.remove_prefix(1);
    }
    long number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9' || (number = number * 10 + (c - '0')) > 65535) {
            return std::nullopt;
        }
    }
    if (host.empty() || number == 0) {
        return std::nullopt;
    }
    return ServerAddress{host, static_cast<std::uint16_t>(number)};
}

bool Settings::SaveMerchant(const MerchantDetails& merchant) const {
    auto file = paths_.DovraSetting();
    return WriteIni("ComInfo", "Name", merchant.name, file) &&
           WriteIni("ComInfo", "Number", merchant.number, file) &&
           WriteIni("ComInfo", "Telephone", merchant.telephone, file) &&
           WriteIni("ComInfo", "Address", merchant.address, file) && WriteIni("ComInfo", "Print", "1", file);
}

ServerSetup::Fault ServerSetup::Check() const {
    bool hostUsable =
        !host.empty() && host.size() <= 253 && host.front() != '-' && host.front() != '.' &&
        host.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-") ==
            std::string::npos;
    if (!hostUsable) {
        return Fault::Host;
    }
    if (!AllDigits(port) || port.size() > 5 || std::stol(port) < 1 || std::stol(port) > 65535) {
        return Fault::Port;
    }
    if (issueCode.size() != 4 || !AllDigits(issueCode)) {
        return Fault::IssueCode;
    }
    return Fault::None;
}

bool Settings::SaveServer(const ServerSetup& server, bool replace) const {
    auto file = paths_.DovraSetting();
    auto save = [&](std::string_view key, const std::string& value) {
        std::string now = ReadIni("PellumInfo", key, file);
        bool wanted = replace ? now != value : TrimBlanks(now).empty();
        return !wanted || WriteIni("PellumInfo", key, value, file);
    };
    return save("dovra_Ip", server.host) && save("dovra_Port", server.port) &&
           save("dovra_Issue_code", server.issueCode);
}

bool Settings::SaveBusinessNumber(std::string_view businessNumber) const {
    return WriteIni("CustomerInfo", "business_number", businessNumber, paths_.UpdateServiceClient());
}

} // namespace dovra
