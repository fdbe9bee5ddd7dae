# The README's commands. BUILD names the build folder; CMAKE_FLAGS passes
# extra options to CMake (the sanitizer run uses -DBSP_SANITIZE=ON).
BUILD ?= build
CMAKE_FLAGS ?=
PREFIX ?= /usr/local
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 30

.PHONY: all configure test bench demo install sanitize fuzz clean

all: configure
	cmake --build $(BUILD) -j $(JOBS)

# The bootstrap installs only what is missing, so a fresh machine needs no
# step before `make demo` or `make test`.
configure:
	@scripts/bootstrap
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

test: all
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

bench: configure
	cmake --build $(BUILD) -j $(JOBS) --target benchmarks
	@for b in $(BUILD)/bench/*_bench; do echo "== $$b"; $$b --benchmark_counters_tabular=true || exit 1; done

demo: all
	$(BUILD)/tools/bsp/bsp examples/demo.json --svg $(BUILD)/demo.svg
	@echo "picture of the meshed rectangle: $(BUILD)/demo.svg"

# The library, header, `bsp`, the CMake package, the pkg-config file and the
# Python package, under PREFIX.
install: all
	cmake --install $(BUILD) --prefix $(PREFIX)

sanitize:
	$(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DCMAKE_BUILD_TYPE=RelWithDebInfo -DBSP_SANITIZE=ON -DBSP_BUILD_BENCH=OFF"

# Every libFuzzer target of tests/fuzz, built with clang under ASan and UBSan
# in its own folder, run for FUZZ_SECONDS each from its seed corpus (new
# inputs it finds go to FUZZ_BUILD/corpus, the seeds stay as they are). A
# crash, a sanitizer report, a leak or an input slower than 120 s (a hang) fails.
fuzz:
	@scripts/bootstrap
	@test -f $(FUZZ_BUILD)/CMakeCache.txt || CC=clang-14 CXX=clang++-14 cmake -S . -B $(FUZZ_BUILD) \
	  -DBSP_FUZZ=ON -DBSP_BUILD_TESTS=OFF -DBSP_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets
	@for t in $(FUZZ_BUILD)/tests/fuzz/*_fuzz; do \
	  name=$$(basename $$t); mkdir -p $(FUZZ_BUILD)/corpus/$$name; echo "== $$name, $(FUZZ_SECONDS) s"; \
	  $$t -max_total_time=$(FUZZ_SECONDS) -timeout=120 -rss_limit_mb=4096 -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_BUILD)/$$name- $(FUZZ_BUILD)/corpus/$$name tests/fuzz/corpus/$$name || exit 1; \
	done

clean:
	rm -rf build build-asan build-fuzz
