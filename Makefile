# Two commands for a newcomer: `make run` plays, `make test` runs every test. Both install
# whatever Debian packages are missing first.

PACKAGES := cmake ninja-build g++ clang libclang-rt-14-dev pkg-config libsdl2-dev libgtest-dev libgmock-dev \
            libbenchmark-dev xvfb xauth x11-utils xterm xdotool imagemagick libx11-dev libxtst-dev \
            libxrandr-dev clang-format clang-tidy
# A headless X server that really switches modes, for the full-screen tests and figures. Their
# recommendations (input drivers, a display manager's pieces) are not needed.
XORG_PACKAGES := xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils openbox
# What `make package` needs on top: the package tools and the checkers its tests run.
PACKAGE_TOOLS := dpkg-dev lintian desktop-file-utils appstream groff-base man-db
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: run test build deps package-deps package format format-check tidy clean bench soak fuzz web web-deps web-test

# The web page build and its browser tests.
WEB_PACKAGES := emscripten chromium

# $(call install_missing,PACKAGES[,APT OPTIONS]): apt-get installs those of PACKAGES not installed yet.
define install_missing
	@missing=$$(for p in $(1); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "Installing missing packages:" $$missing; \
		$(SUDO) apt-get update && $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y $(2) $$missing; \
	fi
endef

deps:
	$(call install_missing,$(PACKAGES))
	$(call install_missing,$(XORG_PACKAGES),--no-install-recommends)

package-deps: deps
	$(call install_missing,$(PACKAGE_TOOLS))

# Node and npm may come from elsewhere than Debian (a newer nodejs bundles its own npm), so the
# commands are what count: their packages are asked for only when the commands are missing.
web-deps:
	$(call install_missing,$(WEB_PACKAGES) $(if $(shell command -v node),,nodejs) $(if $(shell command -v npm),,npm))

# build-web/ holds index.html, craterduel.js and craterduel.wasm: serve it from any static web server.
# Debian's emscripten needs Debian's node modules for its JS optimizer.
web: deps web-deps
	NODE_PATH=/usr/share/nodejs emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DBUILD_TESTING=OFF -DCRATERDUEL_WERROR=ON
	NODE_PATH=/usr/share/nodejs cmake --build build-web

# The page in a headless chromium, driven by puppeteer-core (pinned in package.json; no lockfile).
web-test: web
	npm install --no-package-lock --no-audit --no-fund
	node --test tests/web/*.test.mjs

build: deps
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
	cmake --build build

run: build
	./build/craterduel

# Tests build with AddressSanitizer and UndefinedBehaviorSanitizer, warnings as errors. The
# package is then built and checked as a player meets it (installing it needs root).
test: package-deps format-check
	cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCRATERDUEL_SANITIZE=ON -DCRATERDUEL_WERROR=ON
	cmake --build build-test
	$(MAKE) --no-print-directory tidy
	cd build-test && ctest --output-on-failure --timeout 300 -j2
	cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++
	cmake --build build-fuzz
	cd build-fuzz && ctest --output-on-failure
	$(MAKE) package
	tests/package/package_test.sh build-package/*.deb
	$(MAKE) web-test

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

# One code style for every C++ file, as .clang-format says.
FORMAT_FILES = $$(find src tests bench fuzz -name '*.cpp' -o -name '*.h')
format: deps
	clang-format -i $(FORMAT_FILES)

# Fails, naming each place, when a file is not as `make format` would leave it.
format-check: deps
	clang-format --dry-run --Werror $(FORMAT_FILES)

# clang-tidy's checks from .clang-tidy, on the test build's compile database (configure it first).
TIDY_FILES ?= src/
tidy: deps
	@[ -f build-test/compile_commands.json ] || cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCRATERDUEL_SANITIZE=ON -DCRATERDUEL_WERROR=ON
	run-clang-tidy -p build-test -quiet -j2 '$(TIDY_FILES)'

# The Debian package, built with Debian's hardening flags: build-package/craterduel_<version>_<arch>.deb,
# the program in /usr/games and its manual page in section 6.
package: package-deps
	flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$$1"; }; \
	cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
		-DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_BINDIR=games \
		-DCMAKE_CXX_FLAGS="$$(flags CXXFLAGS) $$(flags CPPFLAGS)" -DCMAKE_EXE_LINKER_FLAGS="$$(flags LDFLAGS)"
	cmake --build build-package
	cd build-package && rm -f *.deb && cpack
	@ls build-package/*.deb

clean:
	rm -rf build build-test build-bench build-fuzz build-package build-web node_modules
