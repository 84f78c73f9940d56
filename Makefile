# korvel: two commands do everything on a fresh Debian machine.
#   make run    install what is missing, build, start korvel on the example survey
#   make check  install, build, run the whole test suite under Xvfb, then again
#               with AddressSanitizer and UndefinedBehaviorSanitizer

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja
RUN_DIR    ?= run

.PHONY: all deps build build-asan run check test test-asan bench clean

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

# korvel writes "outp" and ".grset" into its working directory, so it runs in
# a directory of its own next to the sources.
run: build
	@mkdir -p $(RUN_DIR)
	cd $(RUN_DIR) && ../$(BUILD)/korvel ../examples/river_points.xyz ../examples/river_banks.xyzi

test: build
	scripts/run-tests.sh $(BUILD)

test-asan: build-asan
	scripts/run-tests.sh $(ASAN_BUILD)

check: deps
	$(MAKE) test
	$(MAKE) test-asan

bench: build
	scripts/run-benchmarks.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
