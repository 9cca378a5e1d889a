# Velloran: `make run` builds and starts the game, `make test` builds and runs every test.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: run test build deps configure assets bench clean

run: build
	$(BUILD)/velloran

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

deps:
	@tools/install-deps.sh

# Draws the pictures and writes the song and the thunder into assets/ again.
assets:
	@tools/install-deps.sh
	@dpkg-query -W python3-pil fonts-wqy-microhei >/dev/null 2>&1 || \
	  { [ "$$(id -u)" -eq 0 ] && apt-get install -y -qq python3-pil fonts-wqy-microhei; } || \
	  { echo "make assets needs: sudo apt-get install python3-pil fonts-wqy-microhei" >&2; exit 1; }
	/usr/bin/python3 tools/generate_assets.py

bench: build
	$(BUILD)/bench/velloran_bench

clean:
	rm -rf $(BUILD)
