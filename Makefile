# The two everyday commands: `make demo` and `make test`.
JOBS ?= $(shell nproc)
MAKEFLAGS += --no-print-directory
PACKAGES := cmake make g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev \
            libjavascriptcoregtk-4.1-dev libgumbo-dev \
            libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev gstreamer1.0-tools \
            gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad \
            gstreamer1.0-x libsoup-3.0-dev \
            libwebkit2gtk-4.1-dev libcairo2-dev xvfb xauth
# The fuzzers build with Debian's clang and its libFuzzer runtime.
FUZZ_PACKAGES := $(PACKAGES) clang-14 libclang-rt-14-dev
ARMHF_PACKAGES := cmake make g++ crossbuild-essential-armhf qemu-user libgtest-dev

.PHONY: all deps build test test-sanitizers test-asan test-tsan demo tv test-armhf fuzz bench \
        soak soak-asan soak-tsan clean

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

# The soak: objects created and destroyed under an event flood for
# SOAK_SECONDS. Natively it also holds the event rate and resident memory
# to their limits; the sanitizers slow it and keep memory of their own, so
# there it checks order, exactly-once delivery and progress only.
SOAK_SECONDS ?= 60
SOAK_UNCHECKED := --min-rate 0 --max-rss-growth-kb 0

soak: build
	@build/default/tests/soak/module_soak --seconds $(SOAK_SECONDS)

soak-asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS) --target module_soak
	@build/asan/tests/soak/module_soak --seconds $(SOAK_SECONDS) $(SOAK_UNCHECKED)

soak-tsan: deps
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan -j $(JOBS) --target module_soak
	@build/tsan/tests/soak/module_soak --seconds $(SOAK_SECONDS) $(SOAK_UNCHECKED)

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

# The demo page, then the remote-control TV app, in tvbrowser's window,
# driven by the keyboard; HEADLESS=1 runs them in tvbrowser's own virtual
# display, the app through a key sequence, and writes the TV's screen at the
# end of each.
TV_APP_KEYS := DOWN ENTER wait:2000 FAST_FWD wait:1500 RED wait:1500 RED PAUSE wait:500 \
               PLAY wait:1000 STOP wait:300 BACK
TV_SCREENSHOTS := build/default/tv-screenshots
tv: build
ifeq ($(HEADLESS),1)
	@mkdir -p $(TV_SCREENSHOTS)
	@env -u DISPLAY build/default/tvbrowser/tvbrowser --headless --time-scale 4 \
	  --screenshot $(TV_SCREENSHOTS)/player.png examples/player.html
	@env -u DISPLAY build/default/tvbrowser/tvbrowser --headless --keys "$(TV_APP_KEYS)" \
	  --screenshot $(TV_SCREENSHOTS)/tv-app.png examples/tv-app.html
	@echo "screenshots: $(TV_SCREENSHOTS)/player.png $(TV_SCREENSHOTS)/tv-app.png"
else
	@build/default/tvbrowser/tvbrowser --time-scale 4 --timeout 3600 examples/player.html
	@build/default/tvbrowser/tvbrowser --timeout 3600 examples/tv-app.html
endif

test-armhf:
	@tools/install-packages.sh $(ARMHF_PACKAGES)
	@cmake --preset armhf >/dev/null
	@cmake --build --preset armhf -j $(JOBS)
	@ctest --preset armhf -j $(JOBS) --timeout 300

# The benchmarks, each path of the module beside its floor.
bench: build
	@build/default/benchmarks/module_benchmarks --benchmark_repetitions=5 \
	  --benchmark_report_aggregates_only=true

# Every fuzz target for FUZZ_SECONDS each, built with clang in build/fuzz.
FUZZ_SECONDS ?= 60
fuzz:
	@tools/install-packages.sh $(FUZZ_PACKAGES)
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS) --target fuzz_targets
	@tools/run-fuzzers.sh build/fuzz $(FUZZ_SECONDS)

clean:
	rm -rf build
