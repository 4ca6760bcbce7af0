# Thin front over CMake. The DLL users get is the i686 build (build/i686), whose test programs
# are built beside it; the x86_64 twin of the same sources (build/x86_64) runs the same tests
# under the host's 64-bit Wine. tools/test.sh runs them all.
I686 := build/i686
X64 := build/x86_64
DIST := $(CURDIR)/build/dist
JOBS ?= 2
MAKEFLAGS += --no-print-directory
# CMake's configure lines say only what it found; its errors still show.
QUIET_CONFIGURE := >/dev/null
# The toolchain is named when a tree is first made; CMake keeps it.
toolchain = $(if $(wildcard $(1)/CMakeCache.txt),,-DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-$(2).cmake)

.PHONY: all deps dll dist tests tests-x86_64 tests-i686 test test-i686 demo bench screenshots \
	clean

all: dll

deps:
	@tools/install-deps.sh

dll: deps
	@cmake -S . -B $(I686) $(call toolchain,$(I686),i686) -DTOLVANIX_DIST_DIR=$(DIST) \
		$(QUIET_CONFIGURE)
	@cmake --build $(I686) -j$(JOBS) --target Tolvanix

# The release archive users download, in build/dist/: its path and SHA-256.
dist: dll
	@cmake --build $(I686) --target dist

tests: tests-x86_64 tests-i686

# Each tree's test programs; tools/test.sh builds them one at a time where it can start on the
# i686 list first.
tests-x86_64: deps
	@cmake -S . -B $(X64) $(call toolchain,$(X64),x86_64) -DTOLVANIX_TESTS=ON \
		-DTOLVANIX_DIST_DIR=$(DIST) $(QUIET_CONFIGURE)
	@cmake --build $(X64) -j$(JOBS)

tests-i686: dist
	@cmake -S . -B $(I686) -DTOLVANIX_TESTS=ON $(QUIET_CONFIGURE)
	@cmake --build $(I686) -j$(JOBS)

# Every test: x86_64 under the host's Wine, the shipped i686 build under Wine 8 and Wine 10, or
# under the emulated i386 machine's Wine 8 where this kernel cannot run i386 programs.
test: deps
	@JOBS=$(JOBS) tools/test.sh

# The shipped i686 build's whole list in the emulated i386 machine, on any machine.
test-i686: deps
	@JOBS=$(JOBS) tools/test.sh emulated

# The plug-in in the stand-in host: the shipped DLL, or the x86_64 build where this kernel cannot
# run i386 programs; pictures in build/demo/ when there is no display.
demo: tests
	@tools/demo.sh

# What the plug-in costs the host, on the platform the demo takes; also saved to build/bench.txt.
bench: tests
	@tools/bench.sh

# Each dialog template in each language, as the virtual display shows it.
screenshots: tests
	@mkdir -p build/screenshots
	@tools/with-wine.sh sh -c 'for lang in en ja; do \
		if [ $$lang = ja ]; then export LC_ALL=ja_JP.UTF-8; fi; \
		tools/on-platform.sh x86_64 wine $(X64)/dialog_snapshots.exe \
			"Z:$(CURDIR)/build/screenshots" $$lang; done'
	@for bmp in build/screenshots/*.bmp; do convert "$$bmp" "$${bmp%.bmp}.png" && rm "$$bmp"; done
	@ls build/screenshots/*.png

clean:
	rm -rf build
