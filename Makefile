# Front door: `make test` and `make run`. Each installs what is missing, configures and builds.
.PHONY: all deps host win32 win64 test test-host test-win32 test-win64 run bench fuzz format \
	clean release release-check

CTEST_FLAGS ?= --output-on-failure

# The Windows tier of this machine (scripts/windows-tier.sh): win32 where Wine starts the 32-bit
# programs, win64 (the 64-bit build of the same sources) where it cannot. Expanded only when a
# recipe runs, after `deps` has installed Wine.
windows_tier = $(shell bash scripts/windows-tier.sh)

# The 64-bit build's default installation and round trip: where the 32-bit tier runs, they keep
# the 64-bit build from rotting unseen. GoogleTest reads its filter from the environment, which
# Wine hands on to the test programs.
WIN64_SMOKE_TESTS = ^(installer_e2e_test|roundtrip_e2e_test)$$
WIN64_SMOKE_FILTER = InstallerE2eTest.DefaultInstallationAnsweredNo:RoundTripTest.*

all: win32

deps:
	@bash scripts/install-deps.sh

host: deps
	@cmake --preset host >/dev/null
	@cmake --build --preset host

# The Windows builds pack their payload with host tools, so the host build comes first. Only
# `make release` signs: signing settings of an earlier release are dropped here.
# PAGIX_TARGETS limits a build to the targets it names.
win32 win64: host
	@cmake --preset $@ -U 'PAGIX_SIGN*' >/dev/null
	@cmake --build --preset $@ $(if $(PAGIX_TARGETS),--target $(PAGIX_TARGETS))

# Every test, on the Windows tier of this machine.
test: deps
	@$(MAKE) --no-print-directory test-$(windows_tier)

# The 32-bit tier, and the 64-bit build's default installation and round trip. The release
# check (label "release") builds the release twice; CI runs it after the tests.
test-win32: win32
	@$(MAKE) --no-print-directory win64 \
		PAGIX_TARGETS="PagixSetup pagix_payload installer_e2e_test roundtrip_e2e_test"
	ctest --preset host -j2 $(CTEST_FLAGS)
	ctest --preset win32 -LE release $(CTEST_FLAGS)
	GTEST_FILTER='$(WIN64_SMOKE_FILTER)' ctest --preset win64 -R '$(WIN64_SMOKE_TESTS)' \
		$(CTEST_FLAGS)

# The whole Windows tier in the 64-bit build, and the released 32-bit programs checked as files.
test-win64: win64
	@$(MAKE) --no-print-directory win32 PAGIX_TARGETS="PagixSetup pagix_program pagix_uninstaller"
	ctest --preset host -j2 $(CTEST_FLAGS)
	ctest --preset win32 -L files $(CTEST_FLAGS)
	ctest --preset win64 $(CTEST_FLAGS)

test-host: host
	ctest --preset host -j2 $(CTEST_FLAGS)

# build/release: PagixSetup.exe and SHA256SUMS, signed when PAGIX_SIGN_* name a certificate.
# Only the 32-bit programs are released.
release:
	@bash scripts/release.sh

release-check: win32
	ctest --preset win32 -L release $(CTEST_FLAGS)

run: deps
	@tier=$(windows_tier) && \
		$(MAKE) --no-print-directory $$tier PAGIX_TARGETS="PagixSetup pagix_drive_install" && \
		bash scripts/run-installer.sh $$tier

bench: win32
	@bash scripts/bench.sh

fuzz: host
	@bash scripts/fuzz.sh

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
