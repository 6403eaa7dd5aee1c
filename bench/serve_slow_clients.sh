#!/usr/bin/env bash
# The server with 512 slow connections open (16 addresses of 127.0.0.0/8,
# each sending a request line and then nothing): how long a 17th address
# waits for its first answer, and how many threads the server holds.
#
#   bench/serve_slow_clients.sh HOTLAP_EVAL MAKE_SAMPLE_COMPETITION [WORK_DIR]
set -euo pipefail
eval_bin=$(realpath "$1")
sample_bin=$(realpath "$2")
work=$(realpath -m "${3:-$(mktemp -d)}")
mkdir -p "$work"
[ -d "$work/source" ] || "$sample_bin" "$work/source" --entrants 1 >/dev/null
rm -rf "$work/base" "$work/state"
mkdir -p "$work/base"
cp "$work/source"/*.car "$work/base/"
"$eval_bin" serve "$work/base" --state "$work/state" --listen 127.0.0.1:0 2>"$work/server.log" &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
for _ in $(seq 600); do grep -q '^listening on' "$work/server.log" && break; sleep 0.1; done
port=$(sed -n 's/^listening on http:\/\/127.0.0.1:\([0-9]*\)\/$/\1/p' "$work/server.log")
echo "threads before: $(ls /proc/$server/task | wc -l)"
python3 - "$port" "$server" <<'PY'
import socket, subprocess, sys, time, os
port, pid = int(sys.argv[1]), sys.argv[2]
held = []
for n in range(512):
    s = socket.socket()
    s.bind(("127.0.0.%d" % (1 + n % 16), 0))
    s.connect(("127.0.0.1", port))
    s.sendall(b"POST /api/upload HTTP/1.1\r\nHost: x\r\n")
    held.append(s)
time.sleep(1)
print("threads with 512 slow connections:", len(os.listdir("/proc/%s/task" % pid)))
began = time.monotonic()
status = subprocess.run(["curl", "-s", "-o", "/dev/null", "-w", "%{http_code}", "--max-time",
                         "60", "--interface", "127.0.0.17", "http://127.0.0.1:%d/upload" % port],
                        capture_output=True, text=True).stdout
print("17th address: status %s after %.3f s" % (status, time.monotonic() - began))
for s in held:
    s.close()
PY
