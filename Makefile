# Shorthands for the scripts in scripts/ (which need no make themselves):
#   make run        set up everything and run the main job      (scripts/run.sh)
#   make test       set up everything and run every test        (scripts/test.sh)
#   make sanitize   the AddressSanitizer+UBSan build and tests  (scripts/sanitize.sh)
#   make fuzz       the fuzzers within FUZZ_SECONDS in all      (scripts/fuzz.sh)

BUILD        ?= build
ASAN_BUILD   ?= build-asan
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 120

.PHONY: run test sanitize fuzz clean

run:
	./scripts/run.sh $(BUILD)

test:
	./scripts/test.sh $(BUILD)

sanitize:
	./scripts/sanitize.sh $(ASAN_BUILD)

fuzz:
	./scripts/fuzz.sh $(FUZZ_SECONDS) $(FUZZ_BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
