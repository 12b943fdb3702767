# The two commands of the README: `make run` and `make test`. Both set up what they need first.
BUILD ?= build
JOBS ?= $(shell nproc)
PREFIX_FOR_TESTS = $(BUILD)/wineprefix

.PHONY: all setup build run test bench format clean

all: build

setup:
	@tools/setup.sh $(BUILD)

build: setup
	@[ -f $(BUILD)/CMakeCache.txt ] || cmake -S . -B $(BUILD) \
		-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j$(JOBS) -- --no-print-directory
	@test -f $(BUILD)/app/Ordanel.exe

test: build
	@tools/under-wine.sh $(PREFIX_FOR_TESTS) ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

run: build
	@tools/run.sh $(BUILD)

bench: build
	@tools/under-wine.sh $(BUILD)/benchprefix tools/winerun $(BUILD)/benchprefix $(BUILD)/bench/ordanel_bench.exe

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
