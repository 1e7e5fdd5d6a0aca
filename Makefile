# Set-up and everyday commands. `make run` and `make test` are all a fresh
# Debian 12 machine needs: both install whatever packages are missing first.

BUILD        ?= build
BUILD_SAN    ?= build-sanitize
BUILD_FUZZ   ?= build-fuzz
JOBS         ?= $(shell nproc)
BUILD_TYPE   ?= RelWithDebInfo
FUZZ_SECONDS ?= 60
# The working folder of `make run`: settings, logs and the word lists the user
# edits live here, out of the tracked tree (git ignores the default).
RUN_DIR      ?= workdir

# Toolchain, Qt, zip container, MIME database, the fonts the plug-in's panels
# draw in where their Windows fonts are missing (a CJK face and a condensed
# one), what the tests use (Debian's Python with openpyxl, setfacl, clang's
# libFuzzer runtime) and what screenshots under a virtual display need.
PACKAGES := build-essential cmake pkg-config qtbase5-dev libquazip1-qt5-dev \
            shared-mime-info zlib1g-dev fonts-wqy-microhei fonts-dejavu-extra \
            python3 python3-openpyxl \
            python3-xlrd python3-xlwt acl \
            clang libclang-rt-14-dev xvfb xauth

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps build run run-folder test test-sanitize bench fuzz clean

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get update -q && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $$missing; \
	fi

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# The word lists are copied from data/ once; later runs keep the user's edits,
# and data/ itself is never written.
run-folder:
	@mkdir -p "$(RUN_DIR)"
	@[ -e "$(RUN_DIR)/data" ] || cp -R data "$(RUN_DIR)/data"

run: build run-folder
	cd "$(RUN_DIR)" && "$(abspath $(BUILD))/bin/Quorvane"

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

$(BUILD_SAN)/CMakeCache.txt:
	cmake -S . -B $(BUILD_SAN) -DCMAKE_BUILD_TYPE=Debug -DQUORVANE_SANITIZE=ON

test-sanitize: deps $(BUILD_SAN)/CMakeCache.txt
	cmake --build $(BUILD_SAN) -j $(JOBS)
	cd $(BUILD_SAN) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target benchmarks
	@for b in $(BUILD)/bin/*_bench; do [ -x "$$b" ] || continue; echo "== $$b"; "$$b" || exit 1; done

$(BUILD_FUZZ)/CMakeCache.txt:
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) -DCMAKE_BUILD_TYPE=Debug -DQUORVANE_FUZZ=ON

fuzz: deps $(BUILD_FUZZ)/CMakeCache.txt
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target fuzzers
	@for f in $(BUILD_FUZZ)/bin/*_fuzz; do [ -x "$$f" ] || continue; echo "== $$f"; \
	  mkdir -p $(BUILD_FUZZ)/corpus/$$(basename $$f); \
	  "$$f" -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 $(BUILD_FUZZ)/corpus/$$(basename $$f) tests/data/fuzz-seeds || exit 1; done

clean:
	rm -rf $(BUILD) $(BUILD_SAN) $(BUILD_FUZZ)
