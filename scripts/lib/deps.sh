# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages Tabrella needs to build, run and test, when any is missing.
TABRELLA_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-private-dev qt6-qpa-plugins qt6-translations-l10n libqt6svg6
    libfluidsynth-dev libasound2-dev fluid-soundfont-gm libsndfile1-dev
    libpugixml-dev libzip-dev libaubio-dev
    fonts-ipafont-gothic fonts-ipafont-mincho fonts-kouzan-mouhitsu
    libgtest-dev libgmock-dev libbenchmark-dev libx11-dev libxdamage-dev libxtst-dev
    xvfb xdotool x11-xkb-utils xauth imagemagick poppler-utils desktop-file-utils appstream python3
    at-spi2-core python3-pyatspi
    clang-format
)

# What only scripts/bench needs: a private sound server with a null sink, and its recorder.
TABRELLA_BENCH_PACKAGES=(pulseaudio pulseaudio-utils)

# What scripts/package needs: debhelper and lintian and the package's build dependencies
# (debian/control), but no test framework.
TABRELLA_PACKAGING_PACKAGES=(
    build-essential debhelper dpkg-dev fakeroot lintian
    cmake pkgconf qt6-base-dev libfluidsynth-dev libsndfile1-dev libx11-dev libpugixml-dev libzip-dev
    libaubio-dev
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

# The folders of src/ include one way, from the bottom up: each may include its own files
# and those of the folders in its row. Fails, naming the file and line, on any other include.
tabrella_check_layers() {
    # A folder, then the folders below it that it may include ("*": any). A file belongs to
    # the longest folder that holds it, and so does an include's path.
    local rows=(
        "base:"
        "platform: base"
        "resources: base platform"
        "score: base platform resources"
        "render: base platform resources score"
        "sound: base platform resources score"
        "exchange: base platform resources score"
        "files: base platform resources score exchange"
        "qt: base platform resources"
        "fluid: base platform resources"
        "app: *"
    )
    local wrong
    wrong=$(find src \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z |
        xargs -0 grep -Hn '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' |
        awk -v table="$(printf '%s\n' "${rows[@]}")" '
            BEGIN {
                n = split(table, lines, "\n")
                for (i = 1; i <= n; i++) {
                    if (split(lines[i], parts, ":") < 1 || parts[1] == "") continue
                    folders[parts[1]] = 1
                    allowed[parts[1]] = " " parts[1] " " parts[2] " "
                }
            }
            function folder_of(path,   best, f) {
                best = ""
                for (f in folders)
                    if (index(path, f "/") == 1 && length(f) > length(best)) best = f
                return best
            }
            {
                split($0, at, ":")
                file = at[1]; line = at[2]
                match($0, /"[^"]+"/)
                target = substr($0, RSTART + 1, RLENGTH - 2)
                from = folder_of(substr(file, 5))
                to = folder_of(target)
                if (from == "") print file ":" line ": its folder has no row in the layers"
                else if (to == "") print file ":" line ": \"" target "\" names no folder of src/"
                else if (index(allowed[from], " * ") == 0 && index(allowed[from], " " to " ") == 0)
                    print file ":" line ": " from "/ may not include " target
            }' || true)
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
