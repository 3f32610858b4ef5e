// Fuzz entry of the enhanced query's text side: where-lines (markers,
// operator lines, prompts), hand-written SQL whose order-by clause is
// replaced, parameters, and the answers typed into the prompt window.
//
// Input: a first byte of flags (1 free SQL, 2 no prompts, 4 OR between
// lines), then UTF-8 text in sections separated by lines "%%": the where-lines
// (or the SQL text when free), the order-by lines, and the answers, one per
// line as "operator<TAB>value".
//
// Invariant: nothing typed into the prompt reaches the SQL text. Every answer
// carries a private-use character that the other input never holds; the
// assembled text must never contain it, and every placeholder of the text
// must have its value.
#include "FuzzEnhQuery.h"

#include <QStringList>
#include <cstdlib>

#include <Tarnwell/database/EnhQuery.h>

using namespace Tarnwell;

namespace {

const QChar kMark(0xE000);

class TProbe : public TEnhQuery {
 public:
  using TEnhQuery::SelectSQL;
};

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

int EnhQueryFuzzOne(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const unsigned flags = data[0];
  QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
  text.remove(kMark);
  const QStringList sections = text.split(QStringLiteral("\n%%\n"));
  const QStringList first = sections.value(0).split('\n');
  const QStringList order = sections.size() > 1 ? sections[1].split('\n') : QStringList();
  const QStringList answers = sections.size() > 2 ? sections[2].split('\n') : QStringList();

  // The parser keeps one item per line, and operator lines as such.
  const auto items = TEnhQuery::ParseWhere(first);
  Check(items.size() == size_t(first.size()));

  TEnhQuery::SetPrompter([&answers](TQueryPrompt& p) {
    for (size_t i = 0; i < p.Rows.size(); ++i) {
      const QString a = answers.value(int(i));
      const int tab = a.indexOf('\t');
      if (!p.Parameters) p.Rows[i].Operator = tab < 0 ? QString() : a.left(tab);
      p.Rows[i].Value = (tab < 0 ? a : a.mid(tab + 1)) + kMark;
    }
    return !answers.isEmpty();
  });
  {
    TProbe q;
    q.setIgnoreParams(flags & 2);
    q.setWhereBoolOp(flags & 4 ? QStringLiteral("OR") : QStringLiteral("AND"));
    if (flags & 1) {
      q.setFreeSQL(true);
      q.setSQL(first);
      q.setZOrderBy(order);
      q.Rebuild(false);
      q.ToggleSort(order.value(0));
    } else {
      q.setZFrom({QStringLiteral("T")});
      q.setZOrderBy(order);
      q.setZWhere(first);
    }
    const QString sql = q.SQL().join('\n');
    Check(!sql.contains(kMark));
    QVariantList binds;
    try {
      const QString positional = q.SelectSQL(binds);
      Check(!positional.contains(kMark));
    } catch (const ETarnwellError&) {
      // A parameter of the hand-written text that was never prepared.
    }
    for (const QVariant& b : binds)
      if (b.metaType().id() == QMetaType::QString) Check(b.toString().isEmpty() || b.toString().endsWith(kMark) ||
                                                         !b.toString().contains(kMark));
    q.SortPosition(order.value(0));
    q.RemoveSort(order.value(0));
    Check(!q.SQL().join('\n').contains(kMark));
  }
  TEnhQuery::SetPrompter({});
  return 0;
}
