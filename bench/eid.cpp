// Round trip of one million random tag codes: stored hexadecimal -> decimal -> hexadecimal.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "core/modEID.h"

namespace {

constexpr int kCodes = 1000000;

// Codes as the program builds them: animal flag set, reserved field and data-block flag 0,
// country below 1024 and national number below 2^38, so every one comes back unchanged.
const std::vector<std::string>& Codes() {
    static const std::vector<std::string> codes = [] {
        std::mt19937_64 random(42);
        std::vector<std::string> out;
        out.reserve(kCodes);
        for (int i = 0; i < kCodes; ++i) {
            const std::uint64_t r = random();
            std::uint64_t code = std::uint64_t{1} << 63;
            code |= (r & 0x7) << 60;                             // retag counter
            code |= ((r >> 3) & 0x1F) << 55;                     // user information
            code |= ((r >> 8) & 0x3FF) << 38;                    // country
            code |= (r >> 18) & ((std::uint64_t{1} << 38) - 1);  // national number
            char hex[17];
            std::snprintf(hex, sizeof hex, "%016llX", static_cast<unsigned long long>(code));
            out.emplace_back(hex);
        }
        return out;
    }();
    return codes;
}

void BM_HexDecimalHexRoundTrip(benchmark::State& state) {
    const auto& codes = Codes();
    long mismatches = 0;
    for (auto _ : state) {
        for (const std::string& hex : codes) {
            const EIDRecord record = modEID::HexEIDToDecimalEID(hex);
            const std::string back = modEID::DecimalEIDToHexEID(record.Decimal, record.UserInfo, record.RetagCount);
            if (back != hex) ++mismatches;
            benchmark::DoNotOptimize(back);
        }
    }
    state.counters["eids"] = kCodes;
    state.counters["mismatches"] = static_cast<double>(mismatches);
    state.counters["eids_per_s"] = benchmark::Counter(
        static_cast<double>(kCodes) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_HexDecimalHexRoundTrip)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same conversions on the digit-string road, for comparison (a sample of 10,000 codes).
void BM_DigitStringRoundTripSample(benchmark::State& state) {
    const auto& codes = Codes();
    for (auto _ : state) {
        for (int i = 0; i < 10000; ++i) {
            const std::string bits = modEID::HexStringToBinary(codes[i]);
            const std::string decimal = modEID::BinaryStringToNumeric(bits, 10);
            benchmark::DoNotOptimize(modEID::BinaryStringToHex(modEID::NumericStringToBinary(decimal, 10)));
        }
    }
    state.counters["codes_per_s"] =
        benchmark::Counter(10000.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DigitStringRoundTripSample)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
