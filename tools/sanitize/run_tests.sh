#!/usr/bin/env bash
# Runs the whole test suite against the sanitized build in $1 (AddressSanitizer
# and UndefinedBehaviorSanitizer). The interpreter is not instrumented, so the
# ASan runtime is preloaded into it; PYTHONMALLOC=malloc routes every Python
# object through ASan's allocator, so overflows of our objects and reference
# leaks show up too. Leak reports that stem from the interpreter or from third
# party extensions alone are suppressed (lsan.supp); one with a frame of
# mivora in its allocation stack is never suppressed and fails the run.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build-sanitize}" && pwd)
shift || true
PYTHON=${PYTHON:-python3}
# The real interpreter, not a wrapper script (pyenv shims are shell scripts).
interpreter=$("$PYTHON" -c 'import sys; print(sys.executable)')
asan_runtime=$(${CXX:-g++} -print-file-name=libasan.so)
[ -f "$asan_runtime" ] || { echo "no ASan runtime at $asan_runtime" >&2; exit 1; }
# ASan resolves its __cxa_throw interceptor when it starts: the C++ runtime
# must already be loaded then, not only when the module is imported.
cxx_runtime=$(${CXX:-g++} -print-file-name=libstdc++.so)

# pytest captures file descriptor 2 while a test runs, and a report written
# there dies with the process: reports go to files and are shown at the end.
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
export PYTHONPATH="$build"
export PYTHONMALLOC=malloc
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=0:check_initialization_order=1:strict_string_checks=1:detect_stack_use_after_return=0:exitcode=86:fast_unwind_on_malloc=0:malloc_context_size=12:log_path=$logs/report"
export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$logs/report"
cd "$root"
# A browser started by a test must not inherit the preload (it hangs under
# ASan); Python children started through sys.executable get it through a
# small wrapper.
cat >"$logs/python" <<WRAPPER
#!/bin/sh
LD_PRELOAD="$asan_runtime $cxx_runtime" exec "$interpreter" "\$@"
WRAPPER
chmod +x "$logs/python"
export MIVORA_SANITIZED_PYTHON="$logs/python"
# pytest under the sanitizers, in this process's environment, on "$@".
sanitized_pytest() {
  LD_PRELOAD="$asan_runtime $cxx_runtime" "$interpreter" -c '
import os, sys
os.environ.pop("LD_PRELOAD", None)
sys.executable = os.environ["MIVORA_SANITIZED_PYTHON"]
import pytest
import mivora
assert os.path.dirname(mivora.__file__) == os.environ["PYTHONPATH"], mivora.__file__
sys.exit(pytest.main(["-q", "-p", "no:cacheprovider", *sys.argv[1:]]))
' "$@"
}
status=0
if [ $# -gt 0 ]; then
  sanitized_pytest "$@" || status=$?
else
  # The whole suite takes about 12-19 minutes under the sanitizers on one
  # core: two processes share it test by test (MIVORA_TEST_SHARD, read by
  # tests/conftest.py), each with its own temporary folder, so that both
  # cores work and finish together.
  pids=()
  for half in 0 1; do
    MIVORA_TEST_SHARD=$half/2 sanitized_pytest --basetemp="$logs/tmp$half" tests >"$logs/pytest$half" 2>&1 &
    pids+=($!)
  done
  for half in 0 1; do
    wait "${pids[$half]}" || status=$?
    cat "$logs/pytest$half"
  done
fi
if compgen -G "$logs/report*" >/dev/null; then
  cat "$logs"/report* >&2
  [ "$status" -ne 0 ] || status=1
fi
[ "$status" -eq 0 ] && echo "sanitizers: no report"
exit "$status"
