# Velloran: `make run` builds and starts the game, `make test` builds and runs every test.
# Works from any folder: make -f /path/to/Makefile run
ROOT := $(patsubst %/,%,$(dir $(abspath $(lastword $(MAKEFILE_LIST)))))
BUILD ?= $(ROOT)/build
JOBS ?= $(shell nproc)
# make install: where to, and a staging folder in front of it (packagers' DESTDIR).
PREFIX ?= /usr/local
DESTDIR ?=
DEPS := $(ROOT)/tools/install-deps.sh
BENCH_RUNS ?= 7
BENCH_SECONDS ?= 15

.PHONY: run test build deps configure install package package-check assets bench clean

run: deps
	cmake -S $(ROOT) -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS) --target velloran
	$(BUILD)/velloran

test: build
	@# Some tests run as an ordinary player: root may write to any file.
	@[ "$$(id -u)" -ne 0 ] || id -u velloran-test >/dev/null 2>&1 || \
	  useradd --system --no-create-home --shell /usr/sbin/nologin velloran-test
	ctest --test-dir $(BUILD) --output-on-failure --no-tests=error -j $(JOBS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

configure:
	@$(DEPS) run build test
	cmake -S $(ROOT) -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

# Running needs the run list, building (make run builds too) the build list; make test
# installs the test list as well.
deps:
	@$(DEPS) run build

# Installs the game under PREFIX (the executable in PREFIX/bin), staged in DESTDIR if set.
install: deps
	cmake -S $(ROOT) -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build $(BUILD) -j $(JOBS) --target velloran velloran_compressed_docs
	DESTDIR=$(DESTDIR) cmake --install $(BUILD)

# The Debian package, velloran_<version>_<arch>.deb in the build folder of its own: the game
# in /usr/games, its files in /usr/share.
package:
	@$(DEPS) run build package
	cmake -S $(ROOT) -B $(BUILD)-package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
	  -DVELLORAN_INSTALL_BINDIR=games -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
	  -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
	# CPack gives the package's members the permissions of the files it makes.
	umask 022 && cmake --build $(BUILD)-package -j $(JOBS) --target package
	@ls $(BUILD)-package/velloran_*.deb

# The package is reproducible: made twice from the last commit, cloned into two folders of
# different names and built under different umasks, it is the same to the byte. (What is not
# committed yet is not in it.)
CHECK := $(BUILD)-check
package-check:
	@$(DEPS) run build package
	rm -rf $(CHECK)
	for copy in one second-copy; do \
	  git clone --quiet --shared --no-checkout $(ROOT) $(CHECK)/$$copy && \
	  git -C $(CHECK)/$$copy checkout --quiet --detach $$(git -C $(ROOT) rev-parse HEAD) || exit 1; \
	done
	(umask 022 && $(MAKE) --no-print-directory -f $(CHECK)/one/Makefile package BUILD=$(CHECK)/one/build)
	(umask 002 && $(MAKE) --no-print-directory -f $(CHECK)/second-copy/Makefile package BUILD=$(CHECK)/second-copy/build)
	cmp $(CHECK)/one/build-package/velloran_*.deb $(CHECK)/second-copy/build-package/velloran_*.deb
	@echo "package-check: both builds gave the same package"

# Draws the pictures and the icons and writes the song and the thunder into assets/ again.
assets:
	@$(DEPS) assets
	/usr/bin/python3 $(ROOT)/tools/generate_assets.py

# Measures the real program under a private X server and prints one table (the engine's
# detailed benchmark is $(BUILD)/bench/velloran_bench). Figures, not a test: nothing passes or
# fails on them.
bench: build
	xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
	  $(BUILD)/bench/velloran_session_bench $(BUILD)/velloran $(BENCH_RUNS) $(BENCH_SECONDS)

# Removes what the builds made. The scores of make run (HiScore.dat, beside the game in the
# build folder) stay, as the only file left there.
clean:
	if [ -d $(BUILD) ]; then \
	  find $(BUILD) -mindepth 1 -maxdepth 1 ! -name HiScore.dat -exec rm -rf {} + && \
	  rmdir --ignore-fail-on-non-empty $(BUILD); \
	fi
	rm -rf $(BUILD)-package $(BUILD)-check
