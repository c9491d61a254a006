#!/usr/bin/python3
"""A storage server for the server store's tests: HTTP/1.0, one request per
connection, written from the exchange's wire layout.

    server_store.py [OPTION...] [MODE...]

Options:
    --login NAME      expected login (the part before any "@")
    --domain NAME     expected provider domain
    --digest HEX      expected 32-digit password digest
    --host NAME       expected Host header
    --key TEXT        the change key the client holds at first (default: none)
    --meta HEX        a meta-contact list to answer reads with (frame 0x8002)
    --account HEX     an account list to answer reads with (frame 0x8001)
    --tls CERT KEY    speak TLS with this certificate and key
    --port N          listen on this port (default: one the kernel picks)

Listens on 127.0.0.1 and prints "PORT <n>" first. Connection i runs MODE i
(the last mode given keeps going; "ok" when none is given):

    ok         check the request and answer it
    nolength   answer without Content-Length
    badlength  answer with a Content-Length seven bytes too long
    noterm     answer a status line and a header but no blank line, then close
    split      answer one byte at a time
    hang       read the request, then answer nothing until the client leaves
    403, 500   answer with that status and no key
    badtype, badmagic, badmd5, badzlib, v2
               a read's account-list frame gets a wrong type, a wrong magic, a
               wrong digest, data that does not expand, or version 2 (no
               time field; still good); the meta-list frame stays good
    hugeheader a header block that never ends

The request must be byte for byte what the store sends: request line, header
order, Basic credentials, body length. A save body must be a good stored-data
block (magic, version 8, MD5 of the data, zlib); account lists are kept and
answered to later reads, change documents are reported. Every 200 answer
carries a new X-Key-MC ("K1", "K2", ...), and every save must send the last
key issued.

One line per request, on stdout:
    REQ <i> read
    REQ <i> save ac time=<unix> payload=<hex>
    REQ <i> save mx time=<unix> doc=<hex of the UTF-8 document>
    REQ <i> save ac|mx time=<unix> (<mode>)   a save the mode does not take
    FAIL <i> <what was wrong>
then "DONE <i> <mode>" once the connection is over. Runs until terminated.
"""

import base64
import hashlib
import socket
import ssl
import struct
import sys
import threading
import time
import zlib

MAGIC = bytes.fromhex("6DCEE0CE47094D7680BB4B1A0735B730")
READ_PATH = "/storage/read_storage_data3.php?xmlns="
SAVE_PATH = "/storage/save_storage_data3.php?xmlns="
HEADER_CAP = 64 * 1024

print_lock = threading.Lock()
state_lock = threading.Lock()


def report(line):
    with print_lock:
        print(line, flush=True)


class Config:
    def __init__(self, argv):
        self.login = "bob"
        self.domain = "yol.example"
        self.digest = hashlib.md5(b"bob::secret").hexdigest()
        self.host = "127.0.0.1"
        self.key = None
        self.meta = None
        self.account = None
        self.tls = None
        self.port = 0
        self.modes = []
        i = 0
        while i < len(argv):
            a = argv[i]
            if a == "--tls":
                self.tls = (argv[i + 1], argv[i + 2])
                i += 3
                continue
            if a.startswith("--"):
                value = argv[i + 1]
                i += 2
                if a == "--login":
                    self.login = value
                elif a == "--domain":
                    self.domain = value
                elif a == "--digest":
                    self.digest = value
                elif a == "--host":
                    self.host = value
                elif a == "--key":
                    self.key = value
                elif a == "--meta":
                    self.meta = bytes.fromhex(value)
                elif a == "--account":
                    self.account = bytes.fromhex(value)
                elif a == "--port":
                    self.port = int(value)
                else:
                    raise SystemExit("unknown option " + a)
                continue
            self.modes.append(a)
            i += 1

    def mode(self, number):
        if not self.modes:
            return "ok"
        return self.modes[min(number, len(self.modes) - 1)]


class Store:
    """What the server keeps between connections."""

    def __init__(self, config):
        self.issued = 0
        self.key = config.key
        self.account_block = None
        if config.account is not None:
            self.account_block = block(config.account, 8, 1)
        self.meta_block = None
        if config.meta is not None:
            self.meta_block = block(config.meta, 8, 1)

    def new_key(self):
        with state_lock:
            self.issued += 1
            self.key = "K%d" % self.issued
            return self.key


def block(payload, version, when):
    packed = zlib.compress(payload, 9)
    head = MAGIC + struct.pack(">H", version)
    if version > 2:
        head += struct.pack(">I", when)
    return head + hashlib.md5(packed).digest() + packed


def frame(kind, data):
    return struct.pack(">HI", kind, len(data)) + data


def spoil(data, mode):
    """The account-list block as the fault mode wants it."""
    if mode == "badmagic":
        return bytes([data[0] ^ 1]) + data[1:]
    if mode == "badmd5":
        return data[:22] + bytes([data[22] ^ 1]) + data[23:]
    if mode == "badzlib":
        packed = data[38:-4]
        return data[:22] + hashlib.md5(packed).digest() + packed
    return data


def read_exactly(conn, count):
    data = b""
    while len(data) < count:
        chunk = conn.recv(min(65536, count - len(data)))
        if not chunk:
            break
        data += chunk
    return data


def read_head(conn):
    data = b""
    while b"\r\n\r\n" not in data:
        if len(data) > HEADER_CAP:
            return None, b""
        chunk = conn.recv(4096)
        if not chunk:
            return None, b""
        data += chunk
    end = data.index(b"\r\n\r\n") + 4
    return data[:end], data[end:]


def namespace(domain):
    return "http%3A%2F%2F" + domain.replace(".", "%2E") + "%2F"


def expected_head(config, path, length):
    credentials = "%s@%s:%s" % (config.login, config.domain, config.digest)
    return (
        "POST %s HTTP/1.0\r\n"
        "Accept: */*\r\n"
        "User-Agent: Mozilla/4.0 (compatible; yolpda)\r\n"
        "Host: %s\r\n"
        "Content-Type: application/x-www-form-urlencoded\r\n"
        "Authorization: Basic %s\r\n"
        "Content-Length: %d\r\n\r\n"
        % (path, config.host, base64.b64encode(credentials.encode()).decode(), length)
    ).encode()


def check_block(body):
    """The payload and time of a save body, or (None, reason)."""
    if len(body) < 38:
        return None, "block of %d bytes" % len(body)
    if body[:16] != MAGIC:
        return None, "wrong magic %s" % body[:16].hex()
    version, when = struct.unpack(">HI", body[16:22])
    if version != 8:
        return None, "version %d" % version
    packed = body[38:]
    if hashlib.md5(packed).digest() != body[22:38]:
        return None, "digest does not match"
    try:
        return (zlib.decompress(packed), when), None
    except zlib.error as e:
        return None, "zlib: %s" % e


def answer(conn, mode, status, key, body):
    if mode in ("403", "500"):
        reason = "Forbidden" if mode == "403" else "Internal Server Error"
        conn.sendall(("HTTP/1.0 %s %s\r\nContent-Length: 0\r\n\r\n" % (mode, reason)).encode())
        return
    if mode == "noterm":
        conn.sendall(b"HTTP/1.0 200 OK\r\nContent-Length: 5\r\n")
        return
    if mode == "hugeheader":
        line = b"X-Filler: " + b"f" * 1000 + b"\r\n"
        try:
            conn.sendall(b"HTTP/1.0 200 OK\r\n")
            for _ in range(100):
                conn.sendall(line)
        except OSError:
            pass
        return
    head = "HTTP/1.0 %d %s\r\n" % (status, "OK" if status == 200 else "Bad Request")
    if key is not None:
        head += "X-Key-MC: %s\r\n" % key
    if mode == "badlength":
        head += "Content-Length: %d\r\n" % (len(body) + 7)
    elif mode != "nolength":
        head += "Content-Length: %d\r\n" % len(body)
    data = head.encode() + b"\r\n" + body
    if mode == "split":
        for i in range(len(data)):
            conn.sendall(data[i : i + 1])
            time.sleep(0.001)
    else:
        conn.sendall(data)


def serve(conn, number, config, store):
    mode = config.mode(number)
    conn.settimeout(20)
    try:
        head, rest = read_head(conn)
        if head is None:
            report("FAIL %d no request head" % number)
            return
        line = head.split(b"\r\n", 1)[0].decode("latin-1")
        parts = line.split(" ")
        if len(parts) != 3 or parts[0] != "POST" or parts[2] != "HTTP/1.0":
            report("FAIL %d request line %r" % (number, line))
            return
        path = parts[1]
        ns = namespace(config.domain)
        length_text = head.split(b"Content-Length: ", 1)[-1].split(b"\r\n", 1)[0]
        length = int(length_text) if length_text.isdigit() else -1
        if head != expected_head(config, path, length):
            report("FAIL %d head %s expected %s" % (number, head.hex(), expected_head(config, path, length).hex()))
            answer(conn, "403", 403, None, b"")
            return
        body = rest + read_exactly(conn, length - len(rest))
        if len(body) != length:
            report("FAIL %d body of %d bytes, %d declared" % (number, len(body), length))
            return

        if path == READ_PATH + ns + "pk":
            if body:
                report("FAIL %d read with a body" % number)
                return
            report("REQ %d read" % number)
            if mode in ("403", "500", "noterm", "hang", "hugeheader"):
                finish(conn, mode)
                return
            frames = b""
            if store.account_block is not None:
                data = store.account_block
                kind = 0x8001
                if mode == "badtype":
                    kind = 0x8003
                elif mode == "v2":
                    payload = zlib.decompress(data[38:])
                    data = block(payload, 2, 0)
                data = spoil(data, mode)
                frames += frame(kind, data)
            if store.meta_block is not None:
                frames += frame(0x8002, store.meta_block)
            answer(conn, mode, 200, store.new_key(), frames)
            finish(conn, None)
            return

        if not path.startswith(SAVE_PATH + ns):
            report("FAIL %d path %s" % (number, path))
            return
        tail = path[len(SAVE_PATH + ns):]
        kind, _, key = tail.partition("&key=")
        if kind not in ("ac", "mx") or not tail.startswith(kind + "&key="):
            report("FAIL %d save path %s" % (number, path))
            return
        with state_lock:
            wanted = store.key or ""
        if key != wanted:
            report("FAIL %d key %r, last issued %r" % (number, key, wanted))
            answer(conn, "403", 403, None, b"")
            return
        decoded, problem = check_block(body)
        if decoded is None:
            report("FAIL %d %s" % (number, problem))
            answer(conn, "403", 403, None, b"")
            return
        payload, when = decoded
        if mode in ("403", "500", "noterm", "hang", "hugeheader"):
            report("REQ %d save %s time=%d (%s)" % (number, kind, when, mode))
            finish(conn, mode)
            return
        if kind == "ac":
            with state_lock:
                store.account_block = body
            report("REQ %d save ac time=%d payload=%s" % (number, when, payload.hex()))
        else:
            report("REQ %d save mx time=%d doc=%s" % (number, when, payload.hex()))
        answer(conn, mode, 200, store.new_key(), b"")
        finish(conn, None)
    except OSError as e:
        report("FAIL %d %s" % (number, e))
    finally:
        try:
            conn.close()
        except OSError:
            pass
        report("DONE %d %s" % (number, mode))


def finish(conn, mode):
    if mode == "hang":
        conn.settimeout(None)
        try:
            while conn.recv(65536):
                pass
        except OSError:
            pass
        return
    if mode is not None:
        answer(conn, mode, 0, None, b"")


def main():
    config = Config(sys.argv[1:])
    store = Store(config)
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", config.port))
    listener.listen(16)
    context = None
    if config.tls is not None:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(config.tls[0], config.tls[1])
    report("PORT %d" % listener.getsockname()[1])
    number = 0
    while True:
        conn, _ = listener.accept()
        if context is not None:
            try:
                conn = context.wrap_socket(conn, server_side=True)
            except (OSError, ssl.SSLError) as e:
                report("FAIL %d tls %s" % (number, e))
                report("DONE %d tls" % number)
                number += 1
                continue
        threading.Thread(target=serve, args=(conn, number, config, store), daemon=True).start()
        number += 1


if __name__ == "__main__":
    main()
