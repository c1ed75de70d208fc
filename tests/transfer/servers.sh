#!/usr/bin/env bash
# Starts or stops the loopback servers of the download tests:
#   servers.sh STATE_DIR HTTP_PORT FTP_PORT start|stop [DOC_DIR]   (DOC_DIR: help documents the HTTP server serves)
set -euo pipefail
python=/usr/bin/python3 # Debian's interpreter: the FTP server library is a Debian package.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
state=$1 http_port=$2 ftp_port=$3 doc_dir=${5:-} pidfile="$1/servers.pid"

stop_servers() {
    if [ -f "$pidfile" ]; then
        xargs -r kill <"$pidfile" 2>/dev/null || true
        rm -f "$pidfile"
    fi
}

port_open() {
    "$python" -c 'import socket,sys; s=socket.socket(); s.settimeout(1); sys.exit(s.connect_ex(("127.0.0.1", int(sys.argv[1]))))' "$1"
}

[ "$4" = stop ] && { stop_servers; exit 0; }
mkdir -p "$state"
stop_servers
nohup "$python" "$here/http_test_server.py" "$http_port" ${doc_dir:+"$doc_dir"} </dev/null >"$state/http.log" 2>&1 &
echo $! >>"$pidfile"
nohup "$python" "$here/ftp_test_server.py" "$ftp_port" "$state/ftp_root" </dev/null >"$state/ftp.log" 2>&1 &
echo $! >>"$pidfile"
for _ in $(seq 1 100); do
    # The ports must be served by these servers, not by strays of an earlier run.
    if port_open "$http_port" && port_open "$ftp_port" && xargs kill -0 <"$pidfile" 2>/dev/null; then
        exit 0
    fi
    sleep 0.1
done
echo "servers.sh: the servers did not start" >&2
cat "$state/http.log" "$state/ftp.log" >&2
stop_servers
exit 1
