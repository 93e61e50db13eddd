#!/usr/bin/env bash
# What the build cannot check about the layers: Qt is used in src/app/ alone (the
# other layers' libraries do not link it, but a header-only use would still compile
# where Qt's headers happen to be on the include path).
set -euo pipefail
cd "$(dirname "$0")/.."
hits=$(grep -rnE '#include <Q|\bQ_OBJECT\b|\bQString\b' src --include='*.h' --include='*.cpp' |
       grep -v '^src/app/' || true)
if [ -n "$hits" ]; then
  echo "check_layers: Qt outside src/app/:"
  echo "$hits"
  exit 1
fi
echo "check_layers: Qt only in src/app/"
