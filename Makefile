# The two commands of the README, and the checks and figures behind them. All
# install what they need first.
BUILD ?= build
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 20

.PHONY: all deps configure build test check check-asan check-tsan fuzz bench run package format clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVANE_WERROR=ON >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Everything: the tests, the core, process and engine tests again under ASan and
# UBSan, and a short run of every fuzzer.
test: check check-asan
	@$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=$(FUZZ_SECONDS)

check: build
	@cd $(BUILD) && ctest --output-on-failure --no-tests=error -j $(JOBS)

check-asan: deps
	@cmake --preset asan-ubsan >/dev/null
	@cmake --build build-asan -j $(JOBS)
	@cd build-asan && ctest --output-on-failure --no-tests=error -j $(JOBS)

# The stand-in's tests run its programs as child processes and take long under
# TSan; they are left out here.
check-tsan: deps
	@cmake --preset tsan >/dev/null
	@cmake --build build-tsan -j $(JOBS)
	@cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure --no-tests=error \
	  -j $(JOBS) --label-exclude standin-engine

# make fuzz FUZZ_SECONDS=600 for a longer run.
fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build build-fuzz -j $(JOBS)
	@bash scripts/fuzz.sh build-fuzz $(FUZZ_SECONDS)

# Each figure beside its floor; the desktop figures take about eight minutes,
# the stand-in engine and server's a few more.
bench: build
	@$(BUILD)/bench/quorvane_bench
	@QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES=default.warning=false $(BUILD)/bench/quorvane_qt_bench
	@bash bench/desktop_figures.sh $(BUILD)
	@bash bench/standin_engine_throughput.sh $(BUILD)

# Builds only the application (front end, engine, resources), not the tests.
run: configure
	@cmake --build $(BUILD) -j $(JOBS) --target quorvane-menubar
	@bash scripts/run.sh $(BUILD)

# A Debian package of the installation, in $(BUILD).
package: build
	@cd $(BUILD) && cpack -G DEB

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD) build-asan build-tsan build-fuzz
