// Our RC4 against OpenSSL's on the same 64 KiB buffers (the chunk size of the hide and
// restore workflows), and our Poly1305, which authenticates the same chunks. All run in
// one process, in short repetitions interleaved at random. The best repetition is the
// figure least disturbed by other work on a shared machine; the median shows what a
// loaded machine gives.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "crypto/Poly1305.h"
#include "crypto/Rc4.h"

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

void BM_VeilboxPoly1305(benchmark::State& st) {
    std::vector<uint8_t> buffer(kChunk, 0x5a);
    uint8_t key[Poly1305::kKeySize];
    for (size_t k = 0; k < sizeof key; ++k) key[k] = uint8_t(k * 37 + 1);
    Poly1305 poly(key);
    for (auto _ : st) {
        poly.Update(buffer.data(), buffer.size());
        benchmark::ClobberMemory();
    }
    uint8_t tag[Poly1305::kTagSize];
    poly.Final(tag);
    benchmark::DoNotOptimize(tag);
    st.SetBytesProcessed(int64_t(st.iterations()) * int64_t(kChunk));
}

constexpr int kRepetitions = 30;
BENCHMARK(BM_VeilboxRc4)->MinTime(0.05)->Repetitions(kRepetitions);
BENCHMARK(BM_OpenSslRc4)->MinTime(0.05)->Repetitions(kRepetitions);
BENCHMARK(BM_VeilboxPoly1305)->MinTime(0.05)->Repetitions(kRepetitions);

// Keeps each repetition's throughput so the ratios can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // The table shows the statistics of the repetitions, not each one.
    void ReportRuns(const std::vector<Run>& runs) override {
        std::vector<Run> aggregates;
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration) {
                aggregates.push_back(run);
                continue;
            }
            auto it = run.counters.find("bytes_per_second");
            if (it == run.counters.end()) continue;
            bytesPerSecond[run.run_name.function_name].push_back(it->second.value);
        }
        if (!aggregates.empty()) ConsoleReporter::ReportRuns(aggregates);
    }
    std::map<std::string, std::vector<double>> bytesPerSecond;
};

double Best(std::vector<double> values) {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    // RC4 lives in OpenSSL 3's legacy provider; default keeps the other algorithms.
    OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(nullptr, "legacy");
    OSSL_PROVIDER* standard = OSSL_PROVIDER_load(nullptr, "default");
    if (!legacy) std::fprintf(stderr, "OpenSSL legacy provider not available\n");

    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    int argCount = int(args.size());
    benchmark::Initialize(&argCount, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const std::vector<double>& ours = reporter.bytesPerSecond["BM_VeilboxRc4"];
    const std::vector<double>& theirs = reporter.bytesPerSecond["BM_OpenSslRc4"];
    if (!ours.empty() && !theirs.empty()) {
        std::printf("%d repetitions each (MB = 10^6 bytes)\n", kRepetitions);
        std::printf("            best        median\n");
        std::printf("Veilbox RC4 %6.1f MB/s %6.1f MB/s\n", Best(ours) / 1e6, Median(ours) / 1e6);
        std::printf("OpenSSL RC4 %6.1f MB/s %6.1f MB/s\n", Best(theirs) / 1e6, Median(theirs) / 1e6);
        std::printf("ratio       %6.3f      %6.3f\n", Best(ours) / Best(theirs),
                    Median(ours) / Median(theirs));
    }
    const std::vector<double>& poly = reporter.bytesPerSecond["BM_VeilboxPoly1305"];
    if (!poly.empty()) {
        std::printf("Poly1305    %6.1f MB/s %6.1f MB/s\n", Best(poly) / 1e6, Median(poly) / 1e6);
    }
    if (standard) OSSL_PROVIDER_unload(standard);
    if (legacy) OSSL_PROVIDER_unload(legacy);
    return 0;
}
