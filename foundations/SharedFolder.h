#pragma once

#include <filesystem>

namespace dovra {

// Makes the folder (and its parents) when it is missing. The installer runs as an administrator while
// the program runs under the counter's own account, which must be able to write its settings and logs
// there: on Windows a folder made here is opened to the computer's users for reading and changing,
// passed on to what it will hold. A folder that was already there keeps its permissions. False when the
// folder is not there afterwards or could not be opened.
bool CreateSharedFolder(const std::filesystem::path& folder);

} // namespace dovra
