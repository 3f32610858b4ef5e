# Doxygen input filter: the headers' comments are written as plain "//"
# comments; this turns them into documentation comments as Doxygen reads
# them, without changing the headers:
#   the comment block at the top of a header  ->  "/// \file" and its text
#   a comment line before a declaration        ->  "/// text"
#   a comment after a declaration on its line  ->  "///< text"
# Separator lines ("// ----") and comments inside function bodies stay
# plain comments. Plain POSIX awk only: Debian's default awk (mawk) has no
# regex intervals such as {3,}.
BEGIN { top = 1; depth = 0 }
# A published-property macro (TW_PROPERTY(...) and its kin, perhaps over
# several lines) becomes the members it declares, each with its reference
# text: the property, its getter, its setter and reset slots and its change
# signal, so the signals and slots are listed as what they are. The
# expansion stays on the macro's first line and its other lines go blank,
# so the line numbers of the rest of the header do not move.
pending != "" {
  pending = pending "\n" $0; held++
  if (balanced(pending)) flushprop()
  next
}
$0 ~ /^[ \t]*TW_[A-Z_]*PROPERTY[A-Z_]*[ \t]*\(/ && !inbody {
  pending = $0; held = 1
  if (balanced(pending)) flushprop()
  next
}
{
  line = $0
  if (top) {
    if (line ~ /^#pragma once/ || line ~ /^[ \t]*$/) { print line; next }
    if (line ~ /^\/\/\//) { top = 0 }
    else if (line ~ /^\/\//) {
      if (!filed) { print "/// \\file"; filed = 1 }
      sub(/^\/\/ ?/, "/// ", line); print esc(line); next
    } else { top = 0 }
  }
  code = line
  sub(/\/\/.*$/, "", code)
  if (line ~ /^[ \t]*\/\/[^\/!]/ || line ~ /^[ \t]*\/\/$/) {
    if (!inbody && line !~ /^[ \t]*\/\/ *[-=][-=][-=]/) sub(/\/\//, "///", line)
  } else if (line ~ /[;{,][ \t]*\/\/ / && line !~ /\/\/\//) {
    if (!inbody) sub(/[ \t]*\/\/ /, "  ///< ", line)
  }
  # Track function bodies: a "{" opened on a line that declares a function
  # (has ")" before it) starts a body until its braces close.
  n = split(code, ch, "")
  for (i = 1; i <= n; i++) {
    if (ch[i] == "{") {
      depth++
      if (!inbody && code ~ /\)[^;]*\{/ ) { inbody = 1; bodystart = depth }
    } else if (ch[i] == "}") {
      if (inbody && depth == bodystart) inbody = 0
      depth--
    }
  }
  print esc(line)
}
# Placeholders of the macro descriptions ("set<Name>", "Name##Changed") are
# text, not HTML tags or links.
function esc(l) {
  if (l ~ /\/\/\//) { gsub(/<Name>/, "\\\\<Name\\\\>", l); gsub(/##/, "\\\\#\\\\#", l) }
  return l
}

function balanced(t,   o, c) {
  o = gsub(/\(/, "(", t); c = gsub(/\)/, ")", t)
  return o > 0 && o == c
}
function trim(t) { gsub(/^[ \t\n]+|[ \t\n]+$/, "", t); return t }
# The macro's arguments, split at the commas outside brackets (and outside
# angle brackets in the first one, the type): A[1..n]; returns n.
function splitargs(t, A,   i, ch1, d, lt, n, cur) {
  n = 0; d = 0; lt = 0; cur = ""
  for (i = 1; i <= length(t); i++) {
    ch1 = substr(t, i, 1)
    if (ch1 == "(" || ch1 == "{" || ch1 == "[") d++
    else if (ch1 == ")" || ch1 == "}" || ch1 == "]") d--
    else if (n == 0 && ch1 == "<") lt++
    else if (n == 0 && ch1 == ">") lt--
    if (ch1 == "," && d == 0 && lt == 0) { A[++n] = trim(cur); cur = ""; continue }
    cur = cur ch1
  }
  A[++n] = trim(cur)
  return n
}
function doc(t) { return "/** " t " */ " }
function getter(T, N) { return doc("Returns the " N " property.") T " " N "() const; " }
function signal(T, N) {
  return "signals: " doc("Emitted when the " N " property changes, with its new value.") \
    "void " N "Changed(" T " value); "
}
function setter(T, N, S, fixed) {
  return doc("Sets the " N " property" (fixed ? ", first brought into its range" : "") \
    "; emits " N "Changed() when the value changes.") "void " S "(" T " value); "
}
function reset(T, N, S) {
  return doc("Restores the " N " property to its default, " N "Default().") "void reset" N "(); " \
    "public: " doc("The default of the " N " property.") "static " T " " N "Default(); "
}
function flushprop(   head, kind, args, A, n, T, N, out, i) {
  head = pending
  sub(/\(.*/, "", head)
  kind = trim(head)
  args = pending
  sub(/^[^(]*\(/, "", args)
  sub(/\)[^)]*$/, "", args)
  n = splitargs(args, A)
  T = A[1]; N = A[2]
  match(pending, /^[ \t]*/)
  out = substr(pending, 1, RLENGTH)
  if (kind ~ /^TW_COLOR_PROPERTY/) {
    N = A[1]
    out = out "Q_PROPERTY(QColor " N " READ " N "QColor WRITE set" N \
      (kind ~ /DEFAULT/ ? " RESET reset" N : "") " NOTIFY " N "Changed) public: " \
      doc("Returns the " N " property as the drawing code uses it (system colours by name).") \
      "Tarnwell::TColor " N "() const; " \
      doc("Returns the " N " property as a QColor, system colours resolved.") "QColor " N "QColor() const; " \
      "public slots: " setter("Tarnwell::TColor", N, "set" N) setter("const QColor&", N, "set" N) \
      setter("Qt::GlobalColor", N, "set" N)
    if (kind ~ /DEFAULT/) out = out reset("Tarnwell::TColor", N, "set" N)
    out = out signal("const QColor&", N)
  } else if (kind == "TW_FONT_PROPERTY") {
    out = out "Q_PROPERTY(QFont Font READ font WRITE setFont NOTIFY FontChanged) public: " \
      doc("The Font property as the drawing code uses it (signed height, style, colour).") \
      "Tarnwell::TFont& Font(); " doc("The Font property as the drawing code uses it.") \
      "const Tarnwell::TFont& Font() const; " signal("const QFont&", "Font")
  } else if (kind == "TW_GRAPH_FONT_PROPERTY") {
    N = A[1]
    out = out "Q_PROPERTY(QFont " N " READ " N "QFont WRITE set" N " NOTIFY " N "Changed) public: " \
      doc("Returns the " N " property as a QFont.") "QFont " N "QFont() const; " \
      "public slots: " setter("const QFont&", N, "set" N) signal("const QFont&", N)
  } else if (kind == "TW_PROPERTY_READONLY") {
    out = out "Q_PROPERTY(" T " " N " READ " N ") public: " getter(T, N)
  } else if (kind == "TW_PROPERTY_DEFAULT_NAMED_SETTER") {
    out = out "Q_PROPERTY(" T " " N " READ " N " WRITE " A[3] " RESET reset" N " NOTIFY " N "Changed) public: " \
      getter(T, N) "public slots: " setter(T, N, A[3], 0) reset(T, N, A[3]) \
      doc("Sets the " N " property, as " A[3] "() does (the name forms compiled by uic call).") \
      "void set" N "(" T " value); " signal(T, N)
  } else {
    out = out "Q_PROPERTY(" T " " N " READ " N " WRITE set" N (kind ~ /DEFAULT/ ? " RESET reset" N : "") \
      " NOTIFY " N "Changed) public: " getter(T, N) "public slots: " setter(T, N, "set" N, kind ~ /FIXED/)
    if (kind ~ /DEFAULT/) out = out reset(T, N, "set" N)
    out = out signal(T, N)
  }
  print out "public:"
  for (i = 1; i < held; i++) print ""
  pending = ""; held = 0
}
