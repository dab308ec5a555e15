# Front door: `make test` and `make run`. Each installs what is missing, configures and builds.
.PHONY: all deps host win32 test test-host test-win32 run bench fuzz format clean release \
	release-check

CTEST_FLAGS ?= --output-on-failure

all: win32

deps:
	@bash scripts/install-deps.sh

host: deps
	@cmake --preset host >/dev/null
	@cmake --build --preset host

# The Windows build packs its payload with host tools, so the host build comes first. Only
# `make release` signs: signing settings of an earlier release are dropped here.
win32: host
	@cmake --preset win32 -U 'PAGIX_SIGN*' >/dev/null
	@cmake --build --preset win32

# The release check (label "release") builds the release twice; CI runs it after the tests.
test: win32
	ctest --preset host -j2 $(CTEST_FLAGS)
	ctest --preset win32 -LE release $(CTEST_FLAGS)

test-host: host
	ctest --preset host -j2 $(CTEST_FLAGS)

test-win32: win32
	ctest --preset win32 -LE release $(CTEST_FLAGS)

# build/release: PagixSetup.exe and SHA256SUMS, signed when PAGIX_SIGN_* name a certificate.
release:
	@bash scripts/release.sh

release-check: win32
	ctest --preset win32 -L release $(CTEST_FLAGS)

run: win32
	@bash scripts/run-installer.sh

bench: win32
	@bash scripts/bench.sh

fuzz: host
	@bash scripts/fuzz.sh

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
