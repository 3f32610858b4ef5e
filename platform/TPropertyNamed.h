#pragma once
/// \file
/// A published property whose setter has a name of its own (see TProperty.h
/// for the published-property macros).

#include <QWidget>
#include <utility>

#include "TProperty.h"

/// As TW_PROPERTY_DEFAULT, with the slot that sets the property named
/// `setter`: for a property whose set<Name> would hide a QWidget member of
/// that name (Layout and QWidget::setLayout(QLayout*)). The QWidget member
/// stays reachable, and set<Name>(Type) stays as an overload for the forms
/// uic compiles (uic calls set<Name> for every property of a form).
#define TW_PROPERTY_DEFAULT_NAMED_SETTER(Type, Name, setter, def, after)               \
  Q_PROPERTY(Type Name READ Name WRITE setter RESET reset##Name NOTIFY Name##Changed)   \
  TW_DETAIL_GETTER(Type, Name)                                                          \
 public Q_SLOTS:                                                                        \
  void setter(Type value) { TW_DETAIL_STORE(Name, after) }                              \
  void reset##Name() { setter(def); }                                                   \
                                                                                        \
 public:                                                                                \
  static Type Name##Default() { return def; }                                           \
  using QWidget::set##Name;                                                             \
  void set##Name(Type value) { setter(std::move(value)); }                              \
  TW_DETAIL_SIGNAL(Type, Name)
