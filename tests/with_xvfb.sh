#!/usr/bin/env bash
# Runs one command on a virtual X server of its own: starts Xvfb on a free display,
# waits until it is ready, runs the command with DISPLAY set, stops the server.
# -noreset: the server would otherwise reset whenever its last client leaves (each test
# program that ends), and a program connecting during that reset is refused.
set -u
fifo=$(mktemp -u); mkfifo "$fifo"
Xvfb -displayfd 4 -screen 0 1920x1200x24 -nolisten tcp -noreset 4>"$fifo" >/dev/null 2>&1 &
xpid=$!
read -r -t 20 num <"$fifo" || { echo "with_xvfb: Xvfb did not start" >&2; kill $xpid 2>/dev/null; rm -f "$fifo"; exit 1; }
rm -f "$fifo"
export DISPLAY=":$num"
"$@"
rc=$?
kill $xpid 2>/dev/null
wait $xpid 2>/dev/null
exit $rc
