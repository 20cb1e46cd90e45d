# Debian packages of Orvessa, and a helper that installs the missing ones. Sourced by the
# set-up scripts; every list is what a fresh Debian 12 machine lacks.

# Building and testing the core: a compiler, CMake, ICU and GoogleTest; and libical, the
# calendar import's parser, whose fuzz target is built with the core alone; and JSON for the
# console's documents.
ORVESSA_CORE_PACKAGES=(g++ make cmake pkg-config libicu-dev libgtest-dev libgmock-dev libical-dev
    nlohmann-json3-dev)

# The program: Qt Widgets and WebEngine, GStreamer with the plugins for the common formats and
# the X, GL, ALSA and PulseAudio sinks (only recommended by the plugin packages, so named here),
# XTest for synthetic keys, xcb for the global key's grab, sd-bus (libsystemd) to ask the time
# service whether network time is on, libsodium for the console's password hashes and tokens, libmicrohttpd for its web server,
# OpenSSL for its certificate, libcurl as the client in the server's tests
# and the console's load bench, and a CJK font so
# the Chinese interface is not drawn as boxes. The "ugly" set holds the ASF demuxer, without which WMA and
# WMV files do not open at all, and the H.264 encoder with which the format tests make their
# MP4, MOV and FLV files. The toolkit's own
# Chinese texts let its file, font and colour dialogs speak the interface's language.
ORVESSA_APP_PACKAGES=(qt6-base-dev qt6-webengine-dev
    libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
    gstreamer1.0-plugins-ugly
    gstreamer1.0-libav gstreamer1.0-x gstreamer1.0-alsa gstreamer1.0-gl gstreamer1.0-pulseaudio
    libx11-dev libxtst-dev libxcb1-dev libsystemd-dev libsodium-dev libmicrohttpd-dev libssl-dev
    libcurl4-openssl-dev fonts-wqy-microhei qt6-translations-l10n)

# Window tests and running without a display: a virtual X server, a way to press its keys, and
# a window manager for the tests that need a desktop's focus and key handling.
ORVESSA_DISPLAY_PACKAGES=(xvfb xauth xdotool openbox)

# The web console's browser test only: a headless Chromium driven by playwright-core, which npm
# installs from tests/browser/package-lock.json, and curl to see when the console answers.
# Node.js and npm come from Debian only where the machine has none of its own (a machine's own
# Node.js package may not be installed beside Debian's npm).
ORVESSA_BROWSER_PACKAGES=(chromium curl)
ORVESSA_NODE_PACKAGES=(nodejs npm)

# ensure_packages PACKAGE...: installs with apt-get whatever of PACKAGE is not installed yet.
ensure_packages() {
    local missing=()
    local p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
        "${missing[@]}"
}
