#include "EnhDBGrdLayout.h"

#include <QtEndian>
#include <functional>
#include <map>

namespace Tarnwell {

namespace {

const QByteArray kSignature = QByteArrayLiteral("TPF0");
const QByteArray kGridClass = QByteArrayLiteral("TEnhDBGrid");
const QByteArray kColumnsClass = QByteArrayLiteral("TColumnsWrapper");
constexpr quint16 kResourceType = 10;
constexpr quint16 kResourceFlags = 0x1030;
constexpr int kMaxNameChars = 63;

enum TTag : quint8 { tgInt = 1, tgBool = 2, tgText = 3, tgLines = 4, tgFont = 5, tgColor = 6 };

// --------------------------------------------------------------- writing

class TWriter {
 public:
  QByteArray Bytes;
  void U8(quint8 v) { Bytes.append(char(v)); }
  void U16(quint16 v) {
    char b[2];
    qToLittleEndian(v, b);
    Bytes.append(b, 2);
  }
  void U32(quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    Bytes.append(b, 4);
  }
  void I32(qint32 v) { U32(quint32(v)); }
  void Text(const QString& s) {
    const QByteArray u = s.toUtf8();
    U32(quint32(u.size()));
    Bytes.append(u);
  }
  void Name(const char* n) {
    const QByteArray b(n);
    U8(quint8(b.size()));
    Bytes.append(b);
  }
  void Font(const TLayoutFont& f) {
    Text(f.Name);
    I32(f.Height);
    U8(quint8(f.Style));
    U32(f.Color);
  }
  void PInt(const char* n, int v) {
    Name(n);
    U8(tgInt);
    I32(v);
  }
  void PBool(const char* n, bool v) {
    Name(n);
    U8(tgBool);
    U8(v ? 1 : 0);
  }
  void PText(const char* n, const QString& v) {
    Name(n);
    U8(tgText);
    Text(v);
  }
  void PLines(const char* n, const QStringList& v) {
    Name(n);
    U8(tgLines);
    U32(quint32(v.size()));
    for (const QString& s : v) Text(s);
  }
  void PFont(const char* n, const TLayoutFont& f) {
    Name(n);
    U8(tgFont);
    Font(f);
  }
  void PColor(const char* n, TColor c) {
    Name(n);
    U8(tgColor);
    U32(c);
  }
  void End() { U8(0); }
};

void WriteColumn(TWriter& w, const TLayoutColumn& c) {
  w.PInt("AssignedValues", int(c.Assigned));
  w.PText("FieldName", c.FieldName);
  w.PText("Title.Caption", c.TitleCaption);
  w.PInt("Title.Alignment", c.TitleAlignment);
  w.PFont("Title.Font", c.TitleFont);
  w.PInt("Width", c.Width);
  w.PColor("Color", c.Color);
  w.PFont("Font", c.Font);
  w.PInt("Alignment", c.Alignment);
  w.End();
}

// --------------------------------------------------------------- reading

struct TBadLayout {
  QString Why;
};

class TReader {
 public:
  TReader(const QByteArray& data, qsizetype from, qsizetype end) : mData(data), mPos(from), mEnd(end) {}
  qsizetype Pos() const { return mPos; }
  qsizetype Left() const { return mEnd - mPos; }
  void Need(qsizetype n) const {
    if (n < 0 || n > Left()) throw TBadLayout{QStringLiteral("il layout è troncato")};
  }
  quint8 U8() {
    Need(1);
    return quint8(mData[mPos++]);
  }
  quint16 U16() {
    Need(2);
    const quint16 v = qFromLittleEndian<quint16>(mData.constData() + mPos);
    mPos += 2;
    return v;
  }
  quint32 U32() {
    Need(4);
    const quint32 v = qFromLittleEndian<quint32>(mData.constData() + mPos);
    mPos += 4;
    return v;
  }
  qint32 I32() { return qint32(U32()); }
  QByteArray Raw(qsizetype n) {
    Need(n);
    QByteArray b = mData.mid(mPos, n);
    mPos += n;
    return b;
  }
  QString Text() {
    const quint32 n = U32();
    if (n > quint32(4 * kLayoutMaxText)) throw TBadLayout{QStringLiteral("testo troppo lungo nel layout")};
    Need(qsizetype(n));
    const QByteArray b = Raw(qsizetype(n));
    QString s = QString::fromUtf8(b);
    if (s.toUtf8() != b || s.contains(QChar(0))) throw TBadLayout{QStringLiteral("testo non valido nel layout")};
    return s;
  }
  QByteArray Name() {
    const quint8 n = U8();
    return Raw(n);
  }
  TLayoutFont Font() {
    TLayoutFont f;
    f.Name = Text();
    f.Height = I32();
    f.Style = U8();
    f.Color = U32();
    if (f.Name.size() > 255 || f.Height < -2048 || f.Height > 2048 || f.Style > 15)
      throw TBadLayout{QStringLiteral("carattere non valido nel layout")};
    return f;
  }

 private:
  const QByteArray& mData;
  qsizetype mPos, mEnd;
};

[[noreturn]] void Bad(const QString& why) { throw TBadLayout{why}; }

int Ranged(qint32 v, int lo, int hi, const QByteArray& name) {
  if (v < lo || v > hi)
    Bad(QStringLiteral("valore fuori dai limiti per %1: %2").arg(QString::fromLatin1(name)).arg(v));
  return v;
}

// Reads name / tag / value triples up to the closing empty name; each name
// must be known, have its own tag and come only once.
using TPropertyReader = std::function<void(TReader&)>;
void ReadProperties(TReader& r, const std::map<QByteArray, std::pair<quint8, TPropertyReader>>& known) {
  std::map<QByteArray, bool> seen;
  for (;;) {
    const QByteArray name = r.Name();
    if (name.isEmpty()) return;
    auto it = known.find(name);
    if (it == known.end()) Bad(QStringLiteral("proprietà sconosciuta nel layout: %1").arg(QString::fromLatin1(name)));
    if (seen[name]) Bad(QStringLiteral("proprietà ripetuta nel layout: %1").arg(QString::fromLatin1(name)));
    seen[name] = true;
    if (r.U8() != it->second.first)
      Bad(QStringLiteral("tipo errato per la proprietà %1").arg(QString::fromLatin1(name)));
    it->second.second(r);
  }
}

bool ReadBool(TReader& r) {
  const quint8 b = r.U8();
  if (b > 1) Bad(QStringLiteral("valore logico non valido nel layout"));
  return b == 1;
}

QStringList ReadLines(TReader& r) {
  const quint32 n = r.U32();
  // Every line takes at least its 4-byte length.
  if (n > quint32(kLayoutMaxLines) || qsizetype(n) * 4 > r.Left()) Bad(QStringLiteral("elenco di righe non valido"));
  QStringList l;
  for (quint32 i = 0; i < n; ++i) l << r.Text();
  return l;
}

void CheckClass(TReader& r, const QByteArray& cls) {
  if (r.Raw(4) != kSignature) Bad(QStringLiteral("blocco del layout senza firma"));
  if (r.Name() != cls) Bad(QStringLiteral("il blocco non è di un %1").arg(QString::fromLatin1(cls)));
}

void ReadGridBlock(TReader& r, TGridLayout& g) {
  CheckClass(r, kGridClass);
  const std::map<QByteArray, std::pair<quint8, TPropertyReader>> known = {
      {"Color", {tgColor, [&](TReader& x) { g.Color = x.U32(); }}},
      {"ParentColor", {tgBool, [&](TReader& x) { g.ParentColor = ReadBool(x); }}},
      {"Font", {tgFont, [&](TReader& x) { g.Font = x.Font(); }}},
      {"ParentFont", {tgBool, [&](TReader& x) { g.ParentFont = ReadBool(x); }}},
      {"FixedColor", {tgColor, [&](TReader& x) { g.FixedColor = x.U32(); }}},
      {"TitleFont", {tgFont, [&](TReader& x) { g.TitleFont = x.Font(); }}},
      {"Options", {tgInt, [&](TReader& x) { g.Options = unsigned(Ranged(x.I32(), 0, 0x7FFF, "Options")); }}},
      {"ReadOnly", {tgBool, [&](TReader& x) { g.ReadOnly = ReadBool(x); }}},
      {"CellStyle", {tgInt, [&](TReader& x) { g.CellStyle = Ranged(x.I32(), 0, 2, "CellStyle"); }}},
      {"FixedColumns",
       {tgInt, [&](TReader& x) { g.FixedColumns = Ranged(x.I32(), 1, kLayoutMaxFixedColumns, "FixedColumns"); }}},
      {"ColorCond", {tgLines, [&](TReader& x) { g.ColorCond = ReadLines(x); }}},
      {"Conversion", {tgLines, [&](TReader& x) { g.Conversion = ReadLines(x); }}},
      {"Caption", {tgText, [&](TReader& x) { g.Caption = x.Text(); }}},
      {"CanFilter", {tgBool, [&](TReader& x) { g.CanFilter = ReadBool(x); }}},
      {"ClearOnRestore", {tgBool, [&](TReader& x) { g.ClearOnRestore = ReadBool(x); }}},
  };
  ReadProperties(r, known);
}

void ReadColumnsBlock(TReader& r, TGridLayout& g) {
  CheckClass(r, kColumnsClass);
  const quint32 count = r.U32();
  // A column takes at least its closing byte.
  if (count > quint32(kLayoutMaxColumns) || qsizetype(count) > r.Left())
    Bad(QStringLiteral("numero di colonne non valido nel layout"));
  for (quint32 i = 0; i < count; ++i) {
    TLayoutColumn c;
    const std::map<QByteArray, std::pair<quint8, TPropertyReader>> known = {
        {"AssignedValues",
         {tgInt, [&](TReader& x) { c.Assigned = unsigned(Ranged(x.I32(), 0, TLayoutColumn::cvAll, "AssignedValues")); }}},
        {"FieldName", {tgText, [&](TReader& x) { c.FieldName = x.Text(); }}},
        {"Title.Caption", {tgText, [&](TReader& x) { c.TitleCaption = x.Text(); }}},
        {"Title.Alignment", {tgInt, [&](TReader& x) { c.TitleAlignment = Ranged(x.I32(), 0, 2, "Title.Alignment"); }}},
        {"Title.Font", {tgFont, [&](TReader& x) { c.TitleFont = x.Font(); }}},
        {"Width", {tgInt, [&](TReader& x) { c.Width = Ranged(x.I32(), 0, kLayoutMaxWidth, "Width"); }}},
        {"Color", {tgColor, [&](TReader& x) { c.Color = x.U32(); }}},
        {"Font", {tgFont, [&](TReader& x) { c.Font = x.Font(); }}},
        {"Alignment", {tgInt, [&](TReader& x) { c.Alignment = Ranged(x.I32(), 0, 2, "Alignment"); }}},
    };
    ReadProperties(r, known);
    g.Columns.push_back(std::move(c));
  }
}

}  // namespace

QByteArray WriteGridLayout(const TGridLayout& g) {
  TWriter w;
  w.U8(0xFF);
  w.U16(kResourceType);
  w.Bytes.append(g.Name.left(kMaxNameChars).toUpper().toUtf8());
  w.U8(0);
  w.U16(kResourceFlags);
  const qsizetype lengthAt = w.Bytes.size();
  w.U32(0);
  const qsizetype blockAt = w.Bytes.size();
  w.Bytes.append(kSignature);
  w.Name("TEnhDBGrid");
  w.PColor("Color", g.Color);
  w.PBool("ParentColor", g.ParentColor);
  w.PFont("Font", g.Font);
  w.PBool("ParentFont", g.ParentFont);
  w.PColor("FixedColor", g.FixedColor);
  w.PFont("TitleFont", g.TitleFont);
  w.PInt("Options", int(g.Options));
  w.PBool("ReadOnly", g.ReadOnly);
  w.PInt("CellStyle", g.CellStyle);
  w.PInt("FixedColumns", g.FixedColumns);
  w.PLines("ColorCond", g.ColorCond);
  w.PLines("Conversion", g.Conversion);
  w.PText("Caption", g.Caption);
  w.PBool("CanFilter", g.CanFilter);
  w.PBool("ClearOnRestore", g.ClearOnRestore);
  w.End();
  // The header's length is known only now.
  qToLittleEndian(quint32(w.Bytes.size() - blockAt), w.Bytes.data() + lengthAt);

  w.Bytes.append(kSignature);
  w.Name("TColumnsWrapper");
  w.U32(quint32(g.Columns.size()));
  for (const TLayoutColumn& c : g.Columns) WriteColumn(w, c);
  return w.Bytes;
}

bool ReadGridLayout(const QByteArray& data, TGridLayout& out, qsizetype& consumed, QString& error) {
  try {
    if (data.isEmpty()) Bad(QStringLiteral("il layout è vuoto"));
    TReader h(data, 0, data.size());
    if (h.U8() != 0xFF || h.U16() != kResourceType) Bad(QStringLiteral("Invalid stream format"));
    // The name: at most 63 characters and its closing zero.
    QByteArray name;
    for (;;) {
      const quint8 b = h.U8();
      if (b == 0) break;
      name.append(char(b));
      if (name.size() > 4 * kMaxNameChars) Bad(QStringLiteral("nome del layout troppo lungo"));
    }
    TGridLayout g;
    g.Name = QString::fromUtf8(name);
    if (g.Name.toUtf8() != name || g.Name.size() > kMaxNameChars) Bad(QStringLiteral("nome del layout non valido"));
    if (h.U16() != kResourceFlags) Bad(QStringLiteral("Invalid stream format"));
    const quint32 length = h.U32();
    if (qsizetype(length) > h.Left()) Bad(QStringLiteral("il layout è troncato"));
    // The grid block must take exactly the length the header gives.
    TReader grid(data, h.Pos(), h.Pos() + qsizetype(length));
    ReadGridBlock(grid, g);
    if (grid.Left() != 0) Bad(QStringLiteral("il blocco della griglia non ha la lunghezza dichiarata"));
    TReader cols(data, grid.Pos(), data.size());
    ReadColumnsBlock(cols, g);
    out = std::move(g);
    consumed = cols.Pos();
    return true;
  } catch (const TBadLayout& e) {
    error = e.Why;
    return false;
  }
}

}  // namespace Tarnwell
