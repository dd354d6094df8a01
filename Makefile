# The two set-up commands of a new machine: `make run` and `make test`.
# Both install what is missing and configure; `make run` builds the program
# and starts it, `make test` builds everything and tests it.

PRESET ?= dev
BUILD_DIR := build/$(PRESET)

.PHONY: all deps configure build run test test-asan fuzz lint bench package clean \
	windows test-windows web test-web

all: build

deps:
	@sh scripts/install-deps.sh

$(BUILD_DIR)/build.ninja: | deps
	cmake --preset $(PRESET)

configure: deps
	cmake --preset $(PRESET)

build: deps $(BUILD_DIR)/build.ninja
	cmake --build --preset $(PRESET)

# Only the program and the libraries it links: a teacher who wants to see
# it need not wait for the tests and the benchmarks to compile.
run: deps $(BUILD_DIR)/build.ninja
	cmake --build --preset $(PRESET) --target collinear
	$(BUILD_DIR)/app/collinear

# Every test in the normal build, again under the sanitizers, then a short
# fuzz run of the core. ctest runs what the whole build made, so the whole
# build comes first.
test: build
	ctest --preset $(PRESET)
	@$(MAKE) --no-print-directory test-asan fuzz

# The whole suite built with the address and undefined-behaviour
# sanitizers, in its own build folder.
build/dev-asan/build.ninja: | deps
	cmake --preset dev-asan

test-asan: deps build/dev-asan/build.ninja
	cmake --build --preset dev-asan
	ctest --preset dev-asan

# The core fuzzer needs clang's libFuzzer; without clang it is skipped.
# Longer sessions: scripts/fuzz.sh -max_total_time=3600
fuzz: deps
	@if sh scripts/fuzz.sh --available; then \
		sh scripts/fuzz.sh -runs=200000 -max_total_time=60; \
	else \
		echo "clang++ with libFuzzer is not installed: the fuzz run is skipped"; \
	fi

# clang-tidy and cppcheck; fails on any finding.
lint: build
	sh scripts/lint.sh $(BUILD_DIR)

# The benchmarks, on the offscreen platform with a screen of 1920 x 1080,
# as a classroom projector has; e.g.
# make bench BENCH_ARGS=--benchmark_format=json
BENCH_ARGS ?=
bench: build
	QT_QPA_PLATFORM=offscreen:configfile=bench/projector_screen.json \
		$(BUILD_DIR)/bench/collinear-bench $(BENCH_ARGS)

# The Debian package, built by dpkg-buildpackage from debian/ in a copy of
# the sources, into build/deb/. It runs the test suite unless
# DEB_BUILD_OPTIONS=nocheck.
package: deps
	sh scripts/build-package.sh build/deb

# Windows and the browser, made on Debian. Each builds Qt for its platform
# once into ~/.cache/collinear (scripts/build-qt.sh: about 35 and 20 minutes
# on two cores), then the program from the same sources.
VERSION := $(shell sed -n 's/^project.collinear VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

windows:
	@sh scripts/install-deps.sh windows
	@sh scripts/build-platform.sh windows $(VERSION)

# The project's tests built for Windows and run under Wine on an X server
# of their own, then the portable program and the installer tried as a
# pupil and a teacher use them.
test-windows: windows
	@sh tests/windows/run.sh $(VERSION)

web:
	@sh scripts/install-deps.sh web
	@sh scripts/build-platform.sh web $(VERSION)

# The core's tests under node, then the page in Chromium, Firefox and
# WebKit, and the installable page.
test-web: web
	@sh tests/web/run.sh $(VERSION)

clean:
	rm -rf build
