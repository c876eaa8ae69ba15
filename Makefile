# The two commands a user needs: `make run` and `make test`. Both install what is missing first.
# `make run` builds only the program; `make test` and `make bench` build the tests and the benchmarks.
PRESET ?= debug

.PHONY: run test deps configure build bench fuzz format check-format

run: PRESET = release
run: configure
	@cmake --build --preset $(PRESET) --target pigmo2
	@scripts/run-program build/$(PRESET)

test: build
	@scripts/run-tests $(PRESET)

# Developer targets.
deps:
	@scripts/install-deps

configure: deps
	@test -f build/$(PRESET)/build.ninja || cmake --preset $(PRESET)

build: configure
	@cmake --build --preset $(PRESET)

bench: PRESET = release
bench: configure
	@cmake --build --preset $(PRESET) --target benchmarks
	@scripts/run-benchmarks build/$(PRESET)

# Every fuzz target for FUZZ_SECONDS (default 20) each, built with clang, ASan and UBSan.
FUZZ_SECONDS ?= 20
fuzz: PRESET = fuzz
fuzz: build
	@scripts/run-fuzzers build/fuzz $(FUZZ_SECONDS)

format:
	@git ls-files --cached --others --exclude-standard '*.cpp' '*.h' '*.c' | xargs clang-format -i

check-format:
	@scripts/check-format
