// codec_bench.cpp: the article codec's speed, each figure beside a baseline of the same run.
// Decoding: MB/s of plain output for the fast decoder, the reference byte loop and memcpy of the
// same bytes, over a set of article-shaped texts (1 KB to 60 KB) and over one 64 KB text; the
// *_Compare benchmarks alternate the three in every iteration and report fast/reference.
// Compressing: MB/s of plain input and the token bytes of the optimal parser against the greedy
// baseline. The texts come from the tests' generator, so they are the same on every machine.
#include "../tests/store/CodecTexts.h"
#include "store/ArticleStore.h"
#include "store/Compressor.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

struct Sample {
    Bytes Plain;
    Bytes Tokens;
};

Sample Make(uint64_t seed, size_t size) {
    Sample s;
    s.Plain = codec_texts::HebrewLikeText(seed, size);
    if (CompressTokens(s.Plain.data(), s.Plain.size(), &s.Tokens) != CompressOk) std::abort();
    return s;
}

// 96 different texts from 1 KB to 60 KB (four at each of 24 sizes spread evenly on a log scale):
// more than the branch predictor can learn, as in the search, which decodes each text once.
const std::vector<Sample>& ArticleSet() {
    static const std::vector<Sample> set = [] {
        std::vector<Sample> v;
        for (unsigned k = 0; k < 96; ++k)
            v.push_back(Make(1000 + k, size_t(1024.0 * std::pow(60.0, (k % 24) / 23.0))));
        return v;
    }();
    return set;
}

// Sixteen different 64 KB texts: an iteration decodes one of them, the next one each time.
const std::vector<Sample>& LargeTexts() {
    static const std::vector<Sample> set = [] {
        std::vector<Sample> v;
        for (unsigned k = 0; k < 16; ++k)
            v.push_back(Make(64 + k, MaxPlainLength));
        return v;
    }();
    return set;
}

using Decoder = bool (*)(const uint8_t*, size_t, uint8_t*, size_t);

bool MemcpyDecoder(const uint8_t*, size_t, uint8_t*, size_t) {
    return true;
}

// Decodes texts [first, first + count) of the set (memcpy copies the plain bytes instead); returns
// the plain bytes.
size_t DecodeSome(const std::vector<Sample>& set, size_t first, size_t count, Decoder decode, uint8_t* out) {
    size_t bytes = 0;
    for (size_t k = first; k < first + count; ++k) {
        const Sample& s = set[k % set.size()];
        bool ok = decode == MemcpyDecoder ? (std::memcpy(out, s.Plain.data(), s.Plain.size()), true)
                                          : decode(s.Tokens.data(), s.Tokens.size(), out, s.Plain.size());
        if (!ok) std::abort();
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
        bytes += s.Plain.size();
    }
    return bytes;
}

// Each iteration decodes `count` texts, starting where the last iteration stopped.
void Decode(benchmark::State& state, const std::vector<Sample>& set, size_t count, Decoder decode) {
    Bytes out(MaxPlainLength + ArticleTextPadding);
    size_t next = 0, bytes = 0;
    for (auto _ : state) {
        bytes += DecodeSome(set, next, count, decode, out.data());
        next += count;
    }
    state.SetBytesProcessed(int64_t(bytes));
}

// CPU time of this thread, so that time the shared machine gives to others is not counted.
double ThreadSeconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Fast, reference and memcpy in turn in every iteration, so the machine's load hits all three alike.
// (The memcpy pass after the three only counts the bytes.)
void Compare(benchmark::State& state, const std::vector<Sample>& set, size_t count) {
    Bytes out(MaxPlainLength + ArticleTextPadding);
    double fast = 0, reference = 0, copy = 0;
    size_t next = 0, bytes = 0;
    auto time = [&](Decoder d) {
        double t0 = ThreadSeconds();
        DecodeSome(set, next, count, d, out.data());
        return ThreadSeconds() - t0;
    };
    for (auto _ : state) {
        fast += time(DecodeTokens);
        reference += time(DecodeTokensReference);
        copy += time(MemcpyDecoder);
        bytes += DecodeSome(set, next, count, MemcpyDecoder, out.data());
        next += count;
    }
    const double megabytes = double(bytes) / 1e6;
    state.counters["fast_MBps"] = megabytes / fast;
    state.counters["reference_MBps"] = megabytes / reference;
    state.counters["memcpy_MBps"] = megabytes / copy;
    state.counters["fast_over_reference"] = reference / fast;
}

const std::vector<Sample>& SameLargeText() {
    static const std::vector<Sample> one(1, LargeTexts()[0]);
    return one;
}

void BM_DecodeSet_Fast(benchmark::State& state) {
    Decode(state, ArticleSet(), ArticleSet().size(), DecodeTokens);
}
void BM_DecodeSet_Reference(benchmark::State& state) {
    Decode(state, ArticleSet(), ArticleSet().size(), DecodeTokensReference);
}
void BM_DecodeSet_Memcpy(benchmark::State& state) {
    Decode(state, ArticleSet(), ArticleSet().size(), MemcpyDecoder);
}
void BM_DecodeSet_Compare(benchmark::State& state) {
    Compare(state, ArticleSet(), ArticleSet().size());
}
void BM_Decode64K_Fast(benchmark::State& state) {
    Decode(state, LargeTexts(), 1, DecodeTokens);
}
void BM_Decode64K_Reference(benchmark::State& state) {
    Decode(state, LargeTexts(), 1, DecodeTokensReference);
}
void BM_Decode64K_Memcpy(benchmark::State& state) {
    Decode(state, LargeTexts(), 1, MemcpyDecoder);
}
void BM_Decode64K_Compare(benchmark::State& state) {
    Compare(state, LargeTexts(), 1);
}
// The same 64 KB text every time: the branch predictor learns much of it, the byte loop most.
void BM_Decode64KSameText_Compare(benchmark::State& state) {
    Compare(state, SameLargeText(), 1);
}

size_t PlainBytes(const std::vector<Sample>& set) {
    size_t n = 0;
    for (const Sample& s : set)
        n += s.Plain.size();
    return n;
}

using Compressor = CompressResult (*)(const uint8_t*, size_t, std::vector<uint8_t>*);

void Compress(benchmark::State& state, Compressor compress) {
    const std::vector<Sample>& set = ArticleSet();
    Bytes tokens;
    size_t optimal = 0, greedy = 0, produced = 0;
    for (const Sample& s : set) {
        tokens.clear();
        CompressTokensGreedy(s.Plain.data(), s.Plain.size(), &tokens);
        greedy += tokens.size();
        optimal += s.Tokens.size();
    }
    for (auto _ : state) {
        produced = 0;
        for (const Sample& s : set) {
            tokens.clear();
            if (compress(s.Plain.data(), s.Plain.size(), &tokens) != CompressOk) std::abort();
            produced += tokens.size();
        }
        benchmark::DoNotOptimize(tokens.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(PlainBytes(set)));
    state.counters["plain_bytes"] = double(PlainBytes(set));
    state.counters["token_bytes"] = double(produced);
    state.counters["optimal_over_greedy"] = double(optimal) / double(greedy);
    state.counters["saving_vs_greedy_pct"] = 100.0 * (1.0 - double(optimal) / double(greedy));
}

void BM_CompressSet_Optimal(benchmark::State& state) {
    Compress(state, CompressTokens);
}
void BM_CompressSet_Greedy(benchmark::State& state) {
    Compress(state, CompressTokensGreedy);
}

} // namespace

BENCHMARK(BM_DecodeSet_Fast);
BENCHMARK(BM_DecodeSet_Reference);
BENCHMARK(BM_DecodeSet_Memcpy);
BENCHMARK(BM_DecodeSet_Compare);
BENCHMARK(BM_Decode64K_Fast);
BENCHMARK(BM_Decode64K_Reference);
BENCHMARK(BM_Decode64K_Memcpy);
BENCHMARK(BM_Decode64K_Compare);
BENCHMARK(BM_Decode64KSameText_Compare);
BENCHMARK(BM_CompressSet_Optimal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompressSet_Greedy)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
