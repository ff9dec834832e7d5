#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace dovra {

// What must survive the program: an approval that was sent and not yet answered, and an automatic
// cancellation that was decided and not yet sent. Each entry is one small file in the settings root,
// written to disk before the telegram it guards leaves, and removed once its outcome is settled.
class CancellationJournal {
public:
    enum class Kind { OpenApproval, PendingCancellation };
    struct Entry {
        std::string id;
        Kind kind;
        std::string telegram; // TelegramBuffer, CP949
    };

    explicit CancellationJournal(std::filesystem::path folder) : folder_(std::move(folder)) {}

    // Returns the entry's id, or nothing when it could not be made durable.
    std::optional<std::string> RecordApproval(const std::string& telegram);
    // The approval's outcome is known: nothing more to do for it.
    void ClearApproval(const std::string& id);
    // The approval's outcome is unknown: its cancellation replaces it, on disk before it is sent.
    bool RecordCancellation(const std::string& id, const std::string& telegram);
    void ClearCancellation(const std::string& id);

    // Oldest first.
    std::vector<Entry> Entries() const;

private:
    std::filesystem::path File(const std::string& id, Kind kind) const;
    std::filesystem::path folder_;
};

} // namespace dovra
