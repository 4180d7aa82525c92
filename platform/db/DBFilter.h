// The dataset Filter text: parsed once into an expression tree and evaluated
// over the cached records (never turned into SQL).
//
//   expr    := term { OR term }
//   term    := factor { AND factor }
//   factor  := NOT factor | "(" expr ")" | operand [ cmp operand
//              | IS [NOT] NULL | [NOT] LIKE operand ]
//   cmp     := = | <> | != | < | > | <= | >=
//   operand := [field name] | field name | 'text' (inner '' is a quote)
//              | number | #date# | NULL | TRUE | FALSE
//
// A literal compared with a field takes the field's type ('5' against an
// integer field is 5). LIKE patterns use * or % for any run and ? or _ for
// one character. A comparison with a null value is false. With partial
// compare, a text literal ending in * after = (or <>) matches every field
// text that starts with the rest of the literal ('Ab*' matches "Abc").
#pragma once
#include <memory>
#include "DB.h"

class TDBFilterExpr {
 public:
  virtual ~TDBFilterExpr() = default;
  // Raises EDatabaseError naming the text for a malformed filter.
  static std::unique_ptr<TDBFilterExpr> Parse(const String& text);
  // Whether the record passes. Unknown field names raise "Field '%s' not found".
  struct Options {
    bool IgnoreCase = false;
    bool PartialCompare = true;
  };
  virtual bool Evaluate(const TDataSet& ds, const TRecordData* rec, const Options& opt) const = 0;
};
