# Thin front over CMake. The DLL users get is the i686 build; tests run the x86_64 twin
# of the same sources under 64-bit Wine.
I686 := build/i686
X64 := build/x86_64
DIST := $(CURDIR)/build/dist
JOBS ?= 2

.PHONY: all deps dll dist tests test test-i686 demo bench screenshots clean

all: dll

deps:
	@tools/install-deps.sh

dll: deps
	@cmake -S . -B $(I686) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686.cmake \
		-DTOLVANIX_DIST_DIR=$(DIST) >/dev/null
	@cmake --build $(I686) -j$(JOBS)

# The release archive users download, in build/dist/: its path and SHA-256.
dist: dll
	@cmake --build $(I686) --target dist

tests: dist
	@cmake -S . -B $(X64) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64.cmake \
		-DTOLVANIX_TESTS=ON -DTOLVANIX_I686_DLL=$(CURDIR)/$(I686)/Tolvanix.dll \
		-DTOLVANIX_DIST_DIR=$(DIST) >/dev/null
	@cmake --build $(X64) -j$(JOBS)

# Wine's own error messages go with a failing test's output.
test: tests
	@WINEDEBUG=-all,err+all tools/with-wine.sh ctest --test-dir $(X64) --output-on-failure

# The shipped i686 DLL itself, under 32-bit Wine in an emulated i386 machine.
I686_TESTS := build/i686-tests
VM_JOB := $(CURDIR)/$(I686_TESTS)/job
test-i686: dist
	@cmake -S . -B $(I686_TESTS) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686.cmake \
		-DTOLVANIX_TESTS=ON -DTOLVANIX_VM_JOB=$(VM_JOB) -DTOLVANIX_DIST_DIR=$(DIST) >/dev/null
	@cmake --build $(I686_TESTS) -j$(JOBS) --target plugin_module_tests bind_refused_tests \
		setup_dialog_tests exit_sequence_tests process_end_tests exit_child
	@rm -rf $(VM_JOB)/results
	@cp $(I686_TESTS)/*_tests.exe $(I686_TESTS)/exit_child.exe $(I686)/Tolvanix.dll $(VM_JOB)/
	@tools/i386/vm.sh run $(VM_JOB)
	@ctest --test-dir $(I686_TESTS) --output-on-failure

# The plug-in in the stand-in host; pictures in build/demo/ when there is no display.
demo: tests
	@tools/demo.sh

# What the plug-in costs the host, measured under Wine; also saved to build/bench.txt.
bench: tests
	@tools/bench.sh

# Each dialog template in each language, as the virtual display shows it.
screenshots: tests
	@mkdir -p build/screenshots
	@tools/with-wine.sh sh -c 'for lang in en ja; do \
		if [ $$lang = ja ]; then export LC_ALL=ja_JP.UTF-8; fi; \
		wine $(X64)/dialog_snapshots.exe "Z:$(CURDIR)/build/screenshots" $$lang; done' >/dev/null
	@for bmp in build/screenshots/*.bmp; do convert "$$bmp" "$${bmp%.bmp}.png" && rm "$$bmp"; done
	@ls build/screenshots/*.png

clean:
	rm -rf build
