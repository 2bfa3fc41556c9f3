# TRUV: the two commands.
#   make run   installs what is missing, builds (Release) and starts truv
#   make test  installs what is missing, builds and runs every test through CTest
#   make test-sanitize  the core, ui and fuzz replay tests under AddressSanitizer and
#              UndefinedBehaviorSanitizer, in their own build directory

BUILD_DIR ?= build
JOBS      ?= 2

# Debian 12 packages: build tools, Qt 6 Widgets and D-Bus, Qt Charts and Qt SVG (the
# plots of truv-results; Qt Charts' CMake files need Qt OpenGL's, which qt6-base-dev
# only recommends), GoogleTest, Xlib with the screen saver and DPMS extensions,
# xcb's Present library; Qt's Wayland platform, the private header of Qt GUI's native interface, the
# Wayland client library with wayland-scanner and the protocols' descriptions
# (the common ones and KDE's);
# and for the system tests and screenshots an X server in memory, xdotool,
# ImageMagick, xprop and xwininfo, a window manager (openbox), a Wayland compositor
# with XWayland (weston), the GNOME compositor (mutter) with Python's D-Bus bindings
# for its remote desktop input, a private session bus with Python's GObject bindings
# for a stand-in screen saver service, Chromium (headless, to show truv-results' report)
# and pandas (to read its CSV exports back); clang-format 14 for the check that every
# source is formatted.
BUILD_PACKAGES = build-essential cmake pkg-config qt6-base-dev qt6-charts-dev qt6-svg-dev libqt6opengl6-dev libgtest-dev libx11-dev libxtst-dev libxss-dev libxext-dev libxcb-present-dev qt6-base-private-dev qt6-wayland libwayland-dev wayland-protocols plasma-wayland-protocols libwayland-bin fonts-dejavu-core fonts-liberation2
TEST_PACKAGES  = xvfb xauth xdotool imagemagick x11-utils openbox dbus-daemon python3-gi weston xwayland mutter python3-dbus clang-format-14 chromium python3-pandas

.PHONY: run test test-sanitize fuzz bench package build deps deps-test screenshots format clean

run: deps build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "truv needs a display, and none is set (DISPLAY is empty)."; \
	  echo "Start it from a desktop session, or in a virtual X server:"; \
	  echo "    xvfb-run -a -s '-screen 0 1280x1024x24' make run"; \
	  exit 1; \
	fi
	./$(BUILD_DIR)/truv

test: deps deps-test build
	cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS) --timeout 600

# The core, ui and fuzz replay tests built with AddressSanitizer (leaks included) and
# UndefinedBehaviorSanitizer: any report fails its test. Debug leaves the checks in
# Qt's headers on (QT_NO_DEBUG is not defined); -O1 keeps the sanitized tests quick
# while the frame pointers keep the reports' stacks whole. The system tests are left
# out: they drive a real X server and time it.
SANITIZE_BUILD_DIR ?= build-sanitize
SANITIZE_TESTS     ?= ^(core|ui|fuzz\.replay)\.
SANITIZE_ENV = \
  ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

test-sanitize: deps deps-test
	cmake -S . -B $(SANITIZE_BUILD_DIR) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DTRUV_SANITIZE=ON
	$(SANITIZE_ENV) cmake --build $(SANITIZE_BUILD_DIR) -j$(JOBS) --target sanitized_tests
	cd $(SANITIZE_BUILD_DIR) && $(SANITIZE_ENV) ctest --output-on-failure -j$(JOBS) --timeout 600 -R '$(SANITIZE_TESTS)'

# The fuzz targets (fuzz/): every reader under libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer, built with clang in build-fuzz, each run for
# FUZZ_SECONDS, FUZZ_JOBS at a time; a table of what each found, and a failure when
# anything was. CI runs make fuzz FUZZ_SECONDS=30.
FUZZ_SECONDS  ?= 300
FUZZ_JOBS     ?= 1
FUZZ_PACKAGES = clang libclang-rt-14-dev cmake

fuzz:
	@scripts/install-packages.sh $(FUZZ_PACKAGES)
	FUZZ_SECONDS=$(FUZZ_SECONDS) FUZZ_JOBS=$(FUZZ_JOBS) JOBS=$(JOBS) fuzz/run.sh

# The timing measurement, truv-timing, in a virtual X server: the real task window
# answered by key events injected at known instants, once on a quiet machine and once
# with two other processes kept busy; BENCH_ARGS passes its options: 15 trials a
# delay by default (under two minutes in all), --trials 60 or more for the figures the
# README reports (about eight minutes).
# Then truv-results reading and scoring a study of 1,000 runs (180,000 data lines) and
# making both CSV exports. With BENCH_LARGE=1 also what truv-results --csv-trials
# --csv-summary --html does (reading, both CSV exports, the HTML report with its
# charts, each file written) on studies of 1,000 and 16,400 runs, each in a process of
# its own: the seconds of each step and the peak memory (maximum resident set).
BENCH_ARGS ?= --trials 15
BENCH_LARGE ?=
bench: deps deps-test build
	tests/system/under_xvfb.sh $(BUILD_DIR)/tools/truv-timing $(BENCH_ARGS)
	tests/system/under_xvfb.sh $(BUILD_DIR)/tools/truv-timing --load 2 $(BENCH_ARGS)
	$(BUILD_DIR)/tests/results_bench
	@if [ "$(BENCH_LARGE)" = 1 ]; then \
	  for runs in 1000 16400; do \
	    echo "truv-results, reading + CSV + HTML report, $$runs runs:"; \
	    $(BUILD_DIR)/tests/results_bench --report $$runs || exit 1; \
	  done; \
	fi

# The Debian package, truv_<version>_<architecture>.deb, in $(BUILD_DIR).
package: deps build
	cd $(BUILD_DIR) && cpack -G DEB

build:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD_DIR) -j$(JOBS)

deps:
	@scripts/install-packages.sh $(BUILD_PACKAGES)

deps-test:
	@scripts/install-packages.sh $(TEST_PACKAGES)

# The screenshots in docs/screenshots/, taken from the real program under Xvfb.
screenshots: deps deps-test build
	scripts/take-screenshots.sh $(BUILD_DIR) docs/screenshots

# Formats every source with clang-format 14 (.clang-format); make test checks it.
format: deps-test
	scripts/format.sh

clean:
	rm -rf $(BUILD_DIR)
