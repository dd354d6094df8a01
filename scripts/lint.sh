#!/bin/sh
# Static analysis: clang-format, then clang-tidy (the checks in .clang-tidy) over the program's
# and the tests' sources, then cppcheck over the program's. Needs the
# compile_commands.json of a configured build folder, the first argument
# (build/dev by default). Fails on any finding.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/dev}" && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

if [ ! -f "$build/compile_commands.json" ]; then
    echo "lint.sh: no compile_commands.json in $build; configure first" >&2
    exit 1
fi

echo "clang-format:"
cd "$root"
# shellcheck disable=SC2046
clang-format --dry-run -Werror $(git ls-files '*.cpp' '*.h') || {
    echo "lint.sh: run clang-format -i on the files above" >&2
    exit 1
}

echo "clang-tidy:"
# Generated moc sources are Qt's, not ours; the fuzzer is built by its own
# project with clang and is checked there by the compiler.
run-clang-tidy -quiet -p "$build" -j "$jobs" \
    "^$root/(core|canvas|window|window/report|app|tests/(core|canvas|window|stream))/[^/]+\.cpp\$" \
    >"$build/clang-tidy.log" 2>&1 || {
    grep -E "(warning|error):" "$build/clang-tidy.log" | sort -u >&2
    echo "lint.sh: clang-tidy found problems; the whole log is $build/clang-tidy.log" >&2
    exit 1
}

echo "cppcheck:"
cd "$root"
# The page's bindings (EMSCRIPTEN_BINDINGS) and its script (EM_JS) are
# emscripten's macros, which cppcheck cannot expand without emscripten's
# headers: it reads the script as C++.
cppcheck --enable=warning,performance,portability --error-exitcode=1 --inline-suppr \
    --suppress=syntaxError:app/page_mirror.cpp \
    --suppress=syntaxError:app/platform_web.cpp --suppress=internalAstError:app/platform_web.cpp \
    --std=c++20 --library=qt --quiet -I core -I canvas -I window -I window/report core canvas window app
echo "lint: clean"
