#include <errno.h>
#include <fcntl.h>
#include <gsf/gsf-infile-impl.h>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <stdio.h>
#include <unistd.h>

#include "GObjectRef.h"
#include "GsfCallScope.h"
#include "GsfSupport.h"
#include "InStreamImpl.h"
#include "PosixFiles.h"

namespace platform {

struct InStorage::Impl {
    GObjectRef<GsfInfile> root;
};

InStorage::InStorage() = default;
InStorage::~InStorage() = default;
InStorage::InStorage(InStorage&&) noexcept = default;
InStorage& InStorage::operator=(InStorage&&) noexcept = default;

StorageStatus InStorage::Open(const std::string& path) {
    Release();
    GsfCallScope scope;
    // A shared lock: other readers may open the file, no writer of ours may.
    int fd = OpenLocked(path, O_RDONLY, 0, LockKind::Shared);
    if (fd < 0) return StorageStatusFromErrno(errno);
    FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        return kStorageFailed;
    }
    // On success libgsf owns the FILE and closes it (and so drops the lock) when the
    // last reference to the file goes.
    GObjectRef<GsfInput> input(gsf_input_stdio_new_FILE(path.c_str(), file, FALSE));
    if (!input) {
        ::fclose(file);
        return kStorageFailed;
    }
    GError* error = nullptr;
    GObjectRef<GsfInfile> root(gsf_infile_msole_new(input.Get(), &error));
    if (error) g_error_free(error);
    if (!root) return kStorageInvalidHeader;
    impl_ = std::make_unique<Impl>();
    impl_->root = std::move(root);
    return kStorageOk;
}

StorageStatus InStorage::OpenStream(const std::string& name, InStream& stream) {
    stream.Release();
    if (!IsOpen()) return kStorageReverted;
    if (!IsValidStreamName(name)) return kStorageInvalidName;
    GsfCallScope scope;
    GsfInfile* root = impl_->root.Get();
    const int count = gsf_infile_num_children(root);
    for (int i = 0; i < count; ++i) {
        const char* childName = gsf_infile_name_by_index(root, i);
        if (!childName || !SameStreamName(childName, name)) continue;
        // A damaged chain of blocks makes libgsf refuse the child here. The class
        // call hands the reason back to us; gsf_infile_child_by_index would print it
        // as a warning of the default log domain, which is not ours to silence.
        GError* error = nullptr;
        GObjectRef<GsfInput> child(GSF_INFILE_CLASS(G_OBJECT_GET_CLASS(root))->child_by_index(root, i, &error));
        if (error) g_error_free(error);
        if (!child) return kStorageReadFault;
        // A storage of that name is not a stream.
        if (GSF_IS_INFILE(child.Get()) && gsf_infile_num_children(GSF_INFILE(child.Get())) >= 0) {
            return kStorageFileNotFound;
        }
        auto impl = std::make_unique<InStream::Impl>();
        impl->input = std::move(child);
        stream.impl_ = std::move(impl);
        return kStorageOk;
    }
    return kStorageFileNotFound;
}

void InStorage::Release() { impl_.reset(); }

bool InStorage::IsOpen() const { return impl_ && impl_->root; }

}  // namespace platform
