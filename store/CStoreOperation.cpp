#include "store/CStoreOperation.h"

#include <cstdio>
#include <cstring>

#include "base/UserInterface.h"
#include "identities/Settings.h"
#include "password/PasswordRecord.h"
#include "platform/Shell.h"
#include "store/Container.h"
#include "store/StoreKey.h"
#include "base/UserAbort.h"

CStoreOperation::ShredObserver& CStoreOperation::ShredObserverSlot() {
    static ShredObserver observer;
    return observer;
}

CStoreOperation::CStoreOperation()
    : password_(GetCurrentPassword()),
      guardId_(GetGuardId()),
      containerPath_(GetContainerPath()),
      buffer_(new uint8_t[kChunkSize]),
      compareBuffer_(new uint8_t[kChunkSize]) {
    std::memset(&cipher_, 0, sizeof cipher_);
}

CStoreOperation::~CStoreOperation() {
    CloseStoreFiles();
    CloseProgress();
    platform::SecureZero(&cipher_, sizeof cipher_);
    platform::SecureZero(buffer_.get(), kChunkSize);
    platform::SecureZero(compareBuffer_.get(), kChunkSize);
    if (!password_.empty()) platform::SecureZero(&password_[0], password_.size());
}

std::string CStoreOperation::StreamName(size_t index) {
    char name[16];
    std::snprintf(name, sizeof name, "%05u", static_cast<unsigned>(index));
    return name;
}

void CStoreOperation::SetShredObserver(ShredObserver observer) { ShredObserverSlot() = std::move(observer); }

void CStoreOperation::DeriveStoreKey(const uint8_t* salt, size_t saltLength) {
    ::DeriveStoreKey(salt, saltLength, password_, cipher_);
}

void CStoreOperation::CloseStoreFiles() {
    // Last first, as they were opened; closing a file that is only read cannot lose data.
    while (!files_.empty()) files_.pop_back();
}

void CStoreOperation::OpenProgress(const std::string& status) {
    if (!progress_) progress_ = UserInterface::Current().CreateProgressWindow();
    if (progress_) {
        progress_->SetStatusText(status);
        progress_->SetRange(0, 1000);
    }
}

void CStoreOperation::CloseProgress() { progress_.reset(); }

void CStoreOperation::ReportProgress(uint64_t done) {
    if (!progress_) return;
    int position = 1000;
    if (totalBytes_ > 0 && done < totalBytes_) {
        position = static_cast<int>((done * 1000 + totalBytes_ / 2) / totalBytes_);
    }
    progress_->SetPos(position);
}

void CStoreOperation::CheckCancel() {
    if (!progress_ || !progress_->TakeCancelRequest()) return;
    if (ShowMessageBox("Are you sure you want to cancel?", MB_YESNO | MB_ICONQUESTION) == IDYES) {
        throw UserAbort();
    }
}
