#!/usr/bin/env bash
# Installs what building and testing need, from Debian's packages; skips
# what is already there.
set -euo pipefail

missing=()
need() { command -v "$1" >/dev/null 2>&1 || missing+=("$2"); }
need cmake cmake
need g++ g++
need make make
need i686-w64-mingw32-g++-posix g++-mingw-w64-i686
need xvfb-run xvfb
[ -f /usr/src/googletest/CMakeLists.txt ] || missing+=(googletest)
# The fuzzer: clang with its libFuzzer and sanitizer runtimes.
if ! command -v clang++ >/dev/null 2>&1; then
  missing+=(clang libclang-rt-14-dev)
elif ! ls "$(clang++ -print-resource-dir)"/lib/linux/libclang_rt.fuzzer-*.a >/dev/null 2>&1; then
  missing+=("libclang-rt-$(clang++ -dumpversion | cut -d. -f1)-dev")
fi
if ! command -v wine >/dev/null 2>&1 || ! dpkg -s wine32:i386 >/dev/null 2>&1; then
  missing+=(wine wine32:i386)
fi
# Wine for 64-bit programs too (64-bit prefixes, as on 64-bit Windows). With
# it installed, Wine makes new prefixes 64-bit unless told otherwise: the
# project's prefixes are made 32-bit on purpose (tools/wine-prefix.sh).
dpkg -s wine64 >/dev/null 2>&1 || missing+=(wine64)
# The installer: Debian's NSIS (makensis).
need makensis nsis
# The MSI package: Debian's wixl builds it from WiX source; msitools'
# msibuild sets what wixl cannot express (installer/make-msi.cmake).
need wixl wixl
need msibuild msitools
# Releases: the commit's date (git), Authenticode signatures (osslsigncode;
# openssl makes the signing test's throwaway certificates and answers its
# time-stamp requests), and the signed uninstaller read from an installer by
# tools/verify-release.sh and the test's time-stamp server (python3).
need git git
need osslsigncode osslsigncode
need openssl openssl
need python3 python3
# Signing with a key in a token: OpenSSL's PKCS#11 engine, which osslsigncode
# loads; and for the signing test, SoftHSM2 as the token and opensc's
# pkcs11-tool to make a key on it that cannot be extracted.
dpkg -s libengine-pkcs11-openssl >/dev/null 2>&1 || missing+=(libengine-pkcs11-openssl)
need softhsm2-util softhsm2
need pkcs11-tool opensc
# The window under Wine as on Windows: Arial's metrics (tools/wine-prefix.sh)
# and Wine's own fonts (the caption buttons' symbols, the dialog font).
[ -f /usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf ] || missing+=(fonts-liberation)
dpkg -s fonts-wine >/dev/null 2>&1 || missing+=(fonts-wine)
# The 64-bit prefix test's small 64-bit caller.
need x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64-posix
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
if [[ " ${missing[*]} " == *":i386"* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
