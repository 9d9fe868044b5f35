#!/usr/bin/env bash
# Starts the till on its demo data:
#   1. installs what is missing and builds quilmo-pos and quilmo-admin;
#   2. starts a throwaway PostgreSQL cluster holding the demo back office (account DemoShop,
#      with its catalogue msdb and the alias directory tarvix) and the till's own login
#      quilmo_till, which has a till's rights on DemoShop and nothing more;
#   3. makes a demo program home (settings file with the server and that login filled in,
#      local file);
#   4. runs quilmo-pos on it, and stops the database server when the program ends.
#
#   scripts/demo.sh            keep the demo home of an earlier run (registration, local data)
#   scripts/demo.sh --fresh    start from a new demo home
#   scripts/demo.sh --shift    start with a shift open in the settings file, so the sale
#                              screen (F6) can be reached before the till opens shifts itself
#
# The demo account's name begins with "Demo", so an online start skips the cashier login and
# works as cashier 张三. An offline start (F5 on the mode choice) after one online start shows
# the login page: cashier code 001, password 123.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
home=${QUILMO_DEMO_HOME:-$build/demo-home}
fresh=0
shift_open=0
for arg in "$@"; do
  case "$arg" in
    --fresh) fresh=1 ;;
    --shift) shift_open=1 ;;
    -h|--help) sed -n '2,/^set /{/^#/s/^# \{0,1\}//p}' "$0"; exit 0 ;;
    *) echo "demo: unknown option $arg" >&2; exit 2 ;;
  esac
done

# A window needs a display. Say what to do before spending time on the build.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat >&2 <<'MSG'
demo: no display found (DISPLAY is not set). The till is a full-screen window; choose one of:

  * a virtual X display:
        Xvfb :99 -screen 0 1280x800x24 &
        DISPLAY=:99 scripts/demo.sh
    (or simply: xvfb-run -s "-screen 0 1280x800x24" scripts/demo.sh)
    and look at it with a screenshot tool or x11vnc;

  * Qt's built-in VNC server, then connect any VNC viewer to localhost:5900:
        QT_QPA_PLATFORM=vnc:size=1280x800 scripts/demo.sh
MSG
  exit 2
fi

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target quilmo-pos quilmo-admin

# Qt wants a private runtime folder; a root shell without a desktop session has none.
runtime=""
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  runtime=$(mktemp -d /tmp/quilmo-runtime.XXXXXX)
  export XDG_RUNTIME_DIR=$runtime
fi

export PGCLUSTER_DIR=$build/pgcluster-demo
pg="$root/scripts/pg-cluster.sh"
trap '"$pg" stop; echo "demo: database server stopped"; [ -z "$runtime" ] || rm -rf "$runtime"' EXIT
"$pg" start
port=$(sed -n 's/.*port=\([0-9]*\).*/\1/p' <<<"$("$pg" url)")
admin="$build/src/quilmo-admin"
till_login=quilmo_till
"$admin" init-server --account DemoShop --demo --directory --till-login "$till_login" \
  --host 127.0.0.1 --port "$port" --user postgres >/dev/null
echo "demo: back office DemoShop on 127.0.0.1:$port, the till logs in as $till_login"

if [ "$fresh" = 1 ]; then rm -rf "$home"; fi
mkdir -p "$home/SysFile"
if [ ! -f "$home/SysFile/Orvel.db" ]; then
  "$admin" init-local "$home/SysFile/Orvel.db" >/dev/null
fi
# The server changes its port with every run, so its address is written every time, and so
# is the till's login (a demo home of an older run may still name the superuser). The login
# needs no password on this throwaway server, which trusts its loopback address (DBAPSW
# empty); the lines keep the file's CR LF endings.
ini="$home/SysFile/QTSet.ini"
if [ -f "$ini" ] && grep -q '^ServerName=' "$ini"; then
  sed -i -e "s/^ServerName=[^\r]*/ServerName=127.0.0.1:$port/" \
    -e "s/^DBAName=[^\r]*/DBAName=$till_login/" -e "s/^DBAPSW=[^\r]*/DBAPSW=/" "$ini"
else
  printf '[ConnectSet]\r\nServerName=127.0.0.1:%s\r\nDBAName=%s\r\nDBAPSW=\r\nDiscoveryServer=\r\n' \
    "$port" "$till_login" >>"$ini"
fi
echo "demo: program home $home"

# Sets KEY=VALUE in [SECTION] of the settings file (CR LF lines), adding what is missing.
ini_set() {
  local section=$1 key=$2 value=$3
  awk -v s="[$section]" -v k="$key" -v v="$value" '
    BEGIN { ORS = "\r\n" }
    { sub(/\r$/, "") }
    /^\[/ { if (in_s && !done) { print k "=" v; done = 1 } in_s = ($0 == s) }
    in_s && index($0, k "=") == 1 { if (!done) print k "=" v; done = 1; next }
    { print }
    END { if (!done) { if (!in_s) print s; print k "=" v } }' "$ini" >"$ini.new" && mv "$ini.new" "$ini"
}
if [ "$shift_open" = 1 ]; then
  ini_set SysSet OverFlag 0
  ini_set SysSet OnOverOrderNo BC01"$(date +%Y%m%d)"00001
  ini_set SysSet OnOperatorNo 1111000001
  ini_set SysSet OnDate "$(date '+%Y-%m-%d %H:%M:%S')"
  echo "demo: a shift is open for cashier 张三"
fi

status=0
"$build/src/quilmo-pos" --home "$home" || status=$?
exit "$status"
