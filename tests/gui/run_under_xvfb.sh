#!/bin/sh
# Runs a test program on an X server of its own (xvfb-run) with the xcb platform, for suites that
# exchange data with other X clients. Exits 77 (ctest's skip) when xvfb-run or xclip is missing.
for tool in xvfb-run xauth xclip; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIPPED: $tool is not installed (tools/setup deps installs it)"
        exit 77
    fi
done
exec xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb "$@"
