# The two set-up commands are `make run` and `make test`; both install what is missing first.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
BUILD ?= build
BUILD_ASAN ?= build-asan

# Debian packages the build, the tests and the programs need.
PACKAGES := build-essential cmake pkg-config \
	qtbase5-dev libqt5svg5-dev libqt5opengl5-dev qttools5-dev-tools qttools5-dev libxcb1-dev \
	libopencv-dev libudev-dev libcurl4-openssl-dev libsqlitecpp-dev libsqlite3-dev libxml2-dev \
	nlohmann-json3-dev libplist-dev libsecret-1-dev libssl-dev 7zip \
	libgtest-dev libgmock-dev libbenchmark-dev \
	libpoppler-qt5-dev libumockdev-dev umockdev \
	xvfb xauth fonts-dejavu-core imagemagick xcompmgr poppler-utils xdg-utils shared-mime-info python3 \
	dbus-daemon gnome-keyring nginx-light openssl curl locales qttranslations5-l10n

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# A locale that writes decimals with a comma: the web part's tests run a second time under it, so that no number is
# read through the C library's locale-dependent parsing.
COMMA_LOCALE := de_DE.UTF-8
# The tests of the web part: web-service client, download engine, record store.
WEB_TESTS := ^web_(client|download|records)\.

.PHONY: deps build test run run-pluvo bench clean format

deps:
	@missing=""; for p in $(PACKAGES); do \
		dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
		echo "Installing:$$missing"; \
		$(SUDO) apt-get update -qq && \
		DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi
	@if LC_ALL=$(COMMA_LOCALE) locale 2>&1 >/dev/null | grep -q .; then \
		echo "Making the locale $(COMMA_LOCALE)"; \
		$(SUDO) localedef -i $(firstword $(subst ., ,$(COMMA_LOCALE))) -f UTF-8 $(COMMA_LOCALE); \
	fi

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTS=OFF >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

test: deps
	cmake -S . -B $(BUILD_ASAN) -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON -DBUILD_BENCH=OFF >/dev/null
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	cd $(BUILD_ASAN) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300
	cd $(BUILD_ASAN) && LC_ALL=$(COMMA_LOCALE) QT_QPA_PLATFORM=offscreen \
		ctest --output-on-failure -j $(JOBS) --timeout 300 -R '$(WEB_TESTS)'

run: build
	./tools/run-with-tool.sh desktop $(BUILD)

run-pluvo: build
	./tools/run-with-tool.sh pluvo $(BUILD)

bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTS=OFF -DBUILD_BENCH=ON >/dev/null
	cmake --build build-bench -j $(JOBS)
	./bench/run.sh build-bench

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) build-bench
