#pragma once
// Filter expressions evaluated on cached records, never handed to the engine:
//   NAME = 'Rossi*' AND (TOTALE >= 100 OR NOT PAGATO = 'True') AND NOTE IS NOT NULL
// Field names may be bracketed ([Ragione sociale]) or double-quoted; text
// values are single-quoted ('' for a quote); a trailing "*" on a text value
// compared with = or <> matches a prefix unless partial comparison is off.

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

#include "DBRowStore.h"
#include "DBTypes.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// A compiled Filter text: a predicate over the values of a record, given the dataset's
// filter options (case-insensitive, partial "*" comparison).
class TARNWELL_DATABASE_EXPORT TFilterExpr {
 public:
  // Resolves a field name to its record slot and type; false when unknown.
  using TResolver = std::function<bool(const QString& name, int& slot, TFieldType& type)>;
  // Raises EDatabaseError with the position of the fault for an unusable text.
  static std::shared_ptr<TFilterExpr> Compile(const QString& text, const TResolver& resolver);
  virtual ~TFilterExpr() = default;
  virtual bool Evaluate(const TRecordRef& values, bool caseInsensitive, bool partial) const = 0;
  // Whether a record can pass only when one field equals one value (the
  // filter is "FIELD = value", or an AND with such a term), compared exactly
  // as integers or as texts: that field's slot and the value.
  virtual bool RequiredEquality(bool /*caseInsensitive*/, bool /*partial*/, int& /*slot*/,
                                QVariant& /*value*/) const {
    return false;
  }
  // The values of one record, slot by slot.
  bool Evaluate(const QList<QVariant>& values, bool caseInsensitive, bool partial) const {
    TRecord r;
    r.Values = values;
    return Evaluate(TRecordRef(r), caseInsensitive, partial);
  }
};

}  // namespace Tarnwell
