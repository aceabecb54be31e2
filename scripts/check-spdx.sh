#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Lists every tracked source file whose first lines carry no SPDX licence
# identifier, and fails when there is one. Not part of the test command.
#
#   bash scripts/check-spdx.sh
set -euo pipefail
cd "$(dirname "$0")/.."

missing=0
while IFS= read -r file; do
  if ! head -n 5 "$file" | grep -q 'SPDX-License-Identifier: GPL-3.0-or-later'; then
    echo "$file"
    missing=$((missing + 1))
  fi
done < <(git ls-files -- '*.cpp' '*.h' '*.h.in' '*.sh' '*.cmake' 'CMakeLists.txt' '*.rc' \
  .ci/run packaging/completion/helixplot-cli)
if ((missing)); then
  echo "check-spdx: $missing source file(s) without an SPDX line" >&2
  exit 1
fi
echo "check-spdx: every source file carries its SPDX line"
