// The two conversions, and beside them the standard library's own functions on the same inputs:
// CoordinateFromText against std::from_chars on decimal texts, NumberText against std::to_chars
// with 15 significant digits and the std::string that NumberText returns (the floor for any
// function of its signature). One conversion per iteration, cycling through the inputs.
//
// Built twice: on <charconv> (conversions_bench) and on the C library's path
// (conversions_bench_c_library, see point/float_chars.h). `make bench` sets the builds side by
// side, and each conversion beside the standard's function, with Google Benchmark's compare.py.
// The standard's functions are the same code in both builds: their difference between the two
// runs is the machine's own drift.
//
// Two sets of inputs: "typed", short numbers such as a user types ("12", "-3.5", "0.25"), and
// "full", doubles across the whole range written with every digit it takes to read them back
// ("-1.2345678901234567e-89").

#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "point/conversions.h"

namespace {

constexpr std::size_t kInputs = 1024;

struct Inputs {
  std::vector<std::string> texts;
  std::vector<double> values;  // the values of the texts
};

void Add(Inputs& inputs, std::string text) {
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  inputs.values.push_back(value);
  inputs.texts.push_back(std::move(text));
}

Inputs Typed() {
  std::mt19937_64 random(1);
  std::uniform_int_distribution<int> whole(-5000, 5000);
  std::uniform_int_distribution<int> fractionDigits(0, 3);
  Inputs inputs;
  for (std::size_t i = 0; i < kInputs; ++i) {
    std::string text = std::to_string(whole(random));
    const int digits = fractionDigits(random);
    if (digits > 0) text += '.';
    for (int d = 0; d < digits; ++d) text += static_cast<char>('0' + random() % 10);
    Add(inputs, std::move(text));
  }
  return inputs;
}

Inputs Full() {
  std::mt19937_64 random(2);
  std::uniform_real_distribution<double> mantissa(1, 10);
  std::uniform_int_distribution<int> exponent(-300, 300);
  Inputs inputs;
  for (std::size_t i = 0; i < kInputs; ++i) {
    const double value = (i % 2 ? -1 : 1) * mantissa(random) * std::pow(10.0, exponent(random));
    char buffer[32];
    Add(inputs, std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr));
  }
  return inputs;
}

void CoordinateFromText(benchmark::State& state, const Inputs& inputs) {
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(point::CoordinateFromText(inputs.texts[i++ % kInputs]));
  }
}

void FromChars(benchmark::State& state, const Inputs& inputs) {
  std::size_t i = 0;
  for (auto _ : state) {
    const std::string& text = inputs.texts[i++ % kInputs];
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    benchmark::DoNotOptimize(value);
  }
}

void NumberText(benchmark::State& state, const Inputs& inputs) {
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(point::NumberText(inputs.values[i++ % kInputs], "."));
  }
}

void ToChars(benchmark::State& state, const Inputs& inputs) {
  std::size_t i = 0;
  for (auto _ : state) {
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, inputs.values[i++ % kInputs],
                                       std::chars_format::general, 15);
    benchmark::DoNotOptimize(std::string(buffer, written.ptr));
  }
}

using Benchmark = void (*)(benchmark::State&, const Inputs&);
constexpr std::pair<const char*, Benchmark> kBenchmarks[] = {
    {"CoordinateFromText", CoordinateFromText},
    {"from_chars", FromChars},
    {"NumberText", NumberText},
    {"to_chars", ToChars}};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  const Inputs typed = Typed();
  const Inputs full = Full();
  for (const auto& [set, inputs] : {std::pair{"typed", &typed}, {"full", &full}}) {
    for (const auto& [name, function] : kBenchmarks) {
      benchmark::RegisterBenchmark((std::string(name) + "/" + set).c_str(), function, *inputs);
    }
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
