#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The systemd units of examples/deploy pass `systemd-analyze verify` without a warning, with
# ExecStart= pointing at the quarv just built instead of /usr/bin/quarv.
set -euo pipefail
deploy="$1"
quarv="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for unit in quarv-nightly.service quarv-nightly.timer; do
    sed "s#/usr/bin/quarv#$quarv#" "$deploy/$unit" >"$work/$unit"
done
grep -q "ExecStart=$quarv " "$work/quarv-nightly.service"
# verify reports unknown keys and bad values as warnings only: any output is a failure.
output="$(cd "$work" && systemd-analyze verify --man=no quarv-nightly.service quarv-nightly.timer 2>&1)"
if [ -n "$output" ]; then
    echo "$output"
    exit 1
fi
echo "units verified"
