# One-command entry points for a fresh Debian 12 machine.
#   make run    set up everything and run the main job
#   make test   set up everything and run every test
#   make sanitize / make fuzz   the AddressSanitizer+UBSan build and the bounded fuzz runs

BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
# Time budget of all fuzzers together, in seconds; run-fuzzers.sh shares it out.
FUZZ_SECONDS ?= 120
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

PACKAGES := build-essential cmake ninja-build pkg-config git \
	qt6-base-dev libgl-dev libudev-dev libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev \
	clang libclang-rt-14-dev xvfb xauth

.PHONY: deps configure build run test sanitize fuzz clean

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing: $$missing"; \
	  $(SUDO) apt-get update -q && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -q $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@./scripts/run-demo.sh $(BUILD)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

sanitize: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSARON_SANITIZE=ON \
	  -DTESSARON_BUILD_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTESSARON_FUZZ=ON -DTESSARON_BUILD_GUI=OFF -DTESSARON_BUILD_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_decode_settings fuzz_load_config_file \
	  fuzz_command_text fuzz_report_descriptor fuzz_hid_reply fuzz_keyboard_reply fuzz_serial_reply
	./scripts/run-fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
