// One compound file being written through libgsf, shared by the OutStorage that
// created it and the OutStream being written. libgsf writes a stream straight into
// the file once it outgrows the small-block buffer, so only one stream may be open at
// a time, and it must be closed before the next one is created and before the root
// is closed; this class enforces that order.
#pragma once

#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output.h>
#include <stdio.h>

#include <memory>
#include <string>
#include <unordered_set>

#include "GObjectRef.h"
#include "platform/CompoundFile.h"

namespace platform {

class OutputSession {
public:
    // Creates (or, unless mustBeNew, replaces) the file at path, private to the user
    // and held exclusively. A symbolic link at path is never followed.
    static StorageStatus Create(const std::string& path, bool mustBeNew, std::shared_ptr<OutputSession>& out);
    ~OutputSession();
    OutputSession(const OutputSession&) = delete;
    OutputSession& operator=(const OutputSession&) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    StorageStatus NewStream(const std::string& name, GObjectRef<GsfOutput>& child);
    bool IsCurrent(const GsfOutput* child) const { return child != nullptr && child == current_; }
    StorageStatus Write(GsfOutput* child, const void* data, size_t size);
    StorageStatus CloseStream(GsfOutput* child);
    // Closes the root, flushes and syncs the file and its folder.
    StorageStatus Commit();
    // Lets go of everything and leaves the file empty.
    void Abandon();

private:
    OutputSession() = default;
    // Any failure the sink has recorded, also one noticed only when flushing.
    StorageStatus SinkStatus() const;
    StorageStatus Remember(StorageStatus status);
    // Closes the libgsf objects (the root closes the sink) and returns their verdict.
    StorageStatus CloseLibraryObjects();

    std::string path_;
    FILE* file_ = nullptr;  // ours: libgsf leaves it open, we sync and close it
    uint64_t sinceWriteback_ = 0;
    GObjectRef<GsfOutput> sink_;
    GObjectRef<GsfOutfile> root_;
    GsfOutput* current_ = nullptr;  // the open stream; its OutStream owns the reference
    std::unordered_set<std::string> names_;  // StreamNameKey of every stream created
    StorageStatus failure_ = kStorageOk;  // the first failure since Create
};

}  // namespace platform
