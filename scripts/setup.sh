#!/usr/bin/env bash
# Installs the Debian packages Quillmark needs (and, with --tests, those its
# tests need). Does nothing when they are all installed already.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
lists=("$here/packages.txt")
[[ "${1:-}" == "--tests" ]] && lists+=("$here/test-packages.txt")

missing=()
while read -r pkg; do
  [[ -z "$pkg" ]] && continue
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$pkg")
  fi
done < <(cat "${lists[@]}")

if ((${#missing[@]})); then
  sudo=""
  [[ "$(id -u)" != 0 ]] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
