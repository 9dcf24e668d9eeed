# The two commands: `make run` and `make test`. Both install what they need
# (Debian packages), configure and build first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= 2
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")
SOURCES     = $(shell git ls-files '*.cpp' '*.h')

.PHONY: all install configure build run test test-build test-asan bench format format-check clean

all: build

install:
	@./scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: install $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j$(JOBS)

# Starts the program from the build's home folder.
run: build
	cd $(BUILD)/home && ./qxrirovozer

# The tests build with warnings as errors.
test-build: configure
	cmake -S . -B $(BUILD) -DQX_WERROR=ON
	cmake --build $(BUILD) -j$(JOBS)

test: test-build test-asan
	dbus-run-session -- env QT_QPA_PLATFORM=offscreen \
	  ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

# The plain C++ libraries once more with AddressSanitizer and
# UndefinedBehaviorSanitizer.
test-asan: install
	cmake -S . -B $(ASAN_BUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Debug \
	  -DQX_PLAIN_ONLY=ON -DQX_SANITIZE=ON -DQX_BENCHMARKS=OFF -DQX_WERROR=ON
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j$(JOBS)

bench: build
	$(BUILD)/bench/qx_bench

# Rewrites the sources in the project's style.
format:
	clang-format -i $(SOURCES)

# Lists the sources that differ from the project's style; changes nothing.
format-check:
	@if command -v clang-format >/dev/null 2>&1; then \
	  clang-format --dry-run --Werror $(SOURCES); \
	else echo "clang-format is not installed: format not checked"; fi

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
