# mivora: `make demo` and `make test` work on a fresh Debian machine as root.
PYTHON ?= python3
BUILD_DIR ?= build
# CI builds treat warnings as errors.
WERROR := $(if $(CI),ON,OFF)
CMAKE_FLAGS ?=
# Rebuilds across several build folders and work trees share a compiler cache
# when there is one; ccache does not cache compiles that use a precompiled
# header, so those are kept for builds without it (a fresh machine's).
LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DMIVORA_PRECOMPILED_HEADERS=OFF,\
  -DMIVORA_PRECOMPILED_HEADERS=ON)

export PYTHONPATH := $(CURDIR)/$(BUILD_DIR)$(if $(PYTHONPATH),:$(PYTHONPATH))

.PHONY: build deps demo-deps test demo bench clean sanitize fuzz fuzz-deps typecheck wheels docs

build:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DPython_EXECUTABLE=$$(command -v $(PYTHON)) \
	  -DMIVORA_WERROR=$(WERROR) $(LAUNCHER) $(CMAKE_FLAGS) >/dev/null
	cmake --build $(BUILD_DIR)

# One stamp per build directory: each interpreter (own BUILD_DIR) gets its packages.
DEPS_STAMP := $(BUILD_DIR)/.deps-stamp
deps: $(DEPS_STAMP)

$(DEPS_STAMP): tools/install_deps.sh requirements-dev.txt requirements-demo.txt
	PYTHON=$(PYTHON) tools/install_deps.sh
	mkdir -p $(BUILD_DIR)
	touch $@

# The demo's own, lighter needs (compiler and build tools); a machine that
# has everything already skips them.
DEMO_STAMP := $(BUILD_DIR)/.demo-deps-stamp
demo-deps: $(if $(wildcard $(DEPS_STAMP)),,$(DEMO_STAMP))

$(DEMO_STAMP): tools/install_deps.sh requirements-demo.txt
	PYTHON=$(PYTHON) tools/install_deps.sh --demo
	mkdir -p $(BUILD_DIR)
	touch $@

test: deps build
	$(PYTHON) -m pytest -q tests
	$(MAKE) --no-print-directory typecheck

# The stubs against the built module, and a typed example against the stubs.
typecheck: build
	cd $(BUILD_DIR) && MYPYPATH=$(CURDIR)/$(BUILD_DIR) $(PYTHON) -m mypy.stubtest mivora
	MYPYPATH=$(CURDIR)/$(BUILD_DIR) $(PYTHON) -m mypy --strict --cache-dir $(BUILD_DIR)/.mypy_cache examples/typed_example.py

demo: demo-deps build
	$(PYTHON) examples/demo.py

bench: deps build
	$(PYTHON) benchmarks/peers.py

# The whole suite against a build with AddressSanitizer and UBSan.
SANITIZE_DIR ?= build-sanitize
sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -G Ninja -DPython_EXECUTABLE=$$(command -v $(PYTHON)) \
	  -DMIVORA_WERROR=$(WERROR) -DMIVORA_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(SANITIZE_DIR)
	PYTHON=$(PYTHON) tools/sanitize/run_tests.sh $(SANITIZE_DIR)

# libFuzzer targets over the core, each run for FUZZ_SECONDS.
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz-deps: .fuzz-deps-stamp

.fuzz-deps-stamp: tools/install_fuzz_deps.sh
	tools/install_fuzz_deps.sh
	touch $@

fuzz: fuzz-deps
	cmake -S . -B $(FUZZ_DIR) -G Ninja -DMIVORA_FUZZ=ON -DCMAKE_CXX_COMPILER=$$(tools/install_fuzz_deps.sh --compiler) \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(FUZZ_DIR)
	FUZZ_SECONDS=$(FUZZ_SECONDS) tools/run_fuzz.sh $(FUZZ_DIR)

# The documentation site in docs/_build/: the API reference from the stubs,
# the gallery drawn now; warnings and broken links fail the build.
docs: deps build
	rm -rf docs/_stubs && mkdir -p docs/_stubs/mivora && cp src/mivora.pyi docs/_stubs/mivora/__init__.pyi
	$(PYTHON) tools/docs_gallery.py
	NO_MKDOCS_2_WARNING=1 $(PYTHON) -m mkdocs build --strict --quiet
	$(PYTHON) tools/check_docs_site.py docs/_build

# manylinux2014 wheels for each CPython version (zig's clang for glibc 2.17;
# WHEEL_TOOLCHAIN=gcc: the machine's gcc, for the machine's glibc) and the
# sdist in dist/, then each wheel installed into a fresh virtual environment
# of its Python and tested, and the sdist built and installed with the
# system's RapidJSON and Expat headers hidden. WHEEL_ARCHS="x86_64 aarch64"
# adds the aarch64 wheel for CPython 3.11, checked under qemu-user in an
# arm64 Debian sysroot (tools/check_wheel_aarch64.sh; AARCH64_TESTS=smoke
# skips its test suite run).
WHEEL_VERSIONS ?= 3.11 3.12 3.13
WHEEL_TOOLCHAIN ?= zig
WHEEL_ARCHS ?= x86_64
# The wheels are compared with the build folder's module when there is one
# (always for aarch64): brought up to date first.
wheels: $(if $(or $(wildcard $(BUILD_DIR)/build.ninja),$(findstring aarch64,$(WHEEL_ARCHS))),build)
	VERSIONS="$(WHEEL_VERSIONS)" WHEEL_TOOLCHAIN=$(WHEEL_TOOLCHAIN) WHEEL_ARCHS="$(WHEEL_ARCHS)" tools/build_wheels.sh
	for version in $(if $(findstring x86_64,$(WHEEL_ARCHS)),$(WHEEL_VERSIONS)); do \
	  python=$$(tools/python_for.sh $$version) && PYTHON=$$python tools/install_deps.sh && \
	  PYTHON=$$python REFERENCE_BUILD=$(CURDIR)/$(BUILD_DIR) tools/check_wheel.sh || exit 1; \
	done
	$(if $(findstring aarch64,$(WHEEL_ARCHS)),REFERENCE_BUILD=$(CURDIR)/$(BUILD_DIR) REFERENCE_PYTHON=$(PYTHON) tools/check_wheel_aarch64.sh)
	tools/check_sdist.sh

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR) docs/_build docs/_stubs docs/src/gallery dist .deps-stamp .fuzz-deps-stamp

# Syntax check of the viewer page's script (needs node).
.PHONY: lint
lint:
	node --check src/pages/page.js
	node --check src/pages/webgl_page.js
