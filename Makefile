# make run: install what is missing, build, start Velcaro.
# make test: install what is missing, build, run every test.
# make package: the same build, then the Debian package, checked by lintian.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all bootstrap build run test bench package fuzz format clean

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
	@scripts/run-benchmarks $(BUILD)

package: build
	@cd $(BUILD) && cpack -G DEB
	@lintian --info $(BUILD)/velcaro_*.deb

fuzz: bootstrap
	@scripts/fuzz-rtf

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD)
