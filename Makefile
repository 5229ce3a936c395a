# Short commands for a newcomer; CMake does the real work.
#   make demo   build the tool and join the bundled example recording
#   make test   build and run every test suite (Linux, sanitizers, Windows)
#   make bench  measure speed and memory on generated recordings
#   make fuzz   run the fuzz targets for FUZZ_SECONDS each
#   make packages  the .deb for Linux and the .zip for Windows
JOBS ?= 2
CMAKE_FLAGS ?=

.PHONY: all build test test-native test-sanitize test-windows demo bench fuzz packages clean

all: build

build:
	cmake -S . -B build $(CMAKE_FLAGS)
	cmake --build build -j $(JOBS)

test: test-native test-sanitize test-windows

test-native: build
	cd build && ctest --output-on-failure -j $(JOBS)

test-sanitize:
	cmake -S . -B build-sanitize -DLOGWELD_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
	cmake --build build-sanitize -j $(JOBS)
	cd build-sanitize && ctest --output-on-failure -j $(JOBS)

test-windows:
	@tests/windows_suite.sh $(JOBS)

demo: build
	@examples/demo.sh build/logweld

# Release build, a generated recording of about 500 MB (and smaller and
# many-file ones) kept in build-release/bench-data, and the figures.
bench:
	cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DLOGWELD_TESTS=OFF
	cmake --build build-release -j $(JOBS) --target logweld make_recording
	python3 bench/run_bench.py --program build-release/logweld \
	  --generator build-release/make_recording \
	  --data build-release/bench-data $(BENCH_FLAGS)

# build-release/logweld_*.deb, and build-windows/logweld-*.zip when the
# cross compiler is there.
packages:
	cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DLOGWELD_TESTS=OFF
	cmake --build build-release -j $(JOBS) --target logweld
	cd build-release && cpack
	if command -v x86_64-w64-mingw32-g++-posix >/dev/null; then \
	  cmake -S . -B build-windows \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake && \
	  cmake --build build-windows -j $(JOBS) --target logweld && \
	  (cd build-windows && cpack); \
	fi

# libFuzzer targets under AddressSanitizer and UBSan, FUZZ_SECONDS each,
# starting from the seeds in fuzz/corpus; any finding fails.
FUZZ_SECONDS ?= 60
fuzz:
	CXX=clang++ cmake -S . -B build-fuzz -DLOGWELD_FUZZ=ON -DLOGWELD_TESTS=OFF
	cmake --build build-fuzz -j $(JOBS)
	for target in scanner writer; do \
	  mkdir -p build-fuzz/corpus-$$target && \
	  build-fuzz/$${target}_fuzzer -max_total_time=$(FUZZ_SECONDS) \
	    -max_len=4096 -timeout=20 -close_fd_mask=2 \
	    -artifact_prefix=build-fuzz/ \
	    build-fuzz/corpus-$$target fuzz/corpus/$$target || exit 1; \
	done

clean:
	rm -rf build build-sanitize build-windows build-release build-fuzz
