# The two commands a newcomer needs:
#   make run   builds the demo and runs it (records it when there is no display)
#   make test  installs what is missing, builds and runs every test
#              (the Windows build under Wine included)
# Also: make check (the fast suite: no Wine, browser or fuzz run),
# make soak (two minutes of the real program), make bench, make sanitize
# (the test suite under address and undefined-behaviour sanitizers), make
# stress (the suite with the collector at its most eager, in build-stress/),
# make fuzz (the libFuzzer targets, with clang, in build-fuzz/), make
# windows (the Windows program in out/windows and
# out/moonlit-harbor-windows.zip), make web (the show for a browser in
# out/web), make serve-web (serves it on 127.0.0.1), make install
# PREFIX=... (the program installed, default /usr/local), make package (the
# Debian package in out/), make clean.

BUILD      ?= build
ASAN_BUILD ?= build-asan
WIN_BUILD  ?= build-windows
WIN_OUT    ?= out/windows
WEB_BUILD  ?= build-web
WEB_OUT    ?= out/web
WEB_PORT   ?= 8000
# emcc needs Debian's node modules, which another packager's node misses.
WEB_ENV    = NODE_PATH=$${NODE_PATH:-/usr/share/nodejs}
FUZZ_BUILD ?= build-fuzz
STRESS_BUILD ?= build-stress
JOBS       ?= $(shell nproc)
PREFIX     ?= /usr/local
CMAKE_ARGS ?=
# Tests drive real windows: without a display they get their own X server.
XRUN = $(if $(DISPLAY),,xvfb-run -a -s "-screen 0 1024x768x24 -noreset")
# Audio in tests plays into nothing on machines without a sound card.
TEST_ENV = SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null
# The show recorded at a fixed frame rate (moonlit-capture --help).
CAPTURE_OUT ?= out
CAPTURE_RUN = $(XRUN) $(BUILD)/capture/moonlit-capture --out $(CAPTURE_OUT)

.PHONY: all build run capture test check soak stress bench sanitize windows web serve-web fuzz deps install package clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DMOONLIT_WINDOWS_TEST=ON -DMOONLIT_WEB_TEST=ON $(CMAKE_ARGS)

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: deps build
ifeq ($(DISPLAY),)
	@echo "No display here: recording the show instead (make capture)."
	$(CAPTURE_RUN)
else
	cd $(BUILD)/demo && ./moonlit-harbor
endif

# out/moonlit-harbor.mp4 with ffmpeg; PNG frames and a WAVE in out/ without.
capture: deps build
	$(CAPTURE_RUN)

# The program with its launcher, data, desktop entry, icons and metainfo.
install: deps build
	cmake --install $(BUILD) --prefix $(PREFIX) --strip

# out/moonlit-harbor_VERSION_ARCH.deb, made by CPack; install it with
# apt install ./out/moonlit-harbor_*.deb.
package: deps build
	rm -rf $(BUILD)/package
	cd $(BUILD) && cpack -G DEB -B $(CURDIR)/$(BUILD)/package
	mkdir -p out && cp $(BUILD)/package/*.deb out/

# The tests include the Windows program under Wine, the web build in a
# browser and a short run of the fuzz targets, so the cross-build, the web
# build and the fuzz targets come first.
test: deps windows web fuzz build
	cd $(BUILD) && $(TEST_ENV) $(XRUN) ctest --output-on-failure -j $(JOBS)

# What to run after every change: all but the Windows, browser and fuzz runs.
check: deps build
	cd $(BUILD) && $(TEST_ENV) $(XRUN) ctest --output-on-failure -j $(JOBS) -LE "windows|web|fuzz"

# Two minutes of the real program: it must keep running and close cleanly;
# its resident memory is printed every 10 s (the fast suite's long run holds
# the collector's heap flat).
soak: deps build
	scripts/soak-run $(BUILD)/demo/moonlit-harbor 120 10

# The collector ends a cycle at every safe point and marks at every
# allocation, with the heap check on: a store that skips the write barrier
# fails at once.
stress: deps
	cmake -S . -B $(STRESS_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOONLIT_GC_STRESS=ON -DMOONLIT_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(STRESS_BUILD) -j $(JOBS)
	cd $(STRESS_BUILD) && $(TEST_ENV) $(XRUN) ctest --output-on-failure -j $(JOBS) -LE "windows|web|fuzz"

# bench_frame opens windows (the demo, SDL2, immediate mode) and ends with
# the table of what a frame costs; bench/web measures the web build in
# headless Chromium when out/web and the browser driver are there. A
# benchmark that fails fails the target; the others still run first.
bench: deps build
	@failed=""; for b in $(BUILD)/bench/*/bench_*; do \
	  [ -x "$$b" ] || continue; echo "== $$b"; \
	  $(TEST_ENV) $(XRUN) "$$b" || failed="$$failed $$b"; \
	done; \
	if [ -f $(WEB_OUT)/index.html ] && [ -d $(BUILD)/tests/web/driver ]; then \
	  echo "== bench/web (headless Chromium)"; \
	  node bench/web/web_bench.mjs --web $(WEB_OUT) --driver $(BUILD)/tests/web/driver || failed="$$failed bench/web"; \
	else echo "== bench/web: skipped (make web, then make build with the web tests on)"; fi; \
	if [ -n "$$failed" ]; then echo "Failed:$$failed"; exit 1; fi

sanitize: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOONLIT_SANITIZE=ON -DMOONLIT_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && $(TEST_ENV) LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	  $(XRUN) ctest --output-on-failure -j $(JOBS)

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOONLIT_FUZZ=ON \
	  -DMOONLIT_TESTS=OFF -DMOONLIT_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets

# The Windows program, cross-built with mingw-w64 and laid out in $(WIN_OUT)
# with its DLLs and data, ready to zip. The libraries are built once from
# Debian's sources into a cache outside the tree (see README, Windows).
windows:
	@deps=$$(scripts/build-windows-deps) && \
	cmake -S . -B $(WIN_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DMOONLIT_WINDEPS="$$(dirname "$$deps")" >/dev/null && \
	cmake --build $(WIN_BUILD) -j $(JOBS) && \
	scripts/package-windows $(WIN_BUILD) $(WIN_OUT) "$$deps"

# The show for a browser, built with emscripten into $(WEB_OUT): the page,
# its .js and .wasm, the data files where the program looks for them, and
# libmikmod's licence (it is linked in; built once from Debian's source into
# a cache outside the tree).
web:
	@deps=$$(scripts/build-web-deps) && \
	$(WEB_ENV) emcmake cmake -S . -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release \
	  -DMOONLIT_WEBDEPS="$$(dirname "$$deps")" >/dev/null && \
	$(WEB_ENV) cmake --build $(WEB_BUILD) -j $(JOBS) --target moonlit-harbor && \
	rm -rf $(WEB_OUT) && mkdir -p $(WEB_OUT) && \
	cp -r $(addprefix $(WEB_BUILD)/demo/,index.html moonlit-harbor.js moonlit-harbor.wasm data spartanic.xm) \
	  "$$deps/licenses" $(WEB_OUT)/

serve-web: web
	@echo "Watch it at http://127.0.0.1:$(WEB_PORT)/ (Ctrl+C stops the server)"
	cd $(WEB_OUT) && python3 -m http.server $(WEB_PORT) --bind 127.0.0.1

# Every build folder and what the targets wrote to out/ (frames, videos,
# the Windows folder and zip, the web build, packages).
clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(STRESS_BUILD) $(WEB_BUILD) $(WIN_BUILD) out
