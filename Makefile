# Two commands for a newcomer: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: deps configure build run demo demo-linuxcnc test sanitize fuzz bench clean

deps:
	@sh tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/src/tarvex $(ARGS)

# Tarvex at work on a demonstration setup: scans from the virtual scanner, then the work list.
demo: build
	@sh tools/demo.sh $(BUILD)

# A scanned work list run by a headless LinuxCNC simulation; installs LinuxCNC when missing.
demo-linuxcnc: build
	@sh tools/install-deps.sh linuxcnc
	@sh tools/demo-linuxcnc.sh $(BUILD)

# The LinuxCNC tests need LinuxCNC itself, the production record's tests a PostgreSQL server.
test: build
	@sh tools/install-deps.sh test
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The whole test suite once more, built by clang with AddressSanitizer and UndefinedBehaviorSanitizer;
# not the tests with LinuxCNC (label linuxcnc): they run the same code as the suite, through a real
# LinuxCNC whose own timing they wait on, and have run once in "make test".
SANITIZE_BUILD ?= build-sanitize
SANITIZE_FLAGS = -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
sanitize:
	@TARVEX_EXTRA_PACKAGES="clang libclang-rt-14-dev" sh tools/install-deps.sh
	@cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE_FLAGS)" >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizer/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -j $(JOBS) --label-exclude linuxcnc

# Each fuzz target (tests/fuzz) for FUZZ_SECONDS on a copy of its corpus; fails on any crash.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = fuzz_payload fuzz_program_header fuzz_ini fuzz_intake fuzz_history
fuzz:
	@TARVEX_EXTRA_PACKAGES="clang libclang-rt-14-dev" sh tools/install-deps.sh
	@cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DTARVEX_TESTS=OFF -DTARVEX_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers
	sh tests/fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# Speed measurements (Google Benchmark); BENCH_ARGS passes options, e.g. --benchmark_filter=Payload.
bench: configure
	@cmake -S . -B $(BUILD) -DTARVEX_BENCH=ON >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target tarvex_bench
	$(BUILD)/bench/tarvex_bench $(BENCH_ARGS)

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD)

# The Debian package tarvex_<version>-<revision>_<arch>.deb, built without the tests in its own
# folder, with Debian's hardening flags, and left in the project folder. Its library dependencies
# are found by dpkg-shlibdeps.
PACKAGE_BUILD ?= build-package
HARDENING_CXXFLAGS = -D_FORTIFY_SOURCE=2 -fstack-protector-strong -Wformat -Werror=format-security
HARDENING_LDFLAGS = -Wl,-z,relro -Wl,-z,now
.PHONY: package package-clean package-lint
package: deps
	@cmake -S . -B $(PACKAGE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVEX_TESTS=OFF \
	  -DCMAKE_CXX_FLAGS="$(HARDENING_CXXFLAGS)" -DCMAKE_EXE_LINKER_FLAGS="$(HARDENING_LDFLAGS)" >/dev/null
	@cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	@rm -f $(PACKAGE_BUILD)/tarvex_*.deb
	@cd $(PACKAGE_BUILD) && cpack -G DEB >/dev/null
	@cp $(PACKAGE_BUILD)/tarvex_*.deb .
	@ls $(CURDIR)/$$(cd $(PACKAGE_BUILD) && ls tarvex_*.deb)

# lintian on the package: an error fails, warnings are shown.
package-lint: package
	@TARVEX_EXTRA_PACKAGES=lintian sh tools/install-deps.sh
	lintian --fail-on error tarvex_*.deb

package-clean:
	rm -rf $(PACKAGE_BUILD) tarvex_*.deb
