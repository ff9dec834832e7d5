#pragma once

#include <filesystem>

namespace dovra {

// The folder that holds the settings files and the daily logs. The program asks DefaultSettingsRoot()
// once; everything below takes the root as a value, so tests hand in a temporary folder.
std::filesystem::path DefaultSettingsRoot();

struct SettingsPaths {
    std::filesystem::path root;

    std::filesystem::path DovraSetting() const { return root / "Dovra_setting.ini"; }
    std::filesystem::path Pellum7() const { return root / "Pellum7.ini"; }
    std::filesystem::path UpdateServiceClient() const { return root / "Update" / "UpdateServiceClient.ini"; }
    std::filesystem::path LogFolder() const { return root / "Log"; }
    // The program's own diagnostic log: beside the telegram logs' day files, never among them.
    std::filesystem::path ProgramLogFolder() const { return LogFolder() / "Program"; }
};

} // namespace dovra
