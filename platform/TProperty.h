#pragma once
// Published properties and events of the components, written once.
//
// A published property is a Q_PROPERTY under its contract name, so that
// setProperty()/property(), Designer, uic-generated forms and QML bindings all
// reach it. Its setter is spelled set<Name> (what uic calls), is a public slot,
// compares with the stored value and returns on equal, stores into m<Name>,
// runs the class's reaction (repaint, re-layout, re-encode ...) and then emits
// <Name>Changed(value). The macros below write all of that in one line; the
// field m<Name> is declared by the class itself (or a base class), with its
// default as initialiser.
//
//   class TGauge : public QWidget {
//     Q_OBJECT
//     TW_PROPERTY(int, Value, update())
//     TW_PROPERTY_DEFAULT(int, Max, 100, update())
//     TW_PROPERTY_FIXED(int, Step, std::max(value, 1), update())
//    private:
//     int mValue = 0, mMax = 100, mStep = 1;
//   };
//
// Each macro leaves the class in the "public:" section.
//
// Enumerations used as property types must be registered (Q_ENUM in the
// class, or Q_ENUM_NS in a namespace with Q_NAMESPACE) and spelled with their
// scope in the macro (Tarnwell::BarCodeTypes::TBarCodesType), so that the
// property knows its enumerator names.
//
// Events: every notification is a Qt signal (any number of listeners, queued
// delivery, QSignalSpy). Where the contract names an assignable OnFoo event,
// the member of that name stays for callers that assign it, and it is called
// only when assigned, after the signal:
//
//   TW_FIRE(OnChange, Change, this);   // emit Change(this); OnChange(this) if set
//
// Events with reference out-parameters (a veto, a query) stay callbacks or
// virtual hooks: a signal cannot return a value to its emitter.

#include <QObject>
#include <utility>

#include "TColor.h"
#include "TExceptions.h"

// Pieces the macros below are made of.
#define TW_DETAIL_GETTER(Type, Name) \
 public:                             \
  Type Name() const { return m##Name; }
#define TW_DETAIL_STORE(Name, after) \
  if (m##Name == value) return;      \
  m##Name = std::move(value);        \
  after;                             \
  Q_EMIT Name##Changed(m##Name);
#define TW_DETAIL_FIXED_SETTER(Type, Name, fix, after) \
 public Q_SLOTS:                                       \
  void set##Name(Type value) {                         \
    value = (fix);                                     \
    TW_DETAIL_STORE(Name, after)                       \
  }
#define TW_DETAIL_SIGNAL(Type, Name) \
 Q_SIGNALS:                          \
  void Name##Changed(Type value);    \
                                     \
 public:
#define TW_DETAIL_DEFAULT(Type, Name, def)            \
 public:                                              \
  static Type Name##Default() { return def; }         \
 public Q_SLOTS:                                      \
  void reset##Name() { set##Name(def); }

// Full property: generated getter and setter. `after` is a statement run
// after the value is stored and before the signal (may be empty).
#define TW_PROPERTY(Type, Name, after)                                  \
  Q_PROPERTY(Type Name READ Name WRITE set##Name NOTIFY Name##Changed)  \
  TW_DETAIL_GETTER(Type, Name)                                          \
 public Q_SLOTS:                                                        \
  void set##Name(Type value) { TW_DETAIL_STORE(Name, after) }           \
  TW_DETAIL_SIGNAL(Type, Name)

// As TW_PROPERTY, with the declared default: reset<Name>() restores it
// (Designer's "reset" button; RESET in the meta-object).
#define TW_PROPERTY_DEFAULT(Type, Name, def, after)                                     \
  Q_PROPERTY(Type Name READ Name WRITE set##Name RESET reset##Name NOTIFY Name##Changed) \
  TW_DETAIL_GETTER(Type, Name)                                                          \
 public Q_SLOTS:                                                                        \
  void set##Name(Type value) { TW_DETAIL_STORE(Name, after) }                           \
  TW_DETAIL_DEFAULT(Type, Name, def)                                                    \
  TW_DETAIL_SIGNAL(Type, Name)

// As TW_PROPERTY, but the incoming `value` is first brought into range by
// `fix` (an expression of `value`), then compared: clamping setters.
#define TW_PROPERTY_FIXED(Type, Name, fix, after)                         \
  Q_PROPERTY(Type Name READ Name WRITE set##Name NOTIFY Name##Changed)    \
  TW_DETAIL_GETTER(Type, Name)                                            \
  TW_DETAIL_FIXED_SETTER(Type, Name, fix, after)                          \
  TW_DETAIL_SIGNAL(Type, Name)

// TW_PROPERTY_FIXED with the declared default and reset<Name>().
#define TW_PROPERTY_FIXED_DEFAULT(Type, Name, def, fix, after)                          \
  Q_PROPERTY(Type Name READ Name WRITE set##Name RESET reset##Name NOTIFY Name##Changed) \
  TW_DETAIL_GETTER(Type, Name)                                                          \
  TW_DETAIL_FIXED_SETTER(Type, Name, fix, after)                                        \
  TW_DETAIL_DEFAULT(Type, Name, def)                                                    \
  TW_DETAIL_SIGNAL(Type, Name)

// The property, the generated getter and the signal; the setter set<Name>
// is written by hand (it must emit <Name>Changed when the value changes).
#define TW_PROPERTY_SETTER(Type, Name)                                  \
  Q_PROPERTY(Type Name READ Name WRITE set##Name NOTIFY Name##Changed)  \
  TW_DETAIL_GETTER(Type, Name)                                          \
 public Q_SLOTS:                                                        \
  void set##Name(Type value);                                           \
  TW_DETAIL_SIGNAL(Type, Name)

// The property and the signal; getter and setter are both written by hand
// (values kept elsewhere: in an encoder, a painter, the widget itself).
#define TW_PROPERTY_CUSTOM(Type, Name)                                  \
  Q_PROPERTY(Type Name READ Name WRITE set##Name NOTIFY Name##Changed)  \
 public:                                                                \
  Type Name() const;                                                    \
 public Q_SLOTS:                                                        \
  void set##Name(Type value);                                           \
  TW_DETAIL_SIGNAL(Type, Name)

// A read-only published value with a generated getter.
#define TW_PROPERTY_READONLY(Type, Name) \
  Q_PROPERTY(Type Name READ Name)        \
  TW_DETAIL_GETTER(Type, Name)           \
                                         \
 public:

// Emits `signal(args...)`, then calls the assignable event `event` when it
// is assigned. An exception from any handler stops there and goes to the
// program's exception handler (TExceptions.h), never into Qt's event loop.
#define TW_FIRE(event, signal, ...)            \
  do {                                         \
    try {                                      \
      Q_EMIT signal(__VA_ARGS__);              \
      if (event) event(__VA_ARGS__);           \
    } catch (...) {                            \
      Tarnwell::HandleCurrentException();      \
    }                                          \
  } while (0)

// Colours are QColor at the Qt boundary and TColor (0x00BBGGRR, system
// colours by name) in the drawing code. The property is a QColor (Designer's
// colour editor, setProperty with a QColor); the C++ getter Name() returns
// the TColor the drawing code uses, Name##QColor() the resolved QColor, and
// set<Name> takes either (and Qt::red & co., which would otherwise convert to
// a small TColor number silently). Needs TColor.h.
#define TW_DETAIL_COLOR_SETTERS(Name, after)                                                \
 public Q_SLOTS:                                                                              \
  void set##Name(Tarnwell::TColor value) {                                                    \
    if (m##Name == value) return;                                                             \
    m##Name = value;                                                                          \
    after;                                                                                    \
    Q_EMIT Name##Changed(Tarnwell::ToQColor(m##Name));                                        \
  }                                                                                           \
  void set##Name(const QColor& value) { set##Name(Tarnwell::FromQColor(value)); }             \
  void set##Name(Qt::GlobalColor value) { set##Name(QColor(value)); }
#define TW_DETAIL_COLOR_GETTERS(Name)                                                         \
 public:                                                                                      \
  Tarnwell::TColor Name() const { return m##Name; }                                           \
  QColor Name##QColor() const { return Tarnwell::ToQColor(m##Name); }

#define TW_COLOR_PROPERTY(Name, after)                                                        \
  Q_PROPERTY(QColor Name READ Name##QColor WRITE set##Name NOTIFY Name##Changed)              \
  TW_DETAIL_COLOR_GETTERS(Name)                                                               \
  TW_DETAIL_COLOR_SETTERS(Name, after)                                                        \
  TW_DETAIL_SIGNAL(const QColor&, Name)

// TW_COLOR_PROPERTY with the declared default (a TColor) and reset<Name>().
#define TW_COLOR_PROPERTY_DEFAULT(Name, def, after)                                           \
  Q_PROPERTY(QColor Name READ Name##QColor WRITE set##Name RESET reset##Name NOTIFY Name##Changed) \
  TW_DETAIL_COLOR_GETTERS(Name)                                                               \
  static Tarnwell::TColor Name##Default() { return def; }                                     \
  TW_DETAIL_COLOR_SETTERS(Name, after)                                                        \
  void reset##Name() { set##Name(Tarnwell::TColor(def)); }                                    \
  TW_DETAIL_SIGNAL(const QColor&, Name)

// As TW_COLOR_PROPERTY with `TColor Name() const` and `void set<Name>(TColor)`
// written by hand (a TControlColor view, a colour kept by a painter); the
// hand-written setter emits Name##Changed(Tarnwell::ToQColor(...)).
#define TW_COLOR_PROPERTY_CUSTOM(Name)                                                        \
  Q_PROPERTY(QColor Name READ Name##QColor WRITE set##Name NOTIFY Name##Changed)              \
 public:                                                                                      \
  Tarnwell::TColor Name() const;                                                              \
  QColor Name##QColor() const { return Tarnwell::ToQColor(Name(), palette()); }               \
 public Q_SLOTS:                                                                              \
  void set##Name(Tarnwell::TColor value);                                                     \
  void set##Name(const QColor& value) { set##Name(Tarnwell::FromQColor(value)); }             \
  void set##Name(Qt::GlobalColor value) { set##Name(QColor(value)); }                        \
  TW_DETAIL_SIGNAL(const QColor&, Name)

// The Font property of a control is its QWidget font (so uic, setProperty,
// style sheets and application fonts reach it); Font() gives the TFont view
// kept by the TControlFont member `view` (see TWidgetLook.h). The class
// emits FontChanged from view.changed.
#define TW_FONT_PROPERTY(view)                                          \
  Q_PROPERTY(QFont Font READ font WRITE setFont NOTIFY FontChanged)     \
 public:                                                                \
  Tarnwell::TFont& Font() { return view.Font(); }                       \
  const Tarnwell::TFont& Font() const { return view.Font(); }           \
 Q_SIGNALS:                                                             \
  void FontChanged(const QFont& value);                                 \
                                                                        \
 public:
