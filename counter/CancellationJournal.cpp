#include "counter/CancellationJournal.h"

#include "foundations/DurableFile.h"
#include "foundations/PathText.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <map>
#include <sstream>

namespace dovra {

namespace {

constexpr const char* ApprovalSuffix = ".approval";
constexpr const char* AnsweredSuffix = ".answered";
constexpr const char* CancellationSuffix = ".cancel";

// Ids sort in the order the entries were made, across runs of the program.
std::string NewId() {
    static std::atomic<unsigned> sequence{0};
    auto now = std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::system_clock::now().time_since_epoch())
                   .count();
    std::string stamp = std::to_string(now);
    std::string count = std::to_string(sequence++ % 1000);
    return std::string(20 - std::min<size_t>(20, stamp.size()), '0') + stamp + "-" +
           std::string(3 - count.size(), '0') + count;
}

std::string Slurp(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

} // namespace

std::filesystem::path CancellationJournal::File(const std::string& id, Kind kind) const {
    const char* suffix = kind == Kind::OpenApproval       ? ApprovalSuffix
                         : kind == Kind::AnsweredApproval ? AnsweredSuffix
                                                          : CancellationSuffix;
    return folder_ / (id + suffix);
}

bool CancellationJournal::RemoveFile(const std::filesystem::path& file) {
    std::error_code ec;
    std::filesystem::remove(file, ec);
    return !ec;
}

std::optional<std::string> CancellationJournal::RecordApproval(const std::string& telegram) {
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    std::string id = NewId();
    if (!ReplaceFileDurably(File(id, Kind::OpenApproval), telegram)) {
        return std::nullopt;
    }
    return id;
}

bool CancellationJournal::ClearApproval(const std::string& id) {
    if (remove_(File(id, Kind::OpenApproval))) {
        remove_(File(id, Kind::AnsweredApproval));
        return true;
    }
    return ReplaceFileDurably(File(id, Kind::AnsweredApproval), {});
}

bool CancellationJournal::RecordCancellation(const std::string& id, const std::string& telegram) {
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    if (!ReplaceFileDurably(File(id, Kind::PendingCancellation), telegram)) {
        return false;
    }
    // The cancellation now stands for the approval; an approval entry left behind is harmless, since
    // an id with a cancellation is never read as an open approval.
    remove_(File(id, Kind::OpenApproval));
    return true;
}

bool CancellationJournal::ClearCancellation(const std::string& id) {
    // An approval entry the disk would not let go of before must not outlive its cancellation, or the
    // next start would cancel that approval a second time.
    if (!remove_(File(id, Kind::PendingCancellation))) {
        return false;
    }
    remove_(File(id, Kind::OpenApproval));
    return true;
}

std::vector<CancellationJournal::Entry> CancellationJournal::Entries() const {
    // Per id, the furthest state on disk wins: a cancellation over its approval, a mark over an open one.
    std::map<std::string, Entry> byId;
    std::error_code ec;
    // Stepped with an error code: a folder that turns unreadable midway ends the listing, not the program.
    for (std::filesystem::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        const std::filesystem::directory_entry& item = *it;
        std::string extension = PathToUtf8(item.path().extension());
        Kind kind;
        if (extension == ApprovalSuffix) {
            kind = Kind::OpenApproval;
        } else if (extension == AnsweredSuffix) {
            kind = Kind::AnsweredApproval;
        } else if (extension == CancellationSuffix) {
            kind = Kind::PendingCancellation;
        } else {
            continue; // a half-written ".new" file never became an entry
        }
        std::string id = PathToUtf8(item.path().stem());
        auto found = byId.find(id);
        if (found == byId.end() || kind > found->second.kind) {
            byId[id] = {id, kind, kind == Kind::AnsweredApproval ? std::string() : Slurp(item.path())};
        }
    }
    std::vector<Entry> entries;
    for (auto& [id, entry] : byId) {
        entries.push_back(std::move(entry)); // ids sort in the order the entries were made
    }
    return entries;
}

} // namespace dovra
