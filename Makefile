# The two commands a new user runs; everything else is CMake (see CMakePresets.json).

BUILD_PACKAGES := make cmake g++ clang libclang-rt-dev g++-mingw-w64-x86-64 googletest libgtest-dev
RUN_PACKAGES := wine64 xvfb xauth
INSTALL := sh cmake/install-deps.sh
MAKEFLAGS += --no-print-directory

.PHONY: demo test bench package module native-tests build-deps run-deps clean

# The settings the demo's module reads: the shipped sample unless SETTINGS names another file.
SETTINGS ?= package/StickShift.ini

demo: module run-deps
	@sh cmake/run-demo.sh build/windows "$(SETTINGS)"
	@echo "The module itself: build/windows/StickShift.dll (make package: the zip for Windows)"

# Long runs of the robustness checks, then the module's cost and reaction under Wine.
bench: native-tests module run-deps
	STICKSHIFT_PROPERTY_PATHS=100000 build/native/tests/unit/StickShiftUnitTests \
		--gtest_filter='ShiftDecisionProperty.*'
	build/native/tests/fuzz/FuzzSettingsRules -max_total_time=180 -print_final_stats=1 \
		-artifact_prefix=build/
	STICKSHIFT_SOAK_SECONDS=60 ctest --preset windows -R '^Soak\.' --verbose
	sh cmake/run-bench.sh build/windows build/bench.json

package: module
	rm -rf dist
	cpack --config build/windows/CPackConfig.cmake -B dist
	rm -rf dist/_CPack_Packages

# Unit tests natively, then the real module under Wine.
test: native-tests module run-deps
	ctest --preset windows

module: build-deps
	cmake --preset windows
	cmake --build --preset windows

native-tests: build-deps
	cmake --preset native
	cmake --build --preset native
	ctest --preset native

build-deps:
	@$(INSTALL) $(BUILD_PACKAGES)

run-deps:
	@$(INSTALL) $(RUN_PACKAGES)

clean:
	rm -rf build dist
