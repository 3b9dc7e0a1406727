#!/usr/bin/env bash
# A private Dovecot POP3 server for the tests, started without systemd and
# kept apart from any system configuration, inside the tests' own network
# (tests/harness/in-session).
#
#   dovecot-ctl.sh start STATE_DIR              (re)start with a fresh mail tree
#   dovecot-ctl.sh stop STATE_DIR               end it and wait until it is gone
#   dovecot-ctl.sh add STATE_DIR USER [SUBJECT] deliver one message to USER
#   dovecot-ctl.sh clear STATE_DIR USER         remove all of USER's messages
#   dovecot-ctl.sh stat STATE_DIR USER [PASS]   log in, print the STAT reply
#
# It listens on 127.0.0.1:110 (LISTEN_HOST, POP3_PORT) for plain POP3 and on
# port 995 of the test hosts for POP3 over TLS (see dovecot.conf.in). It runs without
# root as any user: a user namespace of its own maps Dovecot's system user onto
# the caller, so every Dovecot process is "dovecot" to itself and the caller to
# everyone else, and no file needs a chown. Users, all with the password "secret":
# empty (no message), one (1), three (3), and daily and lan (none; for tests
# that deliver mail while they run). Under STATE_DIR:
#   dovecot.conf, users       the configuration and the passwd-file
#   certs/                    the TLS certificates (test-certs.sh), made once
#   dovecot.log               everything Dovecot logs
#   run/, state/              its base_dir and state_dir
#   mail/USER/Maildir/        new/ for delivered mail, cur/ once seen, tmp/
# A Windows test under Wine reaches the same folders through drive Z:, for
# example Z:\<STATE_DIR>\mail\daily\Maildir; it delivers by writing a file in
# tmp\ and moving it into new\.
set -euo pipefail

readonly HOST=127.0.0.1 PORT=110 PASSWORD=secret MAIL_USER=dovecot
# Debian keeps it in /usr/sbin, which a normal user's PATH may lack.
readonly DOVECOT=/usr/sbin/dovecot
readonly USERS=(empty one three daily lan)
declare -A MESSAGES=([empty]=0 [one]=1 [three]=3 [daily]=0 [lan]=0)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

die() {
  echo "dovecot-ctl: $*" >&2
  exit 1
}

master_pid() {
  local pidfile=$state/run/master.pid
  [ -s "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null && cat "$pidfile"
}

# True when something on HOST:PORT accepts a connection.
port_open() {
  (exec 3<>"/dev/tcp/$HOST/$PORT") 2>/dev/null
}

# True when HOST:PORT answers with a POP3 greeting within a second.
greets() {
  local line
  exec 3<>"/dev/tcp/$HOST/$PORT" || return 1
  IFS= read -r -t 1 line <&3 || line=
  exec 3>&-
  [[ $line == "+OK"* ]]
}

# One RFC 822 message, written in tmp/ and then moved where it belongs, as
# Maildir delivery is done.
write_message() {
  local maildir=$1 folder=$2 user=$3 subject=$4
  local unique
  unique="$(date +%s.%N).P$$R$RANDOM.quillora"
  local name=$unique
  [ "$folder" = cur ] && name="$unique:2,"
  cat > "$maildir/tmp/$unique" <<MESSAGE
From: Quillora tests <tests@localhost>
To: $user@localhost
Subject: $subject
Date: $(LC_ALL=C date -R)
Message-ID: <$unique@localhost>

A message for the POP3 tests.
MESSAGE
  mv "$maildir/tmp/$unique" "$maildir/$folder/$name"
  echo "$maildir/$folder/$name"
}

make_mail_tree() {
  rm -rf "$state/mail"
  : > "$state/users"
  local user i
  for user in "${USERS[@]}"; do
    echo "$user:{PLAIN}$PASSWORD::::::" >> "$state/users"
    mkdir -p "$state/mail/$user/Maildir/"{cur,new,tmp}
    for ((i = 1; i <= MESSAGES[$user]; i++)); do
      write_message "$state/mail/$user/Maildir" cur "$user" "Message $i of ${MESSAGES[$user]}" >/dev/null
    done
  done
  chmod 600 "$state/users"
}

write_config() {
  sed -e "s|@STATE_DIR@|$state|g" \
      -e "s|@MAIL_USER@|$MAIL_USER|g" \
      -e "s|@LISTEN_HOST@|$HOST|g" \
      -e "s|@POP3_PORT@|$PORT|g" \
      -e "s|@MAIL_UID@|$(id -u "$MAIL_USER")|g" \
      -e "s|@MAIL_GID@|$(id -g "$MAIL_USER")|g" \
      "$here/dovecot.conf.in" > "$state/dovecot.conf"
}

stop() {
  local pid tries=0
  if pid=$(master_pid); then
    kill -TERM "$pid"
    while kill -0 "$pid" 2>/dev/null; do
      tries=$((tries + 1))
      [ $tries -gt 100 ] && kill -KILL "$pid" 2>/dev/null
      [ $tries -gt 150 ] && die "Dovecot (pid $pid) does not end"
      sleep 0.1
    done
  fi
  # Login processes may hold the listening socket a moment longer.
  tries=0
  while [ -e "$state/dovecot.conf" ] && port_open; do
    tries=$((tries + 1))
    [ $tries -gt 50 ] && die "$HOST:$PORT is still open after Dovecot ended"
    sleep 0.1
  done
}

start() {
  [ -x "$DOVECOT" ] || die "dovecot is not installed (Debian package dovecot-pop3d; script/bootstrap installs it)"
  [ -x /usr/lib/dovecot/pop3 ] || die "Dovecot's POP3 server is missing (Debian package dovecot-pop3d)"
  id "$MAIL_USER" >/dev/null 2>&1 || die "there is no user $MAIL_USER (reinstall dovecot-core)"
  stop
  port_open && die "something else already listens on $HOST:$PORT in the tests' network"

  local began=$SECONDS
  rm -rf "$state/run" "$state/state" "$state/dovecot.log" "$state/startup.log"
  mkdir -p "$state/state"
  bash "$here/test-certs.sh" "$state/certs"
  write_config
  make_mail_tree

  # Its own output goes to a file: a test runner reading a pipe would wait
  # for the daemon to close it.
  unshare --user --map-user="$(id -u "$MAIL_USER")" --map-group="$(id -g "$MAIL_USER")" \
    "$DOVECOT" -c "$state/dovecot.conf" </dev/null >"$state/startup.log" 2>&1 ||
    die "Dovecot did not start: $(cat "$state/startup.log")"
  local tries=0
  until greets; do
    tries=$((tries + 1))
    if [ $tries -gt 100 ]; then
      tail -n 20 "$state/dovecot.log" >&2 2>/dev/null || true
      die "no POP3 greeting on $HOST:$PORT after 10 s"
    fi
    sleep 0.1
  done
  echo "dovecot-ctl: POP3 on $HOST:$PORT, state in $state (ready after $((SECONDS - began)) s)"
}

known_user() {
  local user
  for user in "${USERS[@]}"; do [ "$user" = "$1" ] && return 0; done
  die "unknown user '$1' (one of: ${USERS[*]})"
}

# A whole POP3 login over bash's /dev/tcp; prints the STAT reply.
stat_reply() {
  local user=$1 password=$2 line
  exec 3<>"/dev/tcp/$HOST/$PORT" || die "cannot connect to $HOST:$PORT"
  IFS= read -r -t 5 line <&3 || die "no greeting"
  printf 'USER %s\r\n' "$user" >&3
  IFS= read -r -t 5 line <&3 || die "no answer to USER"
  printf 'PASS %s\r\n' "$password" >&3
  IFS= read -r -t 10 line <&3 || die "no answer to PASS"
  [[ $line == "+OK"* ]] || die "login refused: ${line%$'\r'}"
  printf 'STAT\r\n' >&3
  IFS= read -r -t 5 line <&3 || die "no answer to STAT"
  echo "${line%$'\r'}"
  printf 'QUIT\r\n' >&3
  IFS= read -r -t 5 _ <&3 || true
  exec 3>&-
  [[ $line == "+OK"* ]]
}

[ $# -ge 2 ] || die "usage: $0 start|stop|add|clear|stat STATE_DIR [USER [SUBJECT|PASSWORD]]"
if [ "${QUILLORA_NETNS:-}" != "$(readlink /proc/self/ns/net)" ]; then
  die "only inside the tests' own network: run the tests through script/test"
fi
command=$1
mkdir -p "$2"
state=$(cd "$2" && pwd)
case $command in
  start) start ;;
  stop) stop ;;
  add)
    known_user "${3:-}"
    write_message "$state/mail/$3/Maildir" new "$3" "${4:-New mail}"
    ;;
  clear)
    known_user "${3:-}"
    rm -f "$state/mail/$3/Maildir/"{cur,new,tmp}/*
    ;;
  stat)
    known_user "${3:-}"
    stat_reply "$3" "${4:-$PASSWORD}"
    ;;
  *) die "unknown command '$command'" ;;
esac
