# The two set-up commands of a new machine: `make run` and `make test`.
# Both install what is missing, configure, build, then start or test.

PRESET ?= dev
BUILD_DIR := build/$(PRESET)

.PHONY: all deps configure build run test clean

all: build

deps:
	@sh scripts/install-deps.sh

$(BUILD_DIR)/build.ninja: | deps
	cmake --preset $(PRESET)

configure: deps
	cmake --preset $(PRESET)

build: deps $(BUILD_DIR)/build.ninja
	cmake --build --preset $(PRESET)

run: build
	$(BUILD_DIR)/app/collinear

test: build
	ctest --preset $(PRESET)

clean:
	rm -rf build
