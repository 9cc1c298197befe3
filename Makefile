# The front door: `make run` and `make test` each set up a fresh Debian 12 machine, build, and
# then start the program or pass the whole suite.

# The Qt to build with: 6, or 5 (5.15) for the systems that have no Qt 6; Qt 5 builds in a folder
# of its own, so that the two never share a CMake cache. By default 6, or 5 where the system has no
# Qt 6 to offer (Debian 11): see scripts/qt-major-version.sh.
ifndef QT_MAJOR_VERSION
QT_MAJOR_VERSION := $(shell scripts/qt-major-version.sh)
endif
QT5_DIR ?= build-qt5
ifeq ($(QT_MAJOR_VERSION),5)
BUILD_DIR ?= $(QT5_DIR)
endif
QT_PACKAGES_6 := qt6-base-dev qt6-translations-l10n
QT_PACKAGES_5 := qtbase5-dev qttranslations5-l10n

BUILD_DIR  ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc)

# What building and running the program need beyond a bare Debian 12.
BUILD_PACKAGES := cmake make g++ pkg-config $(QT_PACKAGES_$(QT_MAJOR_VERSION)) librsvg2-bin \
                  fonts-dejavu-core
# What the suite needs besides: GoogleTest, a locale source, a display to drive and read, and
# apt-ftparchive for the apt repositories of the set-up step's test.
TEST_PACKAGES := libgtest-dev locales xvfb x11-xserver-utils x11-utils openbox xdotool apt-utils \
                 imagemagick dbus at-spi2-core python3-pyatspi
# `make run` builds the program without the suite, so that it needs none of the test tools.
TESTING ?= ON
# What building and checking the Debian package need besides.
PACKAGE_TOOLS := build-essential dpkg-dev debhelper lintian devscripts appstream \
                 desktop-file-utils man-db
# libFuzzer for the fuzz targets under fuzz/, which `make test` also runs briefly: the
# distribution's own clang, whatever its version, and its runtime where that is a package of its
# own (Debian 12 and later; Debian 11's clang brings it).
FUZZ_PACKAGES := clang
FUZZ_RUNTIME_PACKAGE := libclang-rt-dev
# Google Benchmark with its compare.py (which needs SciPy), valgrind and xcb (for the start-up
# probe), for the measurements under bench/.
BENCH_PACKAGES := libbenchmark-dev libbenchmark-tools python3-scipy valgrind libxcb1-dev
# The Windows program: MinGW-w64 to build it (GoogleTest from its Debian sources), the tools that
# make its icon, and 64-bit Wine with a display, a window manager and a Russian layout to test it.
WINDOWS_PACKAGES := cmake make g++-mingw-w64-x86-64-posix googletest librsvg2-bin imagemagick \
                    icoutils locales wine wine64 xvfb openbox xdotool x11-xkb-utils x11-utils \
                    fonts-dejavu-core \
                    binutils-mingw-w64-x86-64 python3
# The 32-bit program besides: its compiler. 32-bit Wine, to test it, comes with its tests (see
# tests/win32/with-wine32.sh).
WINDOWS_X86_PACKAGES := g++-mingw-w64-i686-posix binutils-mingw-w64-i686
# What making the Windows packages needs besides: NSIS, wixl and msitools for the MSI, and
# osslsigncode to sign them. Installed with the rest, before CMake first looks for them.
WINDOWS_PACKAGE_TOOLS := nsis wixl msitools osslsigncode
# The browser's program: emscripten (with node), fast_float where its C++ library cannot read
# numbers, GoogleTest's sources, the icon renderer, and a server for the loopback with the media
# types that it tells the browser (application/wasm among them).
WEB_PACKAGES := cmake make emscripten libfast-float-dev googletest librsvg2-bin python3 \
                media-types
# Testing it in three engines besides: Chromium, WebKitGTK (MiniBrowser under Xvfb, in a Russian
# locale made by the test) and Firefox ESR (over WebDriver BiDi). axe-core and Lighthouse come from
# npm, pinned in tests/web, through the machine's own Node.js and npm (Debian's npm would replace
# that Node.js with an older one). Pillow reads what the page drew, where colours are measured.
WEB_TEST_PACKAGES := chromium chromium-driver python3-selenium python3-pil webkit2gtk-driver xvfb \
                     locales firefox-esr python3-websockets fonts-dejavu-core

# Build folders of their own beside BUILD_DIR.
FUZZ_DIR     ?= $(BUILD_DIR)-fuzz
SANITIZE_DIR ?= $(BUILD_DIR)-sanitize
BENCH_DIR    ?= $(BUILD_DIR)-bench
WINDOWS_DIR  ?= $(BUILD_DIR)-windows
WINDOWS_X86_DIR ?= $(BUILD_DIR)-windows-x86
WINE32_CHROOT_DIR ?= $(BUILD_DIR)-wine32
WEB_DIR      ?= $(BUILD_DIR)-web
WEB_PORT     ?= 8000
DIST_DIR     ?= dist
RELEASE_CHECK_DIR ?= $(BUILD_DIR)-release-check
# Debian's emscripten, used directly: emcmake would give node an option that today's node refuses.
EMSCRIPTEN_TOOLCHAIN := /usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake
WINDOWS_BENCH ?= OFF
FUZZ_TARGETS := coordinate number
FUZZ_SECONDS ?= 60
STARTUP_RUNS ?= 40
SANITIZE_FLAGS := -fsanitize=address,undefined -fno-sanitize-recover=undefined \
                  -fno-omit-frame-pointer
SANITIZE_ENV := ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:strict_init_order=1 \
                UBSAN_OPTIONS=print_stacktrace=1

.PHONY: all setup configure build run test-run test test-qt5 test-floors package package-test clean
.PHONY: test-floors-bullseye test-floors-trixie package-deb11
.PHONY: fuzz-build fuzz-regression fuzz $(addprefix fuzz-,$(FUZZ_TARGETS)) test-sanitize
.PHONY: bench-build bench memcheck bench-startup windows test-windows bench-startup-windows
.PHONY: windows-x86 check-windows-x86 test-windows-x86 bench-startup-windows-x86
.PHONY: package-windows package-windows-test package-windows-test-x64
.PHONY: web run-web test-web audit-web package-web bench-web release release-test release-check
.PHONY: test-screen-reader screenshots test-docs

all: build

setup:
	@scripts/install-debian-packages.sh $(BUILD_PACKAGES) $(TEST_PACKAGES)

# Everything is installed before CMake first looks for it, so that no tool is cached as missing.
configure:
	@scripts/install-debian-packages.sh $(BUILD_PACKAGES) \
	  $(if $(filter ON,$(TESTING)),$(TEST_PACKAGES))
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DBUILD_TESTING=$(TESTING) \
	  -DQT_MAJOR_VERSION=$(QT_MAJOR_VERSION)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: TESTING = OFF
run: build
	@[ -n "$$DISPLAY$$WAYLAND_DISPLAY" ] || \
	  { echo "make run: the program needs a display (DISPLAY or WAYLAND_DISPLAY)" >&2; exit 1; }
	$(BUILD_DIR)/app/qt/quadrant

# The README's first command as a newcomer meets it: `make run` must bring up Form1 (under Xvfb
# here), which the check then closes.
test-run: setup
	tests/e2e/make-run.sh $(MAKE) --no-print-directory BUILD_DIR=$(BUILD_DIR) run

test: build fuzz-regression test-docs
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The documentation (tests/docs/check.sh): markdownlint, its links and pictures, and the make
# targets that it names. Node.js and npm are the machine's own, else Debian's.
DOCS := README.md CONTRIBUTING.md $(wildcard docs/*.md docs/*/*.md)
test-docs:
	@command -v npm >/dev/null || scripts/install-debian-packages.sh nodejs npm
	tests/docs/check.sh $(DOCS)

# The program on Qt 5.15, in $(QT5_DIR): the core's tests, the Qt suite and the end-to-end run.
test-qt5:
	$(MAKE) --no-print-directory QT_MAJOR_VERSION=5 BUILD_DIR=$(QT5_DIR) build
	cd $(QT5_DIR) && ctest --output-on-failure -j $(JOBS)

# The oldest and the newest Debian, each in a chroot of its own made on the first run in
# $(FLOORS_DIR) (see tests/floors/run.sh): Debian 11 (GCC 10, CMake 3.18, Qt 5.15) and Debian 13
# (GCC 14, CMake 3.31, Qt 6.8). In each, from a clean copy of the sources, the README's
# `make test`, end-to-end run included, then `make package-test`: that Debian's lintian, and the
# package installed, started and driven end to end (on Debian 11, the ~deb11 package). Needs root.
FLOORS_DIR ?= build-floors
FLOORS_SUITES := bullseye trixie
# The Debian package's version suffix: empty, or ~deb11 for the one built against Qt 5.15 in
# Debian 11, which sorts below the Qt 6 package so that an upgraded system takes that one.
DEB_VERSION_SUFFIX ?=
DEB_VERSION_SUFFIX_bullseye := ~deb11
test-floors: $(addprefix test-floors-,$(FLOORS_SUITES))
$(addprefix test-floors-,$(FLOORS_SUITES)): test-floors-%:
	tests/floors/run.sh $(FLOORS_DIR) $* bash -euc \
	  'make test JOBS=$(JOBS); make package-test JOBS=$(JOBS) DEB_VERSION_SUFFIX=$(DEB_VERSION_SUFFIX_$*)'

# dpkg-buildpackage -b -us -uc on a copy of the sources in $(BUILD_DIR)/dpkg; the .debs are
# copied to $(BUILD_DIR).
package: setup
	@scripts/install-debian-packages.sh $(PACKAGE_TOOLS)
	DEB_VERSION_SUFFIX=$(DEB_VERSION_SUFFIX) packaging/build-deb.sh $(BUILD_DIR) $(JOBS)

# The package for Debian 11 and the systems of its generation: built in the Debian 11 chroot of
# test-floors, against Qt 5.15, from the same debian/, as version VERSION~deb11; the .debs are
# copied to $(BUILD_DIR)-deb11.
package-deb11:
	tests/floors/run.sh --out $(BUILD_DIR)-deb11 $(FLOORS_DIR) bullseye \
	  make package JOBS=$(JOBS) BUILD_DIR=/out DEB_VERSION_SUFFIX=$(DEB_VERSION_SUFFIX_bullseye)

# Runs lintian on the package, installs it on this machine, checks it, and removes it again.
package-test: package
	packaging/test-package.sh $(BUILD_DIR)/dpkg/quadrant_*.changes

fuzz-build: setup
	@scripts/install-debian-packages.sh $(FUZZ_PACKAGES) \
	  $$(apt-cache show $(FUZZ_RUNTIME_PACKAGE) >/dev/null 2>&1 && echo $(FUZZ_RUNTIME_PACKAGE))
	cmake -S fuzz -B $(FUZZ_DIR) -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ_DIR) -j $(JOBS)

# A few seconds of each fuzz target over its committed corpus.
fuzz-regression: fuzz-build
	cd $(FUZZ_DIR) && ctest --output-on-failure -j $(JOBS)

# Each fuzz target for FUZZ_SECONDS; `make -j2 fuzz` runs them side by side. New inputs go to
# $(FUZZ_DIR)/found, crashes to $(FUZZ_DIR)/artifacts.
fuzz: $(addprefix fuzz-,$(FUZZ_TARGETS))
$(addprefix fuzz-,$(FUZZ_TARGETS)): fuzz-%: fuzz-build
	mkdir -p $(FUZZ_DIR)/found/$* $(FUZZ_DIR)/artifacts
	$(FUZZ_DIR)/$*_fuzzer -max_total_time=$(FUZZ_SECONDS) -timeout=10 -print_final_stats=1 \
	  $(addprefix -dict=,$(wildcard fuzz/$*.dict)) -artifact_prefix=$(FUZZ_DIR)/artifacts/$*- \
	  $(FUZZ_DIR)/found/$* fuzz/corpus/$*

# The whole suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: setup
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
	  "-DCMAKE_CXX_FLAGS=$(SANITIZE_FLAGS)"
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	cd $(SANITIZE_DIR) && $(SANITIZE_ENV) ctest --output-on-failure -j $(JOBS)

bench-build: setup
	@scripts/install-debian-packages.sh $(BENCH_PACKAGES)
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DQUADRANT_BENCH=ON \
	  -DQT_MAJOR_VERSION=$(QT_MAJOR_VERSION)
	cmake --build $(BENCH_DIR) -j $(JOBS)

# The conversions on <charconv> against the C library's path, and each against the standard
# library's function, by Google Benchmark's compare.py: the time of each, their difference, and
# the U test's p-value over the repetitions (below 0.05: a real difference).
BENCH_COMPARE := /usr/bin/python3 /usr/share/benchmark/compare.py
BENCH_FLAGS ?= --benchmark_repetitions=12 --benchmark_min_time=0.2 \
               --benchmark_enable_random_interleaving=true
bench: bench-build
	$(BENCH_DIR)/bench/conversions_bench_c_library $(BENCH_FLAGS) \
	  --benchmark_out=$(BENCH_DIR)/conversions_c_library.json
	$(BENCH_DIR)/bench/conversions_bench $(BENCH_FLAGS) \
	  --benchmark_out=$(BENCH_DIR)/conversions.json
	$(BENCH_COMPARE) -a benchmarks $(BENCH_DIR)/conversions_c_library.json \
	  $(BENCH_DIR)/conversions.json
	$(BENCH_COMPARE) -a filters $(BENCH_DIR)/conversions.json from_chars CoordinateFromText
	$(BENCH_COMPARE) -a filters $(BENCH_DIR)/conversions.json to_chars NumberText

# The core's tests under valgrind: any error or leak fails.
memcheck: bench-build
	LOCPATH=$(BENCH_DIR)/tests/locales valgrind --error-exitcode=1 --leak-check=full \
	  --show-leak-kinds=all --errors-for-leak-kinds=all $(BENCH_DIR)/tests/point_tests

bench-startup: bench-build
	bench/startup.sh $(BENCH_DIR) $(STARTUP_RUNS)

# quadrant.exe against a bare Win32 window under Wine, and its stripped size.
bench-startup-windows: bench-build
	$(MAKE) windows WINDOWS_BENCH=ON
	bench/startup.sh $(BENCH_DIR) $(STARTUP_RUNS) $(WINDOWS_DIR)

# Under 32-bit Wine as its tests are: where qemu runs it, the figures are the emulator's.
bench-startup-windows-x86: bench-build
	$(MAKE) windows-x86 WINDOWS_BENCH=ON
	tests/win32/with-wine32.sh $(WINE32_CHROOT_DIR) \
	  bench/startup.sh $(BENCH_DIR) $(STARTUP_RUNS) $(WINDOWS_X86_DIR)

# quadrant.exe for 64-bit Windows, cross-built with MinGW-w64, and its tests under Wine.
windows:
	@scripts/install-debian-packages.sh $(WINDOWS_PACKAGES) $(WINDOWS_PACKAGE_TOOLS)
	cmake -S . -B $(WINDOWS_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DQUADRANT_BENCH=$(WINDOWS_BENCH) \
	  -DQUADRANT_WINDOWS_X86_DIR=$(abspath $(WINDOWS_X86_DIR))
	cmake --build $(WINDOWS_DIR) -j $(JOBS)

test-windows: windows
	cd $(WINDOWS_DIR) && ctest --output-on-failure

# The same program for 32-bit Windows, from the same sources, and its tests under 32-bit Wine.
windows-x86:
	@scripts/install-debian-packages.sh $(WINDOWS_PACKAGES) $(WINDOWS_X86_PACKAGES) \
	  $(WINDOWS_PACKAGE_TOOLS)
	cmake -S . -B $(WINDOWS_X86_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DQUADRANT_BENCH=$(WINDOWS_BENCH)
	cmake --build $(WINDOWS_X86_DIR) -j $(JOBS)

# What of the 32-bit suite needs no 32-bit Wine: that its imports are all of Windows 7.
check-windows-x86: windows-x86
	cd $(WINDOWS_X86_DIR) && ctest --output-on-failure -R '^imports'

# The rest under 32-bit Wine: the system's where the machine runs 32-bit programs, else emulated
# (see with-wine32.sh).
test-windows-x86: check-windows-x86
	tests/win32/with-wine32.sh $(WINE32_CHROOT_DIR) \
	  ctest --test-dir $(WINDOWS_X86_DIR) --output-on-failure -E '^imports'

# The portable zip and the MSI of each width in its build folder, and the per-user installer
# (NSIS) of both in $(WINDOWS_DIR); and their test under Wine.
package-windows: windows windows-x86
	cmake --build $(WINDOWS_X86_DIR) --target package-windows
	cmake --build $(WINDOWS_DIR) --target package-windows

# package-windows-test-x64: what 64-bit Wine alone can check; package-windows-test: all of it,
# with 32-bit Wine besides (packaging/windows/test-packages.sh).
package-windows-test: package-windows-test-x64
	tests/win32/with-wine32.sh $(WINE32_CHROOT_DIR) \
	  packaging/windows/test-packages.sh $(WINDOWS_DIR) $(WINDOWS_X86_DIR) wine32

package-windows-test-x64: package-windows
	packaging/windows/test-packages.sh $(WINDOWS_DIR) $(WINDOWS_X86_DIR) x64

# The browser's program, built to WebAssembly: $(WEB_DIR)/site/ is a folder of static files.
web:
	@scripts/install-debian-packages.sh $(WEB_PACKAGES)
	cmake -S . -B $(WEB_DIR) -DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_TOOLCHAIN_FILE=$(EMSCRIPTEN_TOOLCHAIN)
	cmake --build $(WEB_DIR) -j $(JOBS)

run-web: web
	@echo "The program is at http://127.0.0.1:$(WEB_PORT)/ (Ctrl+C stops the server)"
	python3 -m http.server --bind 127.0.0.1 --directory $(WEB_DIR)/site $(WEB_PORT)

# The core's tests under node, and the site in Chromium, WebKitGTK and Firefox. Everything is
# installed before the build first configures.
test-web:
	@scripts/install-debian-packages.sh $(WEB_PACKAGES) $(WEB_TEST_PACKAGES)
	cd tests/web && npm ci --omit=dev --no-audit --no-fund
	$(MAKE) --no-print-directory web
	cd $(WEB_DIR) && ctest --output-on-failure

# What Orca says, step by step, as a blind pupil hears a check (tests/screen-reader/suite.sh): the
# Qt program on Qt 6 and on Qt 5, the site in each of SCREEN_READER_BROWSERS, and the one-file page
# in Chromium. Firefox ESR is left out: with it, Orca 43 says neither the line whose focus returns
# to Text1 nor a dialog's title or the error report (see the README; make test-screen-reader
# SCREEN_READER_BROWSERS=firefox).
SCREEN_READER_PACKAGES := orca speech-dispatcher
SCREEN_READER_BROWSERS ?= chromium
test-screen-reader:
	@scripts/install-debian-packages.sh $(SCREEN_READER_PACKAGES) $(TEST_PACKAGES) \
	  $(WEB_TEST_PACKAGES)
	$(MAKE) --no-print-directory build
	$(MAKE) --no-print-directory QT_MAJOR_VERSION=5 BUILD_DIR=$(QT5_DIR) build
	$(MAKE) --no-print-directory web
	tests/screen-reader/suite.sh $(WEB_DIR) "$(SCREEN_READER_BROWSERS)" $(BUILD_DIR) $(QT5_DIR)

# The documentation's pictures in docs/images/, made from the real programs: the Qt window, the
# Windows one under Wine and the page in Chromium (scripts/screenshots.sh). Remade whenever what a
# user sees changes.
screenshots:
	@scripts/install-debian-packages.sh optipng $(TEST_PACKAGES) $(WINDOWS_PACKAGES) \
	  $(WEB_PACKAGES) $(WEB_TEST_PACKAGES)
	$(MAKE) --no-print-directory build
	$(MAKE) --no-print-directory windows
	$(MAKE) --no-print-directory web
	scripts/screenshots.sh docs/images $(BUILD_DIR)/app/qt/quadrant \
	  $(WINDOWS_DIR)/app/win32/quadrant.exe $(WEB_DIR)/site

# Lighthouse on the built site, served on the loopback, as a phone and as a desktop: the four
# categories' scores. Not in CI: some of its audits fail in today's Chromium.
audit-web:
	@scripts/install-debian-packages.sh $(WEB_PACKAGES) $(WEB_TEST_PACKAGES)
	cd tests/web && npm ci --no-audit --no-fund
	$(MAKE) --no-print-directory web
	/usr/bin/python3 bench/web_audit.py $(WEB_DIR)/site

package-web: web
	cmake --build $(WEB_DIR) --target package-web

# Start-up against the bare page, and the page's weight; the one-file page's from a file, and its
# size.
bench-web: web
	@scripts/install-debian-packages.sh $(WEB_TEST_PACKAGES)
	/usr/bin/python3 bench/web_startup.py $(WEB_DIR)/site $(WEB_DIR)/quadrant.html

# Every artefact of the current version in $(DIST_DIR), with SHA256SUMS, signed where keys are
# given (see README). Every tool is installed before anything is configured.
RELEASE_TOOLS := $(BUILD_PACKAGES) $(TEST_PACKAGES) $(PACKAGE_TOOLS) $(WINDOWS_PACKAGES) \
                 $(WINDOWS_X86_PACKAGES) \
                 $(WINDOWS_PACKAGE_TOOLS) $(WEB_PACKAGES) gpg openssl
release:
	@scripts/install-debian-packages.sh $(RELEASE_TOOLS)
	packaging/release.sh $(DIST_DIR) "$(MAKE)"

# The release signed with a throwaway certificate and key, and every signature checked.
release-test:
	@scripts/install-debian-packages.sh $(RELEASE_TOOLS)
	packaging/test-release.sh $(DIST_DIR) "$(MAKE)"

# The release of the last commit built twice, in other folders, times, zones, locales and umasks,
# and compared to the byte.
release-check:
	@scripts/install-debian-packages.sh $(RELEASE_TOOLS) git diffoscope-minimal
	packaging/release-check.sh $(abspath $(RELEASE_CHECK_DIR))

# Every folder that the targets here write, all beside BUILD_DIR (the release's too), and the
# release; not the chroots of test-floors, which take long to make.
clean:
	rm -rf $(filter-out $(FLOORS_DIR),$(wildcard $(BUILD_DIR) $(BUILD_DIR)-*)) $(QT5_DIR) $(DIST_DIR)
