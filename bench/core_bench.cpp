// ns per operation of the number text rules and of one whole design on the headless form.
#include <benchmark/benchmark.h>

#include <array>
#include <string>

#include "app/buttons.h"
#include "app/memory_form.h"
#include "app/road.h"
#include "numtext/mod1.h"
#include "numtext/numtext.h"

namespace {

// Texts and values of the kind the fields hold, cycled so no single branch is favoured.
const std::array<std::string, 8> kTexts{
    "146.00", ".064", "1.626", "9009", "421.2329", "16.5839716393178", "28.277", "0.0242125988006592"};
const std::array<double, 8> kDoubles{
    146.0, 0.064, 1.626, 9009.0, 421.23288, 16.58397163931779, 28.2773, 0.0242125988006592};

// One number text rule on the values above in turn.
template <class Rule>
void NumberText(benchmark::State& state, Rule rule) {
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(rule(i++ & 7));
}
BENCHMARK_CAPTURE(NumberText, TextToSingle, [](std::size_t i) { return brimalox::parseSingle(kTexts[i]); });
BENCHMARK_CAPTURE(NumberText, TextToDouble, [](std::size_t i) { return brimalox::parseDouble(kTexts[i]); });
BENCHMARK_CAPTURE(NumberText, SingleToText,
                  [](std::size_t i) { return brimalox::singleToText(static_cast<float>(kDoubles[i])); });
BENCHMARK_CAPTURE(NumberText, DoubleToText, [](std::size_t i) { return brimalox::doubleToText(kDoubles[i]); });
BENCHMARK_CAPTURE(NumberText, RoundDouble, [](std::size_t i) { return brimalox::roundPlaces(kDoubles[i], 3); });
BENCHMARK_CAPTURE(NumberText, RoundSingle,
                  [](std::size_t i) { return brimalox::roundPlaces(static_cast<float>(kDoubles[i]), 3); });

// ACCEPT, CHANGE below the AWG field, THREE SIDED and COMPUTE on a fresh headless form.
void WholeDesignOnForm(benchmark::State& state) {
    const std::array<std::string, 4> frequencies{"146", "50", "222.5", "28.4"};
    std::size_t i = 0;
    for (auto _ : state) {
        brimalox::MemoryForm form;
        brimalox::Mod1 shared;
        form.setText(brimalox::Field::Text2, frequencies[i++ & 3]);
        brimalox::press(brimalox::Button::Command7, form, shared);
        form.setText(brimalox::Field::Text4, "8");
        brimalox::press(brimalox::Button::Command1, form, shared);
        form.select(brimalox::Option::Option1);
        benchmark::DoNotOptimize(brimalox::press(brimalox::Button::Command4, form, shared));
    }
}
BENCHMARK(WholeDesignOnForm);

// The same design through brimalox-cli's runDesign, which also collects the fifteen texts.
void WholeDesignRunDesign(benchmark::State& state) {
    const std::array<std::string, 4> frequencies{"146", "50", "222.5", "28.4"};
    brimalox::DesignRequest request;
    request.conductor = {brimalox::ConductorUnit::Awg, "8"};
    std::size_t i = 0;
    for (auto _ : state) {
        request.frequencyText = frequencies[i++ & 3];
        benchmark::DoNotOptimize(brimalox::runDesign(request));
    }
}
BENCHMARK(WholeDesignRunDesign);

}  // namespace

BENCHMARK_MAIN();
