#include "EnhDBGrd.h"
#include "EnhDBGrd_p.h"

// The grid's columns: bound to a field by name, with the values they hold
// themselves and those they take from the grid and the field.

namespace Tarnwell {

// ------------------------------------------------------------------ column

void TDBGridColumn::Changed() {
  if (mOwner) mOwner->Changed();
}

void TDBGridColumn::SetFieldName(const QString& name) {
  if (name == mFieldName) return;
  mFieldName = name;
  mFieldCache = nullptr;
  Changed();
}

TField* TDBGridColumn::Field() const {
  if (mFieldName.isEmpty() || !mOwner) return nullptr;
  TDataSet* ds = mOwner->Grid()->DataSet();
  if (!ds || !ds->Active()) return nullptr;
  if (mFieldCache && mFieldCacheSet == ds) return mFieldCache;
  mFieldCache = ds->FindField(mFieldName);
  mFieldCacheSet = ds;
  return mFieldCache;
}

int TDBGridColumn::Index() const { return mOwner ? mOwner->IndexOf(this) : -1; }

void TDBGridColumn::SetIndex(int index) {
  if (mOwner) mOwner->Move(Index(), index);
}

QString TDBGridColumn::TitleCaption() const {
  if (mAssigned & TLayoutColumn::cvTitleCaption) return mTitleCaption;
  if (TField* f = Field()) return f->DisplayLabel();
  return mFieldName;
}

void TDBGridColumn::SetTitleCaption(const QString& caption) {
  if ((mAssigned & TLayoutColumn::cvTitleCaption) && caption == mTitleCaption) return;
  mTitleCaption = caption;
  mAssigned |= TLayoutColumn::cvTitleCaption;
  Changed();
}

void TDBGridColumn::SetTitleAlignment(TAlignment a) {
  if ((mAssigned & TLayoutColumn::cvTitleAlignment) && a == mTitleAlignment) return;
  mTitleAlignment = a;
  mAssigned |= TLayoutColumn::cvTitleAlignment;
  Changed();
}

TFont TDBGridColumn::TitleFont() const {
  if ((mAssigned & TLayoutColumn::cvTitleFont) || !mOwner) return mTitleFont;
  return mOwner->Grid()->TitleFont();
}

void TDBGridColumn::SetTitleFont(const TFont& f) {
  if ((mAssigned & TLayoutColumn::cvTitleFont) && f == mTitleFont && f.Color() == mTitleFont.Color()) return;
  mTitleFont.Assign(f);
  mAssigned |= TLayoutColumn::cvTitleFont;
  Changed();
}

int TDBGridColumn::Width() const {
  if ((mAssigned & TLayoutColumn::cvWidth) || !mOwner) return mWidth;
  return mOwner->Grid()->DefaultColumnWidth(*this);
}

void TDBGridColumn::SetWidth(int w) {
  w = std::clamp(w, 0, kLayoutMaxWidth);
  if ((mAssigned & TLayoutColumn::cvWidth) && w == mWidth) return;
  mWidth = w;
  mAssigned |= TLayoutColumn::cvWidth;
  Changed();
}

TColor TDBGridColumn::Color() const {
  if ((mAssigned & TLayoutColumn::cvColor) || !mOwner) return mColor;
  return mOwner->Grid()->Color();
}

void TDBGridColumn::SetColor(TColor c) {
  if ((mAssigned & TLayoutColumn::cvColor) && c == mColor) return;
  mColor = c;
  mAssigned |= TLayoutColumn::cvColor;
  Changed();
}

TFont TDBGridColumn::Font() const {
  if ((mAssigned & TLayoutColumn::cvFont) || !mOwner) return mFont;
  return mOwner->Grid()->Font();
}

void TDBGridColumn::SetFont(const TFont& f) {
  if ((mAssigned & TLayoutColumn::cvFont) && f == mFont && f.Color() == mFont.Color()) return;
  mFont.Assign(f);
  mAssigned |= TLayoutColumn::cvFont;
  Changed();
}

TAlignment TDBGridColumn::Alignment() const {
  if (mAssigned & TLayoutColumn::cvAlignment) return mAlignment;
  if (TField* f = Field()) return f->Alignment();
  return taLeftJustify;
}

void TDBGridColumn::SetAlignment(TAlignment a) {
  if ((mAssigned & TLayoutColumn::cvAlignment) && a == mAlignment) return;
  mAlignment = a;
  mAssigned |= TLayoutColumn::cvAlignment;
  Changed();
}

void TDBGridColumn::RestoreDefaults() {
  if (mAssigned == 0) return;
  mAssigned = 0;
  Changed();
}

TLayoutColumn TDBGridColumn::ToLayout() const {
  TLayoutColumn c;
  c.Assigned = mAssigned;
  c.FieldName = mFieldName;
  c.TitleCaption = mTitleCaption;
  c.TitleAlignment = int(mTitleAlignment);
  c.TitleFont = ToLayoutFont(mTitleFont);
  c.Width = mWidth;
  c.Color = mColor;
  c.Font = ToLayoutFont(mFont);
  c.Alignment = int(mAlignment);
  return c;
}

void TDBGridColumn::FromLayout(const TLayoutColumn& c) {
  mFieldCache = nullptr;
  mAssigned = c.Assigned;
  mFieldName = c.FieldName;
  mTitleCaption = c.TitleCaption;
  mTitleAlignment = TAlignment(c.TitleAlignment);
  mTitleFont = FromLayoutFont(c.TitleFont);
  mWidth = c.Width;
  mColor = c.Color;
  mFont = FromLayoutFont(c.Font);
  mAlignment = TAlignment(c.Alignment);
  Changed();
}

// ------------------------------------------------------------------ columns

void TDBGridColumns::Changed() { mGrid->ColumnsChanged(); }

int TDBGridColumns::IndexOf(const TDBGridColumn* c) const {
  for (int i = 0; i < Count(); ++i)
    if (mItems[size_t(i)].get() == c) return i;
  return -1;
}

TDBGridColumn* TDBGridColumns::Add() {
  mItems.push_back(std::make_unique<TDBGridColumn>(this));
  mCustomized = true;
  Changed();
  return mItems.back().get();
}

void TDBGridColumns::Delete(int i) {
  if (i < 0 || i >= Count()) return;
  mItems.erase(mItems.begin() + i);
  mCustomized = true;
  Changed();
}

void TDBGridColumns::Clear() {
  if (mItems.empty()) return;
  mItems.clear();
  Changed();
}

void TDBGridColumns::Move(int from, int to) {
  if (from < 0 || from >= Count()) return;
  to = std::clamp(to, 0, Count() - 1);
  if (from == to) return;
  auto c = std::move(mItems[size_t(from)]);
  mItems.erase(mItems.begin() + from);
  mItems.insert(mItems.begin() + to, std::move(c));
  mCustomized = true;
  Changed();
}

void TDBGridColumns::RebuildColumns() {
  mItems.clear();
  TDataSet* ds = mGrid->DataSet();
  if (ds && ds->Active())
    for (int i = 0; i < ds->FieldCount(); ++i) {
      TField* f = ds->Fields(i);
      if (!f->Visible()) continue;
      auto c = std::make_unique<TDBGridColumn>(this);
      c->mFieldName = f->FieldName();
      mItems.push_back(std::move(c));
    }
  Changed();
}

}  // namespace Tarnwell
