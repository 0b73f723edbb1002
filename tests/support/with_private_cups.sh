#!/usr/bin/env bash
# Runs a command beside a CUPS scheduler of its own holding two queues, Alpha and Beta
# (both discard their jobs), and no default printer: what printers found on the network
# often leave a machine with. The command reaches it through CUPS_SERVER; the machine's
# scheduler and queues are not touched. The scheduler stops with the command. Exit status
# 77 (a skip) when CUPS is not installed.
#   with_private_cups.sh COMMAND [ARGS...]
set -euo pipefail
command -v lpadmin >/dev/null && [ -x /usr/sbin/cupsd ] || { echo "with_private_cups: CUPS is not installed"; exit 77; }
# The scheduler hands jobs to its helpers as another user.
[ "$(id -u)" -eq 0 ] || { echo "with_private_cups: a scheduler of its own needs root"; exit 77; }

dir=$(mktemp -d /tmp/qrp-cups-XXXXXX)
chmod 0755 "$dir"
pid=
cleanup() {
  if [ -n "$pid" ]; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$dir"
}
trap cleanup EXIT

mkdir -p "$dir"/{conf,spool,cache,state,tmp,log}
cat >"$dir/conf/cupsd.conf" <<CONF
LogLevel warn
Listen $dir/cups.sock
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateAccess default
  JobPrivateValues default
  SubscriptionPrivateAccess default
  SubscriptionPrivateValues default
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
cat >"$dir/conf/cups-files.conf" <<CONF
ServerRoot $dir/conf
RequestRoot $dir/spool
CacheDir $dir/cache
StateDir $dir/state
TempDir $dir/tmp
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
FileDevice Yes
SystemGroup root
CONF

/usr/sbin/cupsd -f -c "$dir/conf/cupsd.conf" -s "$dir/conf/cups-files.conf" &
pid=$!
export CUPS_SERVER="$dir/cups.sock"
for _ in $(seq 1 100); do lpstat -r 2>/dev/null | grep 'scheduler is running' >/dev/null && break; sleep 0.05; done
# Beta is a PostScript printer with a duplexer and trays, as office printers are; Alpha is raw.
lpadmin -p Alpha -E -v file:///dev/null 2>/dev/null
lpadmin -p Beta -E -v file:///dev/null -m drv:///sample.drv/generic.ppd -o Option1=True 2>/dev/null
lpstat -p Alpha >/dev/null && lpstat -p Beta >/dev/null || { cat "$dir/log/error_log"; exit 1; }
# Neither a user's nor the system's default.
export HOME="$dir/home"
mkdir -p "$HOME"
"$@"
