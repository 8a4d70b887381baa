# The two commands a new user runs; everything else is CMake (see CMakePresets.json).

BUILD_PACKAGES := make cmake g++ clang libclang-rt-dev g++-mingw-w64-x86-64 g++-mingw-w64-i686 \
	googletest libgtest-dev
# The Display tests need an X server (Xvfb).
RUN_PACKAGES := wine64 xvfb xauth
INSTALL := sh cmake/install-deps.sh
MAKEFLAGS += --no-print-directory

.PHONY: demo test bench package stage module module-x86 native-tests build-deps run-deps \
	test-root clean

# The settings the demo's module reads: the shipped sample unless SETTINGS names another file.
SETTINGS ?= package/StickShift.ini
# The Debian 13 root whose Wine runs the 32-bit suite by WoW64, made once (cmake/wow64-root.sh).
WOW64_ROOT := build/wow64-root

demo: module run-deps
	@sh cmake/run-demo.sh build/windows "$(SETTINGS)"
	@echo "The module itself: build/windows/StickShift.dll (make package: the zip for Windows)"

# Long runs of the robustness checks, then the module's cost and reaction under Wine.
bench: native-tests module module-x86 run-deps
	STICKSHIFT_PROPERTY_PATHS=100000 build/native/tests/unit/StickShiftUnitTests \
		--gtest_filter='KeyDecisionProperty.*'
	build/native/tests/fuzz/FuzzSettingsRules -max_total_time=180 -print_final_stats=1 \
		-artifact_prefix=build/
	@# The readers of game files and the settings editor, from their seeds: the closing DONE line
	@# gives the edges covered (cov), and the final stats the executions.
	@for target in FuzzFileReaders FuzzSettingsEdit; do \
		mkdir -p build/native/tests/fuzz/$$target-corpus; \
		build/native/tests/fuzz/$$target -max_total_time=120 -print_final_stats=1 \
			-artifact_prefix=build/ build/native/tests/fuzz/$$target-corpus \
			tests/fuzz/seeds/$$target >build/$$target.log 2>&1; status=$$?; \
		echo "$$target:"; grep -E 'DONE|stat::number_of_executed_units' build/$$target.log; \
		[ $$status -eq 0 ] || { tail -n 40 build/$$target.log; exit 1; }; \
	done
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

# Unit tests natively, then the real module under Wine, 64-bit and 32-bit. The 32-bit files run
# as 64-bit Windows runs them, in a 64-bit prefix, by the WoW64 of the Wine in the test root,
# which needs no 32-bit Linux code: the same on every x86-64 machine.
test: native-tests stage run-deps test-root
	ctest --preset windows
	ctest --preset windows-x86

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

test-root:
	@sh cmake/wow64-root.sh $(WOW64_ROOT)

clean:
	rm -rf build dist
