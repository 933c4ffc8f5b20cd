# Entry points; see README.md.
.PHONY: test build bench fuzz run bootstrap format clean

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

bench: build
	bash scripts/run-benchmarks

# Each fuzz target for FUZZ_SECONDS seconds (default 60); see scripts/run-fuzz.
fuzz: bootstrap
	cmake --preset fuzz
	cmake --build --preset fuzz --target fuzz_targets
	bash scripts/run-fuzz

run:
	@echo "The wizard is not built yet; 'make run' arrives with it."

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
