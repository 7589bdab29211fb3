BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
EDITOR_BIN := $(BUILD_DIR)/bin/useropts-editor

.PHONY: run test build packages configure clean

packages:
	@sh scripts/ensure-packages.sh

configure: packages
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

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

clean:
	rm -rf $(BUILD_DIR)
