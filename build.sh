#!/usr/bin/env bash
# Sets up a Debian bookworm machine, builds, and runs the reader or the tests.
#   ./build.sh run    build and start the reader on the sample collection Book/Data.mdb
#   ./build.sh test   build and run the whole test suite (plain, then with sanitizers; the
#                     suites that start threads once more under ThreadSanitizer)
#   ./build.sh bench  build and run the search benchmark
#   ./build.sh format [--check]  format every C++ file (or only say which are not)
#   ./build.sh package       build the Debian package (build-package/tembra_*.deb)
#   ./build.sh package-test  install that package in a fresh bookworm root and start it
#                            under Xvfb (debootstrap; a few minutes, needs the Debian mirror)
set -euo pipefail
cd "$(dirname "$0")"
top=$(pwd)

packages=(g++ cmake make pkg-config qt6-base-dev libgl-dev mdbtools-dev mdbtools libsqlite3-dev
          fonts-hosny-amiri fonts-noto-core clang-format git)
install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

build() { # build DIR [cmake options...]
    local dir=$1; shift
    cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
}

case "${1:-}" in
run)
    # Without a display Qt aborts with a long message; say what to do instead.
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
        echo "$0 run: no display (DISPLAY and WAYLAND_DISPLAY are unset); run it under Xvfb: xvfb-run $0 run" >&2
        exit 1
    fi
    install_missing
    build "$top/build"
    exec "$top/build/bin/tembra"
    ;;
test)
    install_missing
    build "$top/build" -DTEMBRA_WERROR=ON
    (cd "$top/build" && ctest --output-on-failure -j"$(nproc)")
    build "$top/build-sanitize" -DTEMBRA_SANITIZE=ON -DTEMBRA_WERROR=ON
    (cd "$top/build-sanitize" && ctest --output-on-failure -j"$(nproc)")
    # The suites whose code starts threads, under ThreadSanitizer: only what they run is built.
    cmake -S "$top" -B "$top/build-tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTEMBRA_TSAN=ON \
        -DTEMBRA_WERROR=ON >/dev/null
    cmake --build "$top/build-tsan" -j"$(nproc)" --target tst_search tst_datacontrol \
        tst_jetreader tst_program tst_bookmarks bookmarkprobe tst_findway tembra-readfile \
        tembra-mdb
    (cd "$top/build-tsan" && ctest --output-on-failure -j"$(nproc)" -L threads)
    ;;
format)
    install_missing
    files=$(git ls-files '*.cpp' '*.h')
    if [ "${2:-}" = --check ]; then
        # shellcheck disable=SC2086
        clang-format --dry-run -Werror $files
    else
        # shellcheck disable=SC2086
        clang-format -i $files
    fi
    ;;
package)
    install_missing
    build "$top/build-package" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
        -DBUILD_TESTING=OFF
    (cd "$top/build-package" && cpack -G DEB)
    ;;
package-test)
    "$0" package
    exec "$top/packaging/test-package.sh" "$top/build-package"/tembra_*.deb
    ;;
bench)
    install_missing
    build "$top/build"
    "$top/build/bin/tembra-bench" "${@:2}"
    ;;
*)
    echo "usage: $0 run|test|bench|format [--check]|package|package-test" >&2
    exit 2
    ;;
esac
