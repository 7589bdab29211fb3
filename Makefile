# SPDX-License-Identifier: GPL-3.0-or-later
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
EDITOR_BIN := $(BUILD_DIR)/bin/useropts-editor

.PHONY: run test build packages configure clean fuzz bench sanitize format format-check install package build-release

packages:
	@sh scripts/ensure-packages.sh

configure: packages
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DBUILD_TESTING=ON -DUSEROPTS_WERROR=ON >/dev/null

build: configure
	@cmake --build $(BUILD_DIR)

run: build
	@if [ -z "$${DISPLAY:-}" ] && [ -z "$${WAYLAND_DISPLAY:-}" ]; then \
		echo "There is no display to show the editor on; run it under a virtual X server with:"; \
		echo "  xvfb-run -a -s '-screen 0 1024x768x24 -noreset' $(EDITOR_BIN)"; \
		exit 1; \
	fi
	@$(EDITOR_BIN)

test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure

# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: packages
	@cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DUSEROPTS_SANITIZE=ON \
		-DBUILD_TESTING=ON -DUSEROPTS_WERROR=ON >/dev/null
	@cmake --build build-asan
	@cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp ctest --output-on-failure

fuzz:
	@sh scripts/ensure-packages.sh clang libclang-rt-14-dev
	@sh scripts/fuzz.sh

bench:
	@sh scripts/ensure-packages.sh libbenchmark-dev hyperfine time python3
	@sh scripts/bench.sh

# The programs alone, as a distribution builds them: no test suite and no
# Qt Test, in build-release/.
build-release: packages
	@cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
		-DUSEROPTS_WERROR=ON >/dev/null
	@cmake --build build-release

# Installs into CMAKE_INSTALL_PREFIX (/usr/local unless configured otherwise),
# below DESTDIR when it is set.
install: build
	@cmake --install $(BUILD_DIR)

# The two Debian packages, useropts (the command) and useropts-editor (the
# window), installed under /usr; prints their paths.
package: build
	@sh scripts/ensure-packages.sh dpkg-dev file
	@rm -rf $(BUILD_DIR)/package
	@cd $(BUILD_DIR) && cpack -G DEB >/dev/null
	@ls $(BUILD_DIR)/package/*.deb

# Our C++ sources as clang-format writes them; the check only lists the files
# that differ and fails if there are any.
format:
	@sh scripts/ensure-packages.sh clang-format
	@sh scripts/format.sh

format-check:
	@sh scripts/ensure-packages.sh clang-format
	@sh scripts/format.sh --check

# Every build folder the targets above and the scripts make, and the one the
# artwork tool is built in (resources/README.md).
clean:
	rm -rf $(sort build $(BUILD_DIR) build-asan build-fuzz build-bench build-artwork build-release)
