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
