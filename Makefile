# The two set-up commands of the README: `make run` and `make test`.
BUILD_DIR := build
PACKAGES := cmake ninja-build g++ pkg-config qt6-base-dev qt6-multimedia-dev qt6-speech-dev \
            qt6-declarative-dev qt6-speech-flite-plugin qt6-qpa-plugins libgtest-dev \
            libgmock-dev libbenchmark-dev nlohmann-json3-dev
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# Only `make package` needs these: the Debian package tools (dpkg-shlibdeps computes Depends and
# needs `file`), the icon renderer and the validators of the desktop entry and the metadata.
PACKAGE_PACKAGES := dpkg-dev file librsvg2-bin desktop-file-utils appstream

SANITIZE_DIR := build-sanitize
# The sanitizers' settings for the sanitized programs, their test listing and their runs.
SANITIZE_ENV := ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1 \
                LSAN_OPTIONS=suppressions=$(CURDIR)/sanitize/lsan.supp \
                UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:suppressions=$(CURDIR)/sanitize/ubsan.supp

# Only `make fuzz` needs these: clang with libFuzzer and the sanitizer runtimes, and
# llvm-symbolizer for readable reports.
FUZZ_PACKAGES := clang libclang-rt-14-dev llvm
FUZZ_DIR := build-fuzz
FUZZ_SECONDS ?= 60

# LinuxCNC for `make linuxcnc-sim` (its headless simulated machine, without the desktop extras
# it recommends), and procps for the script's check that nothing of it is left running; the
# tests that need it carry the CTest label "linuxcnc".
LINUXCNC_PACKAGES := linuxcnc-uspace procps
LINUXCNC_RUN_DIR := $(BUILD_DIR)/linuxcnc-sim

.PHONY: deps fuzz-deps package-deps configure build run test bench sanitize fuzz package format \
        clean linuxcnc-deps linuxcnc-sim linuxcnc-sim-stop linuxcnc-test

# $(call install_missing,PACKAGES[,APT OPTIONS]): installs those of the Debian packages that are
# missing.
define install_missing
	@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y $(2) $$missing; \
	fi
endef

deps:
	$(call install_missing,$(PACKAGES))

fuzz-deps:
	$(call install_missing,$(PACKAGES) $(FUZZ_PACKAGES))

package-deps:
	$(call install_missing,$(PACKAGES) $(PACKAGE_PACKAGES))

configure: deps
	@[ -f $(BUILD_DIR)/build.ninja ] || cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD_DIR)

run: build
	$(BUILD_DIR)/bin/Corvane2

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j$$(nproc) -LE linuxcnc

bench: build
	@for b in $(BUILD_DIR)/bin/bench_*; do echo "== $$b"; $$b; done

# Every program and test built with AddressSanitizer and UndefinedBehaviorSanitizer in its own
# folder, then every test run; any report fails the run.
sanitize: deps
	@[ -f $(SANITIZE_DIR)/build.ninja ] || cmake -S . -B $(SANITIZE_DIR) -G Ninja \
	  -DCMAKE_BUILD_TYPE=Release -DCORVANE_SANITIZE=ON
	$(SANITIZE_ENV) cmake --build $(SANITIZE_DIR)
	$(SANITIZE_ENV) ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j2 -LE linuxcnc

# Every reader's fuzzing harness for FUZZ_SECONDS each, in a clang build of its own.
fuzz: fuzz-deps
	@[ -f $(FUZZ_DIR)/build.ninja ] || cmake -S . -B $(FUZZ_DIR) -G Ninja \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DCORVANE_FUZZ=ON
	cmake --build $(FUZZ_DIR) --target fuzzers
	fuzz/run.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

linuxcnc-deps:
	$(call install_missing,$(LINUXCNC_PACKAGES),--no-install-recommends)

# LinuxCNC headless in the background with the demo machine's configuration (linuxcnc/config),
# its remote shell on port 5007; returns once it answers. As root it runs as an ordinary user.
linuxcnc-sim: build linuxcnc-deps
	linuxcnc/linuxcnc-sim.sh start $(LINUXCNC_RUN_DIR)

# Stops it through its own shell and checks that nothing of it is left running.
linuxcnc-sim-stop:
	linuxcnc/linuxcnc-sim.sh stop $(LINUXCNC_RUN_DIR)

# The integration test against the LinuxCNC that `make linuxcnc-sim` started.
linuxcnc-test: build
	CORVANE_LINUXCNC_EXPECTED=1 ctest --test-dir $(BUILD_DIR) --output-on-failure -L linuxcnc

# The Debian package, build/package/corvane2_<version>_<arch>.deb. Configuring again finds the
# packaging tools that package-deps may just have installed.
package: package-deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD_DIR) --target package_files
	cd $(BUILD_DIR) && cpack --config CPackConfig.cmake

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR)
