#pragma once

#include <string>
#include <string_view>

namespace dovra {

// A merchant's authentication number is kept only as SHA-256 of a per-merchant random salt and the
// number, so a copied ledger does not hand out the numbers and no two merchants share a hash.
std::string NewAuthSalt();
std::string HashAuthNumber(std::string_view salt, std::string_view authNumber);
bool AuthNumberMatches(std::string_view salt, std::string_view hash, std::string_view authNumber);

} // namespace dovra
