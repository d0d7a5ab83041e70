# `make run` builds and starts the program, `make test` builds and runs every test, `make deb`
# builds the Debian package. They install the Debian packages the build needs when they are missing.
BUILD ?= build
DEB_BUILD ?= build-deb
JOBS ?= 2
PACKAGES = cmake g++ make qt6-base-dev libgtest-dev libgmock-dev
DEB_PACKAGES = cmake g++ make qt6-base-dev dpkg-dev file
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps configure build test run deb clean

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
		echo "Installing:$$missing"; \
		$(SUDO) apt-get update -q && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -q $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j$(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# The desktop program needs a display; without one it says so and the command-line tool's help
# shows what the engine can do from a terminal. Only the program it starts is built, not the tests.
run: configure
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
		cmake --build $(BUILD) -j$(JOBS) --target kestrel-backup && $(BUILD)/kestrel-backup; \
	else \
		cmake --build $(BUILD) -j$(JOBS) --target kestrel-backup-cli && \
		echo "No display: run \`make run\` on a desktop to start Kestrel Backup. From a terminal:" && \
		$(BUILD)/kestrel-backup-cli --help; \
	fi

# The package is built in a folder of its own, without the test programs:
# install it with `sudo apt-get install ./$(DEB_BUILD)/kestrel-backup_*.deb`.
deb:
	@$(MAKE) --no-print-directory deps PACKAGES="$(DEB_PACKAGES)"
	cmake -S . -B $(DEB_BUILD) -DCMAKE_BUILD_TYPE=Release -DKESTREL_BUILD_TESTS=OFF
	cmake --build $(DEB_BUILD) -j$(JOBS)
	cd $(DEB_BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(DEB_BUILD)
