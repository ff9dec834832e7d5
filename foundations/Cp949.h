#pragma once

#include <string>
#include <string_view>

namespace dovra {

// The one place where text crosses between the widgets' Unicode (UTF-8 here) and the CP949 bytes that
// telegrams, settings and logs are made of. Characters CP949 cannot hold become "?"; bytes that are not
// valid CP949 become U+FFFD, so a damaged answer still shows.
std::string Utf8ToCp949(std::string_view utf8);
std::string Cp949ToUtf8(std::string_view cp949);

} // namespace dovra
