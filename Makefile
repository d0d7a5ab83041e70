# `make run` builds and starts the program, `make test` builds and runs every test, `make deb`
# builds the Debian package. They install the Debian packages the build needs when they are missing.
# `make test-sanitize` builds the tests but the window tests with AddressSanitizer and
# UndefinedBehaviorSanitizer in a folder of their own and runs them; `make format-check` checks
# every tracked source against .clang-format. `make test-windows` cross-builds the engine, the
# command-line tool and their tests for Windows with mingw-w64 and runs the tests under Wine.
# `make fuzz` runs the readers of setup files, the last-run file and program-text files on
# generated input for a bounded time each (libFuzzer, clang).
BUILD ?= build
DEB_BUILD ?= build-deb
JOBS ?= 2
PACKAGES = cmake g++ make qt6-base-dev libgtest-dev libgmock-dev clang-format dbus-daemon dbus-bin \
	fusefat exfat-fuse exfatprogs ntfs-3g sshfs openssh-sftp-server openssh-client dosfstools btrfs-progs \
	xfsprogs fuse3
DEB_PACKAGES = cmake g++ make qt6-base-dev dpkg-dev file
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps configure build test test-sanitize test-windows windows-desktop-syntax fuzz format-check run deb \
	clean
SANITIZE_BUILD ?= build-sanitize
SANITIZE_TESTS = platform_tests modules_tests setup_tests report_tests engine_tests cli_tests

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
		echo "Installing:$$missing"; \
		$(SUDO) apt-get update -q && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -q $$missing; \
	fi

# Configured once; the build itself configures again when a CMakeLists.txt changed.
configure: deps
	@[ -f $(BUILD)/CMakeCache.txt ] || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j$(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# Any report of either sanitizer ends the test program with a failure, leaks included.
test-sanitize: deps
	@[ -f $(SANITIZE_BUILD)/CMakeCache.txt ] || cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug \
		-DKESTREL_SANITIZE=address,undefined
	cmake --build $(SANITIZE_BUILD) -j$(JOBS) --target $(SANITIZE_TESTS)
	cd $(SANITIZE_BUILD) && \
		ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:strict_init_order=1 \
		UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
		ctest --output-on-failure -j$(JOBS) -LE '^gui$$' -E '_NOT_BUILT$$'

# Wine's start-up is paid once: one wineserver stays for the whole run, in a Wine prefix of the
# build folder's own (made on the first run), and every test program runs as one CTest entry.
WINDOWS_BUILD ?= build-windows
WINDOWS_PACKAGES = cmake make g++-mingw-w64-x86-64-posix wine64 googletest qt6-base-dev
WINE64 ?= /usr/lib/wine/wine64
WINESERVER ?= /usr/lib/wine/wineserver
WINDOWS_ENV = WINEPREFIX="$(CURDIR)/$(WINDOWS_BUILD)/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
test-windows:
	@$(MAKE) --no-print-directory deps PACKAGES="$(WINDOWS_PACKAGES)"
	@[ -f $(WINDOWS_BUILD)/CMakeCache.txt ] || cmake -S . -B $(WINDOWS_BUILD) \
		-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(WINDOWS_BUILD) -j$(JOBS) --target windows_tests
	@$(MAKE) --no-print-directory windows-desktop-syntax
	@mkdir -p $(WINDOWS_BUILD)/wine
	@$(WINDOWS_ENV) $(WINESERVER) -p && $(WINDOWS_ENV) $(WINE64) wineboot --init >/dev/null 2>&1; \
	cd $(WINDOWS_BUILD) && $(WINDOWS_ENV) ctest --output-on-failure; status=$$?; \
	$(WINDOWS_ENV) $(WINESERVER) -k; exit $$status

# The desktop program's sources compile for Windows: syntax only, against Debian's Qt headers,
# as no Windows Qt is here to link with (it catches a system call or header the window code must
# leave to the platform layer).
QT_HEADERS ?= /usr/include/x86_64-linux-gnu/qt6
windows-desktop-syntax:
	@echo "Windows syntax check of the desktop program's sources"
	@git ls-files -z 'src/forms/*.cpp' 'src/app/*.cpp' | xargs -0 -n1 -P$(JOBS) \
		x86_64-w64-mingw32-g++-posix -std=c++20 -fsyntax-only -Wno-attributes -DKESTREL_VERSION='"0"' -Isrc \
		-I$(QT_HEADERS) -I$(QT_HEADERS)/QtCore -I$(QT_HEADERS)/QtGui -I$(QT_HEADERS)/QtWidgets

# Each reader gets FUZZ_SECONDS of input that libFuzzer makes from the project's own sample files,
# under AddressSanitizer and UndefinedBehaviorSanitizer, in a build folder of its own. A crash, a
# sanitizer's report, a leak or a hang (10 s on one input) fails the target; the input that did it
# is left in $(FUZZ_BUILD) (crash-*, leak-*, timeout-*) and the fuzzer's log is shown.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 25
FUZZ_PACKAGES = cmake make clang libclang-rt-dev qt6-base-dev
FUZZERS = setup_file last_run program_text
FUZZ_SEEDS_setup_file = tests/fixtures/setup/*.zbk
FUZZ_SEEDS_last_run = tests/fixtures/setup/*.zbk
FUZZ_SEEDS_program_text = data/zbk.dat tests/fixtures/texts/*.dat tests/fixtures/fileproc/*.dat
define fuzz_one
	@mkdir -p $(FUZZ_BUILD)/corpus/$(1) && cp $(FUZZ_SEEDS_$(1)) $(FUZZ_BUILD)/corpus/$(1)/
	@echo "Fuzzing the $(subst _, ,$(1)) reader for $(FUZZ_SECONDS) s"
	@cd $(FUZZ_BUILD) && if ./$(1)_fuzzer -max_total_time=$(FUZZ_SECONDS) -timeout=10 -print_final_stats=1 \
		corpus/$(1) >$(1).log 2>&1; then grep '^Done' $(1).log; \
		else tail -n 60 $(1).log; exit 1; fi

endef
fuzz:
	@$(MAKE) --no-print-directory deps PACKAGES="$(FUZZ_PACKAGES)"
	@[ -f $(FUZZ_BUILD)/CMakeCache.txt ] || CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTREL_BUILD_TESTS=OFF -DKESTREL_FUZZ=ON \
		-DKESTREL_SANITIZE=address,undefined
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target fuzzers
	$(foreach fuzzer,$(FUZZERS),$(call fuzz_one,$(fuzzer)))

format-check: deps
	git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror

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

# The package is built in a folder of its own, without the test programs, with the compiler and
# linker flags Debian's packages are built with (dpkg-buildflags: hardening, all of it):
# install it with `sudo apt-get install ./$(DEB_BUILD)/kestrel-backup_*.deb`.
DEB_FLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get
deb:
	@$(MAKE) --no-print-directory deps PACKAGES="$(DEB_PACKAGES)"
	cmake -S . -B $(DEB_BUILD) -DCMAKE_BUILD_TYPE=Release -DKESTREL_BUILD_TESTS=OFF \
		-DCMAKE_CXX_FLAGS="$$($(DEB_FLAGS) CPPFLAGS) $$($(DEB_FLAGS) CXXFLAGS)" \
		-DCMAKE_EXE_LINKER_FLAGS="$$($(DEB_FLAGS) LDFLAGS)"
	cmake --build $(DEB_BUILD) -j$(JOBS)
	cd $(DEB_BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(DEB_BUILD) $(SANITIZE_BUILD) $(WINDOWS_BUILD) $(FUZZ_BUILD)
