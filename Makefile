# Thin front over the scripts in tools/. The DLL users get is the i686 build (build/i686), whose
# test programs are built beside it; the x86_64 twin of the same sources (build/x86_64) runs the
# same tests under the host's 64-bit Wine. Each command builds what it runs, and no more
# (tools/build-tree.sh).
JOBS ?= 2
export JOBS
MAKEFLAGS += --no-print-directory

.PHONY: all deps dll dist tests tests-x86_64 tests-i686 test test-i686 demo bench screenshots \
	clean

all: dll

deps:
	@tools/install-deps.sh

dll: deps
	@tools/build-tree.sh i686 Tolvanix

# The release archive users download, in build/dist/: its path and SHA-256.
dist: deps
	@tools/build-tree.sh i686 dist

tests: tests-x86_64 tests-i686

# Each tree's test programs; tools/test.sh builds them one at a time where it can start on the
# i686 list first.
tests-x86_64: deps
	@tools/build-tree.sh x86_64 --tests all

tests-i686: deps
	@tools/build-tree.sh i686 --tests dist all

# Every test: x86_64 under the host's Wine, the shipped i686 build under Wine 8 and Wine 10, or
# under the emulated i386 machine's Wine 8 where this kernel cannot run i386 programs.
test: deps
	@tools/test.sh

# The shipped i686 build's whole list in the emulated i386 machine, on any machine.
test-i686: deps
	@tools/test.sh emulated

# The plug-in in the stand-in host: the shipped DLL, or the x86_64 build where this kernel cannot
# run i386 programs; pictures in build/demo/ when there is no display.
demo: deps
	@tools/demo.sh

# What the plug-in costs the host, on the platform the demo takes; also saved to build/bench.txt.
bench: deps
	@tools/bench.sh

# Each dialog template in each language, as the virtual display shows it, in build/screenshots/.
screenshots: deps
	@tools/screenshots.sh

clean:
	rm -rf build
