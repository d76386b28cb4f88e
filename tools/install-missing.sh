# shellcheck shell=bash
# Sourced by the scripts that set up a Debian machine: installs, from Debian's archive only,
# those of the named packages that are not installed yet, as root or through sudo.
# Without either it says what to install, and how, rather than fail inside a command.

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        sudo "$@"
    fi
}

install_missing() {
    local missing=() package
    for package in "$@"; do
        if ! dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null | grep -qx installed; then
            missing+=("$package")
        fi
    done
    [ "${#missing[@]}" -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ] && ! command -v sudo >/dev/null 2>&1; then
        echo "These Debian packages are missing: ${missing[*]}" >&2
        echo "Installing them needs root: you are not root, and sudo is not installed." >&2
        explain_root_install "${missing[@]}"
        return 1
    fi
    echo "Installing ${missing[*]}"
    if ! as_root apt-get update ||
        ! as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
            "${missing[@]}"; then
        if [ "$(id -u)" -ne 0 ]; then
            echo "If sudo may not be used here:" >&2
            explain_root_install "${missing[@]}"
        fi
        return 1
    fi
}

explain_root_install() {
    echo "Install them as root, then run this again as yourself:" >&2
    echo "    su -c 'apt-get update && apt-get install -y --no-install-recommends $*'" >&2
}
