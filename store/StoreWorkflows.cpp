#include "store/StoreWorkflows.h"

#include "base/SilentUserInterface.h"
#include "base/UserInterface.h"
#include "identities/RegistryRestore.h"
#include "identities/Settings.h"
#include "store/CStoreOperation.h"
#include "store/Container.h"
#include "store/ContainerReader.h"
#include "store/ContainerWriter.h"
#include "store/ExpandStorePath.h"
#include "store/StoreDiscovery.h"
#include "store/StoreEraser.h"

namespace {

RunOutcome Restore(CStoreOperation& run);

// Encrypts the store into the container and checks it read back from the disk; only
// then are the plain files erased.
RunOutcome ProtectStore(CStoreOperation& run) {
    const int level = run.SecurityLevel();
    if (run.ContainerPath().size() >= CStoreOperation::kMaxPathLength) {
        return RefuseUnchanged(run.User(), ResultCopyError, run.ContainerPath(),
                               "The path of the protected container is too long:\r\n" + run.ContainerPath());
    }
    std::vector<StoreFile> files;
    if (level != SecurityLow) {
        // The restore finds the store folder in the saved registry entries; the files
        // must be taken from that very folder or it would refuse to put them back.
        std::string savedRoot;
        if (!FindStoreRootInBackup(run.Backup(), savedRoot) || savedRoot != run.StoreRoot()) {
            return RefuseUnchanged(run.User(), ResultCopyError, run.StoreRoot(),
                                   "The identity's store folder changed while it was being hidden. Please try again.");
        }
        const std::string folder = ExpandStorePath(run.StoreRoot());
        uint64_t totalBytes = 0;
        if (RunOutcome found = FindStoreFiles(run.User(), folder, files, totalBytes); !found.succeeded()) return found;
        if (RunOutcome fits = CheckStoreLimits(run.User(), folder, files, totalBytes); !fits.succeeded()) return fits;
        run.StartCount(totalBytes);
    }

    run.OpenProgress("Encrypting message store");
    ContainerWriter writer(run);
    if (RunOutcome written = writer.Write(files); !written.succeeded()) return written;
    if (RunOutcome proved = ContainerReader(run).Verify(writer.Written(), files); !proved.succeeded()) {
        (void)DeleteContainer(run.ContainerPath());
        if (!proved.reason().empty()) {
            run.User().ShowMessageBox("The protected container did not pass its check after writing: " +
                                          proved.reason() + ".\r\n\r\nNothing has been changed.",
                                      MessageStyle::Ok | MessageStyle::IconStop);
        }
        return proved;
    }
    if (level == SecurityMedium || level == SecurityHigh) {
        // Files that stay are named to the user; the hide itself is done.
        (void)StoreEraser(run).EraseStoreFiles(files, level == SecurityHigh);
    }
    platform::ApplyFileAttributes(run.ContainerPath(), platform::AttributeHidden | platform::AttributeReadOnly);
    return RunOutcome::Done();
}

RunOutcome Hide(CStoreOperation& run) {
    const std::string& key = run.IdentityKeyName();
    if (run.ContainerPath().empty()) {
        return RefuseUnchanged(run.User(), ResultRegistryError, key,
                               "The protected identity's key name cannot name a file:\r\n" + key);
    }
    StoreEraser(run).CleanLeftovers();
    switch (BackupIdentityKey(key, run.Backup())) {
        case KeyWalk::Done:
            break;
        case KeyWalk::Failed:
            return RunOutcome::Failed(ResultRegistryError, key);
        // A key that lists what it cannot open is in a state nobody can save whole.
        case KeyWalk::Broken:
            return RunOutcome::Failed(ResultUnspecified, key, "a subkey of the identity cannot be opened");
    }
    // A backup the restore would refuse must never be the only copy of the identity.
    BackupDefect defect = BackupDefect::None;
    const RegistryBackup& backup = run.Backup();
    const uint64_t indexBytes =
        IndexHeader::kSize + uint64_t{backup.StructureStream.Length()} + backup.DataStream.Length();
    if (indexBytes > CStoreOperation::kMaxIndexBytes || !ValidateRegistryBackup(backup, &defect)) {
        return RefuseUnchanged(
            run.User(), ResultRegistryError, key,
            std::string("The identity's registry entries cannot be kept in the protected container (") +
                (indexBytes > CStoreOperation::kMaxIndexBytes ? "they are too large" : DescribeBackupDefect(defect)) +
                ").");
    }
    if (!ContainerWriter(run).HeaderTextsFit()) {
        return RefuseUnchanged(run.User(), ResultRegistryError, key,
                               "The identity's registry entries are too long to be kept in the protected container.");
    }
    if (RunOutcome protectedStore = ProtectStore(run); !protectedStore.succeeded()) return protectedStore;
    if (RemoveIdentityKey(key)) return RunOutcome::Done();

    // The identity would be half gone while the mail sits in the container: put
    // everything back and say that the hide did not happen.
    if (!Restore(run).succeeded()) {
        run.User().ShowMessageBox(
            "The identity could not be removed from the registry, and the hide could not "
            "be undone completely.\r\n\r\nYour messages are kept in the protected "
            "container; restore the identity to get them back.",
            MessageStyle::Ok | MessageStyle::IconStop);
    }
    return RunOutcome::Failed(ResultRegistryError, key, "the identity could not be removed from the registry");
}

// Changes nothing and keeps the container aside: it would replace something newer.
RunOutcome KeepStaleContainer(CStoreOperation& run, ContainerReader& reader, const std::string& reason) {
    reader.RemoveParts();
    std::string kept;
    if (!MoveContainerAside(run.ContainerPath(), kept)) {
        run.User().ShowMessageBox(
            "The identity has not been restored: " + reason +
                ".\r\n\r\nThe protected container holds an older copy and could not be moved aside. "
                "Nothing has been changed.",
            MessageStyle::Ok | MessageStyle::IconStop);
        return RunOutcome::Failed(ResultUnspecified, run.ContainerPath(), reason);
    }
    run.User().ShowMessageBox(
        "The identity has not been restored: " + reason +
            ".\r\n\r\nThe protected container holds an older copy, so nothing has been changed. It has "
            "been kept as:\r\n" +
            kept + "\r\n\r\nThe identity is no longer shown as hidden.",
        MessageStyle::Ok | MessageStyle::IconExclamation);
    return RunOutcome::Failed(ResultUnspecified, kept, reason);
}

// The container goes once everything is back; left under its name it would make the
// identity look hidden, and a later restore would bring back this older copy.
void FinishRestore(CStoreOperation& run) {
    const platform::FileStatus deleted = DeleteContainer(run.ContainerPath());
    if (deleted.ok()) return;
    std::string kept;
    if (MoveContainerAside(run.ContainerPath(), kept)) {
        run.User().ShowMessageBox(
            "The identity has been restored, but its protected container could not be deleted:\r\n" + deleted.text() +
                "\r\n\r\nIt holds an older copy of the identity and has been kept as:\r\n" + kept +
                "\r\n\r\nDelete it when you no longer need it.",
            MessageStyle::Ok | MessageStyle::IconExclamation);
    } else {
        run.User().ShowMessageBox(
            "The identity has been restored, but its protected container could not be deleted:\r\n" + deleted.text() +
                "\r\n\r\nIt is still at:\r\n" + run.ContainerPath() +
                "\r\n\r\nUntil it is gone the identity is shown as hidden; a restore will then only "
                "delete it.",
            MessageStyle::Ok | MessageStyle::IconExclamation);
    }
}

RunOutcome Restore(CStoreOperation& run) {
    if (run.ContainerPath().empty()) return RunOutcome::Failed(ResultUnspecified);
    StoreEraser(run).CleanLeftovers();
    run.OpenProgress("Decrypting message store");
    ContainerReader reader(run);
    if (RunOutcome checked = reader.Check(); !checked.succeeded()) return checked;
    const KeyInPlace inPlace = CompareIdentityKeyWithBackup(run.IdentityKeyName(), run.Backup());
    if (inPlace == KeyInPlace::Broken) {
        return RunOutcome::Failed(ResultUnspecified, run.IdentityKeyName(),
                                  "a subkey of the identity cannot be opened");
    }
    if (inPlace == KeyInPlace::Differs || inPlace == KeyInPlace::Unreadable) {
        return KeepStaleContainer(
            run, reader,
            "the identity is already listed in the mail client, with settings the container does not hold");
    }
    std::string differing;
    if (RunOutcome written = reader.WriteParts(differing); !written.succeeded()) return written;
    // Only now that every copy is proved: a file that differs is newer mail, not damage.
    if (!differing.empty()) {
        return KeepStaleContainer(run, reader,
                                  "a file in the store is not the one the container holds:\r\n" + differing);
    }
    if (RunOutcome placed = reader.PlaceFiles(); !placed.succeeded()) return placed;
    run.CloseProgress();
    if (!RestoreIdentityKey(run.IdentityKeyName(), run.Backup())) {
        run.User().ShowMessageBox(
            "The identity's registry entries could not be written back; what was written of them has "
            "been taken back.\r\n\r\nThe protected container is kept, so the restore can be run again.",
            MessageStyle::Ok | MessageStyle::IconStop);
        return RunOutcome::Failed(ResultRegistryError, run.IdentityKeyName(),
                                  "the registry entries could not be written back");
    }
    FinishRestore(run);
    return RunOutcome::Done();
}

}  // namespace

std::string BuildHideQuestion(const std::string& displayName, int securityLevel) {
    const char* level = securityLevel == SecurityLow ? "LOW" : securityLevel == SecurityMedium ? "MEDIUM" : "HIGH";
    std::string text = "You are about to hide an identity: \"" + displayName + "\"\r\nSecurity mode is " + level +
                       ". Following action(s) will be performed:\r\n- Identity will be hidden for Outlook Express\r\n";
    text += securityLevel != SecurityLow ? "- message store will be encrypted and hidden\r\n"
                                         : "- message store will be left UNENCRYPTED\r\n";
    if (securityLevel == SecurityHigh) text += "- original unencrypted message store files will be SHREDDED";
    text += "\r\n\r\nAre you sure you want to continue?";
    return text;
}

RunOutcome HideIdentity(RunRequest request, UserInterface& ui) {
    const std::string question = BuildHideQuestion(request.displayName, request.securityLevel);
    if (ui.ShowMessageBox(question, MessageStyle::YesNo | MessageStyle::IconQuestion) != MessageAnswer::Yes)
        return RunOutcome::Failed(ResultCanceled);
    if (!request.containerPath.empty() && platform::FileExists(request.containerPath)) {
        return RunOutcome::Failed(ResultAlreadyHidden, request.containerPath);
    }
    CStoreOperation run(std::move(request), ui);
    return Hide(run);
}

RunOutcome RestoreIdentity(RunRequest request, UserInterface& ui) {
    if (ui.ShowMessageBox("You are about to restore your hidden identity.\r\n\r\nProceed with restoration?",
                          MessageStyle::YesNo | MessageStyle::IconQuestion) != MessageAnswer::Yes) {
        return RunOutcome::Failed(ResultCanceled);
    }
    CStoreOperation run(std::move(request), ui);
    return Restore(run);
}

void CleanLeftovers(RunRequest request) {
    // Nothing here asks or tells the user anything.
    SilentUserInterface silent;
    CStoreOperation run(std::move(request), silent);
    StoreEraser(run).CleanLeftovers();
}
