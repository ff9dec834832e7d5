#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace dovra {

// What must survive the program: an approval that was sent and not yet answered, and an automatic
// cancellation that was decided and not yet sent. Each entry is one small file in the settings root,
// written to disk before the telegram it guards leaves, and removed once its outcome is settled. An
// approval whose entry cannot be removed after its answer gets a mark beside it instead, so that no
// later start mistakes it for one still open.
class CancellationJournal {
public:
    // Ordered by how far an approval's entry has got: where one id has files of two kinds on disk (a
    // removal the disk refused), the later kind stands.
    enum class Kind { OpenApproval, AnsweredApproval, PendingCancellation };
    struct Entry {
        std::string id;
        Kind kind;
        std::string telegram; // the request before its length prefix, CP949
    };
    // Removes one file; true when it is gone. A virus scanner or a permission can say no.
    using FileRemover = std::function<bool(const std::filesystem::path&)>;

    explicit CancellationJournal(std::filesystem::path folder, FileRemover remover = RemoveFile)
        : folder_(std::move(folder)), remove_(std::move(remover)) {}

    static bool RemoveFile(const std::filesystem::path& file);

    // Returns the entry's id, or nothing when it could not be made durable.
    std::optional<std::string> RecordApproval(const std::string& telegram);
    // The approval's outcome is known: nothing more to do for it. False when the disk kept no record
    // of that: the entry is neither removed nor marked as answered.
    bool ClearApproval(const std::string& id);
    // The approval's outcome is unknown: its cancellation replaces it, on disk before it is sent.
    bool RecordCancellation(const std::string& id, const std::string& telegram);
    // False when its file stayed.
    bool ClearCancellation(const std::string& id);

    // Oldest first.
    std::vector<Entry> Entries() const;

private:
    std::filesystem::path File(const std::string& id, Kind kind) const;
    std::filesystem::path folder_;
    FileRemover remove_;
};

} // namespace dovra
