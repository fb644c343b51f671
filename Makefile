# Two commands for a newcomer: `make run` plays, `make test` runs every test. Both install
# whatever Debian packages are missing first.

PACKAGES := cmake ninja-build g++ clang libclang-rt-14-dev pkg-config libsdl2-dev libgtest-dev libgmock-dev \
            libbenchmark-dev xvfb xauth x11-utils xterm xdotool imagemagick libx11-dev libxtst-dev \
            libxrandr-dev
# A headless X server that really switches modes, for the full-screen tests and figures. Their
# recommendations (input drivers, a display manager's pieces) are not needed.
XORG_PACKAGES := xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils openbox
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: run test build deps clean bench soak fuzz

# The packages of list $(1) that are not installed yet.
missing = $$(for p in $(1); do \
	dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done)

deps:
	@set -e; missing="$(call missing,$(PACKAGES))"; xorg="$(call missing,$(XORG_PACKAGES))"; \
	if [ -n "$$missing$$xorg" ]; then \
		echo "Installing missing packages:" $$missing $$xorg; \
		$(SUDO) apt-get update; \
	fi; \
	if [ -n "$$missing" ]; then $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y $$missing; fi; \
	if [ -n "$$xorg" ]; then \
		$(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$xorg; \
	fi

build: deps
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
	cmake --build build

run: build
	./build/craterduel

# Tests build with AddressSanitizer and UndefinedBehaviorSanitizer, warnings as errors.
test: deps
	cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCRATERDUEL_SANITIZE=ON -DCRATERDUEL_WERROR=ON
	cmake --build build-test
	cd build-test && ctest --output-on-failure --timeout 300 -j2
	cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++
	cmake --build build-fuzz
	cd build-fuzz && ctest --output-on-failure

# A million checked frames of random duels in the sanitizer test build (about half an hour).
soak: deps
	cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCRATERDUEL_SANITIZE=ON -DCRATERDUEL_WERROR=ON
	cmake --build build-test --target soak
	./build-test/tests/soak/soak 1000000

FUZZ_SECONDS ?= 1800
# Fuzzes start-up for FUZZ_SECONDS; the corpus grows in build-fuzz/corpus, crashes land in build-fuzz/artifacts.
fuzz: deps
	cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++
	cmake --build build-fuzz
	./build-fuzz/startup_fuzz -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix=build-fuzz/artifacts/ build-fuzz/corpus fuzz/corpus

# Speed figures (Release): frame cost against a plain fill, pacing and whole-process figures in a
# real window under a private Xvfb, then full screen against a window on Xorg's dummy driver (as
# root). About four minutes.
bench: deps
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DCRATERDUEL_BENCH=ON -DBUILD_TESTING=OFF
	cmake --build build-bench
	build-bench/bench/frame_bench
	bench/pacing.sh build-bench
	bench/process_figures.sh build-bench
	bench/full_screen.sh build-bench

clean:
	rm -rf build build-test build-bench build-fuzz
