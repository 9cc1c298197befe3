// The two conversions against the standard library's on the same inputs: CoordinateFromText
// against std::from_chars on decimal texts, NumberText against std::to_chars with 15 significant
// digits in general form. Each pair is one benchmark that times both in alternating batches over
// the same inputs, so that the machine's slow and fast moments fall on both alike; it reports the
// time of each and their ratio, and the run ends with the median ratios. NumberText is also set
// against to_chars followed by the std::string that it returns, the floor for any function of
// its signature: past 15 characters that string takes a heap block, which to_chars never pays.
//
// Two sets of inputs: "typed", short numbers such as a user types ("12", "-3.5", "0.25"), and
// "full", doubles across the whole range written with every digit it takes to read them back
// ("-1.2345678901234567e-89").

#include <benchmark/benchmark.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "point/conversions.h"

namespace {

constexpr std::size_t kInputs = 1024;
constexpr double kTargetRatio = 1.5;

struct Inputs {
  std::vector<std::string> texts;
  std::vector<double> values;  // the values of the texts
};

double ValueOf(const std::string& text) {
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

Inputs Typed() {
  std::mt19937_64 random(1);
  std::uniform_int_distribution<int> whole(-5000, 5000);
  std::uniform_int_distribution<int> fractionDigits(0, 3);
  Inputs inputs;
  for (std::size_t i = 0; i < kInputs; ++i) {
    std::string text = std::to_string(whole(random));
    const int digits = fractionDigits(random);
    if (digits > 0) {
      text += '.';
      for (int d = 0; d < digits; ++d) text += static_cast<char>('0' + random() % 10);
    }
    inputs.values.push_back(ValueOf(text));
    inputs.texts.push_back(std::move(text));
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
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    inputs.texts.emplace_back(buffer, end);
    inputs.values.push_back(value);
  }
  return inputs;
}

// One batch each: every input of the set once.
void CoordinateFromTextBatch(const Inputs& inputs) {
  for (const std::string& text : inputs.texts) {
    benchmark::DoNotOptimize(point::CoordinateFromText(text));
  }
}

void FromCharsBatch(const Inputs& inputs) {
  for (const std::string& text : inputs.texts) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    benchmark::DoNotOptimize(value);
  }
}

void NumberTextBatch(const Inputs& inputs) {
  for (const double value : inputs.values) {
    benchmark::DoNotOptimize(point::NumberText(value, "."));
  }
}

void ToCharsBatch(const Inputs& inputs) {
  for (const double value : inputs.values) {
    char buffer[32];
    benchmark::DoNotOptimize(
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15));
    benchmark::ClobberMemory();
  }
}

void ToCharsStringBatch(const Inputs& inputs) {
  for (const double value : inputs.values) {
    char buffer[32];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    benchmark::DoNotOptimize(std::string(buffer, written.ptr));
  }
}

using Batch = void (*)(const Inputs&);

// Times `ours` and `standard` in turn, which one goes first alternating, and reports the
// nanoseconds per conversion of each and their ratio.
void RunPair(benchmark::State& state, Batch ours, Batch standard, const Inputs& inputs) {
  using Clock = std::chrono::steady_clock;
  Clock::duration oursTime{};
  Clock::duration standardTime{};
  bool oursFirst = true;
  for (auto _ : state) {
    const Batch first = oursFirst ? ours : standard;
    const Batch second = oursFirst ? standard : ours;
    const Clock::time_point start = Clock::now();
    first(inputs);
    const Clock::time_point middle = Clock::now();
    second(inputs);
    const Clock::time_point end = Clock::now();
    (oursFirst ? oursTime : standardTime) += middle - start;
    (oursFirst ? standardTime : oursTime) += end - middle;
    oursFirst = !oursFirst;
  }
  const double conversions = static_cast<double>(state.iterations()) * inputs.values.size();
  const auto nanoseconds = [conversions](Clock::duration d) {
    return std::chrono::duration<double, std::nano>(d).count() / conversions;
  };
  state.counters["ours_ns"] = nanoseconds(oursTime);
  state.counters["standard_ns"] = nanoseconds(standardTime);
  state.counters["ratio"] = nanoseconds(oursTime) / nanoseconds(standardTime);
}

struct Pair {
  const char* ours;
  const char* standard;
  Batch oursBatch;
  Batch standardBatch;
  bool hasTarget;  // false for a reference that shows a floor rather than a goal
};

constexpr Pair kPairs[] = {
    {"CoordinateFromText", "from_chars", CoordinateFromTextBatch, FromCharsBatch, true},
    {"NumberText", "to_chars", NumberTextBatch, ToCharsBatch, true},
    {"NumberText", "to_chars+string", NumberTextBatch, ToCharsStringBatch, false},
};

std::string PairName(const Pair& pair, const std::string& set) {
  return std::string(pair.ours) + "_vs_" + pair.standard + "/" + set;
}

// The console report, and then each pair's median ratio and times.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  struct Medians {
    double ratio = 0;
    double ours = 0;
    double standard = 0;
  };

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
      if (!median && !single) continue;
      medians_[run.run_name.function_name] = {run.counters.at("ratio"), run.counters.at("ours_ns"),
                                              run.counters.at("standard_ns")};
    }
  }

  void PrintRatios(const std::vector<std::string>& sets) const {
    std::printf("\nMedian ratios, ours / the standard's (target: at most %.2f)\n", kTargetRatio);
    for (const std::string& set : sets) {
      for (const Pair& pair : kPairs) {
        const auto found = medians_.find(PairName(pair, set));
        if (found == medians_.end()) continue;
        const Medians& m = found->second;
        const char* verdict = !pair.hasTarget           ? "(reference)"
                              : m.ratio <= kTargetRatio ? "within target"
                                                        : "OVER TARGET";
        std::printf("  %-18s / %-15s %-6s %5.2f  (%6.1f ns / %6.1f ns each)  %s\n", pair.ours,
                    pair.standard, set.c_str(), m.ratio, m.ours, m.standard, verdict);
      }
    }
  }

 private:
  std::map<std::string, Medians> medians_;
};

}  // namespace

int main(int argc, char** argv) {
  // Defaults for stable medians on a busy machine; flags given on the command line come later
  // and so take precedence.
  std::vector<char*> args{argv[0]};
  std::string defaults[] = {"--benchmark_repetitions=15", "--benchmark_min_time=0.2",
                            "--benchmark_enable_random_interleaving=true",
                            "--benchmark_report_aggregates_only=true"};
  for (std::string& flag : defaults) args.push_back(flag.data());
  for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;

  const std::map<std::string, Inputs> sets = {{"typed", Typed()}, {"full", Full()}};
  for (const std::string set : {"typed", "full"}) {
    for (const Pair& pair : kPairs) {
      benchmark::RegisterBenchmark(PairName(pair, set).c_str(), RunPair, pair.oursBatch,
                                   pair.standardBatch, std::cref(sets.at(set)));
    }
  }

  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios({"typed", "full"});
  benchmark::Shutdown();
  return 0;
}
