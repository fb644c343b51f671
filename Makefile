# Two commands for a newcomer: `make run` plays, `make test` runs every test. Both install
# whatever Debian packages are missing first.

PACKAGES := cmake ninja-build g++ clang libclang-rt-14-dev pkg-config libsdl2-dev libgtest-dev libgmock-dev \
            libbenchmark-dev xvfb xauth x11-utils xterm xdotool imagemagick libx11-dev libxtst-dev
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: run test build deps clean

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "Installing missing packages:" $$missing; \
		$(SUDO) apt-get update && $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y $$missing; \
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
	cd build-test && ctest --output-on-failure --timeout 300

clean:
	rm -rf build build-test
