# The two commands a new user runs; everything else is CMake (see CMakePresets.json).

BUILD_PACKAGES := make cmake g++ clang libclang-rt-dev g++-mingw-w64-x86-64 g++-mingw-w64-i686 \
	googletest libgtest-dev
# The Display tests need an X server (Xvfb). wine32:i386 runs the 32-bit module; where it cannot
# be installed (its index missing from a mirror in mid-sync, say), the 32-bit suite is not run,
# and make test says so.
RUN_PACKAGES := wine64 xvfb xauth
RUN_PACKAGES_32 := wine32:i386
INSTALL := sh cmake/install-deps.sh
MAKEFLAGS += --no-print-directory

.PHONY: demo test bench package stage module module-x86 native-tests build-deps run-deps clean

# The settings the demo's module reads: the shipped sample unless SETTINGS names another file.
SETTINGS ?= package/StickShift.ini
# 32-bit Wine's loader (Debian package wine32:i386).
WINE32 := /usr/lib/wine/wine

demo: module run-deps
	@sh cmake/run-demo.sh build/windows "$(SETTINGS)"
	@echo "The module itself: build/windows/StickShift.dll (make package: the zip for Windows)"

# Long runs of the robustness checks, then the module's cost and reaction under Wine.
bench: native-tests module module-x86 run-deps
	STICKSHIFT_PROPERTY_PATHS=100000 build/native/tests/unit/StickShiftUnitTests \
		--gtest_filter='KeyDecisionProperty.*'
	build/native/tests/fuzz/FuzzSettingsRules -max_total_time=180 -print_final_stats=1 \
		-artifact_prefix=build/
	STICKSHIFT_SOAK_SECONDS=60 ctest --preset windows -R '^Soak\.' --verbose
	sh cmake/run-bench.sh build/windows build/bench.json

# One zip for both architectures, laid out in build/package, from which the tests install too.
package: stage
	rm -rf dist
	mkdir -p dist
	cd build/package && cmake -E tar cf ../../dist/StickShift-$$(cat ../windows/package-files/version.txt).zip \
		--format=zip .
	@ls dist/*.zip

stage: module module-x86
	@sh cmake/stage-package.sh build/package build/windows build/windows-x86

# Unit tests natively, then the real module under Wine, 64-bit and 32-bit. 32-bit Wine needs a
# kernel that runs 32-bit programs; where it cannot start, the 32-bit suite is not run and the
# reason is said, and only the shape of the 32-bit build is checked.
test: native-tests stage run-deps
	ctest --preset windows
	@if $(WINE32) --version >/dev/null 2>&1; then \
		ctest --preset windows-x86; \
	else \
		echo "NOT RUN: the 32-bit end-to-end suite: 32-bit Wine ($(WINE32)) is not installed or"; \
		echo "cannot start on this machine (a Linux kernel with ia32 emulation off runs no 32-bit"; \
		echo "program)."; \
		for shipped in StickShift.dll:plugin no-loader/xinput1_4.dll:noloader \
			StickShiftProbe.exe:program StickShift.exe:program; do \
			sh tests/wine/check-module-shape.sh i686-w64-mingw32-objdump \
				build/windows-x86/$${shipped%:*} 32 $${shipped#*:} || exit 1; \
		done; \
	fi

module: build-deps
	cmake --preset windows
	cmake --build --preset windows

# The same module for 32-bit games.
module-x86: build-deps
	cmake --preset windows-x86
	cmake --build --preset windows-x86

native-tests: build-deps
	cmake --preset native
	cmake --build --preset native
	ctest --preset native

build-deps:
	@$(INSTALL) $(BUILD_PACKAGES)

run-deps:
	@$(INSTALL) $(RUN_PACKAGES)
	@$(INSTALL) $(RUN_PACKAGES_32) || echo "Could not install $(RUN_PACKAGES_32): the 32-bit suite will not run"

clean:
	rm -rf build dist
