#pragma once

#include <string_view>

namespace dovra {

// Writes text where whoever started the program reads it: the standard output it was given (a file or
// a pipe, as an installer's nsExec gives), or else, as a window program on Windows has none of its own,
// the console of the program that started it. False when the text reached neither.
bool WriteToStartersOutput(std::string_view text);

} // namespace dovra
