#!/usr/bin/env bash
# Installs the Debian packages the address book needs, when any is missing.
set -euo pipefail
# The Lohit fonts draw Hindi (Devanagari) and Punjabi (Gurmukhi) names;
# openssl makes the certificates of the tests' TLS server; uchardet and
# libphonenumber read imported contact files; QtKeychain keeps the contacts
# server's password in the keyring; Radicale and Xandikos are the CardDAV
# servers the sync tests start (apache2-utils makes their htpasswd files).
packages=(cmake g++ pkg-config qt6-base-dev libsqlcipher-dev sqlcipher fonts-dejavu-core
    poppler-utils fonts-lohit-deva fonts-lohit-guru postgresql libpq-dev openssl
    libuchardet-dev libphonenumber-dev qtkeychain-qt6-dev radicale xandikos apache2-utils)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
