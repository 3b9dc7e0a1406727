#!/usr/bin/env bash
# Certificates for the tests of POP3 over TLS, made once per folder:
#
#   test-certs.sh DIR
#
#   ca.pem, ca.der          the tests' own certificate authority, which only
#                           the tests' Wine prefix is told to trust
#   pop.pem, pop.key        pop.quillora.test, issued by it
#   pop2.pem, pop2.key      pop2.quillora.test, issued by it (for the scripted
#                           TLS server, tls-server.sh)
#   expired.pem, .key       expired.quillora.test, issued by it, valid in 2020 only
#   untrusted.pem, .key     untrusted.quillora.test, issued by an authority
#                           nobody trusts
# Every key is made here and never leaves DIR.
set -euo pipefail
dir=$1
[ -s "$dir/untrusted.pem" ] && [ -s "$dir/pop2.pem" ] && exit 0
mkdir -p "$dir"
cd "$dir"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# subjectAltName comes from the environment, one name per certificate. Wine
# matches names only there, and only DNS names.
export SAN=unused
cat > "$work/openssl.cnf" <<'CNF'
[req]
distinguished_name = dn
[dn]
[authority]
basicConstraints = critical,CA:true
keyUsage = critical,keyCertSign,cRLSign
subjectKeyIdentifier = hash
[server]
basicConstraints = CA:false
keyUsage = critical,digitalSignature,keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = DNS:${ENV::SAN}
authorityKeyIdentifier = keyid
[signing]
database = signing/index
serial = signing/serial
new_certs_dir = signing
default_md = sha256
policy = anything
preserve = yes
[anything]
commonName = supplied
CNF
config=$work/openssl.cnf

authority() {   # NAME COMMON_NAME
  openssl req -x509 -new -newkey rsa:2048 -nodes -days 3650 -subj "/CN=$2" \
    -keyout "$work/$1.key" -out "$work/$1.pem" -config "$config" -extensions authority 2>/dev/null
}

# NAME HOST ISSUER [FROM UNTIL]: a server certificate; FROM and UNTIL put its
# validity anywhere, the past included.
server() {
  local name=$1 host=$2 issuer=$3 validity=(-days 3650)
  [ $# -gt 3 ] && validity=(-startdate "$4" -enddate "$5")
  openssl req -new -newkey rsa:2048 -nodes -subj "/CN=$host" -keyout "$name.key" \
    -out "$work/$name.csr" -config "$config" 2>/dev/null
  mkdir -p "$work/signing"
  : > "$work/signing/index"
  openssl rand -hex 8 > "$work/signing/serial"
  (cd "$work" && SAN=$host openssl ca -batch -config "$config" -name signing -notext \
    -cert "$issuer.pem" -keyfile "$issuer.key" -in "$name.csr" -out "$dir/$name.pem" \
    -extfile "$config" -extensions server "${validity[@]}" 2>/dev/null)
}

dir=$(pwd)
authority ca "Quillora Test CA"
authority rogue "Quillora Untrusted Test CA"
server pop pop.quillora.test ca
server pop2 pop2.quillora.test ca
server expired expired.quillora.test ca 20200101000000Z 20210101000000Z
server untrusted untrusted.quillora.test rogue
cp "$work/ca.pem" ca.pem
openssl x509 -in ca.pem -outform der -out ca.der
chmod 600 ./*.key
