# Set-up and everyday commands. `make demo` runs the main job on the example, `make test`
# runs every test, plainly and again under AddressSanitizer and UndefinedBehaviorSanitizer,
# and the tests that start worker threads under ThreadSanitizer.

BUILD_DIR ?= build
ASAN_DIR ?= build-asan
TSAN_DIR ?= build-tsan
FUZZ_DIR ?= build-fuzz
# How long `make fuzz` runs the project loader's fuzz target.
FUZZ_SECONDS ?= 600
# The test programs whose runs start a worker thread.
TSAN_TESTS := test_project test_detectors
DEMO_DIR ?= out
# Where `make install` puts the programs; DESTDIR stages the tree for a package.
PREFIX ?= /usr/local
# Rebuilds of a fresh checkout come from the compiler cache when one is installed.
LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

DEB_PACKAGES := build-essential cmake ninja-build libboost-serialization-dev libboost-dev \
                qt6-base-dev qt6-charts-dev libgtest-dev libbenchmark-dev \
                libqt6gui6 libtomlplusplus-dev slurm-wlm munge

.PHONY: all deps configure build test test-plain test-asan test-tsan fuzz demo bench install \
        clean

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

test: test-plain test-asan test-tsan

test-plain: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure

test-asan: deps
	cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARLO_SANITIZE=ON \
		-DTARLO_BENCH=OFF $(LAUNCHER)
	cmake --build $(ASAN_DIR)
	ctest --test-dir $(ASAN_DIR) --output-on-failure

# A report of ThreadSanitizer fails the test program that met it.
test-tsan: deps
	cmake -S . -B $(TSAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARLO_TSAN=ON \
		-DTARLO_BENCH=OFF -DTARLO_GUI=OFF $(LAUNCHER)
	cmake --build $(TSAN_DIR) --target $(TSAN_TESTS)
	cd $(TSAN_DIR)/tests && for t in $(TSAN_TESTS); do \
		TSAN_OPTIONS=halt_on_error=1 ./$$t || exit 1; done

# The project loader under libFuzzer, built with clang; not part of `make test`. The test
# fixtures are the seeds; what it finds goes to $(FUZZ_DIR)/corpus, crashes to crash-* files.
# Leaks are not reported: the archive library does not free the object it was reading
# through a pointer when the load fails inside it.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DTARLO_FUZZ=ON -DTARLO_GUI=OFF -DTARLO_BENCH=OFF $(LAUNCHER)
	cmake --build $(FUZZ_DIR) --target fuzz_project_load
	mkdir -p $(FUZZ_DIR)/corpus $(FUZZ_DIR)/seeds
	cp tests/data/project/* examples/demo/demo.tlp $(FUZZ_DIR)/seeds/
	ASAN_OPTIONS=detect_leaks=0 $(FUZZ_DIR)/fuzz/fuzz_project_load \
		-max_total_time=$(FUZZ_SECONDS) \
		-artifact_prefix=$(FUZZ_DIR)/ $(FUZZ_DIR)/corpus $(FUZZ_DIR)/seeds

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
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(TSAN_DIR) $(FUZZ_DIR) $(DEMO_DIR)
