// Module strings for 100 000 mixed inputs: our encoders against libzint on
// the same inputs, and a plain loop copying the inputs (the floor). After the
// runs the ratios are printed.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <Tarnwell/barcodes/BarCdObj.h>

#ifdef TARNWELL_HAVE_ZINT
#include <zint.h>
#endif

using namespace Tarnwell;

namespace {

struct TInput {
  TBarCodesType Type;
  std::string Text;
};

std::string RandomText(std::mt19937& rng, const std::string& alphabet, int minLen, int maxLen) {
  std::uniform_int_distribution<int> len(minLen, maxLen), pick(0, static_cast<int>(alphabet.size()) - 1);
  std::string s(static_cast<std::size_t>(len(rng)), ' ');
  for (char& c : s) c = alphabet[static_cast<std::size_t>(pick(rng))];
  return s;
}

#ifdef TARNWELL_HAVE_ZINT
// zint refuses zero-suppressed numbers that could be written two ways
// (UPC-E); such inputs are drawn again so that both encoders do full work.
bool ZintAccepts(const std::string& upce) {
  zint_symbol* s = ZBarcode_Create();
  s->symbology = BARCODE_UPCE;
  const bool ok = ZBarcode_Encode(s, reinterpret_cast<const unsigned char*>(upce.data()),
                                  static_cast<int>(upce.size())) < ZINT_ERROR;
  ZBarcode_Delete(s);
  return ok;
}
#else
bool ZintAccepts(const std::string&) { return true; }
#endif

// Every input is valid for its symbology, so that neither encoder takes a
// short error path.
const std::vector<TInput>& Inputs() {
  static const std::vector<TInput> inputs = [] {
    std::mt19937 rng(20261209);
    const std::string digits = "0123456789";
    const std::string c39 = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
    std::string printable, setA;
    for (int c = 32; c < 127; ++c) printable.push_back(static_cast<char>(c));
    for (int c = 32; c < 96; ++c) setA.push_back(static_cast<char>(c));
    std::vector<TInput> v;
    v.reserve(100000);
    for (int i = 0; i < 100000; ++i) {
      const auto type = static_cast<TBarCodesType>(i % BarCodesTypeCount);
      std::string t;
      switch (type) {
        case bcEAN_13:
          t = RandomText(rng, digits, 12, 12);
          break;
        case bcEAN_8:
          t = RandomText(rng, digits, 7, 7);
          break;
        case bcUPC_A:
          t = RandomText(rng, digits, 11, 11);
          break;
        case bcUPC_E:
          do t = RandomText(rng, digits, 6, 6);
          while (!ZintAccepts(t));
          break;
        case bcCODE39:
          t = RandomText(rng, c39, 1, 20);
          break;
        case bcCODE39X:
          t = RandomText(rng, printable, 1, 20);
          break;
        case bcCODE128A:
          t = RandomText(rng, setA, 1, 20);
          break;
        case bcCODE128B:
          t = RandomText(rng, printable, 1, 20);
          break;
        case bcCODE128C:
          t = RandomText(rng, digits, 1, 10);
          t.append(t.size() % 2, '0');
          break;
        case bcCODE93:
          t = RandomText(rng, printable, 1, 20);
          break;
        case bcCODE11:
          t = RandomText(rng, digits + "-", 1, 20);
          break;
      }
      v.push_back({type, std::move(t)});
    }
    return v;
  }();
  return inputs;
}

void BM_CopyFloor(benchmark::State& state) {
  const auto& in = Inputs();
  std::string out;
  for (auto _ : state) {
    for (const TInput& i : in) {
      out.assign(i.Text);
      benchmark::DoNotOptimize(out.data());
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}
BENCHMARK(BM_CopyFloor)->Unit(benchmark::kMillisecond);

void BM_Tarnwell(benchmark::State& state) {
  const auto& in = Inputs();
  // As the control does: the three encoders asked in their fixed order.
  TBarCdEAN_UPC ean;
  TBarCd39_128_93 c39;
  TBarCdNUMERIC c11;
  std::string modules, readable;
  std::size_t total = 0;
  for (auto _ : state) {
    for (const TInput& i : in) {
      ean.EncodeBarCode(i.Type, i.Text, modules, readable);
      if (modules.size() == 1) c39.EncodeBarCode(i.Type, i.Text, modules, readable);
      if (modules.size() == 1) c11.EncodeBarCode(i.Type, i.Text, modules, readable);
      total += modules.size();
    }
  }
  benchmark::DoNotOptimize(total);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}
BENCHMARK(BM_Tarnwell)->Unit(benchmark::kMillisecond);

#ifdef TARNWELL_HAVE_ZINT
std::string FirstZintError;

void BM_Zint(benchmark::State& state) {
  const auto& in = Inputs();
  zint_symbol* s = ZBarcode_Create();
  std::size_t total = 0, failed = 0;
  for (auto _ : state) {
    for (const TInput& i : in) {
      ZBarcode_Clear(s);
      s->option_2 = 0;
      switch (i.Type) {
        case bcEAN_13:
        case bcEAN_8:
          s->symbology = BARCODE_EANX;
          break;
        case bcUPC_A:
          s->symbology = BARCODE_UPCA;
          break;
        case bcUPC_E:
          s->symbology = BARCODE_UPCE;
          break;
        case bcCODE39:
          s->symbology = BARCODE_CODE39, s->option_2 = 1;
          break;
        case bcCODE39X:
          s->symbology = BARCODE_EXCODE39, s->option_2 = 1;
          break;
        case bcCODE128A:
        case bcCODE128C:
          s->symbology = BARCODE_CODE128;
          break;
        case bcCODE128B:
          s->symbology = BARCODE_CODE128B;
          break;
        case bcCODE93:
          s->symbology = BARCODE_CODE93;
          break;
        case bcCODE11:
          s->symbology = BARCODE_CODE11;
          break;
      }
      if (ZBarcode_Encode(s, reinterpret_cast<const unsigned char*>(i.Text.data()),
                          static_cast<int>(i.Text.size())) >= ZINT_ERROR) {
        if (failed++ == 0)
          FirstZintError = std::string(BarCodesTypeName(i.Type)) + " \"" + i.Text + "\": " + s->errtxt;
      }
      total += static_cast<std::size_t>(s->width);
    }
  }
  ZBarcode_Delete(s);
  benchmark::DoNotOptimize(total);
  state.counters["failed"] = static_cast<double>(failed);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}
BENCHMARK(BM_Zint)->Unit(benchmark::kMillisecond);
#endif

// Keeps the items/second of every run for the ratios at the end.
class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> Rate;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      auto it = r.counters.find("items_per_second");
      if (it != r.counters.end()) Rate[r.benchmark_name()] = it->second;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Inputs();  // built before timing
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto& r = reporter.Rate;
  auto rate = [&](const char* n) {
    auto it = r.find(n);
    return it == r.end() ? 0.0 : it->second;
  };
  const double ours = rate("BM_Tarnwell"), zint = rate("BM_Zint"), floor = rate("BM_CopyFloor");
  std::printf("\nsymbols/second: tarnwell %.0f, zint %.0f, copy floor %.0f\n", ours, zint, floor);
  if (ours > 0 && zint > 0) std::printf("tarnwell / zint speed ratio: %.2f (goal >= 1)\n", ours / zint);
  if (ours > 0 && floor > 0) std::printf("tarnwell / copy floor speed ratio: %.3f\n", ours / floor);
#ifdef TARNWELL_HAVE_ZINT
  if (!FirstZintError.empty()) std::printf("zint refused some inputs, e.g. %s\n", FirstZintError.c_str());
#endif
  if (zint <= 0) std::printf("zint not built in (libzint-dev missing): no zint baseline\n");
  benchmark::Shutdown();
  return 0;
}
