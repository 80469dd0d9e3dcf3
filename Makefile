# The two commands: `make demo` renders the built-in timeline to out/,
# `make test` builds all six builds (native, asan, i686-linux, win64, win32-dll, fuzz)
# and runs every suite.
SHELL := /bin/bash
# ccache hits across clones: paths under the checkout are hashed relative to it, and
# the build folder's own path stays out of the hash.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := true
B := build
CMAKE := cmake -G Ninja -Wno-dev
GTEST_ENV := GTEST_COLOR=no

.PHONY: all demo test bootstrap native asan i686-linux win64 win32-dll fuzz bench install dist clean

all: test

bootstrap:
	@scripts/bootstrap.sh

native: bootstrap
	@$(CMAKE) -S . -B $(B)/native -DFERRULE_BENCH=ON -DFERRULE_TOOLS=ON >/dev/null
	@cmake --build $(B)/native

asan: bootstrap
	@$(CMAKE) -S . -B $(B)/asan -DFERRULE_SANITIZE=ON -DFERRULE_TOOLS=ON >/dev/null
	@cmake --build $(B)/asan

i686-linux: bootstrap
	@$(CMAKE) -S . -B $(B)/i686-linux -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-linux.cmake >/dev/null
	@cmake --build $(B)/i686-linux

win64: bootstrap
	@$(CMAKE) -S . -B $(B)/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake >/dev/null
	@cmake --build $(B)/win64

win32-dll: bootstrap
	@$(CMAKE) -S . -B $(B)/win32-dll -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake >/dev/null
	@cmake --build $(B)/win32-dll

# libFuzzer needs clang; only the fuzz targets are built with it.
fuzz: bootstrap
	@CC=clang CXX=clang++ $(CMAKE) -S . -B $(B)/fuzz -DFERRULE_FUZZ=ON -DFERRULE_TESTS=OFF >/dev/null
	@cmake --build $(B)/fuzz --target warp_fuzz

demo: native
	@$(B)/native/ferrule-render --demo out

# ferrule-render, sondrel beside it and libferrule.so in ../lib: PREFIX/bin and PREFIX/lib,
# under DESTDIR when staging a package.
PREFIX ?= /usr/local
install: native
	@DESTDIR='$(DESTDIR)' cmake --install $(B)/native --prefix '$(PREFIX)'

# The host's kit: the product DLL with its header, .def, import libraries and HOST.md,
# in one archive under dist/.
dist: win32-dll
	@scripts/make_dist.sh $(B)/win32-dll

bench: native
	@$(B)/native/ferrule_bench
	@$(B)/native/render-rate

test: native asan i686-linux win64 win32-dll fuzz
	@scripts/run_suites.sh \
	  "native|$(GTEST_ENV) $(B)/native/ferrule_tests" \
	  "render|$(GTEST_ENV) $(B)/native/ferrule_render_tests" \
	  "place|$(GTEST_ENV) QT_QPA_PLATFORM=offscreen $(B)/native/ferrule_place_tests" \
	  "asan|$(GTEST_ENV) ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 $(B)/asan/ferrule_tests" \
	  "render-asan|$(GTEST_ENV) ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 $(B)/asan/ferrule_render_tests" \
	  "place-asan|$(GTEST_ENV) QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 $(B)/asan/ferrule_place_tests" \
	  "i686-linux|$(GTEST_ENV) scripts/x86_32.sh run $(B)/i686-linux/ferrule_tests" \
	  "win64|$(GTEST_ENV) FERRULE_WIN64_BUILD=$(B)/win64 scripts/win64_tests.sh" \
	  "win32-dll|scripts/check_exports.sh $(B)/win32-dll/Ferrule.dll" \
	  "dll32|$(GTEST_ENV) scripts/dll32_tests.sh" \
	  "fuzz|$(B)/fuzz/warp_fuzz -seed=1 -max_total_time=30 -timeout=5 -rss_limit_mb=2048 && echo 'passed 1, failed 0'" \
	  "layers|scripts/check_layers.sh"
	@scripts/test_ratio.sh | tail -n 1

clean:
	rm -rf $(B) out dist
