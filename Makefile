# The two commands a user needs: `make run` and `make test`. Both install what is missing first.
PRESET ?= debug

.PHONY: run test deps build bench format check-format

run: PRESET = release
run: build
	@scripts/run-program build/$(PRESET)

test: build
	@scripts/run-tests $(PRESET)

# Developer targets.
deps:
	@scripts/install-deps

build: deps
	@test -f build/$(PRESET)/build.ninja || cmake --preset $(PRESET)
	@cmake --build --preset $(PRESET)

bench: PRESET = release
bench: build
	@scripts/run-benchmarks build/$(PRESET)

format:
	@git ls-files --cached --others --exclude-standard '*.cpp' '*.h' '*.c' | xargs clang-format -i

check-format:
	@scripts/check-format
