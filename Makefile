# Kelvo: `make run` builds and starts the program, `make test` builds and runs every test.
BUILD ?= build
JOBS ?= $(shell nproc)
# ON makes every compiler warning an error (CI sets it; see .ci/run).
WERROR ?= OFF
# unzip: the tests read the program's archives with the common unzip command too. xvfb, openbox,
# x11-utils and xdotool: the window tests of tests/desktop run on an X server of their own with a
# window manager, read its frames and press its keys.
PACKAGES = cmake g++ make pkg-config qt6-base-dev libsqlite3-dev libpugixml-dev libzip-dev zlib1g-dev \
           libxlsxwriter-dev googletest libgtest-dev libbenchmark-dev libcpp-httplib-dev \
           unzip xvfb openbox x11-utils xdotool

# What the benchmarks alone need when they run: the zip, pigz, sqlite3 and python3 commands they are
# measured against, and GNU time, which tells a started program's peak memory.
BENCH_PACKAGES = zip pigz sqlite3 python3 time

# The fuzz build: clang with libFuzzer and the sanitizers, in a folder of its own.
FUZZ_BUILD ?= build-fuzz
FUZZ_PACKAGES = clang libclang-rt-14-dev
# How long `make fuzz` runs each target, in seconds.
FUZZ_SECONDS ?= 60

.PHONY: deps bench-deps fuzz-deps configure build run test sanitize bench fuzz clean

# Installs the packages of $(1) that are missing.
define install_missing
	@missing=$$(for p in $(1); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q $$missing; \
	  else \
	    echo "Missing packages. Run: sudo apt-get update && sudo apt-get install -y $$missing"; exit 1; \
	  fi; \
	fi
endef

deps:
	$(call install_missing,$(PACKAGES))

bench-deps:
	$(call install_missing,$(BENCH_PACKAGES))

fuzz-deps:
	$(call install_missing,$(FUZZ_PACKAGES))

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVO_WERROR=$(WERROR) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# The program (with the empty database it ships) and the simulators to try it with; the tests and
# benchmarks are built by `make test` and `make bench`. EDITION=Full, Engineering or Simple
# chooses the edition in the user's settings file (it stays chosen); without it, the full edition
# unless an edition is already chosen in a settings file.
SETTINGS = $${XDG_CONFIG_HOME:-$$HOME/.config}/KRX/Kelvo.ini
EDITION ?=
run: configure
	@case "$(EDITION)" in ""|Full|Engineering|Simple) ;; \
	  *) echo "EDITION is Full, Engineering or Simple"; exit 1;; esac
	@cmake --build $(BUILD) -j $(JOBS) --target kelvo simulators
	@if [ -n "$(EDITION)" ] || ! grep -qs '^[[:space:]]*Flavour[[:space:]]*=' $(SETTINGS) /etc/xdg/KRX/Kelvo.ini; then \
	  mkdir -p $$(dirname $(SETTINGS)); touch $(SETTINGS); \
	  { echo 'Flavour=$(or $(EDITION),Full)'; grep -v '^[[:space:]]*Flavour[[:space:]]*=' $(SETTINGS); } \
	    > $(SETTINGS).new; mv $(SETTINGS).new $(SETTINGS); fi
	./$(BUILD)/kelvo

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest -j $(JOBS) --output-on-failure --timeout 60

# Every test again, built with AddressSanitizer and UndefinedBehaviorSanitizer in a folder of its
# own. Reports from inside the libraries the program uses are suppressed by the files in
# tests/sanitize (the build's own test discovery runs the test programs, so it needs them too).
SANITIZE_BUILD ?= build-sanitize
SANITIZE_ENV = ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:suppressions=$(CURDIR)/tests/sanitize/asan.supp \
               LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitize/lsan.supp:print_suppressions=0 \
               UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:suppressions=$(CURDIR)/tests/sanitize/ubsan.supp
sanitize: deps
	@cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVO_SANITIZE=ON -DKELVO_BENCH=OFF -DKELVO_WERROR=$(WERROR) >/dev/null
	@$(SANITIZE_ENV) cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && $(SANITIZE_ENV) QT_QPA_PLATFORM=offscreen ctest -j $(JOBS) --output-on-failure --timeout 60

bench: build bench-deps
	@for b in $(BUILD)/bench_*; do echo "== $$b"; $$b; done

# Builds every fuzz target and runs each for FUZZ_SECONDS, starting from its corpus in
# tests/fuzz/corpus; what it adds to the corpus, and any input that finds a fault, stay in
# $(FUZZ_BUILD). An input taking over a second or more than 2 GB counts as a fault; reports from
# inside the libraries are suppressed as in `make sanitize`.
FUZZ_ENV = LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitize/lsan.supp:print_suppressions=0 \
           UBSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitize/ubsan.supp QT_QPA_PLATFORM=offscreen
fuzz: deps fuzz-deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVO_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets
	@for src in tests/fuzz/corpus/*; do t=$$(basename $$src); mkdir -p $(FUZZ_BUILD)/corpus/$$t $(FUZZ_BUILD)/found; \
	  echo "== fuzz_$$t"; \
	  $(FUZZ_ENV) $(FUZZ_BUILD)/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -timeout=1 -rss_limit_mb=2048 \
	    -artifact_prefix=$(FUZZ_BUILD)/found/$$t- $(FUZZ_BUILD)/corpus/$$t $$src || exit 1; done

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD)
