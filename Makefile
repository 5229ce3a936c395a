# Short commands for a newcomer; CMake does the real work.
#   make demo   build the tool and join the bundled example recording
#   make test   build and run every test suite (Linux, sanitizers, Windows)
JOBS ?= 2
CMAKE_FLAGS ?=

.PHONY: all build test test-native test-sanitize test-windows demo clean

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

clean:
	rm -rf build build-sanitize build-windows build-release
