# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages Tabrella needs to build, run and test, when any is missing.
TABRELLA_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-qpa-plugins qt6-translations-l10n libqt6svg6
    libfluidsynth-dev libasound2-dev fluid-soundfont-gm libsndfile1-dev
    libpugixml-dev libzip-dev
    fonts-ipafont-gothic fonts-ipafont-mincho fonts-kouzan-mouhitsu
    libgtest-dev libgmock-dev libbenchmark-dev libx11-dev libxdamage-dev libxtst-dev
    xvfb xdotool x11-xkb-utils xauth imagemagick poppler-utils desktop-file-utils appstream python3
    clang-format
)

# What scripts/package needs: debhelper and lintian and the package's build dependencies
# (debian/control), but no test framework.
TABRELLA_PACKAGING_PACKAGES=(
    build-essential debhelper dpkg-dev fakeroot lintian
    cmake pkgconf qt6-base-dev libfluidsynth-dev libsndfile1-dev libx11-dev libpugixml-dev libzip-dev
)

# Installs the named packages, or TABRELLA_PACKAGES when none is named, where missing.
tabrella_ensure_packages() {
    local wanted=("$@")
    [ ${#wanted[@]} -eq 0 ] && wanted=("${TABRELLA_PACKAGES[@]}")
    local missing=()
    local p
    for p in "${wanted[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

# Configures the build folder DIR with the CMake options given, unless it already is.
tabrella_configure() {
    local dir=$1
    shift
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    fi
}

# Configures DIR (as tabrella_configure) and builds everything in it.
tabrella_configure_and_build() {
    tabrella_configure "$@"
    cmake --build "$1" -j "$(nproc)"
}

# Fails, naming the lines, when an include goes against the layers. They include downwards
# only: src/base nothing of the editor; the platform interfaces nothing but themselves and
# src/base; of the sources, only src/app includes the adapters (src/qt on Qt, src/fluid on
# FluidSynth), which do not include each other. Tests and benchmarks may include anything.
tabrella_check_layers() {
    local wrong
    wrong=$( { grep -Hn '#include "' src/base/*.h src/base/*.cpp | grep -v '#include "base/';
               grep -Hn '#include "' src/platform/*.h src/platform/*.cpp |
                   grep -Ev '#include "(base|platform)/';
               grep -rHn --include='*.h' --include='*.cpp' '#include "qt/' src |
                   grep -Ev '^src/(qt|app)/';
               grep -rHn --include='*.h' --include='*.cpp' '#include "fluid/' src |
                   grep -Ev '^src/(fluid|app)/'; } || true)
    if [ -n "$wrong" ]; then
        echo "Includes against the layers:" >&2
        echo "$wrong" | sed 's/^/  /' >&2
        return 1
    fi
}

# Fails, naming the files, when a C++ source differs from what .clang-format makes of it.
tabrella_check_format() {
    local unformatted
    unformatted=$(git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run 2>&1 | grep -o '^[^:]*:[0-9]*:[0-9]*: warning' | cut -d: -f1 | sort -u || true)
    if [ -n "$unformatted" ]; then
        echo "Not formatted (run clang-format -i on them):" >&2
        echo "$unformatted" | sed 's/^/  /' >&2
        return 1
    fi
}
