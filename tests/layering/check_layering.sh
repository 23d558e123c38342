#!/usr/bin/env bash
# Fails when a folder includes what its layer must not see. The include path is the repository
# root, so a wrong include would otherwise build without complaint:
#   support/              nothing above it: only its own headers and system ones;
#   app/                  the model and the engines: support/ and itself, no subsystem header;
#   quotes/, assistant/, simulators/   the model and support/, never one another;
#   the core (everything but desktop/)   no Qt;
#   desktop/              no subsystem header (quotes/, assistant/, simulators/): the desktop
#                         talks to the window model only;
#   quotes/, assistant/, simulators/   run no handler that another folder defines (app/unit1.h
#                         names each handler's file): what must follow a handler is declared
#                         as a follow-up in the wiring table, never called from inside it;
#   desktop/              no decision the model can make: no text for the user in its source (a
#                         string with Cyrillic letters) and no conversion of numbers to or from
#                         text, except on a line marked "// painting:" (an axis's tick numbers).
#
#   tests/layering/check_layering.sh [source-root]     (default: the repository of this script)
#
# Prints one line per finding (file:line: rule: the include) and exits 1 when there is any.
set -uo pipefail
# Bytes, not characters: the Cyrillic test matches the lead bytes of UTF-8.
export LC_ALL=C
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
cd "$root" || { echo "check_layering: no folder $root" >&2; exit 2; }

folders=()
for folder in support quotes assistant simulators app desktop; do
  [ -d "$folder" ] && folders+=("$folder")
done
if [ "${#folders[@]}" -eq 0 ]; then
  echo "check_layering: no source folders under $root" >&2
  exit 2
fi

# One pass over every source file: awk sees each #include with its file and line.
mapfile -d '' files < <(find "${folders[@]}" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.h.in' \) -print0 | sort -z)
[ "${#files[@]}" -eq 0 ] && { echo "check_layering: no sources under $root" >&2; exit 2; }
# The handlers and the folder that defines each, from the declarations of app/unit1.h
# ("void Button9Click();  // quotes/refresh.cpp").
handlers=""
[ -f app/unit1.h ] && handlers=$(sed -n 's|^[[:space:]]*void \([A-Za-z0-9_]*\)(.*;[[:space:]]*// \([a-z]*\)/.*|\1 \2|p' app/unit1.h | tr '\n' ' ')
awk -v handlers="$handlers" '
  BEGIN {
    n = split(handlers, words, " ")
    for (i = 1; i + 1 <= n; i += 2) home[words[i]] = words[i + 1]
  }
  # "a/b/../c" -> "a/c"; a path that climbs out of the tree keeps its leading "../".
  function normalise(path,    n, parts, out, i, k) {
    n = split(path, parts, "/")
    k = 0
    for (i = 1; i <= n; i++) {
      if (parts[i] == "." || parts[i] == "") continue
      if (parts[i] == ".." && k > 0 && out[k] != "..") { k--; continue }
      out[++k] = parts[i]
    }
    path = ""
    for (i = 1; i <= k; i++) path = path (i > 1 ? "/" : "") out[i]
    return path
  }
  function report(rule, target) {
    printf "%s:%d: %s: %s\n", FILENAME, FNR, rule, target
    findings++
  }
  # The desktop paints what the model says; it neither words nor converts anything itself.
  FILENAME ~ /^desktop\// && $0 !~ /\/\/ painting:/ {
    code = $0
    sub(/\/\/.*$/, "", code)
    if (code ~ /"[^"]*[\320\321][^"]*"/) report("the desktop words a message", code)
    if (code ~ /(ParseDecimal|ParseInteger|FormatGeneral|FormatPattern|QString::number|QLocale|std::sto[dfil]|strto[dfl]|std::to_string|\.to(Double|Float|Int|UInt|Long|LongLong)\()/)
      report("the desktop converts a number", code)
  }
  # A subsystem runs its own handlers only.
  FILENAME ~ /^(quotes|assistant|simulators)\// {
    code = $0
    sub(/\/\/.*$/, "", code)
    folder = FILENAME
    sub(/\/.*$/, "", folder)
    rest = code
    while (match(rest, /[A-Za-z_][A-Za-z0-9_]*\(/)) {
      name = substr(rest, RSTART, RLENGTH - 1)
      before = substr(rest, 1, RSTART - 1)
      rest = substr(rest, RSTART + RLENGTH)
      if (!(name in home) || home[name] == folder) continue
      if (before ~ /(TForm1::|void[ \t]+)$/) continue  # its definition or a declaration
      report("a subsystem runs another folder'"'"'s handler", name)
    }
  }
  /^[ \t]*#[ \t]*include[ \t]*[<"]/ {
    line = $0
    sub(/^[ \t]*#[ \t]*include[ \t]*/, "", line)
    quoted = substr(line, 1, 1) == "\""
    target = substr(line, 2)
    sub(/[">].*$/, "", target)
    dir = FILENAME
    sub(/\/[^\/]*$/, "", dir)
    # A quoted include is looked up beside the file first, then from the root.
    path = (quoted && target ~ /^\.\.\//) ? normalise(dir "/" target) : target

    desktop = FILENAME ~ /^desktop\//
    model = FILENAME ~ /^app\//
    own = FILENAME
    sub(/\/.*$/, "", own)
    support = FILENAME ~ /^support\//
    project = path ~ /^(app|desktop|quotes|assistant|simulators|tools|tests|fuzz|bench)\//
    subsystem = path ~ /^(quotes|assistant|simulators)\//
    qt = target ~ /^Q[A-Za-z]*(\/|$|\.h$)/

    if (support && (project || (quoted && path ~ /\// && path !~ /^support\//)))
      report("support includes a layer above it", path)
    if (!desktop && qt) report("the core includes Qt", target)
    if (desktop && subsystem) report("the desktop includes a subsystem header", path)
    if (model && (subsystem || path ~ /^desktop\//)) report("the model includes a layer above it", path)
    if (own ~ /^(quotes|assistant|simulators)$/ && (path ~ /^desktop\// || (subsystem && path !~ ("^" own "/"))))
      report("a subsystem includes another", path)
  }
  END {
    if (findings > 0) {
      printf "check_layering: %d line(s) cross a layer\n", findings
      exit 1
    }
    print "check_layering: every line keeps to its layer"
  }' "${files[@]}"
