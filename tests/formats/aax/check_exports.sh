#!/bin/bash
# The AAX module exports exactly the seven entry points a host resolves.
set -euo pipefail
expected="ACFCanUnloadNow ACFGetClassFactory ACFGetSDKVersion ACFRegisterComponent ACFRegisterPlugin ACFShutdown ACFStartup"
actual=$(nm -D --defined-only "$1" | awk '{print $3}' | sort | tr '\n' ' ' | sed 's/ $//')
if [ "$actual" != "$expected" ]; then
    echo "exports: $actual"
    echo "expected: $expected"
    exit 1
fi
