# korvel: two commands do everything on a fresh Debian machine.
#   make run    install what is missing, build, start korvel on the example survey
#   make check  install, build, run the whole test suite under Xvfb, then again
#               with AddressSanitizer and UndefinedBehaviorSanitizer, then each
#               fuzz target for a few seconds on its corpus
#   make fuzz   run each libFuzzer target for FUZZ_SECONDS (default 60)

BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja
RUN_DIR    ?= run

.PHONY: all deps build build-asan build-fuzz run check test test-asan test-fuzz fuzz bench clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEL_WERROR=ON

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

$(ASAN_BUILD)/build.ninja: | deps
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DKORVEL_SANITIZE=ON -DKORVEL_BENCH=OFF

build-asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)

# The fuzz targets (fuzz/) are built by clang with libFuzzer, ASan and UBSan
# in a build directory of their own; -O1 and line tables keep the build short.
$(FUZZ_BUILD)/build.ninja: | deps
	cmake -S . -B $(FUZZ_BUILD) $(CMAKE_GEN) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=None \
	  "-DCMAKE_CXX_FLAGS=-O1 -gline-tables-only" -DKORVEL_FUZZ=ON -DKORVEL_BENCH=OFF

build-fuzz: deps $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers

# korvel writes "outp" and ".grset" into its working directory, so it runs in
# a directory of its own next to the sources.
run: build
	@mkdir -p $(RUN_DIR)
	cd $(RUN_DIR) && ../$(BUILD)/korvel ../examples/river_points.xyz ../examples/river_banks.xyzi

test: build
	scripts/run-tests.sh $(BUILD)

test-asan: build-asan
	scripts/run-tests.sh $(ASAN_BUILD)

test-fuzz: build-fuzz
	scripts/run-fuzz.sh $(FUZZ_BUILD) 3

fuzz: build-fuzz
	scripts/run-fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

check: deps
	$(MAKE) test
	$(MAKE) test-asan
	$(MAKE) test-fuzz

bench: build
	scripts/run-benchmarks.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
