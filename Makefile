# Two commands for a newcomer: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test bench clean

deps:
	@sh tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/src/tarvex $(ARGS)

test: build
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# Speed measurements (Google Benchmark); BENCH_ARGS passes options, e.g. --benchmark_filter=Payload.
bench: configure
	@cmake -S . -B $(BUILD) -DTARVEX_BENCH=ON >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target tarvex_bench
	$(BUILD)/bench/tarvex_bench $(BENCH_ARGS)

clean:
	rm -rf $(BUILD)
