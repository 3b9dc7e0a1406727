#!/usr/bin/env bash
# A scripted POP3 server over TLS for the edges of TLS that Dovecot does not
# show: OpenSSL's s_server on pop2.quillora.test:995 (127.0.0.122 in the
# tests' own network) with the certificate test-certs.sh made for that name,
# answering one connection as MODE says, then ending (after a minute at most).
#
#   tls-server.sh STATE_DIR MODE
#
# MODE
#   record       every reply of a whole conversation in one record of the
#                largest text TLS allows (16384 bytes, the rest lines after
#                the answer to QUIT), in the CBC cipher that adds most to it
#   renegotiate  the greeting, then, once USER has come, a HelloRequest: the
#                server asks for a new handshake
#   client-cert  asks for a client certificate without requiring one, then
#                every reply at once
#
# STATE_DIR is Dovecot's (dovecot-ctl.sh): certs/ holds the certificates. In
# STATE_DIR/tls-server/ it writes log (what the client sent, and s_server's
# account of each handshake step), then ready once it listens and done once
# it has ended.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 STATE_DIR record|renegotiate|client-cert" >&2; exit 1; }
if [ "${QUILLORA_NETNS:-}" != "$(readlink /proc/self/ns/net)" ]; then
  echo "tls-server: only inside the tests' own network: run the tests through script/test" >&2
  exit 1
fi
certs=$1/certs mode=$2
work=$1/tls-server
rm -rf "$work"
mkdir -p "$work"
trap 'touch "$work/done"' EXIT

options=()
case $mode in
  record) options=(-cipher ECDHE-RSA-AES256-SHA) ;;
  renegotiate) ;;
  client-cert) options=(-verify 1) ;;
  *) echo "tls-server: unknown mode '$mode'" >&2; exit 1 ;;
esac

# What s_server reads from its input it sends as one record of application
# data; a line "r" alone makes it ask for a new handshake.
mkfifo "$work/input"
timeout 60 openssl s_server -accept 127.0.0.122:995 -naccept 1 -tls1_2 -state \
  -cert "$certs/pop2.pem" -key "$certs/pop2.key" "${options[@]}" \
  < "$work/input" > "$work/log" 2>&1 &
server=$!
exec 3> "$work/input"

until grep -q '^ACCEPT' "$work/log" 2>/dev/null; do
  kill -0 $server 2>/dev/null || exit 1
  sleep 0.05
done
all_replies=$'+OK ready\r\n+OK\r\n+OK\r\n+OK 2 200\r\n+OK bye\r\n'
case $mode in
  record)
    # Written in one piece, so that s_server reads all 16384 bytes at once.
    text=$all_replies
    while [ ${#text} -lt 16384 ]; do text+="+OK $(printf '%0500d' 0)"$'\r\n'; done
    printf '%s' "${text:0:16384}" > "$work/record"
    cat "$work/record" >&3
    ;;
  renegotiate) printf '+OK ready\r\n' >&3 ;;
  client-cert) printf '%s' "$all_replies" >&3 ;;
esac
touch "$work/ready"
if [ "$mode" = renegotiate ]; then
  until grep -q '^USER ' "$work/log"; do
    kill -0 $server 2>/dev/null || exit 1
    sleep 0.05
  done
  printf 'r\n' >&3
fi
wait $server || true
