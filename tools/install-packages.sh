#!/usr/bin/env bash
# Installs the Debian packages named on the command line that are missing.
# Quiet and quick when everything is there; a failing package-list update
# (a mirror mid-sync) is tolerated and the lists at hand are used.
set -euo pipefail

missing=()
for pkg in "$@"; do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
if [[ $(id -u) -ne 0 ]]; then
  echo "error: packages missing and not running as root: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq || echo "warning: apt-get update failed; using the package lists at hand" >&2
# Another install in progress (a second make, unattended upgrades) is waited
# for rather than failed on.
apt-get install -o DPkg::Lock::Timeout=600 -y -qq --no-install-recommends "${missing[@]}" >/dev/null
