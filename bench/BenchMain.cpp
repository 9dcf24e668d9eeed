// Runs the benchmarks, then prints each pair's ratio: a benchmark named
// "X/subject" is compared with "X/baseline".
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            // With repetitions, the spread of a rate is no rate to compare.
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "mean" &&
                run.aggregate_name != "median")
                continue;
            const auto it = run.counters.find("items_per_second");
            if (it != run.counters.end()) rates_[run.benchmark_name()] = it->second.value;
        }
    }
    void PrintRatios() const {
        for (const auto& [name, rate] : rates_) {
            const auto slash = name.find("/subject");
            if (slash == std::string::npos) continue;
            const std::string base = name.substr(0, slash) + "/baseline" + name.substr(slash + 8);
            const auto it = rates_.find(base);
            if (it == rates_.end() || rate <= 0) continue;
            std::printf("%s: %.0f items/s, baseline %.0f items/s, baseline/subject %.2f\n",
                        (name.substr(0, slash) + name.substr(slash + 8)).c_str(), rate, it->second,
                        it->second / rate);
        }
    }

private:
    std::map<std::string, double> rates_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
