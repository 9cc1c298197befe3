# The front door: `make run` and `make test` each set up a fresh Debian 12 machine, build, and
# then start the program or pass the whole suite.

BUILD_DIR  ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc)

# What building and testing need beyond a bare Debian 12.
PACKAGES := cmake make g++ pkg-config libgtest-dev locales qt6-base-dev fonts-dejavu-core

.PHONY: all setup configure build run test clean

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

clean:
	rm -rf $(BUILD_DIR)
