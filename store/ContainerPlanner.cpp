#include "store/ContainerPlanner.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "base/UserInterface.h"
#include "identities/RegistryRestore.h"
#include "platform/AsciiCase.h"
#include "platform/File.h"
#include "platform/FileNameCase.h"
#include "platform/Shell.h"
#include "store/ExpandStorePath.h"
#include "store/HeaderFields.h"
#include "store/KeyCheck.h"
#include "store/ReadExact.h"
#include "store/SourcePath.h"

namespace {

std::string FoldedName(const std::string& name, bool fold) { return fold ? platform::LowerAsciiText(name) : name; }

bool Fail(std::string& fault, const std::string& text) {
    fault = text;
    return false;
}

}  // namespace

bool ContainerPlanner::Load(platform::InStorage& storage, ContainerPlan& plan, std::string& fault) {
    plan = ContainerPlan();
    if (!ReadIndex(storage, plan, fault)) return false;

    // Exactly the streams the index promises: none missing, none left over, no other
    // kind of entry.
    std::set<std::string> expected = {"index"};
    if (plan.sealed) expected.insert(ContainerSeal::kStreamName);
    for (uint32_t k = 0; k < plan.index.fileCount; ++k) expected.insert(CStoreOperation::StreamName(k));
    std::set<std::string> found;
    for (const platform::InStorage::Entry& entry : storage.Entries()) {
        const std::string name = FoldedName(entry.name, true);
        if (!entry.isStream || !expected.count(name) || !found.insert(name).second) {
            return Fail(fault, "it holds an entry its index does not name (\"" + entry.name + "\")");
        }
    }
    if (found.size() != expected.size()) {
        return Fail(fault, "its index names " + std::to_string(plan.index.fileCount) + " file streams, but it holds " +
                               std::to_string(found.size() - (plan.sealed ? 2 : 1)));
    }

    if (plan.sealed) {
        platform::InStream stream;
        const uint64_t size = ContainerSeal::kFixedSize + uint64_t{plan.index.fileCount} * Poly1305::kTagSize;
        std::vector<uint8_t> bytes(static_cast<size_t>(size));
        if (!platform::StorageSucceeded(storage.OpenStream(ContainerSeal::kStreamName, stream)) ||
            stream.Size() != size || !ReadExact(stream, bytes.data(), bytes.size()) ||
            !ContainerSeal::Parse(bytes.data(), bytes.size(), plan.index.fileCount, plan.seal)) {
            return Fail(fault, "its seal is damaged");
        }
    }
    std::string storeRoot;
    const bool named = FindStoreRootInBackup(run_.Backup(), storeRoot);
    if (named && platform::IsOtherSystemPath(storeRoot)) {
        // Made on the other system: the identity comes back with its store folder named
        // as this system reaches it, and its files go into that folder.
        const std::string local = StoreRootHere(storeRoot);
        if (local.empty() && plan.index.fileCount > 0) {
            return Fail(fault, "it was made on another system, and its store folder " + storeRoot +
                                   " cannot be reached from this one");
        }
        if (!local.empty()) {
            if (!ReplaceStoreRootInBackup(run_.Backup(), local)) {
                return Fail(fault, "there is not enough memory to read it");
            }
            plan.recordedFolder = ExpandStorePath(storeRoot, platform::kOtherSystemIgnoresCase);
            storeRoot = local;
        }
    }
    if (plan.index.fileCount > 0) {
        if (!named) return Fail(fault, "its saved registry entries name no store folder for its files");
        plan.storeFolder = ExpandStorePath(storeRoot);
    }
    return PlanStreams(storage, plan, fault);
}

bool ContainerPlanner::ReadIndex(platform::InStorage& storage, ContainerPlan& plan, std::string& fault) {
    platform::InStream stream;
    if (!platform::StorageSucceeded(storage.OpenStream("index", stream))) return Fail(fault, "it has no index");
    const uint64_t size = stream.Size();
    if (size < IndexHeader::kSize || size > CStoreOperation::kMaxIndexBytes)
        return Fail(fault, "its index has a wrong size");
    plan.indexBytes.resize(static_cast<size_t>(size));
    if (!ReadExact(stream, plan.indexBytes.data(), plan.indexBytes.size()))
        return Fail(fault, "its index cannot be read");
    uint8_t header[IndexHeader::kSize];
    std::memcpy(header, plan.indexBytes.data(), sizeof header);
    const IndexHeader h = IndexHeader::Parse(header);
    plan.index = h;
    plan.sealed = h.reserved == ContainerSeal::kSealedMark;
    if (size != uint64_t{IndexHeader::kSize} + h.structureLength + h.dataLength ||
        h.constant != IndexHeader::kConstant || (h.reserved != 0 && !plan.sealed) ||
        h.fileCount > CStoreOperation::kMaxFileCount) {
        return Fail(fault, "its index header is damaged");
    }
    std::string identityId;
    if (!GetFieldText(h.identityId, sizeof h.identityId, identityId) ||
        !GetFieldText(h.defaultUserId, sizeof h.defaultUserId, run_.Backup().DefaultUserId) ||
        !GetFieldText(h.lastUserId, sizeof h.lastUserId, run_.Backup().LastUserId) ||
        !GetFieldText(h.lastUsername, sizeof h.lastUsername, run_.Backup().LastUsername) ||
        !GetFieldText(h.startAs, sizeof h.startAs, run_.Backup().StartAs)) {
        return Fail(fault, "its index header is damaged");
    }
    // Another identity's container under this identity's name would rebuild the wrong
    // key. Containers that did not record the identity are taken at their name.
    if (!identityId.empty() && identityId != run_.IdentityKeyName()) {
        return Fail(fault, "it belongs to another identity (" + identityId + ")");
    }
    const uint8_t* structure = plan.indexBytes.data() + IndexHeader::kSize;
    if (!run_.Backup().StructureStream.SetSize(h.structureLength) || !run_.Backup().DataStream.SetSize(h.dataLength)) {
        return Fail(fault, "there is not enough memory to read it");
    }
    std::copy(structure, structure + h.structureLength, run_.Backup().StructureStream.Data());
    std::copy(structure + h.structureLength, structure + h.structureLength + h.dataLength,
              run_.Backup().DataStream.Data());
    BackupDefect defect = BackupDefect::None;
    if (!ValidateRegistryBackup(run_.Backup(), &defect)) {
        return Fail(fault,
                    std::string("its saved registry entries are damaged (") + DescribeBackupDefect(defect) + ")");
    }
    return true;
}

bool ContainerPlanner::PlanStreams(platform::InStorage& storage, ContainerPlan& plan, std::string& fault) {
    std::set<std::string> names;
    uint64_t total = 0;
    for (uint32_t k = 0; k < plan.index.fileCount; ++k) {
        plan.streams.emplace_back();
        StreamPlan& stream = plan.streams.back();
        stream.name = CStoreOperation::StreamName(k);
        platform::InStream in;
        if (!platform::StorageSucceeded(storage.OpenStream(stream.name, in)) || in.Size() < StreamHeader::kSize ||
            !ReadExact(in, stream.headerBytes, sizeof stream.headerBytes) ||
            !StreamHeader::Parse(stream.headerBytes, stream.header) ||
            !GetFieldText(stream.header.sourcePath, sizeof stream.header.sourcePath, stream.targetPath)) {
            return Fail(fault, "the header of its stream " + stream.name + " is damaged");
        }
        // Only a message-store file directly in the identity's own store folder.
        std::string name;
        if (!plan.recordedFolder.empty()) {
            // Recorded by the other system: the file keeps its name, in the folder as
            // named here.
            name = NameInFolder(stream.targetPath, plan.recordedFolder, platform::kOtherSystemSeparator,
                                platform::kOtherSystemIgnoresCase);
            if (!name.empty()) stream.targetPath = plan.storeFolder + platform::kPathSeparator + name;
        } else {
            name = NameInFolder(stream.targetPath, plan.storeFolder);
        }
        if (!IsSafeSourcePath(stream.targetPath) || !IsStoreFileName(name) ||
            stream.targetPath.size() >= CStoreOperation::kMaxPathLength) {
            return Fail(fault, "its stream " + stream.name + " would write outside the store folder " +
                                   plan.storeFolder + " (" + stream.targetPath + ")");
        }
        if (!names.insert(FoldedName(name, platform::kFileNamesIgnoreCase)).second) {
            return Fail(fault, "two of its streams would write the same file (" + stream.targetPath + ")");
        }
        stream.plainSize = in.Size() - StreamHeader::kSize;
        if ((stream.header.marked && stream.header.plainSize != stream.plainSize) ||
            (plan.sealed && !stream.header.stamped)) {
            return Fail(fault, "the header of its stream " + stream.name + " is damaged");
        }
        total += stream.plainSize;
    }
    if (total != plan.index.totalBytes || total >= CStoreOperation::kMaxStoreBytes) {
        return Fail(fault, "its index promises " + std::to_string(plan.index.totalBytes) + " bytes, its streams hold " +
                               std::to_string(total));
    }
    run_.StartCount(total);
    return true;
}

bool ContainerPlanner::KeysMatch(const ContainerPlan& plan) {
    uint8_t check[StreamHeader::kKeyCheckSize];
    if (plan.sealed) {
        run_.KeyCipher(plan.index.salt, sizeof plan.index.salt);
        ComputeKeyCheck(run_.Cipher(), check);
        if (std::memcmp(check, plan.seal.keyCheck, sizeof check) != 0) return false;
    }
    for (const StreamPlan& stream : plan.streams) {
        if (!stream.header.marked) continue;  // an older container carries no check
        run_.KeyCipher(stream.header.salt, sizeof stream.header.salt);
        ComputeKeyCheck(run_.Cipher(), check);
        if (std::memcmp(check, stream.header.keyCheck, sizeof check) != 0) return false;
    }
    return true;
}

bool ContainerPlanner::CheckKeys(ContainerPlan& plan, KeyPolicy policy) {
    if (KeysMatch(plan)) return true;
    if (policy == KeyPolicy::CurrentPasswordOnly) return false;

    // Deciphering under the wrong key would replace the mail with noise. Nothing has
    // been written yet; ask for the password the store was hidden under.
    std::string prompt =
        "The message store was protected with a different password than the one in use now.\r\n"
        "Please enter the password that was in use when the identity was hidden.";
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::string candidate;
        if (!run_.User().RequestPassword(prompt, candidate)) break;
        run_.ReplacePassword(candidate);
        if (KeysMatch(plan)) return true;
        prompt =
            "This password does not match the protected message store either.\r\n"
            "Please enter the password that was in use when the identity was hidden.";
    }
    run_.User().ShowMessageBox(
        "The identity has not been restored: the password does not match the protected "
        "message store.\r\n\r\nNothing has been changed.",
        MessageStyle::Ok | MessageStyle::IconStop);
    return false;
}

bool ContainerPlanner::IndexDigestMatches(const ContainerPlan& plan) {
    if (!plan.sealed) return true;
    run_.KeyCipher(plan.index.salt, sizeof plan.index.salt);
    uint8_t key[Poly1305::kKeySize];
    DeriveDigestKey(run_.Cipher(), DigestRole::Index, key);
    Poly1305 mac(key);
    platform::SecureZero(key, sizeof key);
    mac.Update(plan.indexBytes.data(), plan.indexBytes.size());
    uint8_t digest[Poly1305::kTagSize];
    mac.Final(digest);
    return SameDigest(digest, plan.seal.indexDigest);
}
