# Entry points; see README.md.
.PHONY: test build bench fuzz run run-windows screenshots startup bootstrap format clean release install package

bootstrap:
	@bash scripts/bootstrap

build: bootstrap
	cmake --preset default
	cmake --build --preset default

test: bootstrap
	cmake --preset default
	cmake --build --preset default
	ctest --preset default
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

# The Release build that is installed and packaged, with Debian's hardening flags.
release: bootstrap
	cmake --preset package \
	  -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)"
	cmake --build --preset package

# make install [CMAKE_INSTALL_PREFIX=/usr/local] [DESTDIR=/staging]
install: release
	cmake --install build/package $(if $(CMAKE_INSTALL_PREFIX),--prefix $(CMAKE_INSTALL_PREFIX))

# The Debian package build/pennawick_<version>_<arch>.deb (CPack).
package: release
	rm -f build/pennawick_*.deb
	cd build/package && cpack -G DEB
	cp build/package/pennawick_*.deb build/

bench: build
	bash scripts/run-benchmarks

# Each fuzz target for FUZZ_SECONDS seconds (default 60); see scripts/run-fuzz.
fuzz: bootstrap
	cmake --preset fuzz
	cmake --build --preset fuzz --target fuzz_targets
	bash scripts/run-fuzz

run: bootstrap
	cmake --preset default
	cmake --build --preset default --target pennawick
	bash scripts/run-demo

# The wizard on the sample system as the drive C: of Windows XP (build/demo/windows).
run-windows: bootstrap
	cmake --preset default
	cmake --build --preset default --target pennawick
	bash scripts/run-demo --windows

screenshots: bootstrap
	cmake --preset default
	cmake --build --preset default --target pennawick wizard_screenshots
	bash scripts/screenshots

startup: bootstrap
	cmake --preset default
	cmake --build --preset default --target pennawick
	bash scripts/measure-startup

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
