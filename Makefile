# Set-up and everyday commands. `make demo` runs the main job on the example, `make test`
# runs every test, plainly and again under AddressSanitizer and UndefinedBehaviorSanitizer.

BUILD_DIR ?= build
ASAN_DIR ?= build-asan
DEMO_DIR ?= out
# Where `make install` puts the programs; DESTDIR stages the tree for a package.
PREFIX ?= /usr/local
# Rebuilds of a fresh checkout come from the compiler cache when one is installed.
LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

DEB_PACKAGES := build-essential cmake ninja-build libboost-serialization-dev libboost-dev \
                qt6-base-dev qt6-charts-dev libgtest-dev libbenchmark-dev \
                libqt6gui6 libtomlplusplus-dev slurm-wlm munge

.PHONY: all deps configure build test test-plain test-asan demo bench install clean

all: build

deps:
	@missing=""; \
	for p in $(DEB_PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
		sudo=""; [ "$$(id -u)" -eq 0 ] || sudo=sudo; \
		echo "Installing:$$missing"; \
		export DEBIAN_FRONTEND=noninteractive; \
		$$sudo apt-get install -y -q $$missing || \
			{ $$sudo apt-get update -q && $$sudo apt-get install -y -q $$missing; }; \
	fi

$(BUILD_DIR)/build.ninja: | deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LAUNCHER)

build: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR)

test: test-plain test-asan

test-plain: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure

test-asan: deps
	cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARLO_SANITIZE=ON \
		-DTARLO_BENCH=OFF $(LAUNCHER)
	cmake --build $(ASAN_DIR)
	ctest --test-dir $(ASAN_DIR) --output-on-failure

demo: build
	@mkdir -p $(DEMO_DIR)
	$(BUILD_DIR)/tarlo run examples/demo/demo.tlp --seed 1 --metrics $(DEMO_DIR)/demo/
	ls -l $(DEMO_DIR)/demo/
	head -n 8 $(DEMO_DIR)/demo/Br_1_BMax_1200-1240.csv

bench: build
	$(BUILD_DIR)/bench/tarlo_bench

# The programs, the desktop entry and the project file type; the file managers learn the
# type once the MIME database is brought up to date.
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)
	-[ -n "$(DESTDIR)" ] || update-mime-database $(PREFIX)/share/mime 2>/dev/null

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(DEMO_DIR)
