#include "StoreFiles.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "ClientLayout.h"
#include "SeededBytes.h"
#include "ToolError.h"

namespace msimn {

namespace {

struct PlannedFile {
    std::string name;
    uint64_t size;
};

// The files a freshly used identity has, in the order the client creates them.
// Deleted Items is empty until the user deletes a message.
const PlannedFile kUsualFiles[] = {
    {"Folders.dbx", 17652}, {"Inbox.dbx", 152380}, {"Sent Items.dbx", 71948}, {"Deleted Items.dbx", 0},
    {"Drafts.dbx", 9476},   {"Offline.dbx", 4340}, {"Pop3uidl.dbx", 5620},    {"Outbox.dbx", 9476},
};
constexpr unsigned kUsualCount = sizeof kUsualFiles / sizeof kUsualFiles[0];

std::vector<PlannedFile> Plan(unsigned count, SeededBytes& random) {
    std::vector<PlannedFile> plan;
    for (unsigned i = 0; i < count; ++i) {
        if (i < kUsualCount) {
            plan.push_back(kUsualFiles[i]);
        } else {
            // Folders the user made: any size up to 96 KiB.
            plan.push_back(
                {"Local Folder " + std::to_string(i - kUsualCount + 1) + ".dbx", random.Next() % (96 * 1024)});
        }
    }
    return plan;
}

}  // namespace

std::string StoreFiles::PathOf(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == platform::kPathSeparator) return folder + name;
    return folder + platform::kPathSeparator + name;
}

std::vector<platform::FindEntry> StoreFiles::Populate(const std::string& folder, unsigned count, uint64_t seed) {
    SeededBytes random(seed);
    std::vector<PlannedFile> plan = Plan(count, random);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || !platform::IsDirectory(folder)) {
        throw ToolError("cannot create the store folder " + folder + ": " + error.message());
    }
    for (const auto& file : plan) {
        if (platform::FileExists(PathOf(folder, file.name))) {
            throw ToolError("the store folder already holds " + PathOf(folder, file.name));
        }
    }
    std::vector<uint8_t> chunk;
    for (const auto& file : plan) {
        platform::File out;
        Require(platform::File::Open(PathOf(folder, file.name), platform::File::Mode::CreateWrite, out));
        for (uint64_t left = file.size; left > 0;) {
            chunk.resize(static_cast<size_t>(std::min<uint64_t>(left, 64 * 1024)));
            random.Fill(chunk.data(), chunk.size());
            Require(out.Write(chunk.data(), chunk.size()));
            left -= chunk.size();
        }
        Require(out.Close());
    }
    return List(folder);
}

std::vector<platform::FindEntry> StoreFiles::List(const std::string& folder) {
    std::vector<platform::FindEntry> files;
    if (!platform::IsDirectory(folder)) return files;
    for (auto& entry : platform::FindFiles(folder, layout::kStorePattern)) {
        if (!entry.isDirectory) files.push_back(entry);
    }
    return files;
}

}  // namespace msimn
