# make run: install what is missing, build, start Velcaro.
# make test: install what is missing, build, run every test.
# make package: the same build, then the Debian package, checked by lintian.
# make check-sanitizers: the whole suite built with ASan and UBSan, in build-asan (slow).
# make check-debian13: make test in a fresh Debian 13 root made by debootstrap (REUSE=1 keeps
#   the root of an earlier run, PACKAGE=1 also builds and checks the package there).
# make check-wayland: the typical use under weston (X11 backend, nested in Xvfb), by keyboard.
# make fuzz FUZZ_TARGET=rtf_reader|html_to_rtf|css_style FUZZ_SECONDS=600: one fuzz target.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all bootstrap build run test check-sanitizers check-wayland check-debian13 bench package \
	fuzz format clean

all: build

bootstrap:
	@scripts/bootstrap

build: bootstrap
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	@$(BUILD)/src/velcaro

test: build
	@cd $(BUILD) && ctest --output-on-failure -j$(JOBS) --timeout 600

bench: build
	@scripts/bootstrap --bench $(BUILD)/bench-node
	@scripts/run-benchmarks $(BUILD)

package: build
	@cd $(BUILD) && cpack -G DEB
	@lintian --info $(BUILD)/velcaro_*.deb

# Not reported: leaks (the engine's in-process part leaks by design at exit) and
# new-delete-type-mismatch, which the engine's own code (libQt6WebEngineCore, destroying a
# page) triggers on Debian's build. Every other ASan and UBSan finding fails the test. The
# tests run one at a time: instrumented, the engine tests side by side outgrow their time-outs.
SANITIZE = -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined
check-sanitizers: bootstrap
	@cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="$(SANITIZE)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE)" -DCMAKE_MODULE_LINKER_FLAGS="$(SANITIZE)" \
	  -DCMAKE_SHARED_LINKER_FLAGS="$(SANITIZE)" >/dev/null
	@cmake --build build-asan -j$(JOBS)
	@cd build-asan && ASAN_OPTIONS=detect_leaks=0:new_delete_type_mismatch=0:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j1 --timeout 1800

# Not part of make test: it drives real windows with timed key strokes, and needs weston,
# Xvfb, xdotool, xwininfo and ImageMagick's import (apt: weston xvfb xdotool x11-utils
# imagemagick).
check-wayland: build
	@scripts/check-wayland $(BUILD)

# Needs root rights and Debian's mirror; the root (a few GB, deb13-root beside the repository
# unless DEBIAN13_ROOT names another folder) is never inside the repository.
check-debian13:
	@scripts/check-debian13 $(if $(REUSE),--reuse) $(if $(PACKAGE),--package) $(DEBIAN13_ROOT)

FUZZ_TARGET ?= rtf_reader
FUZZ_SECONDS ?= 600
fuzz:
	@scripts/bootstrap --fuzz
	@scripts/fuzz-rtf $(FUZZ_TARGET) $(FUZZ_SECONDS)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD)
