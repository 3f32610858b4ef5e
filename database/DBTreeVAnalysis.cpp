#include "DBTreeVAnalysis.h"

#include <QFile>
#include <QSet>
#include <QStringDecoder>

#include <Tarnwell/platform/TFileWriter.h>

#include "DBEngine.h"

namespace Tarnwell {

const QString TDBAnalyzer::kRoot = QStringLiteral("Tabelle");
const QString TDBAnalyzer::kMain = QStringLiteral("Principali");
const QString TDBAnalyzer::kSecondary = QStringLiteral("Secondarie");
const QString TDBAnalyzer::kOther = QStringLiteral("Altre");
const QString TDBAnalyzer::kDetails = QStringLiteral("Dettagli");
const QString TDBAnalyzer::kLinks = QStringLiteral("Collegamenti");
const QString TDBAnalyzer::kUndefinedTable = QStringLiteral("**UNDEFINEDTABLE**");

// --- tree text

namespace TreeText {

namespace {
void FormatNode(const TTreeTextNode& n, int depth, QStringList& out) {
  out << QString(depth, QLatin1Char('\t')) + n.Text;
  for (const TTreeTextNode& c : n.Children) FormatNode(c, depth + 1, out);
}
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;
}  // namespace

QStringList Format(const TTreeText& tree) {
  QStringList out;
  for (const TTreeTextNode& n : tree) FormatNode(n, 0, out);
  return out;
}

TTreeText Parse(const QStringList& lines) {
  TTreeText tree;
  // The open path: path[d] is the last node read at depth d.
  std::vector<TTreeTextNode*> path;
  for (int i = 0; i < lines.size(); ++i) {
    const QString& line = lines[i];
    int depth = 0;
    while (depth < line.size() && line[depth] == QLatin1Char('\t')) ++depth;
    const QString text = line.mid(depth);
    auto fail = [&](const QString& why) {
      throw EStreamError(QStringLiteral("Albero non valido alla riga %1: %2").arg(i + 1).arg(why));
    };
    if (text.trimmed().isEmpty()) fail(QStringLiteral("riga senza testo"));
    if (text.contains(QLatin1Char('\t'))) fail(QStringLiteral("tabulazione dentro il testo"));
    if (depth > int(path.size())) {
      fail(path.empty() ? QStringLiteral("la prima riga non può essere rientrata")
                        : QStringLiteral("rientro di %1 livelli dopo una riga di livello %2")
                              .arg(depth)
                              .arg(path.size() - 1));
    }
    path.resize(size_t(depth));
    std::vector<TTreeTextNode>& siblings = depth == 0 ? tree : path.back()->Children;
    siblings.push_back({text, {}});
    // Pointers into the vectors stay valid: only the last node of each level
    // on the path receives children, and a new sibling ends the deeper path.
    path.push_back(&siblings.back());
  }
  return tree;
}

QStringList SplitLines(const QString& text) {
  QString t = text;
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QStringList lines = t.split(QLatin1Char('\n'));
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

void Save(const QString& path, const TTreeText& tree) {
  QString text;
  for (const QString& l : Format(tree)) text += l + QStringLiteral("\r\n");
  const QByteArray bytes = text.toUtf8();
  TFileWriter f(path);
  if (!f.open() || f.write(bytes) != bytes.size() || !f.Commit())
    throw EStreamError(QStringLiteral("Impossibile scrivere il file %1: %2").arg(path, f.errorString()));
}

TTreeText Load(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly))
    throw EStreamError(QStringLiteral("Impossibile aprire il file %1: %2").arg(path, f.errorString()));
  if (f.size() > kMaxFileSize)
    throw EStreamError(QStringLiteral("Il file %1 è troppo grande per un albero").arg(path));
  const QByteArray bytes = f.readAll();
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString text = utf8(bytes);
  if (utf8.hasError() || text.contains(QChar(0)))
    throw EStreamError(QStringLiteral("Il file %1 non è un albero in testo UTF-8").arg(path));
  return Parse(SplitLines(text));
}

}  // namespace TreeText

// --- analyser

QStringList TDBAnalyzer::TableNames(const QSqlDatabase& db) { return Catalog::TableNames(db); }

QString TDBAnalyzer::CatalogName(const QStringList& catalog, const QString& name) {
  if (catalog.contains(name)) return name;
  QString found;
  for (const QString& c : catalog) {
    if (c.compare(name, Qt::CaseInsensitive) != 0) continue;
    if (!found.isEmpty()) return QString();  // ambiguous
    found = c;
  }
  return found;
}

bool TDBAnalyzer::IsKey(const TIndexDef& d) {
  return (d.Options & (ixUnique | ixPrimary)) && !d.Partial && !(d.Options & ixExpression);
}

namespace {
bool SameFields(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }
}  // namespace

namespace {
// IsDetailIndex with x's fields and x's fields + ";" worked out by the caller.
bool DetailOf(const QString& xFields, const QString& prefix, const TIndexDef& y, bool yKey) {
  if (xFields.isEmpty() || (y.Options & ixExpression)) return false;
  if (!yKey) return SameFields(y.Fields, xFields);  // a non-unique index (or a partial unique one)
  if (y.Fields.size() <= prefix.size() || !y.Fields.startsWith(prefix, Qt::CaseInsensitive)) return false;
  return y.Fields.indexOf(QLatin1Char(';'), prefix.size()) < 0;
}
}  // namespace

bool TDBAnalyzer::IsDetailIndex(const TIndexDef& x, const TIndexDef& y) {
  return DetailOf(x.Fields, x.Fields + QLatin1Char(';'), y, IsKey(y));
}

QString TDBAnalyzer::KeyFieldsOf(const TAnalyzedTable& table) {
  QString key;
  for (const TIndexDef& d : table.Indexes)
    if (IsKey(d)) key = d.Fields;
  return key;
}

std::vector<TAnalyzedTable> TDBAnalyzer::GatherIndexes(const QSqlDatabase& db, const QStringList& tables,
                                                       const std::vector<bool>& checked,
                                                       const TAnalyzeProgress& progress) {
  const QStringList catalog = TableNames(db);
  std::vector<TAnalyzedTable> out;
  out.reserve(size_t(tables.size()));
  for (int i = 0; i < tables.size(); ++i) {
    TAnalyzedTable t;
    const QString name = CatalogName(catalog, tables[i]);
    if (!name.isEmpty() && size_t(i) < checked.size() && checked[size_t(i)]) {
      try {
        const TFieldDefs fields = Catalog::FieldDefs(db, name);
        for (int k = 0; k < fields.Count(); ++k) t.Fields << fields[k].Name;
        t.Indexes = Catalog::IndexDefs(db, name);
        t.Name = name;
        t.Defined = true;
      } catch (const EDatabaseError&) {
        t = TAnalyzedTable();
      }
    }
    if (!t.Defined) t.Name = kUndefinedTable;
    out.push_back(std::move(t));
    if (progress) progress();
  }
  return out;
}

namespace {

TTreeTextNode* FindChild(TTreeTextNode& parent, const QString& text) {
  for (TTreeTextNode& c : parent.Children)
    if (c.Text == text) return &c;
  return nullptr;
}

void AddUnique(TTreeTextNode& group, const QString& text) {
  if (!FindChild(group, text)) group.Children.push_back({text, {}});
}

// Every key field among the table's fields (compared without regard to case).
bool HasFields(const QSet<QString>& fields, const QStringList& keyFields) {
  for (const QString& f : keyFields)
    if (!fields.contains(f.toUpper())) return false;
  return true;
}

}  // namespace

TTreeTextNode TDBAnalyzer::AnalyzeRelations(const std::vector<TAnalyzedTable>& tables,
                                            const TAnalyzeProgress& progress) {
  // Worked out once: each table's field names and its keys' fields.
  std::vector<QSet<QString>> fieldSets(tables.size());
  std::vector<std::vector<QStringList>> keyFields(tables.size());
  for (size_t i = 0; i < tables.size(); ++i) {
    for (const QString& f : tables[i].Fields) fieldSets[i].insert(f.toUpper());
    for (const TIndexDef& y : tables[i].Indexes)
      if (IsKey(y)) keyFields[i].push_back(y.Fields.split(QLatin1Char(';'), Qt::SkipEmptyParts));
  }
  TTreeTextNode main{kMain, {}}, secondary{kSecondary, {}}, other{kOther, {}};
  for (size_t i = 0; i < tables.size(); ++i) {
    const TAnalyzedTable& t = tables[i];
    if (!t.Defined) continue;
    TTreeTextNode node{t.Name, {}};
    TTreeTextNode details{kDetails, {}};
    for (const TIndexDef& x : t.Indexes) {
      if (!IsKey(x)) continue;
      const QString prefix = x.Fields + QLatin1Char(';');
      for (size_t j = 0; j < tables.size(); ++j) {
        if (j == i || !tables[j].Defined) continue;
        for (const TIndexDef& y : tables[j].Indexes)
          if (DetailOf(x.Fields, prefix, y, IsKey(y))) {
            AddUnique(details, tables[j].Name);
            break;
          }
      }
    }
    if (!details.Children.empty()) node.Children.push_back(std::move(details));
    TTreeTextNode links{kLinks, {}};
    for (size_t j = 0; j < tables.size(); ++j) {
      if (j == i || !tables[j].Defined) continue;
      for (const QStringList& key : keyFields[j])
        if (HasFields(fieldSets[i], key)) {
          AddUnique(links, tables[j].Name);
          break;
        }
    }
    if (!links.Children.empty()) node.Children.push_back(std::move(links));
    // A table with details is a main one; one that only refers to others is
    // secondary; one without relations goes with the others.
    if (!FindChild(node, kDetails)) {
      if (node.Children.empty())
        other.Children.push_back(std::move(node));
      else
        secondary.Children.push_back(std::move(node));
    } else {
      main.Children.push_back(std::move(node));
    }
    if (progress) progress();
  }
  TTreeTextNode root{kRoot, {}};
  for (TTreeTextNode* c : {&main, &secondary, &other})
    if (!c->Children.empty()) root.Children.push_back(std::move(*c));
  return root;
}

}  // namespace Tarnwell
