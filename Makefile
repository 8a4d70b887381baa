# The two commands a new user runs; everything else is CMake (see CMakePresets.json).

BUILD_PACKAGES := make cmake g++ g++-mingw-w64-x86-64 googletest libgtest-dev
RUN_PACKAGES := wine64
INSTALL := sh cmake/install-deps.sh

.PHONY: demo test module native-tests build-deps run-deps clean

demo: module
	@echo
	@echo "Built build/windows/StickShift.dll"
	@echo "Install: copy it into the game's plug-in folder (where its plug-in loader looks),"
	@echo "optionally with a StickShift.ini beside it; see README.md."

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
