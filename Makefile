# ZOLT: `make` builds, `make run` shows it on the bundled example tree, `make test` runs every test.
.PHONY: all build deps run test clean

all: build

deps:
	@scripts/ensure-deps.sh build

build: deps
	cmake --preset dev >/dev/null
	cmake --build --preset dev -j2

run: deps
	cmake --preset release >/dev/null
	cmake --build --preset release -j2
	@scripts/run-example.sh build/release

test:
	@scripts/ensure-deps.sh test
	cmake --preset sanitize >/dev/null
	cmake --build --preset sanitize -j2
	ctest --preset sanitize -j2

clean:
	rm -rf build
