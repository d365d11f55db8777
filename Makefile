# Moravel: `make run` and `make test` do all the set-up on a fresh Debian 12 machine.
BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test test-session-bus test-sanitize bench package clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  exec $(BUILD_DIR)/src/app/moravel; \
	else \
	  echo "make run: no display here, so showing five readings of the headless mode instead"; \
	  exec $(BUILD_DIR)/src/app/moravel --json --count 5; \
	fi

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# The whole suite again on a session bus of its own with a notification
# service, as on a desktop: no test may depend on whether there is a bus.
test-session-bus: build
	dbus-run-session --config-file=$(BUILD_DIR)/tests/bus/session.conf -- \
	  ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# The whole suite once more under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	@# Line tables only: file and line in the sanitizers' reports, at a fraction of the build time.
	@cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
	  -DMORAVEL_SANITIZE=ON -DMORAVEL_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j $(JOBS)

# A Debian package in build/, from the same build.
package: build
	@rm -f $(BUILD_DIR)/moravel_*.deb
	@cd $(BUILD_DIR) && cpack -G DEB >/dev/null && ls -1 $(CURDIR)/$(BUILD_DIR)/moravel_*.deb

bench: build
	@for b in $(BUILD_DIR)/bench/bench_*; do echo "== $$b"; $$b --benchmark_counters_tabular=true; done

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR)
