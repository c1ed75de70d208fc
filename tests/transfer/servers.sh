#!/usr/bin/env bash
# Starts or stops the loopback HTTP and FTP servers of the download tests.
# Usage: servers.sh STATE_DIR HTTP_PORT FTP_PORT start|stop
# The servers run in the background; their pids go to STATE_DIR/servers.pid for the stop.
set -euo pipefail
# Debian's interpreter: the FTP server library is a Debian package.
python=/usr/bin/python3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
state=$1 http_port=$2 ftp_port=$3 action=$4
pidfile="$state/servers.pid"

stop_servers() {
    if [ -f "$pidfile" ]; then
        while read -r pid; do
            kill "$pid" 2>/dev/null || true
        done <"$pidfile"
        rm -f "$pidfile"
    fi
}

port_open() {
    "$python" -c 'import socket,sys; s=socket.socket(); s.settimeout(1); sys.exit(s.connect_ex(("127.0.0.1", int(sys.argv[1]))))' "$1"
}

case "$action" in
start)
    mkdir -p "$state"
    stop_servers
    nohup "$python" "$here/http_test_server.py" "$http_port" </dev/null >"$state/http.log" 2>&1 &
    echo $! >>"$pidfile"
    nohup "$python" "$here/ftp_test_server.py" "$ftp_port" "$state/ftp_root" </dev/null >"$state/ftp.log" 2>&1 &
    echo $! >>"$pidfile"
    for _ in $(seq 1 100); do
        if port_open "$http_port" && port_open "$ftp_port"; then
            # The ports must be served by these servers, not by strays of an earlier run.
            while read -r pid; do
                kill -0 "$pid" 2>/dev/null || break 2
            done <"$pidfile"
            exit 0
        fi
        sleep 0.1
    done
    echo "servers.sh: the servers did not start" >&2
    cat "$state/http.log" "$state/ftp.log" >&2
    stop_servers
    exit 1
    ;;
stop)
    stop_servers
    ;;
*)
    echo "usage: servers.sh STATE_DIR HTTP_PORT FTP_PORT start|stop" >&2
    exit 2
    ;;
esac
