# The two commands a new machine needs: `make run` and `make test`.
DEMO       ?=
BUILD      ?= build
JOBS       ?= $(shell nproc 2>/dev/null || sysctl -n hw.ncpu 2>/dev/null || echo 4)
CMAKE_ARGS ?=

.PHONY: all deps configure build app run bundle test test-asan test-tsan check-libcxx bench format clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) $(CMAKE_ARGS)

configure: $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The application alone, so that a first `make run` does not wait for the suite to build.
app: configure
	cmake --build $(BUILD) -j $(JOBS) --target Tovrin_for_the_Command_Line

# Opens the application. On Linux, and with DEMO=1 on macOS, it runs over the demo Mac.
run: app
ifeq ($(shell uname -s),Darwin)
	TOVR_DEMO=$(DEMO) "$(BUILD)/Tovrin_for_the_Command_Line/Tovrin for the Command Line.app/Contents/MacOS/Tovrin for the Command Line"
else
	TOVR_DEMO=1 $(BUILD)/Tovrin_for_the_Command_Line/Tovrin_for_the_Command_Line
endif

# On macOS, a bundle that runs without Homebrew's Qt, signed ad hoc: $(BUILD)/bundle/.
ifeq ($(shell uname -s),Darwin)
bundle: configure
	cmake --build $(BUILD) -j $(JOBS) --target bundle
else
bundle:
	@echo "Application bundles are made on macOS; here \`make run\` opens the application." >&2
	@exit 1
endif

test: build
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The same suite under AddressSanitizer and UndefinedBehaviorSanitizer, and LeakSanitizer on
# Linux: a Mac's AddressSanitizer refuses detect_leaks (on Apple silicon).
ASAN_LEAKS := $(if $(filter Darwin,$(shell uname -s)),,detect_leaks=1:)
test-asan:
	ASAN_OPTIONS="$(ASAN_LEAKS)abort_on_error=1" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
	$(MAKE) test BUILD=build-asan CMAKE_ARGS="-DTOVR_SANITIZE=address -DCMAKE_BUILD_TYPE=Debug"

# The same suite under ThreadSanitizer; Qt's own internals are suppressed.
test-tsan:
	TSAN_OPTIONS="suppressions=$(CURDIR)/tests/tsan.supp halt_on_error=1 second_deadlock_stack=1" \
	$(MAKE) test BUILD=build-tsan CMAKE_ARGS="-DTOVR_SANITIZE=thread -DCMAKE_BUILD_TYPE=Debug"

# Every source the build compiles (engine, views, application, tests, benchmarks) parsed once
# more by clang with libc++ and no experimental features, as a Mac's toolchain has them. Qt here
# is built against libstdc++, so nothing is linked: the commands are the build's own, syntax only.
LIBCXX_CXX ?= clang++-19
check-libcxx: deps
	cmake -S . -B build-libcxx -DCMAKE_CXX_COMPILER=$(LIBCXX_CXX) -DCMAKE_CXX_FLAGS=-stdlib=libc++ \
		-DTOVR_BUILD_BENCH=ON -DCMAKE_PROJECT_INCLUDE=$(CURDIR)/scripts/check-libcxx.cmake
	cmake --build build-libcxx -j $(JOBS) --target autogen
	LIBCXX_CXX=$(LIBCXX_CXX) scripts/check-libcxx.py build-libcxx $(JOBS)

bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTOVR_BUILD_BENCH=ON -DTOVR_BUILD_TESTS=OFF
	cmake --build build-bench -j $(JOBS)
	@for b in build-bench/bench/bench_*; do [ -f "$$b" ] && [ -x "$$b" ] || continue; \
		echo "== $$b"; $$b || exit 1; done
	@echo "== figures"; build-bench/bench/bench_process --figures

format:
	git ls-files '*.h' '*.cpp' | xargs clang-format -i

clean:
	rm -rf build build-asan build-tsan build-bench build-libcxx
