#!/bin/sh
# Makes the development certificate authority and server certificate used by corvana-emulator.
# FOR LOCAL DEVELOPMENT ONLY: the private keys are public (they live in the repository), so
# nothing signed by this authority may ever be trusted outside a developer's own machine.
set -eu
cd "$(dirname "$0")"
days=36500
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

openssl req -x509 -new -nodes -newkey rsa:2048 -sha256 -days "$days" \
    -keyout "$tmp/ca.key" -out ca.pem \
    -subj "/O=qt-corvana/CN=corvana-emulator development CA (LOCAL DEVELOPMENT ONLY)" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign"

openssl req -new -nodes -newkey rsa:2048 -sha256 -keyout server.key -out "$tmp/server.csr" \
    -subj "/O=qt-corvana/CN=localhost (corvana-emulator, LOCAL DEVELOPMENT ONLY)"

cat > "$tmp/ext.cnf" <<EXT
basicConstraints=critical,CA:FALSE
keyUsage=critical,digitalSignature,keyEncipherment
extendedKeyUsage=serverAuth
subjectAltName=IP:127.0.0.1,IP:::1,DNS:localhost
EXT

openssl x509 -req -in "$tmp/server.csr" -CA ca.pem -CAkey "$tmp/ca.key" -CAcreateserial \
    -CAserial "$tmp/ca.srl" -days "$days" -sha256 -extfile "$tmp/ext.cnf" -out server.pem
# The authority's key is thrown away: re-running the script replaces all three files.
echo "wrote ca.pem server.pem server.key (local development only)"
