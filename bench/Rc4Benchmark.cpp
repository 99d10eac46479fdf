// Our RC4 against OpenSSL's on the same 64 KiB buffers (the chunk size of the hide and
// restore workflows), in one run, so the ratio is not skewed by machine load between runs.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "store/Rc4.h"

namespace {

constexpr size_t kChunk = 64 * 1024;
const uint8_t kKey[16] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef,
                          0xfe, 0xdc, 0xba, 0x98, 0x76, 0x54, 0x32, 0x10};

void BM_VeilboxRc4(benchmark::State& st) {
    std::vector<uint8_t> buffer(kChunk, 0x5a);
    Rc4State state;
    Rc4SetKey(kKey, sizeof(kKey), state);
    for (auto _ : st) {
        Rc4Crypt(buffer.data(), buffer.size(), state);
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    st.SetBytesProcessed(int64_t(st.iterations()) * int64_t(kChunk));
}

void BM_OpenSslRc4(benchmark::State& st) {
    std::vector<uint8_t> buffer(kChunk, 0x5a);
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    if (!ctx || EVP_EncryptInit_ex(ctx, EVP_rc4(), nullptr, kKey, nullptr) != 1) {
        st.SkipWithError("OpenSSL RC4 is not available");
        EVP_CIPHER_CTX_free(ctx);
        return;
    }
    for (auto _ : st) {
        int outLength = 0;
        // In place, as ours works: RC4 allows out == in.
        EVP_EncryptUpdate(ctx, buffer.data(), &outLength, buffer.data(), int(buffer.size()));
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    st.SetBytesProcessed(int64_t(st.iterations()) * int64_t(kChunk));
    EVP_CIPHER_CTX_free(ctx);
}

BENCHMARK(BM_VeilboxRc4)->MinTime(1.0);
BENCHMARK(BM_OpenSslRc4)->MinTime(1.0);

// Keeps each benchmark's throughput so the ratio can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            auto it = run.counters.find("bytes_per_second");
            if (it != run.counters.end()) bytesPerSecond[run.benchmark_name()] = it->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> bytesPerSecond;
};

}  // namespace

int main(int argc, char** argv) {
    // RC4 lives in OpenSSL 3's legacy provider; default keeps the other algorithms.
    OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(nullptr, "legacy");
    OSSL_PROVIDER* standard = OSSL_PROVIDER_load(nullptr, "default");
    if (!legacy) std::fprintf(stderr, "OpenSSL legacy provider not available\n");

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    double ours = 0, theirs = 0;
    for (const auto& [name, value] : reporter.bytesPerSecond) {
        if (name.rfind("BM_VeilboxRc4", 0) == 0) ours = value;
        if (name.rfind("BM_OpenSslRc4", 0) == 0) theirs = value;
    }
    if (ours > 0 && theirs > 0) {
        std::printf("Veilbox RC4: %.1f MB/s\nOpenSSL RC4: %.1f MB/s\nratio: %.3f\n", ours / 1e6,
                    theirs / 1e6, ours / theirs);
    }
    if (standard) OSSL_PROVIDER_unload(standard);
    if (legacy) OSSL_PROVIDER_unload(legacy);
    return 0;
}
