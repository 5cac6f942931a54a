#!/usr/bin/env bash
# Times the Yes path (ask, hand off, confirm, mark) on Linux for a 1 GiB dump
# beside the same path for a small one, with stand-in zenity and xdg-email that
# answer at once: the difference is what reading the whole dump for its digest
# costs. hyperfine alternates nothing, so the two are measured twice, in
# turns, and both medians are shown.
# Usage: bench/yes_path.sh [SENDER]   (default: build/linux/yorv-report-sender)
set -euo pipefail
sender=$(realpath "${1:-build/linux/yorv-report-sender}")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/bin" "$scratch/small" "$scratch/large"
printf '#!/bin/sh\nexit 0\n' > "$scratch/bin/zenity"
cp "$scratch/bin/zenity" "$scratch/bin/xdg-email"
chmod +x "$scratch/bin/zenity" "$scratch/bin/xdg-email"
printf '# status: pending\nproduct: Yorv\n' | tee "$scratch/pending" "$scratch/small/yorv_crash_dump.txt" \
  > "$scratch/large/yorv_crash_dump.txt"
truncate -s 1G "$scratch/large/yorv_crash_dump.txt"

printf '%-14s %12s\n' dump "median ms"
for round in 1 2; do
  for size in small large; do
    dump=$scratch/$size/yorv_crash_dump.txt
    json=$scratch/result.json
    # A remote display is taken on trust, so the stand-in zenity is asked.
    env -i PATH="$scratch/bin:/usr/bin:/bin" TMPDIR="$scratch/$size" DISPLAY=bench.invalid:0 \
      hyperfine -N --warmup 2 --runs 10 --export-json "$json" \
      --prepare "dd of=$dump bs=1 count=17 conv=notrunc status=none if=$scratch/pending" \
      "$sender" >/dev/null
    head -c 14 "$dump" | grep -q '# status: sent' || { echo "the $size dump was not marked" >&2; exit 1; }
    printf '%-14s %12.1f\n' "$size (run $round)" \
      "$(python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))["results"][0]["median"] * 1000)' "$json")"
  done
done
