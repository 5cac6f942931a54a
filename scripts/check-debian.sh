#!/usr/bin/env bash
# Tries the quick start as a new user would: makes a plain Debian tree
# (debootstrap --variant=minbase, with git), clones this repository's
# committed HEAD into it, and runs the README's two commands inside it as
# root, exactly as written: scripts/try.sh, then scripts/test.sh. Prints each
# one's time and exit status, and the test command's last line; their whole
# output is kept in build/check-debian/SUITE-{try,test}.log. Not part of the
# test command: it takes about 12 minutes a release. MIRROR defaults to
# debootstrap's own; a snapshot archive serves an index past its Valid-Until
# date, which the tree's apt is then told to accept.
# Usage: scripts/check-debian.sh bookworm|trixie|forky [MIRROR]
set -euo pipefail
cd "$(dirname "$0")/.."
suite=${1:-} mirror=${2:-}
case $suite in
  bookworm | trixie | forky) ;;
  *) echo "usage: scripts/check-debian.sh bookworm|trixie|forky [MIRROR]" >&2; exit 2 ;;
esac
[ "$(id -u)" -eq 0 ] || { echo "check-debian: run it as root (debootstrap, chroot, mount)" >&2; exit 1; }
command -v debootstrap >/dev/null ||
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends debootstrap >/dev/null

logs=$PWD/build/check-debian
mkdir -p "$logs"
tree=$(mktemp -d "/var/tmp/yorv-$suite.XXXXXX")
unmount() {
  for point in sys proc dev; do
    mountpoint -q "$tree/$point" && umount -R "$tree/$point"
  done
  return 0
}
remove_tree() {
  unmount
  # Never remove through a mount that is still there: it would reach the host's /dev.
  if grep -q " $tree/" /proc/mounts; then
    echo "check-debian: $tree still has mounts; left in place" >&2
  else
    rm -rf --one-file-system "$tree"
  fi
}
trap remove_tree EXIT

# An older debootstrap has no script for the testing release yet; sid's serves.
script=()
if [ ! -e "/usr/share/debootstrap/scripts/$suite" ]; then
  script=("${mirror:-http://deb.debian.org/debian}" /usr/share/debootstrap/scripts/sid)
  echo "this debootstrap has no script for $suite: using sid's"
elif [ -n "$mirror" ]; then
  script=("$mirror")
fi
echo "=== debootstrap --variant=minbase --include=git $suite ${script[*]}"
start=$(date +%s)
debootstrap --variant=minbase --include=git "$suite" "$tree" "${script[@]}" >"$logs/$suite-debootstrap.log" 2>&1 ||
  { tail -n 20 "$logs/$suite-debootstrap.log" >&2; exit 1; }
echo "made in $(($(date +%s) - start)) s"
cp /etc/resolv.conf "$tree/etc/resolv.conf"
update=$(chroot "$tree" apt-get update -q 2>&1 || true)
if grep -q 'is expired' <<<"$update"; then
  echo "the mirror's index for $suite is past its Valid-Until date (a snapshot): the tree's apt accepts it"
  echo 'Acquire::Check-Valid-Until "false";' >"$tree/etc/apt/apt.conf.d/99check-debian-snapshot"
fi
mount -t proc proc "$tree/proc"
mount -t sysfs sysfs "$tree/sys"
mount --rbind /dev "$tree/dev"  # ptys for the terminal rows, loop devices for the mounted ones
git clone -q "$PWD" "$tree/root/yorv-report-sender"

status=0
for command in scripts/try.sh scripts/test.sh; do
  log=$logs/$suite-$(basename "$command" .sh).log
  start=$(date +%s)
  result=0
  chroot "$tree" /usr/bin/env -i HOME=/root TERM=dumb \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    /bin/bash -c "cd /root/yorv-report-sender && $command" </dev/null >"$log" 2>&1 || result=$?
  seconds=$(($(date +%s) - start))
  printf '%s on %s: %d min %02d s, exit status %d\n' "$command" "$suite" $((seconds / 60)) $((seconds % 60)) "$result"
  [ "$result" -eq 0 ] || status=1
done
echo "last line of scripts/test.sh: $(tail -n 1 "$logs/$suite-test.log")"
exit $status
