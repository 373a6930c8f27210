// The console report, and at its end one table of ratios between benchmarks of the same run beside their
// goals. A repeated benchmark counts by its median CPU time.
#pragma once
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      const std::string name = r.run_name.str();
      if (r.run_type == Run::RT_Iteration) samples_[name].push_back(r.GetAdjustedCPUTime());
      else if (r.aggregate_name == "median") medians_[name] = r.GetAdjustedCPUTime();
    }
  }

  // The time of one iteration in the reporter's unit; negative when the benchmark did not run.
  double Time(const std::string& name) const {
    if (auto m = medians_.find(name); m != medians_.end()) return m->second;
    auto s = samples_.find(name);
    if (s == samples_.end() || s->second.empty()) return -1;
    std::vector<double> v = s->second;
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
  }

  // One line of the table: `ours` / `theirs` against the goal, which is a ceiling unless `floor` is set.
  void Row(const char* what, const std::string& ours, const std::string& theirs, double goal, bool floor = false) {
    const double a = Time(ours), b = Time(theirs);
    if (a < 0 || b <= 0) return;
    rows_.push_back({what, a / b, goal, floor});
  }
  // A line whose figure is computed by the caller, e.g. frames a second.
  void Figure(const char* what, double figure, double goal, bool floor = false) {
    rows_.push_back({what, figure, goal, floor});
  }

  void PrintTable() const {
    if (rows_.empty()) return;
    std::printf("\n%-58s %10s %10s  %s\n", "ratio (same run)", "figure", "goal", "met");
    for (const TableRow& r : rows_) {
      const bool met = r.floor ? r.figure >= r.goal : r.figure <= r.goal;
      std::printf("%-58s %10.2f %8s%.2f  %s\n", r.what.c_str(), r.figure, r.floor ? ">= " : "<= ", r.goal,
                  met ? "yes" : "NO");
    }
  }

 private:
  struct TableRow {
    std::string what;
    double figure, goal;
    bool floor;
  };
  std::map<std::string, std::vector<double>> samples_;
  std::map<std::string, double> medians_;
  std::vector<TableRow> rows_;
};

}  // namespace bench
