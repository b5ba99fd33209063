# Thin wrappers over scripts/install-deps, CMake and CTest.
# build/ is the optimised build that `make run` starts and `make install` installs; the tests build their own
# Debug tree and a sanitizer tree.
BUILD    ?= build
TESTS    ?= build-tests
ASAN     ?= build-asan
RELEASE  ?= build-release
DEB      ?= build-deb
JOBS     ?= $(shell nproc)

.PHONY: deps build run test test-main test-asan bench soak clean install uninstall deb

deps:
	@scripts/install-deps

# Only what `make run` starts and `make install` copies: the program, make-data and the data file it makes; the test
# programs are built by `make test` in their own tree.
build: deps
	@grep -qs '^CMAKE_BUILD_TYPE:STRING=RelWithDebInfo$$' $(BUILD)/CMakeCache.txt || \
	    cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTEVU_BENCH=OFF
	cmake --build $(BUILD) -j $(JOBS) --target tevu tevu_database

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	    echo "没有图形显示环境：可以用  xvfb-run -a -s '-screen 0 1024x768x24' $(BUILD)/tevu  在虚拟显示上运行 Tevu"; \
	    exit 1; \
	fi
	-@$(BUILD)/tools/make-data/make-data --upgrade $(BUILD)/data.Mdb
	cd $(BUILD) && ./tevu

# Every test in the normal build, then the whole suite again under AddressSanitizer and UBSan.
test: test-main test-asan

test-main: deps
	@[ -f $(TESTS)/build.ninja ] || cmake -S . -B $(TESTS) -G Ninja -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(TESTS) -j $(JOBS)
	cd $(TESTS) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-asan: deps
	@[ -f $(ASAN)/build.ninja ] || cmake -S . -B $(ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTEVU_SANITIZE=ON -DTEVU_BENCH=OFF
	cmake --build $(ASAN) -j $(JOBS)
	cd $(ASAN) && QT_QPA_PLATFORM=offscreen \
	    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	    LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizer/lsan.supp:print_suppressions=0 \
	    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:suppressions=$(CURDIR)/tests/sanitizer/ubsan.supp \
	    ctest --output-on-failure -j $(JOBS) -LE long

bench: deps
	@[ -f $(RELEASE)/build.ninja ] || cmake -S . -B $(RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE) -j $(JOBS) --target tevu_bench tevu_bench_startup tevu_bench_window tevu_bench_energy tevu_database
	bench/run $(RELEASE)

soak: deps
	@[ -f $(TESTS)/build.ninja ] || cmake -S . -B $(TESTS) -G Ninja -DCMAKE_BUILD_TYPE=Debug
	tests/reliability/soak $(TESTS)

clean:
	rm -rf $(BUILD) $(TESTS) $(ASAN) $(RELEASE) $(DEB)

# make install PREFIX=...: no root needed for the default prefix.
PREFIX   ?= $(HOME)/.local

# The optimised build, stripped of its debug information.
install: build
	cmake --install $(BUILD) --prefix "$(PREFIX)" --strip

uninstall:
	@scripts/uninstall "$(PREFIX)"

# The Debian package from an optimised build with all of Debian's hardening flags, checked by lintian.
deb: export DEB_BUILD_MAINT_OPTIONS = hardening=+all
deb: deps
	@[ -f $(DEB)/build.ninja ] || cmake -S . -B $(DEB) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTEVU_BENCH=OFF \
	    -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CXXFLAGS)" \
	    -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)"
	cmake --build $(DEB) -j $(JOBS) --target tevu make-data
	rm -f $(DEB)/package/tevu_*.deb
	cd $(DEB) && cpack
	lintian --fail-on error $(DEB)/package/tevu_*.deb
	@ls $(DEB)/package/tevu_*.deb
