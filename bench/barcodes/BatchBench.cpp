// 10 000 bar code pictures from the command line: `tarnwell-barcode --batch`
// against zint's command on the same symbols (2 000 each of EAN-13, EAN-8,
// UPC-A, Code 39 and Code 128), into a folder on the disk (the current
// folder, or TARNWELL_BENCH_DIR). Both run alternately in every iteration;
// the ratios count the children's CPU time (user + system) and the wall
// time. A sample of each side's pictures is read back by zbarimg.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>

#include <sys/resource.h>

namespace {

struct TKind {
  const char* Ours;   // --type
  const char* Zint;   // -b
  int Digits;         // 0: text
};
const TKind Kinds[] = {{"ean13", "13", 12}, {"ean8", "13", 7}, {"upca", "34", 11}, {"code39", "8", 0}, {"code128", "20", 0}};
constexpr int PerKind = 2000;

QByteArray Lines(const TKind& k) {
  QRandomGenerator rng(uint(k.Digits * 7919 + qstrlen(k.Ours)));
  QByteArray all;
  for (int i = 0; i < PerKind; ++i) {
    if (k.Digits) {
      for (int d = 0; d < k.Digits; ++d) all += char('0' + rng.bounded(10));
    } else if (QByteArray(k.Ours) == "code39") {
      all += "LOT-" + QByteArray::number(i) + "-" + QByteArray::number(rng.bounded(100000));
    } else {
      all += "Item " + QByteArray::number(i) + " / " + QByteArray::number(rng.bounded(1000000), 36);
    }
    all += '\n';
  }
  return all;
}

double ChildrenCpu() {
  rusage r{};
  getrusage(RUSAGE_CHILDREN, &r);
  return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) + double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) * 1e-6;
}

bool Run(const QString& program, const QStringList& args, const QByteArray& input) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForStarted()) return false;
  p.write(input);
  p.closeWriteChannel();
  if (!p.waitForFinished(600000)) return false;
  return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

struct TSide {
  double Cpu = 0, Wall = 0;
  bool Failed = false;
};

QString Zint() { return QStandardPaths::findExecutable(QStringLiteral("zint")); }

// One side's 10 000 pictures into a fresh folder; the time it took.
void RunSide(bool ours, const QString& folder, const QList<QByteArray>& inputs, const QStringList& inputFiles,
             TSide& side) {
  QDir(folder).removeRecursively();
  QDir().mkpath(folder);
  const double cpu0 = ChildrenCpu();
  QElapsedTimer wall;
  wall.start();
  for (int k = 0; k < int(std::size(Kinds)); ++k) {
    const QString pattern = QDir(folder).filePath(QStringLiteral("%1~~~~~.png").arg(QLatin1String(Kinds[k].Ours)));
    const bool ok = ours ? Run(QStringLiteral(TARNWELL_BARCODE_TOOL),
                               {"--type", Kinds[k].Ours, "--batch", "--out", pattern}, inputs[k])
                         : Run(Zint(), {"-b", Kinds[k].Zint, "--batch", "-i", inputFiles[k], "-o", pattern}, {});
    side.Failed = side.Failed || !ok;
  }
  side.Wall += double(wall.nsecsElapsed()) * 1e-9;
  side.Cpu += ChildrenCpu() - cpu0;
}

// Reads every 400th picture of each kind back; how many carry their line.
int ReadBack(const QString& folder, const QList<QByteArray>& inputs, int& tried) {
  const QString zbar = QStandardPaths::findExecutable(QStringLiteral("zbarimg"));
  if (zbar.isEmpty()) return -1;
  int good = 0;
  tried = 0;
  for (int k = 0; k < int(std::size(Kinds)); ++k) {
    const QList<QByteArray> lines = inputs[k].split('\n');
    for (int i = 0; i < PerKind; i += 400) {
      QProcess p;
      p.start(zbar, {"-q", "--raw", QDir(folder).filePath(QStringLiteral("%1%2.png").arg(QLatin1String(Kinds[k].Ours)).arg(i + 1, 5, 10, QChar('0')))});
      p.waitForFinished(30000);
      const QByteArray got = p.readAllStandardOutput().trimmed();
      ++tried;
      // zbar gives EAN/UPC with the check digit (and UPC-A as EAN-13), and
      // Code 39 with its check character where the symbol has one.
      const bool code39 = QByteArray(Kinds[k].Ours) == "code39";
      good += got == lines[i] || ((Kinds[k].Digits || code39) && got.left(got.size() - 1).endsWith(lines[i]) &&
                                  (Kinds[k].Digits || got.size() == lines[i].size() + 1));
    }
  }
  return good;
}

TSide Ours, Theirs;
QString OursFolder, TheirsFolder;
QList<QByteArray> Inputs;

void BM_BatchAgainstZint(benchmark::State& state) {
  if (Zint().isEmpty()) {
    state.SkipWithError("zint's command is not installed: no baseline");
    return;
  }
  QTemporaryDir inputs;
  QStringList files;
  Inputs.clear();
  for (const TKind& k : Kinds) {
    Inputs << Lines(k);
    files << inputs.filePath(QLatin1String(k.Ours) + ".txt");
    QFile f(files.last());
    f.open(QIODevice::WriteOnly);
    f.write(Inputs.last());
  }
  const QString base = qEnvironmentVariable("TARNWELL_BENCH_DIR", QDir::currentPath());
  OursFolder = QDir(base).filePath("tarnwell-bench-batch-ours");
  TheirsFolder = QDir(base).filePath("tarnwell-bench-batch-zint");
  Ours = Theirs = TSide();
  int round = 0;
  for (auto _ : state) {
    // Alternating who goes first evens out what the other processes of
    // the machine do meanwhile.
    if (round++ % 2 == 0) {
      RunSide(true, OursFolder, Inputs, files, Ours);
      RunSide(false, TheirsFolder, Inputs, files, Theirs);
    } else {
      RunSide(false, TheirsFolder, Inputs, files, Theirs);
      RunSide(true, OursFolder, Inputs, files, Ours);
    }
  }
  if (Ours.Failed || Theirs.Failed) state.SkipWithError("a command failed");
  state.counters["cpu_ratio"] = Theirs.Cpu > 0 ? Ours.Cpu / Theirs.Cpu : 0;
  state.counters["wall_ratio"] = Theirs.Wall > 0 ? Ours.Wall / Theirs.Wall : 0;
}
BENCHMARK(BM_BatchAgainstZint)->Iterations(3)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (Theirs.Cpu > 0) {
    std::printf("\n10 000 PNGs: tarnwell-barcode %.2f s CPU, %.2f s wall; zint %.2f s CPU, %.2f s wall (per run)\n",
                Ours.Cpu / 3, Ours.Wall / 3, Theirs.Cpu / 3, Theirs.Wall / 3);
    std::printf("tarnwell / zint: CPU %.2f, wall %.2f (goal CPU <= 1.0)\n", Ours.Cpu / Theirs.Cpu, Ours.Wall / Theirs.Wall);
    int tried = 0;
    const int ours = ReadBack(OursFolder, Inputs, tried);
    const int theirs = ReadBack(TheirsFolder, Inputs, tried);
    if (ours >= 0) std::printf("read back by zbarimg: tarnwell %d of %d, zint %d of %d\n", ours, tried, theirs, tried);
  }
  QDir(OursFolder).removeRecursively();
  QDir(TheirsFolder).removeRecursively();
  return 0;
}
