# Shared set-up for run.sh, test.sh and bench.sh: packages, locale, a private Xvfb with a window
# manager and a private Wine prefix inside the build folder. Sourced, not run.
# Everything started here is recorded and stopped again by kavo_cleanup (installed as a trap).

KAVO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
KAVO_PIDS=()

kavo_log() { printf '[kavo] %s\n' "$*" >&2; }

# Installs what is missing (Debian packages, as root), quietly when all is there. The first
# argument (default yes) asks for Wine and the MinGW cross compilers, the second (default no)
# for Clang and its libFuzzer runtime.
kavo_install_deps() {
    local want_wine="${1:-yes}"
    local want_fuzz="${2:-no}"
    local missing=()
    local -A checks=(
        [cmake]=cmake [ninja]=ninja-build [g++]=g++ [pkg-config]=pkg-config
        [python3]=python3
    )
    local -A pkg_files=(
        [libgtest-dev]=/usr/src/googletest/CMakeLists.txt
        [libgmock-dev]=/usr/include/gmock/gmock.h
        [libbenchmark-dev]=/usr/include/benchmark/benchmark.h
    )
    if [ "$want_wine" = yes ]; then
        checks+=(
            [x86_64-w64-mingw32-g++-posix]=g++-mingw-w64-x86-64-posix
            [i686-w64-mingw32-g++-posix]=g++-mingw-w64-i686-posix
            [wine]=wine [Xvfb]=xvfb [xdotool]=xdotool [xwininfo]=x11-utils
            [xdpyinfo]=x11-utils [xprop]=x11-utils [import]=imagemagick [openbox]=openbox
            [localedef]=locales [wkhtmltoimage]=wkhtmltopdf
        )
        pkg_files+=([fonts-wqy-microhei]=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc)
    fi
    if [ "$want_fuzz" = yes ]; then checks+=([clang++]=clang); fi
    local cmd pkg
    for cmd in "${!checks[@]}"; do
        command -v "$cmd" >/dev/null 2>&1 || missing+=("${checks[$cmd]}")
    done
    for pkg in "${!pkg_files[@]}"; do
        [ -e "${pkg_files[$pkg]}" ] || missing+=("$pkg")
    done
    if [ "$want_wine" = yes ] && ! dpkg -s wine64 >/dev/null 2>&1; then missing+=(wine64); fi
    # libFuzzer and the sanitizer runtimes of Debian 12's Clang.
    if [ "$want_fuzz" = yes ] && ! dpkg -s libclang-rt-14-dev >/dev/null 2>&1; then
        missing+=(libclang-rt-14-dev)
    fi
    if [ ${#missing[@]} -eq 0 ]; then return 0; fi
    # ImageMagick is checked by its import command: some machines carry a stand-in convert.
    mapfile -t missing < <(printf '%s\n' "${missing[@]}" | sort -u)
    kavo_log "installing: ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        kavo_log "not root: install these packages first: ${missing[*]}"
        return 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq >/dev/null
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# The zh_CN.UTF-8 locale gives Wine a Chinese ANSI code page for anything that still uses one.
kavo_locale() {
    local locales
    locales="$(locale -a 2>/dev/null)"
    if ! grep -qi '^zh_CN\.utf-\?8$' <<<"$locales"; then
        localedef -i zh_CN -f UTF-8 zh_CN.UTF-8 >/dev/null 2>&1 || kavo_log "localedef failed"
    fi
    export LANG=zh_CN.UTF-8
}

kavo_cleanup() {
    local pid
    if [ -n "${WINEPREFIX:-}" ] && command -v wineserver >/dev/null 2>&1; then
        WINEPREFIX="$WINEPREFIX" wineserver -k >/dev/null 2>&1 || true
    fi
    for pid in "${KAVO_PIDS[@]}"; do
        kill "$pid" >/dev/null 2>&1 || true
    done
    for pid in "${KAVO_PIDS[@]}"; do
        wait "$pid" >/dev/null 2>&1 || true
    done
    KAVO_PIDS=()
}

# A private X display with openbox (without a window manager Wine hides windows slowly and
# sends keys to the window under the pointer).
#
# Xvfb runs with -noreset: without it the server resets whenever its last client disconnects
# (the xdpyinfo probe is one), and a window manager connecting during that reset fails.
kavo_start_display() {
    local n
    for n in $(seq 91 160); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then break; fi
    done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    KAVO_PIDS+=($!)
    export DISPLAY=":$n"
    if ! kavo_wait_for 20 xdpyinfo; then
        kavo_log "Xvfb did not start on $DISPLAY"
        return 1
    fi
    local attempt wm_log
    wm_log="$(mktemp)"
    for attempt in 1 2; do
        openbox >"$wm_log" 2>&1 &
        local wm_pid=$!
        KAVO_PIDS+=($wm_pid)
        if kavo_wait_for 30 kavo_window_manager_running; then
            rm -f "$wm_log"
            kavo_log "display $DISPLAY ready"
            return 0
        fi
        kill "$wm_pid" >/dev/null 2>&1 || true
        kavo_log "openbox did not start on $DISPLAY (attempt $attempt); its output:"
        sed 's/^/[openbox] /' "$wm_log" >&2
    done
    rm -f "$wm_log"
    kavo_log "no window manager on $DISPLAY (keys and focus need one)"
    return 1
}

# True when a window manager has announced itself on the root window. The output is read
# whole: a reader that quits early can make the writer fail under pipefail.
kavo_window_manager_running() {
    local answer
    answer="$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null)" || return 1
    [[ "$answer" == *"window id"* ]]
}

# Runs the command every 0.1 s until it succeeds or the seconds run out.
kavo_wait_for() {
    local seconds="$1"
    shift
    local deadline=$((SECONDS + seconds))
    while true; do
        "$@" >/dev/null 2>&1 && return 0
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.1
    done
}

# A private Wine prefix under the given folder, made once and reused.
kavo_wine_prefix() {
    export WINEPREFIX="$1/wineprefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEARCH=win64
    if [ ! -f "$WINEPREFIX/.kavo-ready" ]; then
        kavo_log "creating the Wine prefix in $WINEPREFIX"
        rm -rf "$WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        wine wineboot -i >/dev/null 2>&1
        local face
        for face in SimSun 宋体 "Microsoft YaHei" 微软雅黑; do
            wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ \
                /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1
        done
        # A crashing program ends quietly instead of waiting behind Wine's crash dialog.
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
            >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.kavo-ready"
    fi
    # Keep one wineserver for the whole run: later starts are much faster.
    wineserver -p >/dev/null 2>&1 || true
    # Start Wine's own services now, outside any test's output pipe.
    wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

# Configure and build one preset; quiet unless it fails.
kavo_build() {
    local preset="$1"
    local log="$KAVO_ROOT/build/$preset.log"
    mkdir -p "$KAVO_ROOT/build"
    if ! { cmake --preset "$preset" -S "$KAVO_ROOT" && cmake --build --preset "$preset" -j "$(nproc)"; } \
        >"$log" 2>&1; then
        tail -n 60 "$log" >&2
        kavo_log "build of $preset failed (log: $log)"
        return 1
    fi
    kavo_log "built $preset"
}
