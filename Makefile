# Entry points named in the README. Each one installs what is missing first.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

PREFIX ?= /usr/local

.PHONY: all setup build run test bench fuzz install package clean

all: build

setup:
	@scripts/setup-debian.sh

build: setup
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD_DIR) -j$(JOBS)

run: build
	$(BUILD_DIR)/bin/varnel-video-converter

# Widget tests run offscreen; tests that need a real X window get Xvfb.
test: build
	cd $(BUILD_DIR) && VARNEL_TEST_MARK=$$$$-$$(date +%s%N) xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure -j$(JOBS) --timeout 900

# The program folder goes to $(PREFIX)/lib/varnel-video-converter, the two commands
# to $(PREFIX)/bin, the desktop entry, icon, metainfo and manual pages under
# $(PREFIX)/share; binaries stripped, as a package has them.
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX) --strip

# A Debian package of the same install (lintian-clean: lintian build/*.deb).
package: build
	cd $(BUILD_DIR) && cpack -G DEB

# Each fuzz target for FUZZ_SECONDS (60 by default) with the sanitizers, in a
# clang build of its own: make fuzz FUZZ_SECONDS=300
FUZZ_SECONDS ?= 60
fuzz:
	@scripts/setup-debian.sh clang libclang-rt-dev
	@cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVARNEL_FUZZ=ON >/dev/null
	@cmake --build build-fuzz --target fuzz_targets -j$(JOBS)
	fuzz/run-fuzz.sh build-fuzz $(FUZZ_SECONDS)

bench: build
	@cmake --build $(BUILD_DIR) --target benchmarks -j$(JOBS)
	bench/run-all.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)
