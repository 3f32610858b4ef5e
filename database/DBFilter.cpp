#include "DBFilter.h"

#include <cmath>

namespace Tarnwell {

namespace {

enum TTokKind {
  tkEnd,
  tkIdent,
  tkString,
  tkNumber,
  tkOp,
  tkLParen,
  tkRParen,
  tkAnd,
  tkOr,
  tkNot,
  tkIs,
  tkNull
};

struct TTok {
  TTokKind Kind = tkEnd;
  QString Text;
  int Pos = 0;
};

EDatabaseError FilterError(const QString& text, int pos, const QString& what) {
  return EDatabaseError(
      QStringLiteral("Filtro non valido (%1, posizione %2): %3").arg(what).arg(pos + 1).arg(text));
}

std::vector<TTok> Tokenize(const QString& s) {
  std::vector<TTok> out;
  int i = 0;
  const int n = s.size();
  while (i < n) {
    QChar c = s[i];
    if (c.isSpace()) {
      ++i;
      continue;
    }
    TTok t;
    t.Pos = i;
    if (c == '\'') {
      QString v;
      ++i;
      bool closed = false;
      while (i < n) {
        if (s[i] == '\'') {
          if (i + 1 < n && s[i + 1] == '\'') {
            v += '\'';
            i += 2;
            continue;
          }
          ++i;
          closed = true;
          break;
        }
        v += s[i++];
      }
      if (!closed) throw FilterError(s, t.Pos, QStringLiteral("apice non chiuso"));
      t.Kind = tkString;
      t.Text = v;
    } else if (c == '[' || c == '"') {
      QChar close = c == '[' ? QChar(']') : QChar('"');
      int j = s.indexOf(close, i + 1);
      if (j < 0) throw FilterError(s, t.Pos, QStringLiteral("nome di campo non chiuso"));
      t.Kind = tkIdent;
      t.Text = s.mid(i + 1, j - i - 1);
      i = j + 1;
    } else if (c.isDigit() || ((c == '-' || c == '.') && i + 1 < n && s[i + 1].isDigit())) {
      int j = i + 1;
      while (j < n && (s[j].isDigit() || s[j] == '.' || s[j] == 'e' || s[j] == 'E' ||
                       ((s[j] == '-' || s[j] == '+') && (s[j - 1] == 'e' || s[j - 1] == 'E'))))
        ++j;
      t.Kind = tkNumber;
      t.Text = s.mid(i, j - i);
      i = j;
    } else if (c.isLetter() || c == '_') {
      int j = i + 1;
      while (j < n && (s[j].isLetterOrNumber() || s[j] == '_' || s[j] == '.')) ++j;
      t.Text = s.mid(i, j - i);
      const QString up = t.Text.toUpper();
      t.Kind = up == "AND"    ? tkAnd
               : up == "OR"   ? tkOr
               : up == "NOT"  ? tkNot
               : up == "IS"   ? tkIs
               : up == "NULL" ? tkNull
                              : tkIdent;
      i = j;
    } else if (c == '(') {
      t.Kind = tkLParen;
      ++i;
    } else if (c == ')') {
      t.Kind = tkRParen;
      ++i;
    } else if (c == '<' || c == '>' || c == '=' || c == '!') {
      QString op(c);
      const QChar d = i + 1 < n ? s[i + 1] : QChar();
      if ((c == '<' && (d == '=' || d == '>')) || ((c == '>' || c == '!') && d == '=')) op += d;
      if (op == "!") throw FilterError(s, t.Pos, QStringLiteral("operatore sconosciuto"));
      i += op.size();
      if (op == "!=") op = "<>";
      t.Kind = tkOp;
      t.Text = op;
    } else {
      throw FilterError(s, t.Pos, QStringLiteral("carattere inatteso '%1'").arg(c));
    }
    out.push_back(t);
  }
  TTok end;
  end.Pos = n;
  out.push_back(end);
  return out;
}

struct TOperand {
  bool IsField = false;
  int Slot = -1;
  TFieldType Type = ftUnknown;
  QVariant Const;  // text or number as written
  bool IsNumber = false;
};

class TNodeAnd : public TFilterExpr {
 public:
  std::shared_ptr<TFilterExpr> A, B;
  bool Or = false;
  bool Evaluate(const TRecordRef& v, bool ci, bool p) const override {
    return Or ? (A->Evaluate(v, ci, p) || B->Evaluate(v, ci, p))
              : (A->Evaluate(v, ci, p) && B->Evaluate(v, ci, p));
  }
  bool RequiredEquality(bool ci, bool p, int& slot, QVariant& value) const override {
    return !Or && (A->RequiredEquality(ci, p, slot, value) || B->RequiredEquality(ci, p, slot, value));
  }
};

class TNodeNot : public TFilterExpr {
 public:
  std::shared_ptr<TFilterExpr> A;
  bool Evaluate(const TRecordRef& v, bool ci, bool p) const override { return !A->Evaluate(v, ci, p); }
};

class TNodeIsNull : public TFilterExpr {
 public:
  TOperand X;
  bool Negate = false;
  bool Evaluate(const TRecordRef& v, bool, bool) const override {
    bool isNull = X.IsField ? v.IsNull(X.Slot) : X.Const.isNull();
    return isNull != Negate;
  }
};

class TNodeCompare : public TFilterExpr {
 public:
  TOperand L, R;
  QString Op;
  TFieldType Type = ftString;  // type the comparison is done in
  QVariant RConst, LConst;     // constants coerced to Type

  static bool Apply(const QString& op, int c) {
    if (op == "=") return c == 0;
    if (op == "<>") return c != 0;
    if (op == "<") return c < 0;
    if (op == "<=") return c <= 0;
    if (op == ">") return c > 0;
    return c >= 0;
  }

  QVariant Value(const TOperand& o, const QVariant& coerced, const TRecordRef& v) const {
    if (!o.IsField) return coerced;
    if (o.Type == Type) return v.Value(o.Slot);
    QVariant out;
    if (!CoerceToFieldType(v.Value(o.Slot), Type, out)) return QVariant();
    return out;
  }

  bool RequiredEquality(bool ci, bool partial, int& slot, QVariant& value) const override {
    if (Op != "=" || L.IsField == R.IsField) return false;
    const TOperand& f = L.IsField ? L : R;
    const QVariant& c = L.IsField ? RConst : LConst;
    if (c.isNull() || f.Slot < 0) return false;
    if (IsTextFieldType(Type)) {
      // Exact texts only: no case folding, no prefix.
      const QString s = c.toString();
      if (f.Type != Type || ci || (partial && s.endsWith('*'))) return false;
      value = s;
    } else if (f.Type == ftSmallint || f.Type == ftInteger || f.Type == ftLargeint || f.Type == ftAutoInc ||
               f.Type == ftWord) {
      // An integer field against a whole number (compared as a double, so
      // only where doubles hold every integer).
      if (Type == ftFloat) {
        const double d = c.toDouble();
        if (d != std::floor(d) || std::fabs(d) >= 9007199254740992.0) return false;
        value = qint64(d);
      } else if (Type == f.Type) {
        value = c.toLongLong();
      } else {
        return false;
      }
    } else {
      return false;
    }
    slot = f.Slot;
    return true;
  }

  bool Evaluate(const TRecordRef& v, bool ci, bool partial) const override {
    if (IsTextFieldType(Type) && L.IsField && L.Type == Type && !R.IsField && !RConst.isNull()) {
      // A text field against a text: compared where the store keeps it.
      QLatin1String narrow;
      QStringView chars;
      bool wide = false;
      if (v.TextView(L.Slot, narrow, chars, wide)) {
        const QString sb = RConst.toString();
        const Qt::CaseSensitivity cs = ci ? Qt::CaseInsensitive : Qt::CaseSensitive;
        if (partial && (Op == "=" || Op == "<>") && sb.endsWith('*')) {
          const QStringView prefix = QStringView(sb).chopped(1);
          const bool m = wide ? chars.startsWith(prefix, cs) : narrow.startsWith(prefix, cs);
          return Op == "=" ? m : !m;
        }
        return Apply(Op, wide ? chars.compare(sb, cs) : narrow.compare(sb, cs));
      }
    }
    QVariant a = Value(L, LConst, v), b = Value(R, RConst, v);
    if (a.isNull() || b.isNull()) return false;  // as in SQL: nothing compares with a blank
    if (IsTextFieldType(Type)) {
      QString sa = a.toString(), sb = b.toString();
      const Qt::CaseSensitivity cs = ci ? Qt::CaseInsensitive : Qt::CaseSensitive;
      if (partial && !R.IsField && (Op == "=" || Op == "<>") && sb.endsWith('*')) {
        bool m = sa.startsWith(sb.left(sb.size() - 1), cs);
        return Op == "=" ? m : !m;
      }
      return Apply(Op, QString::compare(sa, sb, cs));
    }
    return Apply(Op, CompareFieldValues(a, b, Type));
  }
};

class TParser {
 public:
  TParser(const QString& text, const TFilterExpr::TResolver& r)
      : mText(text), mToks(Tokenize(text)), mResolve(r) {}

  std::shared_ptr<TFilterExpr> Parse() {
    auto e = ParseOr();
    if (Peek().Kind != tkEnd) throw FilterError(mText, Peek().Pos, QStringLiteral("testo in eccesso"));
    return e;
  }

 private:
  const TTok& Peek() const { return mToks[mPos]; }
  TTok Take() { return mToks[mPos++]; }

  std::shared_ptr<TFilterExpr> ParseOr() {
    auto a = ParseAnd();
    while (Peek().Kind == tkOr) {
      Take();
      auto n = std::make_shared<TNodeAnd>();
      n->Or = true;
      n->A = a;
      n->B = ParseAnd();
      a = n;
    }
    return a;
  }
  std::shared_ptr<TFilterExpr> ParseAnd() {
    auto a = ParseNot();
    while (Peek().Kind == tkAnd) {
      Take();
      auto n = std::make_shared<TNodeAnd>();
      n->A = a;
      n->B = ParseNot();
      a = n;
    }
    return a;
  }
  std::shared_ptr<TFilterExpr> ParseNot() {
    if (Peek().Kind == tkNot) {
      Take();
      auto n = std::make_shared<TNodeNot>();
      n->A = ParseNot();
      return n;
    }
    if (Peek().Kind == tkLParen) {
      Take();
      auto e = ParseOr();
      if (Peek().Kind != tkRParen) throw FilterError(mText, Peek().Pos, QStringLiteral("manca ')'"));
      Take();
      return e;
    }
    return ParseCompare();
  }
  TOperand ParseOperand() {
    TTok t = Take();
    TOperand o;
    switch (t.Kind) {
      case tkIdent:
        o.IsField = true;
        if (!mResolve(t.Text, o.Slot, o.Type))
          throw FilterError(mText, t.Pos, QStringLiteral("campo '%1' sconosciuto").arg(t.Text));
        return o;
      case tkString:
        o.Const = t.Text;
        return o;
      case tkNumber: {
        bool ok = false;
        double d = t.Text.toDouble(&ok);
        if (!ok) throw FilterError(mText, t.Pos, QStringLiteral("numero non valido"));
        o.Const = d;
        o.IsNumber = true;
        return o;
      }
      case tkNull:
        o.Const = QVariant();
        return o;
      default:
        throw FilterError(mText, t.Pos, QStringLiteral("atteso un campo o un valore"));
    }
  }
  std::shared_ptr<TFilterExpr> ParseCompare() {
    int pos = Peek().Pos;
    TOperand l = ParseOperand();
    if (Peek().Kind == tkIs) {
      Take();
      auto n = std::make_shared<TNodeIsNull>();
      n->X = l;
      if (Peek().Kind == tkNot) {
        Take();
        n->Negate = true;
      }
      if (Take().Kind != tkNull) throw FilterError(mText, pos, QStringLiteral("atteso NULL dopo IS"));
      return n;
    }
    if (Peek().Kind != tkOp) throw FilterError(mText, Peek().Pos, QStringLiteral("manca l'operatore"));
    auto n = std::make_shared<TNodeCompare>();
    n->Op = Take().Text;
    n->L = l;
    n->R = ParseOperand();
    if (n->L.IsField)
      n->Type = n->L.Type;
    else if (n->R.IsField)
      n->Type = n->R.Type;
    else
      n->Type = (n->L.IsNumber && n->R.IsNumber) ? ftFloat : ftString;
    // An integer field against 6.5 compares as numbers, not as a failed conversion.
    if (IsNumericFieldType(n->Type) && (n->L.IsNumber || n->R.IsNumber)) n->Type = ftFloat;
    if (IsBinaryLike(n->Type))
      throw FilterError(mText, pos, QStringLiteral("un campo binario non si confronta"));
    auto coerce = [&](const TOperand& o, QVariant& out) {
      if (o.IsField) return;
      if (o.Const.isNull()) throw FilterError(mText, pos, QStringLiteral("usare IS NULL"));
      QString text = o.Const.toString();
      bool wildcard = IsTextFieldType(n->Type) && text.endsWith('*');
      if (!CoerceToFieldType(o.Const, n->Type, out) && !wildcard)
        throw FilterError(mText, pos,
                          QStringLiteral("'%1' non è un valore valido per il confronto").arg(text));
      if (IsTextFieldType(n->Type)) out = text;
    };
    coerce(n->L, n->LConst);
    coerce(n->R, n->RConst);
    return n;
  }
  static bool IsBinaryLike(TFieldType t) {
    return t == ftBlob || t == ftGraphic || t == ftBytes || t == ftVarBytes;
  }

  QString mText;
  std::vector<TTok> mToks;
  size_t mPos = 0;
  const TFilterExpr::TResolver& mResolve;
};

}  // namespace

std::shared_ptr<TFilterExpr> TFilterExpr::Compile(const QString& text, const TResolver& resolver) {
  TParser p(text, resolver);
  return p.Parse();
}

}  // namespace Tarnwell
