#!/usr/bin/env bash
# TEST-ONLY certificates. Creates a throw-away certificate authority and a server certificate
# for 127.0.0.1, ::1 and localhost, used by the scripted test service over TLS. The private keys
# are committed on purpose: nothing outside the test suite may ever trust this CA.
#
# Re-run only to replace the committed files (they are valid for about 30 years).
set -euo pipefail
cd "$(dirname "$0")"

days=11000
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days "$days" \
    -keyout test-ca.key -out test-ca.pem \
    -subj "/O=qt-corvana tests/CN=qt-corvana TEST-ONLY CA" \
    -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign"

openssl req -newkey rsa:2048 -nodes -sha256 \
    -keyout test-server.key -out "$tmp/server.csr" \
    -subj "/O=qt-corvana tests/CN=localhost"

cat > "$tmp/server.ext" <<EXT
basicConstraints=critical,CA:FALSE
keyUsage=critical,digitalSignature,keyEncipherment
extendedKeyUsage=serverAuth
subjectAltName=IP:127.0.0.1,IP:::1,DNS:localhost
EXT

openssl x509 -req -sha256 -days "$days" -in "$tmp/server.csr" \
    -CA test-ca.pem -CAkey test-ca.key -CAcreateserial -CAserial "$tmp/ca.srl" \
    -extfile "$tmp/server.ext" -out test-server.pem
