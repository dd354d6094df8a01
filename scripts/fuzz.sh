#!/bin/sh
# Builds the core fuzzer with clang's libFuzzer and runs it on the seed
# corpus in tests/fuzz/corpus. Arguments go to libFuzzer; without any, a
# short run of 200,000 inputs. `fuzz.sh --available` only tells (by its exit
# status) whether this machine can build the fuzzer. A long session, e.g.:
#     scripts/fuzz.sh -max_total_time=3600 -jobs=2
# New interesting inputs are kept in the build folder, not in the checkout.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${COLLINEAR_FUZZ_BUILD_DIR:-$root/build/fuzz}

# Whether clang++ can link a libFuzzer program here: clang and its runtime
# (Debian: clang, libclang-rt-14-dev) are optional.
can_fuzz() {
    probe=$(mktemp -d)
    printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' \
        >"$probe/probe.cpp"
    status=0
    clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" \
        >/dev/null 2>&1 || status=1
    rm -rf "$probe"
    return $status
}

if [ "${1:-}" = "--available" ]; then
    command -v clang++ >/dev/null 2>&1 && can_fuzz
    exit
fi
if ! command -v clang++ >/dev/null 2>&1 || ! can_fuzz; then
    echo "fuzz.sh: clang++ with libFuzzer is not installed (apt-get install clang libclang-rt-14-dev)" >&2
    exit 1
fi

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root/tests/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build"

[ $# -gt 0 ] || set -- -runs=200000
mkdir -p "$build/corpus"
cd "$build"
exec ./core_fuzzer -print_final_stats=1 "$@" "$build/corpus" "$root/tests/fuzz/corpus"
