#include "OutputSession.h"

#include <errno.h>
#include <fcntl.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-output-stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

#include "GsfCallScope.h"
#include "GsfSupport.h"
#include "PosixFiles.h"
#include "platform/File.h"

namespace platform {

namespace {

StorageStatus WriteFailure(int error) {
    StorageStatus status = StorageStatusFromErrno(error);
    return status == kStorageFailed ? kStorageWriteFault : status;
}

}  // namespace

StorageStatus OutputSession::Create(const std::string& path, bool mustBeNew, std::shared_ptr<OutputSession>& out) {
    GsfCallScope scope;
    // Our own descriptor rather than libgsf's opener: the file is private from its
    // first byte (libgsf would create it with the umask's permissions), it is held
    // exclusively while written, and we can sync it before we close it. A link at
    // path would send the secrets wherever it points, so none is followed; O_EXCL
    // refuses anything there, a dangling link included, and gives a new file exactly
    // 0600 whatever the umask. Only a file that may be replaced is opened as it is.
    // A pipe must not keep the open waiting for a reader.
    const int flags = O_WRONLY | O_NOFOLLOW | O_NONBLOCK;
    int fd = OpenLocked(path, flags | O_CREAT | O_EXCL, 0600, LockKind::Exclusive);
    if (fd < 0 && errno == EEXIST && !mustBeNew) fd = OpenLocked(path, flags, 0, LockKind::Exclusive);
    if (fd < 0) return StorageStatusFromOpenErrno(path, errno);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return kStorageAccessDenied;
    }
    if (::ftruncate(fd, 0) != 0 || ::fchmod(fd, 0600) != 0) {
        int error = errno;
        ::close(fd);
        return WriteFailure(error);
    }
    FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        ::close(fd);
        return kStorageFailed;
    }
    std::shared_ptr<OutputSession> session(new OutputSession());
    session->path_ = path;
    session->file_ = file;
    // keep_open: closing the sink only flushes; the FILE stays ours to sync and close.
    session->sink_ = GObjectRef<GsfOutput>(gsf_output_stdio_new_FILE(path.c_str(), file, TRUE));
    if (session->sink_) {
        session->root_ = GObjectRef<GsfOutfile>(gsf_outfile_msole_new(session->sink_.Get()));
    }
    if (!session->root_) {
        session->Abandon();
        return kStorageFailed;
    }
    out = std::move(session);
    return kStorageOk;
}

OutputSession::~OutputSession() { Abandon(); }

StorageStatus OutputSession::Remember(StorageStatus status) {
    if (!StorageSucceeded(status) && StorageSucceeded(failure_)) failure_ = status;
    return status;
}

StorageStatus OutputSession::SinkStatus() const {
    if (!sink_) return kStorageOk;
    const GError* error = gsf_output_error(sink_.Get());
    if (!error) return kStorageOk;
    return error->code != 0 ? WriteFailure(error->code) : kStorageWriteFault;
}

StorageStatus OutputSession::NewStream(const std::string& name, GObjectRef<GsfOutput>& child) {
    if (!IsOpen()) return kStorageReverted;
    if (current_) return kStorageAccessDenied;
    if (!IsValidStreamName(name)) return kStorageInvalidName;
    GsfCallScope scope;
    std::string key = StreamNameKey(name);
    if (names_.count(key) != 0) return kStorageFileAlreadyExists;
    GsfOutput* created = gsf_outfile_new_child(root_.Get(), name.c_str(), FALSE);
    if (!created) return Remember(kStorageFailed);
    child = GObjectRef<GsfOutput>(created);
    current_ = created;
    names_.insert(std::move(key));
    return kStorageOk;
}

StorageStatus OutputSession::Write(GsfOutput* child, const void* data, size_t size) {
    if (!IsCurrent(child)) return kStorageReverted;
    if (!StorageSucceeded(failure_)) return failure_;
    // Stream sizes are 32-bit in the file's directory.
    if (static_cast<uint64_t>(gsf_output_size(child)) + size > UINT32_MAX) return kStorageMediumFull;
    GsfCallScope scope;
    if (!gsf_output_write(child, size, static_cast<const guint8*>(data))) {
        StorageStatus status = SinkStatus();
        return Remember(StorageSucceeded(status) ? kStorageWriteFault : status);
    }
    CountWritten(::fileno(file_), size, sinceWriteback_);
    return Remember(SinkStatus());
}

StorageStatus OutputSession::CloseStream(GsfOutput* child) {
    if (!IsCurrent(child)) return kStorageReverted;
    current_ = nullptr;
    GsfCallScope scope;
    bool closed = gsf_output_close(child);
    StorageStatus status = SinkStatus();
    if (StorageSucceeded(status) && !closed) status = kStorageWriteFault;
    return Remember(status);
}

StorageStatus OutputSession::CloseLibraryObjects() {
    GsfCallScope scope;
    StorageStatus status = kStorageOk;
    if (current_) status = CloseStream(current_);
    if (root_ && !gsf_output_is_closed(GSF_OUTPUT(root_.Get()))) {
        // Closing the root writes the directory and closes the sink as well; the
        // sink must not be closed a second time, only let go of.
        bool closed = gsf_output_close(GSF_OUTPUT(root_.Get()));
        if (StorageSucceeded(status)) status = SinkStatus();
        if (StorageSucceeded(status) && !closed) status = kStorageWriteFault;
    }
    root_.Reset();
    sink_.Reset();
    return Remember(status);
}

StorageStatus OutputSession::Commit() {
    if (!IsOpen()) return kStorageReverted;
    (void)CloseLibraryObjects();  // a failure is remembered in failure_, read next
    StorageStatus status = failure_;
    if (::fflush(file_) != 0 && StorageSucceeded(status)) status = WriteFailure(errno);
    if (::fsync(::fileno(file_)) != 0 && StorageSucceeded(status)) status = WriteFailure(errno);
    if (::fclose(file_) != 0 && StorageSucceeded(status)) status = WriteFailure(errno);
    file_ = nullptr;
    // A new file's name lives in its folder; sync that too so that the committed
    // file is still there after a crash.
    if (StorageSucceeded(status) && !FlushFolder(FolderOf(path_))) status = kStorageWriteFault;
    return status;
}

void OutputSession::Abandon() {
    if (!IsOpen()) return;
    (void)CloseLibraryObjects();  // nothing written here is kept
    // Whatever libgsf wrote on closing is not a committed file: leave nothing that
    // could be read as one. Should emptying fail, the caller still deletes a file it
    // did not commit.
    ::fflush(file_);
    const int emptied = ::ftruncate(::fileno(file_), 0);
    (void)emptied;
    ::fclose(file_);
    file_ = nullptr;
}

}  // namespace platform
