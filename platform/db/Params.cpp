// Query parameters and the ":name" markers of SQL texts.
#include <cctype>
#include "DB.h"
#include "DBUtil.h"
#include "SysUtils.h"
#include "TypInfo.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TParam, TCollectionItem)
TOVANI_IMPLEMENT_CLASS(TParams, TCollection)
TOVANI_IMPLEMENT_ENUM_INFO(TParamType, "ptUnknown", "ptInput", "ptOutput", "ptInputOutput", "ptResult")

TOVANI_IMPLEMENT_ENUM_INFO(TParameterAttribute, "paSigned", "paNullable", "paLong")
TOVANI_IMPLEMENT_ENUM_INFO(TParameterDirection, "pdUnknown", "pdInput", "pdOutput", "pdInputOutput", "pdReturnValue")

TOVANI_PUBLISHED(TParam) {
  Property("Name", &TParam::Name, &TParam::SetName);
  Property("Attributes", &TParam::Attributes, &TParam::SetAttributes).Default(TParameterAttributes());
  Property("DataType", &TParam::DataType, &TParam::SetDataType).Default(ftUnknown);
  Property("ParamType", &TParam::ParamType, &TParam::SetParamType).Default(ptInput);
  Property("Direction", &TParam::Direction, &TParam::SetDirection).Default(pdInput);
  Property("NumericScale", &TParam::NumericScale, &TParam::SetNumericScale).Default(0);
  Property("Precision", &TParam::Precision, &TParam::SetPrecision).Default(0);
  Property("Size", &TParam::Size, &TParam::SetSize).Default(0);
  Property("Value", &TParam::Value, &TParam::SetValue);
}

TParam::TParam(TCollection* owner) : TCollectionItem(owner) {}

void TParam::Assign(TPersistent* source) {
  if (auto* p = dynamic_cast<TParam*>(source)) {
    FName = p->FName;
    FDataType = p->FDataType;
    FParamType = p->FParamType;
    FSize = p->FSize;
    FPrecision = p->FPrecision;
    FNumericScale = p->FNumericScale;
    FAttributes = p->FAttributes;
    FDirection = p->FDirection;
    FValue = p->FValue;
    return;
  }
  TCollectionItem::Assign(source);
}

TParams::TParams(TPersistent* owner) : TCollection(TParam::StaticClass()), FOwner(owner) {}

void TParam::SetValue(const Variant& v) { FValue = v; }
bool TParam::IsNull() const { return FValue.IsNull() || FValue.IsEmpty(); }
String TParam::AsString() const { return VarToStr(FValue); }
void TParam::SetAsString(const String& v) {
  if (FDataType == ftUnknown) FDataType = ftString;
  SetValue(Variant(v));
}
Integer TParam::AsInteger() const { return IsNull() ? 0 : FValue.AsInteger(); }
void TParam::SetAsInteger(Integer v) {
  if (FDataType == ftUnknown) FDataType = ftInteger;
  SetValue(Variant(v));
}
double TParam::AsFloat() const { return IsNull() ? 0 : FValue.AsDouble(); }
void TParam::SetAsFloat(double v) {
  if (FDataType == ftUnknown) FDataType = ftFloat;
  SetValue(Variant(v));
}
TDateTime TParam::AsDateTime() const { return IsNull() ? 0 : FValue.AsDateTime(); }
void TParam::SetAsDateTime(TDateTime v) {
  if (FDataType == ftUnknown) FDataType = ftDateTime;
  SetValue(Variant::FromDate(v));
}
bool TParam::AsBoolean() const { return !IsNull() && FValue.AsBoolean(); }
void TParam::SetAsBoolean(bool v) {
  if (FDataType == ftUnknown) FDataType = ftBoolean;
  SetValue(Variant(v));
}
void TParam::AssignField(const TField* f) {
  if (!f) return;
  FDataType = f->DataType();
  SetValue(f->AsVariant());
}

TParam* TParams::FindParam(const String& name) const {
  for (Integer i = 0; i < Count(); ++i) {
    TParam* p = Items(i);
    if (SameText(p->Name(), name) || AnsiSameText(p->Name(), name)) return p;
  }
  return nullptr;
}

TParam* TParams::ParamByName(const String& name) const {
  TParam* p = FindParam(name);
  if (!p) DatabaseError(Format("Parameter '%s' not found", {name}));
  return p;
}

TParam* TParams::CreateParam(TFieldType type, const String& name, TParamType pt) {
  TParam* p = AddParameter();
  p->SetName(name);
  p->SetDataType(type);
  p->SetParamType(pt);
  return p;
}

void TParams::ParseSQL(const String& sql, bool keepValues) {
  TParsedSQL parsed = ParseSQLParams(sql);
  // The parameters of the new text in order of first appearance; those of
  // the old list with the same names keep their settings and values.
  std::vector<TParam*> old;
  for (Integer i = 0; i < Count(); ++i) old.push_back(Items(i));
  BeginUpdate();
  for (TParam* p : old) p->SetCollection(nullptr);
  std::vector<String> seen;
  for (const String& n : parsed.Names) {
    if (FindParam(n)) continue;
    TParam* p = nullptr;
    if (keepValues) {
      for (auto& o : old)
        if (o && (SameText(o->Name(), n) || AnsiSameText(o->Name(), n))) { p = o; o = nullptr; break; }
    }
    if (p) {
      p->SetCollection(this);
    } else {
      p = AddParameter();
      p->SetName(n);
    }
  }
  for (TParam* o : old) delete o;
  EndUpdate();
}

// Finds ":name" markers outside quoted text, [names], #date# literals and
// comments. A name is letters, digits, "_" and any non-ASCII character
// (Chinese names); "::" is a literal colon; a colon followed by a quote takes
// a quoted name.
TParsedSQL ParseSQLParams(const String& sql) {
  TParsedSQL out;
  out.Text.reserve(sql.size());
  size_t i = 0, n = sql.size();
  auto isNameChar = [](char c) { return (unsigned char)c >= 0x80 || std::isalnum((unsigned char)c) || c == '_'; };
  while (i < n) {
    char c = sql[i];
    if (c == '\'' || c == '"' || c == '[' || c == '`') {
      char close = c == '[' ? ']' : c;
      size_t e = i + 1;
      while (e < n) {
        if (sql[e] == close) {
          if (close != ']' && e + 1 < n && sql[e + 1] == close) { e += 2; continue; }
          break;
        }
        ++e;
      }
      size_t end = e < n ? e + 1 : n;
      out.Text.append(sql, i, end - i);
      i = end;
      continue;
    }
    if (c == '#') {
      // A Jet date literal (#2024-02-29 13:00:00#): the colons of its time
      // are no parameter markers.
      size_t e = sql.find('#', i + 1);
      if (e != String::npos && sql.find('\n', i + 1) > e) {
        out.Text.append(sql, i, e + 1 - i);
        i = e + 1;
        continue;
      }
    }
    if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
      size_t e = sql.find('\n', i);
      if (e == String::npos) e = n;
      out.Text.append(sql, i, e - i);
      i = e;
      continue;
    }
    if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
      size_t e = sql.find("*/", i + 2);
      e = e == String::npos ? n : e + 2;
      out.Text.append(sql, i, e - i);
      i = e;
      continue;
    }
    if (c == ':') {
      if (i + 1 < n && sql[i + 1] == ':') {
        out.Text += ':';
        i += 2;
        continue;
      }
      size_t s = i + 1;
      if (s < n && (sql[s] == '"' || sql[s] == '\'')) {
        char q = sql[s];
        size_t e = sql.find(q, s + 1);
        if (e != String::npos) {
          out.Names.push_back(sql.substr(s + 1, e - s - 1));
          out.Text += '?';
          i = e + 1;
          continue;
        }
      }
      size_t e = s;
      while (e < n && isNameChar(sql[e])) ++e;
      if (e > s) {
        out.Names.push_back(sql.substr(s, e - s));
        out.Text += '?';
        i = e;
        continue;
      }
    }
    out.Text += c;
    ++i;
  }
  return out;
}
