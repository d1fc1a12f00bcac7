# ZOLT: `make` builds, `make run` shows it on the bundled example tree, `make test` runs every test
# (with a short pass of each fuzz target), `make fuzz` runs each fuzz target for FUZZ_TIME seconds,
# `make install` installs zolt under PREFIX (in DESTDIR), `make deb` packs it for Debian.
FUZZ_TIME ?= 60
PREFIX ?= /usr/local
DESTDIR ?=
.PHONY: all build deps run test fuzz install deb dist bench clean

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
	cmake --preset mingw >/dev/null
	cmake --build --preset mingw -j2
	cmake --preset mingw64 >/dev/null
	cmake --build --preset mingw64 -j2
	@fuzz/run.sh build
	ctest --preset sanitize -j2

fuzz:
	@scripts/ensure-deps.sh fuzz
	@fuzz/run.sh build
	@fuzz/run.sh all $(FUZZ_TIME)

# bin/zolt, share/zolt/ (language and help files), share/man/man1/zolt.1 and the bash completion
# share/bash-completion/completions/zolt, from the optimized build.
install: deps
	cmake --preset release >/dev/null
	cmake --build --preset release -j2
	DESTDIR="$(DESTDIR)" cmake --install build/release --prefix "$(PREFIX)"

# build/release/zolt_<version>_<arch>.deb: the same files under /usr (`dpkg -i` it), built by
# dpkg-buildpackage from debian/ and checked by lintian.
deb:
	@scripts/ensure-deps.sh deb
	@scripts/make-deb.sh build/release

# The Windows packages: zolt-VERSION-far1-x86.zip for the 1.x host (32-bit), zolt-VERSION-far3-x86.zip
# and zolt-VERSION-far3-x64.zip for the current host generation (32-bit and 64-bit): each the stripped
# DLL with its language and help files and INSTALL.txt; the unstripped DLLs stay beside the zips.
dist:
	@scripts/ensure-deps.sh win
	cmake --preset mingw >/dev/null
	cmake --build --preset mingw --target dist dist3
	cmake --preset mingw64 >/dev/null
	cmake --build --preset mingw64 --target dist3
	@ls -l build/mingw/zolt-*-far1-x86.zip build/mingw/zolt-*-far3-x86.zip build/mingw64/zolt-*-far3-x64.zip

# Timings against ctags, global and cscope on a Linux subset (installs what it needs; a few
# minutes). Table and chart in bench/results/; ZOLT_BENCH_DIR, ZOLT_BENCH_RUNS: see bench/run.sh.
bench:
	@bench/run.sh

clean:
	rm -rf build
