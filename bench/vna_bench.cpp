// The analyser's parsers alone, on a sweep of 101 points as each kind sends it, in reads of 64
// bytes as a USB serial port hands them over: points parsed a second (items per second).
#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <cmath>
#include <memory>
#include <string>

#include "vna/analyser.h"

namespace {

constexpr brimalox::vna::SweepPlan kPlan{116'800'000, 204'400'000, 101};

void feed(brimalox::vna::Conversation& c, const std::string& bytes) {
    for (std::size_t at = 0; at < bytes.size(); at += 64)
        c.received(std::string_view(bytes).substr(at, 64));
}

void ShellSweep101(benchmark::State& state) {
    std::string scan = "scan 116800000 204400000 101 3\r\n";
    for (int i = 0; i < kPlan.points; ++i)
        scan += fmt::format("{} {:.9f} {:.9f} \r\n", 116'800'000 + 876'000 * i, std::sin(i * 0.1), std::cos(i * 0.1));
    scan += "ch> ";
    for (auto _ : state) {
        const auto c = brimalox::vna::shellConversation(kPlan);
        c->start();
        c->received("info\r\nBoard: NanoVNA-H\r\nch> ");
        feed(*c, scan);
        benchmark::DoNotOptimize(c->received("resume\r\nch> "));
    }
    state.SetItemsProcessed(state.iterations() * kPlan.points);
}
BENCHMARK(ShellSweep101);

void V2Sweep101(benchmark::State& state) {
    std::string records;
    for (int i = 0; i < kPlan.points; ++i) {
        std::string r(32, '\0');
        const std::int32_t values[] = {1 << 30, 0, static_cast<std::int32_t>(std::sin(i * 0.1) * (1 << 29)), 12345};
        for (int v = 0; v < 4; ++v)
            for (int b = 0; b < 4; ++b)
                r[static_cast<std::size_t>(4 * v + b)] = static_cast<char>((values[v] >> (8 * b)) & 0xff);
        r[24] = static_cast<char>(i);
        records += r;
    }
    for (auto _ : state) {
        const auto c = brimalox::vna::binaryConversation(kPlan);
        c->start();
        c->received(std::string("\x02\x01\x03\x01\x05", 5));
        feed(*c, records);
        benchmark::DoNotOptimize(c->sweep().s11.size());
    }
    state.SetItemsProcessed(state.iterations() * kPlan.points);
}
BENCHMARK(V2Sweep101);

}  // namespace
