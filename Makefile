# Front door: `make run` and `make test` install what is missing, configure,
# build and run. Build trees live under build/.
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
BUILD ?= build/default
ASAN_BUILD ?= build/asan
TSAN_BUILD ?= build/tsan
CTEST_FLAGS ?= --output-on-failure --timeout 300

.PHONY: all setup configure build test test-asan test-tsan run bench clean

all: build

setup:
	@bash scripts/setup.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

configure: setup $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest $(CTEST_FLAGS) -j $(JOBS)

# AddressSanitizer + UndefinedBehaviorSanitizer over the whole suite.
test-asan: setup
	cmake -S . -B $(ASAN_BUILD) -DGSMBENCH_SANITIZE=address,undefined \
	      -DGSMBENCH_BUILD_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest $(CTEST_FLAGS) -j $(JOBS) -LE no_sanitizer

# ThreadSanitizer over the tests labelled "concurrency".
test-tsan: setup
	cmake -S . -B $(TSAN_BUILD) -DGSMBENCH_SANITIZE=thread \
	      -DGSMBENCH_BUILD_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS)
	cmake --build $(TSAN_BUILD) -j $(JOBS)
	cd $(TSAN_BUILD) && ctest $(CTEST_FLAGS) -L concurrency

run: build
	$(BUILD)/tools/gsmbench run $(ARGS)

bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

clean:
	rm -rf build
