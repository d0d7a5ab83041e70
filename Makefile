# `make run` builds and starts the program, `make test` builds and runs every test.
# Both install the Debian packages the build needs when they are missing.
BUILD ?= build
JOBS ?= 2
PACKAGES = cmake g++ make qt6-base-dev libgtest-dev libgmock-dev
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps configure build test run clean

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
# shows what the engine can do from a terminal.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
		$(BUILD)/kestrel-backup; \
	else \
		echo "No display: start $(BUILD)/kestrel-backup on a desktop. From a terminal:"; \
		$(BUILD)/kestrel-backup-cli --help; \
	fi

clean:
	rm -rf $(BUILD)
