// Throughput of fixed-column record parsing (fields per second) for the layouts the
// program reads most: coordinate lists in 6F13.8, integer tables in I4/I5 fields, the
// restart energies in 4D20.12, and the same through a parsed descriptor string; plus
// list-directed input and formatted output for comparison.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "format/record.hpp"

namespace {

using namespace veka::fmt;

constexpr int kRecords = 4096;

// Records of `perRecord` values written with the field writer.
std::vector<std::string> records(int perRecord, void (*field)(RecordWriter&, int)) {
  std::vector<std::string> out;
  RecordWriter w;
  for (int r = 0; r < kRecords; ++r) {
    w.clear();
    for (int i = 0; i < perRecord; ++i) field(w, r * perRecord + i);
    out.push_back(w.str());
  }
  return out;
}

double sample(int i) {
  return std::sin(i * 0.7) * std::pow(10.0, i % 5 - 1);
}

const std::vector<std::string>& coordinates() {
  static const auto r = records(6, [](RecordWriter& w, int i) { w.F(sample(i), 13, 8); });
  return r;
}

const std::vector<std::string>& integers() {
  static const auto r = records(16, [](RecordWriter& w, int i) {
    if (i % 2) {
      w.I((i * 37) % 9999, 4);
    } else {
      w.I((i * 7919) % 19999 - 9999, 5);
    }
  });
  return r;
}

const std::vector<std::string>& energies() {
  static const auto r = records(4, [](RecordWriter& w, int i) { w.D(sample(i) * 1e3, 20, 12); });
  return r;
}

void BM_Read6F13_8(benchmark::State& state) {
  const auto& recs = coordinates();
  double sum = 0;
  for (auto _ : state) {
    for (const std::string& rec : recs) {
      RecordReader r(rec);
      for (int i = 0; i < 6; ++i) sum += r.F(13, 8);
    }
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations() * kRecords * 6);
}
BENCHMARK(BM_Read6F13_8);

void BM_ReadI4I5(benchmark::State& state) {
  const auto& recs = integers();
  long long sum = 0;
  for (auto _ : state) {
    for (const std::string& rec : recs) {
      RecordReader r(rec);
      for (int i = 0; i < 8; ++i) sum += r.I(5) + r.I(4);
    }
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations() * kRecords * 16);
}
BENCHMARK(BM_ReadI4I5);

void BM_Read4D20_12(benchmark::State& state) {
  const auto& recs = energies();
  double sum = 0;
  for (auto _ : state) {
    for (const std::string& rec : recs) {
      RecordReader r(rec);
      for (int i = 0; i < 4; ++i) sum += r.F(20, 12);
    }
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations() * kRecords * 4);
}
BENCHMARK(BM_Read4D20_12);

// The same records through a parsed descriptor string, one statement per record.
void BM_FormatRead6F13_8(benchmark::State& state) {
  const auto& recs = coordinates();
  const Format f("6F13.8");
  double sum = 0;
  for (auto _ : state) {
    for (const std::string& rec : recs) {
      FormattedInput in(f, rec);
      for (int i = 0; i < 6; ++i) sum += in.readReal();
    }
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations() * kRecords * 6);
}
BENCHMARK(BM_FormatRead6F13_8);

void BM_FormatRead4D20_12(benchmark::State& state) {
  const auto& recs = energies();
  const Format f("4D20.12");
  double sum = 0;
  for (auto _ : state) {
    for (const std::string& rec : recs) {
      FormattedInput in(f, rec);
      for (int i = 0; i < 4; ++i) sum += in.readReal();
    }
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations() * kRecords * 4);
}
BENCHMARK(BM_FormatRead4D20_12);

void BM_ListRead(benchmark::State& state) {
  // Blank-separated: in 6F13.8 a negative number may touch the one before it.
  static const auto recs = records(6, [](RecordWriter& w, int i) { w.F(sample(i), 14, 8); });
  double sum = 0;
  for (auto _ : state) {
    for (const std::string& rec : recs) {
      ListReader r(rec);
      double v = 0;
      while (r.next(v)) sum += v;
    }
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations() * kRecords * 6);
}
BENCHMARK(BM_ListRead);

void BM_Write6F13_8(benchmark::State& state) {
  std::vector<double> v(kRecords * 6);
  for (std::size_t i = 0; i < v.size(); ++i) v[i] = sample(static_cast<int>(i));
  RecordWriter w;
  std::size_t bytes = 0;
  for (auto _ : state) {
    for (std::size_t i = 0; i < v.size(); i += 6) {
      w.clear();
      for (std::size_t k = 0; k < 6; ++k) w.F(v[i + k], 13, 8);
      bytes += w.str().size();
    }
  }
  benchmark::DoNotOptimize(bytes);
  state.SetItemsProcessed(state.iterations() * kRecords * 6);
}
BENCHMARK(BM_Write6F13_8);

void BM_Write4D20_12(benchmark::State& state) {
  std::vector<double> v(kRecords * 4);
  for (std::size_t i = 0; i < v.size(); ++i) v[i] = sample(static_cast<int>(i)) * 1e3;
  RecordWriter w;
  std::size_t bytes = 0;
  for (auto _ : state) {
    for (std::size_t i = 0; i < v.size(); i += 4) {
      w.clear();
      for (std::size_t k = 0; k < 4; ++k) w.D(v[i + k], 20, 12);
      bytes += w.str().size();
    }
  }
  benchmark::DoNotOptimize(bytes);
  state.SetItemsProcessed(state.iterations() * kRecords * 4);
}
BENCHMARK(BM_Write4D20_12);

}  // namespace
