# The two commands of the README: `make run` and `make test`. Both set up what they need first.
BUILD ?= build
JOBS ?= $(shell nproc)
PREFIX_FOR_TESTS = $(BUILD)/wineprefix
CONFIGURE = [ -f $(BUILD)/CMakeCache.txt ] || cmake -S . -B $(BUILD) \
	-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null

.PHONY: all setup program build run test bench dist format clean

all: build

# Everything a command of this file needs.
setup:
	@tools/setup.sh $(BUILD) run test dist format

# The program alone, with what it needs.
program:
	@tools/setup.sh $(BUILD) run
	@$(CONFIGURE)
	@cmake --build $(BUILD) -j$(JOBS) --target Ordanel -- --no-print-directory

# The program, the tests and the benchmarks.
build:
	@tools/setup.sh $(BUILD) test
	@$(CONFIGURE)
	@cmake --build $(BUILD) -j$(JOBS) -- --no-print-directory
	@test -f $(BUILD)/app/Ordanel.exe

test: build
	@tools/under-wine.sh $(PREFIX_FOR_TESTS) ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

run: program
	@tools/run.sh $(BUILD)

bench: build
	@tools/under-wine.sh $(BUILD)/benchprefix tools/winerun $(BUILD)/benchprefix $(BUILD)/bench/ordanel_bench.exe

# The release: dist/Ordanel-<version>-win64.zip and its .sha256.
dist:
	@tools/setup.sh $(BUILD) dist
	@$(CONFIGURE)
	@cmake --build $(BUILD) -j$(JOBS) --target dist -- --no-print-directory

format:
	@tools/setup.sh $(BUILD) format
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
