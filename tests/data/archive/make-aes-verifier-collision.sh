#!/usr/bin/env bash
# Makes aes-verifier-collision.qmk: one stored (uncompressed) AES-256 entry
# "quillmark.dat" with the password "Right", and prints a wrong password whose
# two-byte AES password check matches it (the test expects "wrong20502" for
# the committed file). About a minute.
set -euo pipefail
out="${1:-aes-verifier-collision.qmk}"
tmp="$(mktemp -d)"; trap 'rm -rf "$tmp"' EXIT
cat > "$tmp/mk.cpp" <<'CPP'
#include <zip.h>
#include <cstring>
int main(int, char** argv) {
    int e = 0;
    zip_t* za = zip_open(argv[1], ZIP_CREATE | ZIP_TRUNCATE, &e);
    static const char data[] = "BackupItem=0000100000\r\n";
    zip_int64_t i = zip_file_add(za, "quillmark.dat", zip_source_buffer(za, data, strlen(data), 0), 0);
    zip_set_file_compression(za, i, ZIP_CM_STORE, 0);
    zip_file_set_encryption(za, i, ZIP_EM_AES_256, "Right");
    return zip_close(za);
}
CPP
g++ -o "$tmp/mk" "$tmp/mk.cpp" $(pkg-config --cflags --libs libzip)
"$tmp/mk" "$out"
python3 - "$out" <<'PY'
import hashlib, struct, sys
b = open(sys.argv[1], 'rb').read()
n, m = struct.unpack('<HH', b[26:30])
off = 30 + n + m
salt, check = b[off:off + 16], b[off + 16:off + 18]
i = 0
while hashlib.pbkdf2_hmac('sha1', b'wrong%d' % i, salt, 1000, 66)[64:66] != check:
    i += 1
print('wrong%d' % i)
PY
