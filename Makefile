# The two everyday commands: `make demo` and `make test`.
JOBS ?= $(shell nproc)
MAKEFLAGS += --no-print-directory
PACKAGES := cmake make g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev \
            libjavascriptcoregtk-4.1-dev libgumbo-dev \
            libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev gstreamer1.0-tools \
            gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad \
            gstreamer1.0-x libsoup-3.0-dev \
            libwebkit2gtk-4.1-dev xvfb xauth
ARMHF_PACKAGES := cmake make g++ crossbuild-essential-armhf qemu-user libgtest-dev

.PHONY: all deps build test test-sanitizers test-asan test-tsan demo tv test-armhf clean

all: build

deps:
	@tools/install-packages.sh $(PACKAGES)

build: deps
	@cmake --preset default >/dev/null
	@cmake --build --preset default -j $(JOBS)

test: build
	@ctest --preset default -j $(JOBS)

test-asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)
	@ctest --preset asan -j $(JOBS)

test-tsan: deps
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan -j $(JOBS)
	@ctest --preset tsan -j $(JOBS)

test-sanitizers: test-asan test-tsan

# The demo plays a generated clip with the GStreamer player and writes two
# pictures of the video plane; `make demo PLAYER=sim` runs the simulated one.
PLAYER ?= gst
DEMO_MEDIA := build/default/tests/players/gst/media
DEMO_SNAPSHOTS := build/default/demo-snapshots
DEMO_GST := GST_REGISTRY=$(CURDIR)/build/default/gst-registry.bin

demo: build
ifeq ($(PLAYER),sim)
	@build/default/tvhost/tvhost --time-scale 4 examples/player.html
else
	@test -s $(DEMO_MEDIA)/bars.mp4 || $(DEMO_GST) tools/make-player-test-media.sh $(DEMO_MEDIA)
	@$(DEMO_GST) build/default/tvhost/tvhost --player gst --snapshot-dir $(DEMO_SNAPSHOTS) \
	  --arg file://$(abspath $(DEMO_MEDIA))/bars.mp4 examples/player-gst.html
endif

# The demo page in tvbrowser's window, driven by the keyboard; HEADLESS=1
# runs it in tvbrowser's own virtual display.
tv: build
ifeq ($(HEADLESS),1)
	@env -u DISPLAY build/default/tvbrowser/tvbrowser --headless --time-scale 4 examples/player.html
else
	@build/default/tvbrowser/tvbrowser --time-scale 4 --timeout 3600 examples/player.html
endif

test-armhf:
	@tools/install-packages.sh $(ARMHF_PACKAGES)
	@cmake --preset armhf >/dev/null
	@cmake --build --preset armhf -j $(JOBS)
	@ctest --preset armhf -j $(JOBS) --timeout 300

clean:
	rm -rf build
