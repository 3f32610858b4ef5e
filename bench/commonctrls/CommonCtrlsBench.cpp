// The sorting list view against QTreeWidget::sortItems (text order) on the
// same rows, and the source editor's Enter and caret keys in a 20 000-line
// file against a plain QPlainTextEdit with the same text. Every case
// reports both times per operation and their ratio (ours / baseline).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLocale>
#include <QRandomGenerator>
#include <QTextBlock>
#include <QTime>
#include <memory>

#include <Tarnwell/commonctrls/ExtRich.h>
#include <Tarnwell/commonctrls/LstVSort.h>

using namespace Tarnwell;

namespace {

void Report(benchmark::State& state, double ours, double base, int64_t n) {
  state.counters["ours_ms"] = ours / n / 1e6;
  state.counters["base_ms"] = base / n / 1e6;
  state.counters["ratio"] = base > 0 ? ours / base : 0;
}

QString CellText(QRandomGenerator& rng, int type) {
  const QLocale loc;
  const QDate d = QDate(2026, 1, 1).addDays(rng.bounded(3650));
  const QTime t(rng.bounded(24), rng.bounded(60), rng.bounded(60));
  switch (type) {
    case cstInteger: return QString::number(rng.bounded(1000000));
    case cstDate: return loc.toString(d, QLocale::ShortFormat);
    case cstTime: return loc.toString(t, QLocale::LongFormat);
    case cstDateTime: return loc.toString(d, QLocale::ShortFormat) + ' ' + loc.toString(t, QLocale::LongFormat);
    default: {
      QString s;
      const int len = 4 + rng.bounded(10);
      for (int i = 0; i < len; ++i) s += QChar(rng.bounded(2) ? 'a' + rng.bounded(26) : 'A' + rng.bounded(26));
      return s;
    }
  }
}

// range(0): column type (0 text .. 4 date-time), range(1): rows. Each
// iteration sorts the column once, the direction turning every time as
// header clicks do; the baseline sorts the same rows as text.
void BM_SortColumn(benchmark::State& state) {
  const int type = int(state.range(0)), rows = int(state.range(1));
  QRandomGenerator rng(42);
  TColSortListView ours;
  QTreeWidget base;
  ours.setColumnCount(5);
  base.setColumnCount(5);
  for (int c = 0; c < 5; ++c) ours.ColumnTypes[size_t(c)] = std::uint8_t(c);
  QList<QTreeWidgetItem*> items;
  for (int i = 0; i < rows; ++i) {
    QStringList cells;
    for (int c = 0; c < 5; ++c) cells << CellText(rng, c);
    ours.AddItem(cells[0], cells.mid(1));
    items << new QTreeWidgetItem(cells);
  }
  base.addTopLevelItems(items);
  double sumOurs = 0, sumBase = 0;
  int64_t n = 0;
  int dir = 1;
  for (auto _ : state) {
    QElapsedTimer t;
    t.start();
    ours.SortBy(type, dir);
    const qint64 a = t.nsecsElapsed();
    t.restart();
    base.sortItems(type, dir > 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
    const qint64 b = t.nsecsElapsed();
    state.SetIterationTime(a / 1e9);
    sumOurs += a;
    sumBase += b;
    ++n;
    dir = -dir;
  }
  Report(state, sumOurs, sumBase, n);
}

QString SourceFile(int lines) {
  QString s;
  QRandomGenerator rng(7);
  for (int i = 0; i < lines; ++i) {
    s += QString(2 * rng.bounded(6), ' ');
    s += QStringLiteral("procedure Passo%1(Valore: Integer); // riga di prova").arg(i);
    s += '\n';
  }
  return s;
}

struct Editors {
  TExtRichEdit ours;
  QPlainTextEdit base;
  Editors() {
    const QString text = SourceFile(20000);
    for (QPlainTextEdit* e : {static_cast<QPlainTextEdit*>(&ours), &base}) {
      e->resize(800, 600);
      e->setLineWrapMode(QPlainTextEdit::NoWrap);
      e->setPlainText(text);
      e->show();
    }
    ours.setTabSpaces(2);
    ours.setAutoIndent(true);
    ours.setBackUnindent(true);
    ours.setCursThrTabs(true);
    QCoreApplication::processEvents();
  }
  // The key's handling (edit, layout, caret, status); the repaint that
  // follows is timed apart into `paint`.
  static qint64 Key(QPlainTextEdit& e, int key, double& paint) {
    QElapsedTimer t;
    t.start();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, key == Qt::Key_Return ? QStringLiteral("\r") : QString());
    QCoreApplication::sendEvent(&e, &press);
    const qint64 handled = t.nsecsElapsed();
    t.restart();
    QCoreApplication::processEvents();
    paint += t.nsecsElapsed();
    return handled;
  }
};

void PlaceCaret(QPlainTextEdit& e, int line, int column) {
  QTextCursor c(e.document()->findBlockByNumber(line));
  c.setPosition(c.position() + std::min(column, c.block().length() - 1));
  e.setTextCursor(c);
}

// Enter with auto-indent in the middle of the file, at the end of a line.
void BM_EditorEnter(benchmark::State& state) {
  Editors ed;
  double sumOurs = 0, sumBase = 0;
  int64_t n = 0;
  double paintOurs = 0, paintBase = 0;
  int line = 10000;
  for (auto _ : state) {
    PlaceCaret(ed.ours, line, 1000);
    PlaceCaret(ed.base, line, 1000);
    // Whichever editor goes first pays more for its repaint: take turns.
    qint64 a = 0, b = 0;
    if (n % 2) {
      b = Editors::Key(ed.base, Qt::Key_Return, paintBase);
      a = Editors::Key(ed.ours, Qt::Key_Return, paintOurs);
    } else {
      a = Editors::Key(ed.ours, Qt::Key_Return, paintOurs);
      b = Editors::Key(ed.base, Qt::Key_Return, paintBase);
    }
    state.SetIterationTime(a / 1e9);
    sumOurs += a;
    sumBase += b;
    ++n;
    line += 2;
  }
  Report(state, sumOurs, sumBase, n);
  state.counters["paint_ms"] = paintOurs / n / 1e6;
  state.counters["base_paint_ms"] = paintBase / n / 1e6;
}

// One caret key (Right, Left, Down, Up in turn) in the middle of the file.
void BM_EditorCaretMove(benchmark::State& state) {
  Editors ed;
  PlaceCaret(ed.ours, 10000, 3);
  PlaceCaret(ed.base, 10000, 3);
  const int keys[] = {Qt::Key_Right, Qt::Key_Down, Qt::Key_Left, Qt::Key_Up};
  double sumOurs = 0, sumBase = 0, paintOurs = 0, paintBase = 0;
  int64_t n = 0;
  for (auto _ : state) {
    const int key = keys[n % 4];
    qint64 a = 0, b = 0;
    if ((n / 4) % 2) {
      b = Editors::Key(ed.base, key, paintBase);
      a = Editors::Key(ed.ours, key, paintOurs);
    } else {
      a = Editors::Key(ed.ours, key, paintOurs);
      b = Editors::Key(ed.base, key, paintBase);
    }
    state.SetIterationTime(a / 1e9);
    sumOurs += a;
    sumBase += b;
    ++n;
  }
  Report(state, sumOurs, sumBase, n);
  state.counters["paint_ms"] = paintOurs / n / 1e6;
  state.counters["base_paint_ms"] = paintBase / n / 1e6;
}

}  // namespace

BENCHMARK(BM_SortColumn)
    ->ArgsProduct({{0, 1, 2, 3, 4}, {10000, 100000}})
    ->ArgNames({"type", "rows"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditorEnter)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditorCaretMove)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
