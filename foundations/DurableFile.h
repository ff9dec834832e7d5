#pragma once

#include <filesystem>
#include <string_view>

namespace dovra {

// Whole-file replacement that a crash cannot leave half done: the bytes go to a file beside the
// target, reach the disk, and only then take the target's name.
bool ReplaceFileDurably(const std::filesystem::path& file, std::string_view bytes);

// Opens (creating if needed), appends, flushes to disk and closes; nothing stays open between calls.
bool AppendToFileDurably(const std::filesystem::path& file, std::string_view bytes);

} // namespace dovra
