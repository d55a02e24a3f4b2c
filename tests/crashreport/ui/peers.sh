#!/bin/sh
# peers.sh <wine loader> <test program> <arguments>...: runs one Windows test process with the
# real peers of peers.py listening on the loopback interface, their addresses in its
# environment (BRENVIK_*; BRENVIK_PEERS_DIR is the folder their received data is written to),
# and stops them afterwards. Listing the tests needs no peers.
case "$*" in *--gtest_list_tests*) exec "$@" ;; esac
here=$(dirname "$0")
dir=$(mktemp -d /tmp/brenvik-peers.XXXXXX)
/usr/bin/python3 "$here/peers.py" "$dir" </dev/null >"$dir/peers.log" 2>&1 &
peers=$!
waited=0
until [ -f "$dir/ready" ] || [ $waited -ge 200 ]; do
  kill -0 $peers 2>/dev/null || break
  sleep 0.05
  waited=$((waited + 1))
done
if [ ! -f "$dir/ready" ]; then
  echo "the peers did not start:" >&2
  cat "$dir/peers.log" >&2
  kill $peers 2>/dev/null
  rm -rf "$dir"
  exit 1
fi
set -a
. "$dir/ports.env"
set +a
BRENVIK_PEERS_DIR="Z:$dir"
export BRENVIK_PEERS_DIR
"$@"
status=$?
kill $peers 2>/dev/null
wait $peers 2>/dev/null
rm -rf "$dir"
exit $status
