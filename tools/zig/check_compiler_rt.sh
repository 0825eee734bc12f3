#!/usr/bin/env bash
# Fails when zig's compiler_rt defines a C library function (one that the
# target's libc.so.6 or libm.so.6 exports) that tools/zig/glibc_functions.cpp
# does not bind to glibc: a newer zig may add some. ZIG and ZIG_TARGET as
# for tools/zig/cc.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A library that needs compiler_rt (128-bit division), linked verbosely to
# learn where zig keeps compiler_rt and the C library's link stubs.
printf 'unsigned __int128 quotient(unsigned __int128 a, unsigned __int128 b) { return a / b; }\n' >"$work/pull.c"
# On a cold zig cache the output also holds the links of the stubs and
# compiler_rt themselves: the library's own link is the last.
link_line=$(ZIG_VERBOSE_LINK=1 "$here/cc" -shared -fPIC -O1 "$work/pull.c" -o "$work/pull.so" 2>&1 | tr ' ' '\n' |
  awk '$0 == "ld.lld" {n = 0} {line[n++] = $0} END {for (i = 0; i < n; i++) print line[i]}')
compiler_rt=$(grep -E '/libcompiler_rt\.a$' <<<"$link_line" | head -n1)
stubs=$(grep -E '/lib(c|m)\.so\.6$' <<<"$link_line")
[ -n "$compiler_rt" ] && [ "$(wc -l <<<"$stubs")" = 2 ] || { echo "zig's link line has no compiler_rt or C library stubs:" >&2; echo "$link_line" >&2; exit 1; }

nm --defined-only "$compiler_rt" | awk '$2 ~ /^[TWV]$/ {print $3}' | sort -u >"$work/compiler_rt"
for stub in $stubs; do nm -D --defined-only "$stub"; done | awk '{sub(/@.*/, "", $3); print $3}' | sort -u >"$work/c_library"
"$here/c++" -c -O1 "$here/glibc_functions.cpp" -o "$work/bound.o"
nm --defined-only "$work/bound.o" | awk '$2 == "T" {print $3}' | sort -u >"$work/bound"

missing=$(comm -12 "$work/compiler_rt" "$work/c_library" | comm -23 - "$work/bound")
if [ -n "$missing" ]; then
  echo "zig's compiler_rt defines C library functions that tools/zig/glibc_functions.cpp does not bind to glibc:" >&2
  echo "$missing" >&2
  exit 1
fi
echo "compiler_rt's C library functions all bound to glibc ($(wc -l <"$work/bound") in glibc_functions.cpp)"
