# make run   - install what is missing, build, start the workstation on the demo installation
# make test  - install what is missing, build, run every test (SQLite always, PostgreSQL too)
# make bench - build and run the benchmarks
# make fuzz  - build the fuzzers (clang) and run each for FUZZ_SECONDS (and at most FUZZ_RUNS inputs)
PRESET ?= ci
BUILD  := build/$(PRESET)
JOBS   ?= $(shell nproc)
FUZZ_SECONDS ?= 60
FUZZ_RUNS ?=

.PHONY: all deps configure build run test bench fuzz format clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@[ -f $(BUILD)/build.ninja ] || cmake --preset $(PRESET)

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash scripts/run-demo.sh $(BUILD)/bin

test: build
	@bash scripts/run-tests.sh $(BUILD)

bench: build
	@bash scripts/run-bench.sh $(BUILD)

fuzz: deps
	@OSTRELLE_FUZZ_SECONDS=$(FUZZ_SECONDS) OSTRELLE_FUZZ_RUNS=$(FUZZ_RUNS) OSTRELLE_FUZZ_DIR=$(CURDIR)/build/fuzz \
	  bash scripts/run-fuzz.sh

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf build
