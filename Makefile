# The two commands of the README, and the benchmarks. Each first installs missing Debian packages.

# JOBS: how many build steps, test programs and voice-pack recordings run at once; empty or unset,
# every core. A target that takes it refuses anything but a whole number from 1 to MOST_JOBS
# before it starts: make reads "-j" without a number as no limit at all, and stalls on tens of
# thousands. VOCAB_JOBS, the voice pack's recordings, follows JOBS, or is checked alike when it is
# given on the command line.
MOST_JOBS := 1024
JOBS_TARGETS := run run-online test build-test test-tsan bench build-clang fuzz
cores = $(shell n=$$(nproc); [ "$$n" -le $(MOST_JOBS) ] || n=$(MOST_JOBS); echo $$n)
digitless = $(subst 0,,$(subst 1,,$(subst 2,,$(subst 3,,$(subst 4,,$(subst 5,,$(subst 6,,$(subst \
  7,,$(subst 8,,$(subst 9,,$(1)))))))))))
# Only one word of digits reaches the shell, which drops leading zeros and checks the range; a
# number of more than four digits is out of it before the shell's test, which cannot read one
# longer than its integers and would say so.
jobs_number = $(if $(and $(filter 1,$(words $(1))),$(if $(call digitless,$(1)),,digits)),$(shell \
  n=$$(expr $(1) + 0 2>/dev/null) && [ $${#n} -le 4 ] && [ "$$n" -ge 1 ] && \
  [ "$$n" -le $(MOST_JOBS) ] && echo $$n))
# $(call jobs_count,NAME): the value of the variable NAME as a number of jobs, or a stop naming it.
jobs_count = $(if $(strip $($(1))),$(or $(call jobs_number,$(strip $($(1)))),$(error $(1) takes \
  a whole number from 1 to $(MOST_JOBS), or nothing for every core; not "$($(1))")),$(cores))
ifneq ($(filter $(JOBS_TARGETS),$(MAKECMDGOALS)),)
  override JOBS := $(call jobs_count,JOBS)
  ifeq ($(origin VOCAB_JOBS),command line)
    override VOCAB_JOBS := $(call jobs_count,VOCAB_JOBS)
  else
    VOCAB_JOBS := $(JOBS)
  endif
  export VOCAB_JOBS
endif

.PHONY: deps run run-online test test-tsan bench build-test build-clang clean

deps:
	@bash scripts/install-deps.sh

run: deps
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOCAB_TESTS=OFF
	cmake --build build/release -j $(JOBS) --target vocab
	build/release/app/vocab $(ARGS)

# The app against the stand-in account server, which listens on 127.0.0.1:STANDIN_PORT (8080, the
# shipped server base, unless given) while the app runs and keeps its accounts and backups in
# STANDIN_DATA between runs. The app's server base (the personal value "url" in its study database,
# copied from the bundle first when the app has none yet) is set to the stand-in. The stand-in is
# also the app's store lookup, analytics log service and maker's web site; STANDIN_ARGS goes to it
# (--store-version 9.0 makes the version check offer an update).
STANDIN_DATA ?= $(HOME)/.local/share/vocab-standin
STANDIN_PORT ?= 8080
STANDIN = http://127.0.0.1:$(STANDIN_PORT)
STUDY_DB = $(or $(VOCAB_HOME),$(HOME)/.local/share/vocab)/Library/Application Support/learn.db
run-online: deps
	@case "$(STANDIN_PORT)" in ''|*[!0-9]*|0*) false;; esac && [ "$(STANDIN_PORT)" -le 65535 ] || \
	  { echo "STANDIN_PORT takes a port number from 1 to 65535, not '$(STANDIN_PORT)'"; exit 2; }
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOCAB_TESTS=OFF
	cmake --build build/release -j $(JOBS) --target vocab vocab-standin
	@mkdir -p "$(STANDIN_DATA)"
	@db="$(STUDY_DB)"; if [ ! -f "$$db" ]; then mkdir -p "$$(dirname "$$db")" && \
	  cp build/release/bundle/learn.db "$$db" && { chattr +d "$$db" 2>/dev/null || true; }; fi && \
	  sqlite3 -cmd '.timeout 5000' "$$db" "replace into Var_Config (vc_tVarName,vc_tValue,vc_uNeedSync) \
	    values ('url','$(STANDIN)',1)"
	@build/release/app/vocab-standin --data "$(STANDIN_DATA)" --port $(STANDIN_PORT) \
	  --library build/release/bundle/learn.db $(STANDIN_ARGS) >>"$(STANDIN_DATA)/requests.log" 2>&1 & \
	  server=$$!; trap 'kill $$server 2>/dev/null' EXIT INT TERM; sleep 1; \
	  if ! kill -0 $$server 2>/dev/null; then tail -n 3 "$(STANDIN_DATA)/requests.log"; exit 1; fi; \
	  echo "stand-in server on $(STANDIN), requests logged in $(STANDIN_DATA)/requests.log"; \
	  VOCAB_STORE_LOOKUP=$(STANDIN) VOCAB_ANALYTICS_LOG_URL=$(STANDIN) VOCAB_MAKER_SITE=$(STANDIN) \
	  build/release/app/vocab $(ARGS)

build-test: deps
	cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DVOCAB_SANITIZE=ON
	cmake --build build/test -j $(JOBS)

test: build-test
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir build/test --output-on-failure -j $(JOBS)

# The whole tree, tests and benchmarks included, built with clang as well (CI builds both
# compilers, so that a change cannot break the benchmarks' build unseen; none of them runs here).
build-clang:
	@bash scripts/install-deps.sh clang
	CC=clang CXX=clang++ cmake -S . -B build/clang -DVOCAB_BENCH=ON
	cmake --build build/clang -j $(JOBS)

# The same tests under ThreadSanitizer (the threaded libraries' race check; not part of make test).
test-tsan: deps
	cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=Debug -DVOCAB_TSAN=ON
	cmake --build build/tsan -j $(JOBS)
	TSAN_OPTIONS=suppressions=$(CURDIR)/tests/tsan.supp:halt_on_error=1 \
	  ctest --test-dir build/tsan --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DVOCAB_TESTS=OFF -DVOCAB_BENCH=ON
	cmake --build build/bench -j $(JOBS)
	@set -e; for b in $$(find build/bench/bench -type f -executable -name '*_bench' | sort); do \
	  echo "== $$b"; $$b; done

clean:
	rm -rf build

# Fuzzing: every harness under tests/fuzz built with clang's libFuzzer and run FUZZ_SECONDS each.
FUZZ_SECONDS ?= 300
.PHONY: fuzz
fuzz:
	@bash scripts/install-deps.sh fuzz
	CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOCAB_TESTS=OFF -DVOCAB_FUZZ=ON
	cmake --build build/fuzz -j $(JOBS)
	@set -e; for f in $$(find build/fuzz/tests/fuzz -type f -executable -name 'fuzz_*' | sort); do \
	  name=$$(basename $$f); mkdir -p build/fuzz/corpus/$$name; \
	  echo "== $$name for $(FUZZ_SECONDS)s"; \
	  VOCAB_BUNDLE=$(CURDIR)/build/fuzz/bundle $$f -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 build/fuzz/corpus/$$name tests/fuzz/seeds/$$name; done
