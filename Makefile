# mivora: `make demo` and `make test` work on a fresh Debian machine as root.
PYTHON ?= python3
BUILD_DIR ?= build
# CI builds treat warnings as errors.
WERROR := $(if $(CI),ON,OFF)
CMAKE_FLAGS ?=

export PYTHONPATH := $(CURDIR)/$(BUILD_DIR)$(if $(PYTHONPATH),:$(PYTHONPATH))

.PHONY: build deps test demo bench clean

build:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DPython_EXECUTABLE=$$(command -v $(PYTHON)) \
	  -DMIVORA_WERROR=$(WERROR) $(CMAKE_FLAGS) >/dev/null
	cmake --build $(BUILD_DIR)

deps: .deps-stamp

.deps-stamp: tools/install_deps.sh requirements-dev.txt
	PYTHON=$(PYTHON) tools/install_deps.sh
	touch $@

test: deps build
	$(PYTHON) -m pytest -q tests

demo: deps build
	$(PYTHON) examples/demo.py

bench: deps build
	$(PYTHON) benchmarks/peers.py

clean:
	rm -rf $(BUILD_DIR) .deps-stamp
