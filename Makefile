# Set-up-and-go entry points.  See README.md.
BUILD   ?= build
ASAN    ?= build-asan
JOBS    ?= $(shell nproc)
EXAMPLE ?= examples/queens-8.xml
CTEST    = ctest --output-on-failure -j $(JOBS) --timeout 600

.PHONY: all deps build build-asan run test test-release test-asan bench fuzz clean

all: build

deps:
	@scripts/deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_SANITIZE=ON
	cmake --build $(ASAN) -j $(JOBS)

run: build
	-$(BUILD)/vantor -complete < $(EXAMPLE)

test-release: build
	cd $(BUILD) && $(CTEST)

test-asan: build-asan
	cd $(ASAN) && $(CTEST)

# The whole suite, once in Release and once under ASan+UBSan.
test: test-release test-asan

bench: build
	bench/run.sh $(BUILD)

fuzz:
	@scripts/deps.sh --fuzz
	fuzz/run.sh

clean:
	rm -rf $(BUILD) $(ASAN) build-fuzz
