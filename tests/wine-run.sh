#!/usr/bin/env bash
# Runs one Windows program under Wine with a time limit; the caller's environment
# (from CTest or the test script) names the private prefix.
set -u
WINE_BIN=${WINE:-$(command -v wine || command -v wine-stable || echo /usr/lib/wine/wine64)}
exec timeout --kill-after=10 "${PW_WINE_TIMEOUT:-540}" "$WINE_BIN" "$@"
