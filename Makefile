# TRUV: the two commands.
#   make run   installs what is missing, builds (Release) and starts truv
#   make test  installs what is missing, builds and runs every test through CTest

BUILD_DIR ?= build
JOBS      ?= 2

# Debian 12 packages: build tools, Qt 6 Widgets, GoogleTest, Xlib; and for the
# system tests and screenshots an X server in memory, xdotool and ImageMagick.
BUILD_PACKAGES = build-essential cmake pkg-config qt6-base-dev libgtest-dev libx11-dev libxtst-dev fonts-dejavu-core fonts-liberation2
TEST_PACKAGES  = xvfb xauth xdotool imagemagick

.PHONY: run test bench package build deps deps-test screenshots clean

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

# The timing measurement, truv-timing, in a virtual X server: the real task window
# answered by key events injected at known instants. BENCH_ARGS passes its options
# (--trials N, --mode sleep|poll|both).
bench: deps deps-test build
	tests/system/under_xvfb.sh $(BUILD_DIR)/tools/truv-timing $(BENCH_ARGS)

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

clean:
	rm -rf $(BUILD_DIR)
