#include "windows/main/CancellationJournal.h"

#include "foundations/DurableFile.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>

namespace dovra {

namespace {

constexpr const char* ApprovalSuffix = ".approval";
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
    return folder_ / (id + (kind == Kind::OpenApproval ? ApprovalSuffix : CancellationSuffix));
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

void CancellationJournal::ClearApproval(const std::string& id) {
    std::error_code ignored;
    std::filesystem::remove(File(id, Kind::OpenApproval), ignored);
}

bool CancellationJournal::RecordCancellation(const std::string& id, const std::string& telegram) {
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    if (!ReplaceFileDurably(File(id, Kind::PendingCancellation), telegram)) {
        return false;
    }
    ClearApproval(id);
    return true;
}

void CancellationJournal::ClearCancellation(const std::string& id) {
    std::error_code ignored;
    std::filesystem::remove(File(id, Kind::PendingCancellation), ignored);
}

std::vector<CancellationJournal::Entry> CancellationJournal::Entries() const {
    std::vector<Entry> entries;
    std::error_code ec;
    for (const auto& item : std::filesystem::directory_iterator(folder_, ec)) {
        std::string name = item.path().filename().string();
        std::string extension = item.path().extension().string();
        Kind kind;
        if (extension == ApprovalSuffix) {
            kind = Kind::OpenApproval;
        } else if (extension == CancellationSuffix) {
            kind = Kind::PendingCancellation;
        } else {
            continue; // a half-written ".new" file never became an entry
        }
        entries.push_back({item.path().stem().string(), kind, Slurp(item.path())});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.id < b.id; });
    return entries;
}

} // namespace dovra
