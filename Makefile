# The two commands a new user runs; everything else is CMake (see CMakePresets.json).

BUILD_PACKAGES := make cmake g++ g++-mingw-w64-x86-64 googletest libgtest-dev
RUN_PACKAGES := wine64
INSTALL := sh cmake/install-deps.sh
MAKEFLAGS += --no-print-directory

.PHONY: demo test package module native-tests build-deps run-deps clean

# The settings the demo's module reads: the shipped sample unless SETTINGS names another file.
SETTINGS ?= package/StickShift.ini

demo: module run-deps
	@sh cmake/run-demo.sh build/windows "$(SETTINGS)"
	@echo "The module itself: build/windows/StickShift.dll (make package: the zip for Windows)"

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
