# Debian packages of Orvessa, and a helper that installs the missing ones. Sourced by the
# set-up scripts; every list is what a fresh Debian 12 machine lacks.

# Building and testing the core: a compiler, CMake, ICU and GoogleTest.
ORVESSA_CORE_PACKAGES=(g++ make cmake pkg-config libicu-dev libgtest-dev libgmock-dev)

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
