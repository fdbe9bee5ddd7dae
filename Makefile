# The README's commands. BUILD names the build folder; CMAKE_FLAGS passes
# extra options to CMake (the sanitizer run uses -DBSP_SANITIZE=ON).
BUILD ?= build
CMAKE_FLAGS ?=
PREFIX ?= /usr/local
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all configure test bench demo install sanitize clean

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

clean:
	rm -rf build build-asan
