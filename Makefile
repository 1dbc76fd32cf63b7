# The two commands a fresh machine needs: `make run` and `make test`.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
ASAN_DIR ?= build-asan
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
PREFIX ?= /usr/local

.PHONY: deps configure build run test test-asan fuzz install package format translations clean

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: configure
	cmake --build $(BUILD_DIR)

run: build
	./$(BUILD_DIR)/flingdial

test: build
	bash scripts/run-tests.sh $(BUILD_DIR)

# Installs under PREFIX (/usr/local unless given); DESTDIR stages it elsewhere.
install: build
	cmake -S . -B $(BUILD_DIR) -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build $(BUILD_DIR)
	DESTDIR=$(DESTDIR) cmake --install $(BUILD_DIR)

# A Debian package in the build folder, installing under /usr.
package: build
	cd $(BUILD_DIR) && cpack

# The unit suites and the command-line runs under AddressSanitizer and
# UndefinedBehaviorSanitizer, in a build folder of their own.
test-asan: deps
	cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="-O1 -g1" \
		-DFLINGDIAL_SANITIZE=ON
	cmake --build $(ASAN_DIR)
	bash scripts/run-tests.sh $(ASAN_DIR) --label-exclude 'desktop|packaging|wayland'

# Each parser of users' files under libFuzzer for FUZZ_SECONDS (a minute
# unless given), built with clang in a folder of its own.
fuzz: deps
	cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=None \
		-DCMAKE_CXX_FLAGS="-O1 -g1" -DFLINGDIAL_FUZZ=ON
	cmake --build $(FUZZ_DIR) --target fuzz_targets
	bash fuzz/run.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

# Brings translations/*.ts up to date with the texts in src/ (lupdate).
translations: configure
	cmake --build $(BUILD_DIR) --target update_translations

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR)
