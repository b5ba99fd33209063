# Thin wrappers over scripts/install-deps, CMake and CTest.
BUILD    ?= build
JOBS     ?= $(shell nproc)
CMAKE_GEN = cmake -S . -B $(BUILD) -G Ninja

.PHONY: deps build run test asan bench soak clean

deps:
	@scripts/install-deps

build: deps
	@[ -f $(BUILD)/build.ninja ] || $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	    echo "No display here: start Tevu on a virtual one with  xvfb-run -s '-screen 0 1024x768x24' $(BUILD)/tevu"; \
	    exit 1; \
	fi
	cd $(BUILD) && ./tevu

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD)
