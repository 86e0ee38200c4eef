# The two commands a new user needs: `make run` and `make test`. Everything else is for developers.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: run test build deps bench asan tsan fuzz format clean

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build build -j $(JOBS)

run: build
	@bash scripts/run-example.sh build

test: build
	cd build && ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESVANE_BUILD_TESTS=OFF -DTESVANE_BUILD_BENCH=ON
	cmake --build build-bench -j $(JOBS)
	@for b in build-bench/bench/bench_*; do echo "== $$b"; "$$b" || exit 1; done

asan: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESVANE_SANITIZE=ON
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# The map engine's drawing thread under ThreadSanitizer (only its tests are built).
tsan: deps
	cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESVANE_TSAN=ON -DTESVANE_BUILD_APP=OFF
	cmake --build build-tsan -j $(JOBS) --target tests_map
	QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/tests/map/tsan.supp" \
	  build-tsan/tests/tests_map

# Builds the libFuzzer targets with clang and runs each for FUZZ_SECONDS on its corpus.
FUZZ_SECONDS ?= 60
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTESVANE_BUILD_TESTS=OFF -DTESVANE_BUILD_FUZZ=ON -DTESVANE_BUILD_APP=OFF
	cmake --build build-fuzz -j $(JOBS)
	@bash scripts/run-fuzzers.sh build-fuzz $(FUZZ_SECONDS)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-asan build-tsan build-bench build-fuzz
