#include "store/CStoreOperation.h"

#include <cstdio>
#include <cstring>

#include "base/UserInterface.h"
#include "platform/Shell.h"
#include "store/ContainerSeal.h"
#include "store/StoreKey.h"

CStoreOperation::CStoreOperation(RunRequest request, UserInterface& ui)
    : request_(std::move(request)), ui_(ui), buffer_(new uint8_t[kChunkSize]), compareBuffer_(new uint8_t[kChunkSize]) {
    std::memset(&cipher_, 0, sizeof cipher_);
}

CStoreOperation::~CStoreOperation() {
    CloseProgress();
    platform::SecureZero(&cipher_, sizeof cipher_);
    platform::SecureZero(buffer_.get(), kChunkSize);
    platform::SecureZero(compareBuffer_.get(), kChunkSize);
}

void CStoreOperation::ReplacePassword(std::string& candidate) {
    request_.password.swap(candidate);
    if (!candidate.empty()) platform::SecureZero(&candidate[0], candidate.size());
}

void CStoreOperation::KeyCipher(const uint8_t* salt, size_t saltLength) {
    DeriveStoreKey(salt, saltLength, request_.password, cipher_);
}

void CStoreOperation::KeyStream(const uint8_t (&salt)[16], uint8_t (&digestKey)[Poly1305::kKeySize]) {
    KeyCipher(salt, sizeof salt);
    DeriveDigestKey(cipher_, DigestRole::FileStream, digestKey);
}

std::string CStoreOperation::StreamName(size_t index) {
    char name[16];
    std::snprintf(name, sizeof name, "%05u", static_cast<unsigned>(index));
    return name;
}

void CStoreOperation::OpenProgress(const std::string& status) {
    if (!progress_) progress_ = ui_.CreateProgressWindow();
    if (progress_) {
        progress_->SetStatusText(status);
        progress_->SetRange(0, 1000);
    }
}

void CStoreOperation::SetStatus(const std::string& status) {
    if (progress_) progress_->SetStatusText(status);
}

void CStoreOperation::CloseProgress() { progress_.reset(); }

void CStoreOperation::StartCount(uint64_t totalBytes) {
    totalBytes_ = totalBytes;
    done_ = 0;
}

void CStoreOperation::Count(uint64_t bytes) {
    done_ += bytes;
    if (!progress_) return;
    int position = 1000;
    if (totalBytes_ > 0 && done_ < totalBytes_) {
        position = static_cast<int>((done_ * 1000 + totalBytes_ / 2) / totalBytes_);
    }
    progress_->SetPos(position);
}

bool CStoreOperation::CancelConfirmed() {
    if (!progress_ || !progress_->TakeCancelRequest()) return false;
    return ui_.ShowMessageBox("Are you sure you want to cancel?", MessageStyle::YesNo | MessageStyle::IconQuestion) ==
           MessageAnswer::Yes;
}

void CStoreOperation::HideCancel() {
    if (progress_) progress_->HideCancelButton();
}

void CStoreOperation::DiscardCancel() {
    if (progress_) (void)progress_->TakeCancelRequest();
}
