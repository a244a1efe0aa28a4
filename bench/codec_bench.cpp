// Throughput of the Base64 codec for a short address and for a large input.
#include <benchmark/benchmark.h>

#include <string>

#include "app/core/ConversionCommands.h"
#include "app/core/Module1.h"
#include "app/core/ThunderLink.h"

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

// An address of `size` characters, mostly Chinese with some ASCII; `korean`
// puts a character GBK cannot hold in front, so the link carries UTF-8.
std::wstring LongAddress(size_t size, bool korean) {
    std::wstring text = korean ? L"http://한/" : L"http://x/";
    const std::wstring pattern = L"下载文件 a.zip/测试路径";
    while (text.size() < size) text += pattern;
    text.resize(size);
    return text;
}

// The window's conversions; throughput is of the address's characters.
void AddressToLink(benchmark::State& state) {
    const std::wstring address = LongAddress(static_cast<size_t>(state.range(0)), state.range(1) != 0);
    for (auto _ : state) benchmark::DoNotOptimize(ThunderLink::FromAddress(address));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void LinkToAddress(benchmark::State& state) {
    const std::wstring link = ThunderLink::FromAddress(LongAddress(static_cast<size_t>(state.range(0)), state.range(1) != 0));
    for (auto _ : state) benchmark::DoNotOptimize(ConversionCommands::LinkToAddress(link));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

}  // namespace

// 16 MB of text, as GBK and as UTF-8.
BENCHMARK(AddressToLink)->Args({16 << 20, 0})->Args({16 << 20, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(LinkToAddress)->Args({16 << 20, 0})->Args({16 << 20, 1})->Unit(benchmark::kMillisecond);

// Throughput is of the decoded (binary) bytes in both directions.
BENCHMARK(EncodeWide)->Arg(100)->Arg(32000);
BENCHMARK(DecodeWide)->Arg(100)->Arg(32000);
BENCHMARK(EncodeNarrow)->Arg(100)->Arg(32000);
BENCHMARK(DecodeNarrow)->Arg(100)->Arg(32000);
BENCHMARK(EncodeText)->Arg(100);

BENCHMARK_MAIN();
