#!/usr/bin/env bash
# Installs, on Debian 12 or 13 as root, the packages named by the given groups:
#   build  - native build and tests (e2fsprogs, mount: the loop-mounted row;
#            xdg-utils, gio and D-Bus: the rows through the real xdg-email);
#   windows - MinGW-w64, and Wine (x64) where the release has it;
#   windows-x86 - Wine for 32-bit programs, wanted but not needed;
#   fuzz   - clang with libFuzzer;     try     - what the sample run uses;
#   bench  - what the benchmarks use;  release - the packages and their checks.
# Packages already present are left alone; without root nothing is installed.
set -euo pipefail
declare -A groups=(
  [build]="cmake make g++ libgtest-dev libxxhash-dev zlib1g-dev python3 valgrind bc e2fsprogs mount xdg-utils libglib2.0-bin dbus"
  [windows]="g++-mingw-w64-x86-64 g++-mingw-w64-i686 libxxhash-dev wine wine64"
  [windows-x86]="wine32:i386"
  [fuzz]="clang libclang-rt-dev"
  [try]="cmake make g++ libxxhash-dev zlib1g-dev xdg-utils"
  [bench]="valgrind bc hyperfine"
  [release]="cmake make g++ g++-mingw-w64-x86-64 g++-mingw-w64-i686 libxxhash-dev zlib1g-dev lintian faketime git unzip"
)
wanted=()
for group in "$@"; do
  for package in ${groups[$group]}; do
    [ "$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null)" = "install ok installed" ] || wanted+=("$package")
  done
done
[ ${#wanted[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages (install them as root): ${wanted[*]}" >&2
  exit 1
fi
case " ${wanted[*]}" in
  *:i386*) dpkg --add-architecture i386 ;;
esac
# A mirror caught mid-sync fails one index now and then; the others still serve.
for attempt in 1 2 3; do
  apt-get update -q && break
  [ $attempt -lt 3 ] && sleep 10
done
apt_install() { DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@"; }
# Wine is wanted, not needed: without it the Windows tests that run it are
# skipped. A release may have none (Debian's testing, while Wine is out of
# it); the 32-bit one may fail to install where the i386 lists are withheld.
# (grep reads all of it: grep -q would end the pipe early, which pipefail takes for a failure)
has_candidate() { apt-cache policy "$1" 2>/dev/null | grep 'Candidate: [^(]' >/dev/null; }
required=() optional=() absent=()
for package in "${wanted[@]}"; do
  case $package in
    *:i386) optional+=("$package") ;;
    wine | wine64) if has_candidate "$package"; then required+=("$package"); else absent+=("$package"); fi ;;
    *) required+=("$package") ;;
  esac
done
[ ${#absent[@]} -eq 0 ] ||
  echo "install-deps: this release's packages have no ${absent[*]}; the Windows tests that need Wine will be skipped" >&2
[ ${#required[@]} -eq 0 ] || apt_install "${required[@]}"
if [ ${#optional[@]} -gt 0 ] && ! apt_install "${optional[@]}"; then
  echo "install-deps: could not install ${optional[*]}; the x86 Windows scenarios will be skipped" >&2
fi
