# The front door: `make run` and `make test` each set up a fresh Debian 12 machine, build, and
# then start the program or pass the whole suite.

BUILD_DIR  ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc)

# What building and testing need beyond a bare Debian 12.
PACKAGES := cmake make g++ pkg-config libgtest-dev locales qt6-base-dev fonts-dejavu-core \
            xvfb openbox xdotool imagemagick dbus at-spi2-core python3-pyatspi
# What building and checking the Debian package need besides.
PACKAGE_TOOLS := dpkg-dev desktop-file-utils

.PHONY: all setup configure build run test package package-test clean

all: build

setup:
	@scripts/install-debian-packages.sh $(PACKAGES)

configure: setup
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/app/quadrant

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

package: build
	@scripts/install-debian-packages.sh $(PACKAGE_TOOLS)
	cd $(BUILD_DIR) && cpack

# Installs the package on this machine, checks it, and removes it again.
package-test: package
	version=$$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' $(BUILD_DIR)/CMakeCache.txt) && \
	  packaging/test-package.sh $(BUILD_DIR)/quadrant_$${version}_amd64.deb $$version

clean:
	rm -rf $(BUILD_DIR)
