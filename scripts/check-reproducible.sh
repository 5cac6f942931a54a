#!/usr/bin/env bash
# Builds every release artefact twice, from two copies of this tree in two
# folders a day apart: the first with every file dated a day back, the second
# with the clock a day ahead (faketime), in another time zone and under umask
# 077. Compares their checksums: the three executables and the four packages;
# checks that every package holds folders 0755 and files 0644 or 0755; and
# compares what `cmake --install --strip` puts in place with what the
# packages hold. Exits non-zero if any differ.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh release
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for copy in first second; do
  mkdir -p "$scratch/$copy/yorv"
  tar --exclude=./build -cf - . | tar -xf - -C "$scratch/$copy/yorv"
done
find "$scratch/first/yorv" -exec touch -h -d '-1 day' {} +
build() {  # COPY [CLOCK...]: builds one copy, its output kept aside (make frets about the clocks)
  local copy=$1; shift
  (cd "$scratch/$copy/yorv" && "$@" scripts/build-release.sh) >"$scratch/$copy.log" 2>&1 ||
    { cat "$scratch/$copy.log" >&2; exit 1; }
}
build first
(umask 077; export TZ=America/New_York; build second faketime -f '+1d')

artefacts=(linux/yorv-report-sender windows/yorv-report-sender.exe windows-x86/yorv-report-sender.exe)
for build in "$scratch/first/yorv/build/release"/*; do
  for package in "$build"/yorv-report-sender[-_]*.{deb,tar.gz,zip}; do
    [ -e "$package" ] && artefacts+=("${package#"$scratch/first/yorv/build/release/"}")
  done
done
differ=0
printf '%-52s %-16s %-16s\n' artefact "first (sha256)" "second (sha256)"
for artefact in "${artefacts[@]}"; do
  first=$(sha256sum < "$scratch/first/yorv/build/release/$artefact" | cut -c1-16)
  second=$(sha256sum < "$scratch/second/yorv/build/release/$artefact" | cut -c1-16)
  printf '%-52s %-16s %-16s %s\n' "$artefact" "$first" "$second" "$([ "$first" = "$second" ] || echo DIFFERS)"
  [ "$first" = "$second" ] || differ=1
done
# Folders 0755, files 0644 or 0755, in the packages the second copy made.
for package in "$scratch/second/yorv/build/release"/*/yorv-report-sender[-_]*.{deb,tar.gz,zip}; do
  case $package in
    *.deb) modes=$(dpkg-deb --fsys-tarfile "$package" | tar -tvf - | cut -c1-10) ;;
    *.tar.gz) modes=$(tar -tvzf "$package" | cut -c1-10) ;;
    *.zip) modes=$(unzip -Z "$package" | sed -n 's/^\([-d][-rwx]\{9\}\) .*/\1/p') ;;
  esac
  if grep -vxE 'drwxr-xr-x|-rw-r--r--|-rwxr-xr-x' <<<"$modes"; then
    echo "${package##*/} holds the modes above" >&2
    differ=1
  fi
done
# What `cmake --install --strip` puts in place is what the packages hold.
release=$scratch/first/yorv/build/release
for preset in linux windows windows-x86; do
  cmake --install "$release/$preset" --strip --prefix "$scratch/installed/$preset" >/dev/null
done
dpkg-deb --fsys-tarfile "$release"/linux/*.deb | tar -xO ./usr/libexec/yorv/yorv-report-sender |
  cmp - "$scratch/installed/linux/libexec/yorv/yorv-report-sender" || differ=1
for preset in windows windows-x86; do
  unzip -p "$release/$preset"/*.zip '*/bin/yorv-report-sender.exe' |
    cmp - "$scratch/installed/$preset/bin/yorv-report-sender.exe" || differ=1
done
[ ${#artefacts[@]} -eq 7 ] || { echo "expected 7 artefacts, found ${#artefacts[@]}" >&2; exit 1; }
exit $differ
