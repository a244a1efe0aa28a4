// Throughput of the Base64 codec for a short address and for a large input.
#include <benchmark/benchmark.h>

#include <string>

#include "app/Module1.h"

namespace {

Module1::Bytes Input(size_t size) {
    Module1::Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 31 + 7);
    return bytes;
}

void EncodeWide(benchmark::State& state) {
    const auto input = Input(static_cast<size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(Module1::Base64EncodeBytes(input));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void DecodeWide(benchmark::State& state) {
    const std::wstring encoded = Module1::Base64EncodeBytes(Input(static_cast<size_t>(state.range(0))));
    for (auto _ : state) benchmark::DoNotOptimize(Module1::Base64DecodeBytes(encoded));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void EncodeNarrow(benchmark::State& state) {
    const auto input = Input(static_cast<size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(Module1::Base64EncodeBytesNarrow(input));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void DecodeNarrow(benchmark::State& state) {
    const std::string encoded = Module1::Base64EncodeBytesNarrow(Input(static_cast<size_t>(state.range(0))));
    for (auto _ : state) benchmark::DoNotOptimize(Module1::Base64DecodeBytes(std::string_view(encoded)));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void EncodeText(benchmark::State& state) {
    const std::wstring text = L"http://下载.example.com/文件/" + std::wstring(static_cast<size_t>(state.range(0)), L'a');
    for (auto _ : state) benchmark::DoNotOptimize(Module1::Base64EncodeText(text));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

}  // namespace

// Throughput is of the decoded (binary) bytes in both directions.
BENCHMARK(EncodeWide)->Arg(100)->Arg(32000);
BENCHMARK(DecodeWide)->Arg(100)->Arg(32000);
BENCHMARK(EncodeNarrow)->Arg(100)->Arg(32000);
BENCHMARK(DecodeNarrow)->Arg(100)->Arg(32000);
BENCHMARK(EncodeText)->Arg(100);

BENCHMARK_MAIN();
