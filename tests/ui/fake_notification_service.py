#!/usr/bin/env python3
"""A tiny stand-in for the desktop's notification service, for the tests.

Usage: fake_notification_service.py BUS_ADDRESS

Owns org.freedesktop.Notifications on the given bus and speaks just enough
of the D-Bus wire protocol to serve it. It prints one JSON line per call it
serves ("ready" once the name is its own) and takes commands on stdin:
  invoke ID ACTION   emits ActionInvoked(ID, ACTION)
  quit
"""

import json
import os
import selectors
import socket
import struct
import sys

SERVICE = "org.freedesktop.Notifications"
PATH = "/org/freedesktop/Notifications"


def out(record):
    sys.stdout.write(json.dumps(record) + "\n")
    sys.stdout.flush()


# ---- Marshalling (little-endian) ----------------------------------------

ALIGN = {"y": 1, "b": 4, "n": 2, "q": 2, "i": 4, "u": 4, "x": 8, "t": 8, "d": 8,
         "s": 4, "o": 4, "g": 1, "a": 4, "(": 8, "{": 8, "v": 1, "h": 4}
FIXED = {"y": "<B", "b": "<I", "n": "<h", "q": "<H", "i": "<i", "u": "<I",
         "x": "<q", "t": "<Q", "d": "<d", "h": "<I"}


def one_type(sig, i):
    """The end of the single complete type starting at sig[i]."""
    c = sig[i]
    if c == "a":
        return one_type(sig, i + 1)
    if c in "({":
        close = ")" if c == "(" else "}"
        j = i + 1
        while sig[j] != close:
            j = one_type(sig, j)
        return j + 1
    return i + 1


def split(sig):
    types, i = [], 0
    while i < len(sig):
        j = one_type(sig, i)
        types.append(sig[i:j])
        i = j
    return types


class Writer:
    def __init__(self):
        self.buf = bytearray()

    def pad(self, n):
        while len(self.buf) % n:
            self.buf.append(0)

    def write(self, t, value):
        c = t[0]
        self.pad(ALIGN[c])
        if c in FIXED:
            self.buf += struct.pack(FIXED[c], value)
        elif c in "so":
            data = value.encode()
            self.buf += struct.pack("<I", len(data)) + data + b"\0"
        elif c == "g":
            data = value.encode()
            self.buf += struct.pack("<B", len(data)) + data + b"\0"
        elif c == "v":
            vt, vv = value
            self.write("g", vt)
            self.write(vt, vv)
        elif c == "a":
            at = self.buf.__len__()
            self.buf += b"\0\0\0\0"
            elem = t[1:]
            self.pad(ALIGN[elem[0]])
            start = len(self.buf)
            for item in value:
                self.write(elem, item)
            struct.pack_into("<I", self.buf, at, len(self.buf) - start)
        elif c in "({":
            for st, sv in zip(split(t[1:-1]), value):
                self.write(st, sv)


class Reader:
    def __init__(self, data, pos=0):
        self.data, self.pos = data, pos

    def align(self, n):
        self.pos = (self.pos + n - 1) // n * n

    def read(self, t):
        c = t[0]
        self.align(ALIGN[c])
        if c in FIXED:
            size = struct.calcsize(FIXED[c])
            (v,) = struct.unpack_from(FIXED[c], self.data, self.pos)
            self.pos += size
            return v
        if c in "so":
            (n,) = struct.unpack_from("<I", self.data, self.pos)
            v = self.data[self.pos + 4:self.pos + 4 + n].decode()
            self.pos += 4 + n + 1
            return v
        if c == "g":
            n = self.data[self.pos]
            v = self.data[self.pos + 1:self.pos + 1 + n].decode()
            self.pos += 1 + n + 1
            return v
        if c == "v":
            vt = self.read("g")
            return (vt, self.read(vt))
        if c == "a":
            (n,) = struct.unpack_from("<I", self.data, self.pos)
            self.pos += 4
            elem = t[1:]
            self.align(ALIGN[elem[0]])
            end, items = self.pos + n, []
            while self.pos < end:
                items.append(self.read(elem))
            return items
        if c in "({":
            return tuple(self.read(st) for st in split(t[1:-1]))
        raise ValueError("type " + t)


# ---- Connection ---------------------------------------------------------

class Bus:
    def __init__(self, address):
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(self.parse(address))
        self.sock.sendall(b"\0AUTH EXTERNAL " + str(os.getuid()).encode().hex().encode() + b"\r\n")
        line = self.read_line()
        if not line.startswith(b"OK"):
            raise SystemExit("auth: " + line.decode())
        self.sock.sendall(b"BEGIN\r\n")
        self.serial = 0
        self.pending = bytearray()

    @staticmethod
    def parse(address):
        for part in address.split(";"):
            kind, _, rest = part.partition(":")
            if kind != "unix":
                continue
            keys = dict(kv.split("=", 1) for kv in rest.split(","))
            if "path" in keys:
                return keys["path"]
            if "abstract" in keys:
                return "\0" + keys["abstract"]
        raise SystemExit("no unix address in " + address)

    def read_line(self):
        line = b""
        while not line.endswith(b"\r\n"):
            line += self.sock.recv(1)
        return line

    def send(self, kind, fields, sig="", body=(), flags=0):
        self.serial += 1
        w = Writer()
        for t, v in zip(split(sig), body):
            w.write(t, v)
        payload = bytes(w.buf)
        if sig:
            fields = fields + [(8, ("g", sig))]
        h = Writer()
        h.buf += struct.pack("<cBBBII", b"l", kind, flags, 1, len(payload), self.serial)
        h.write("a(yv)", fields)
        h.pad(8)
        self.sock.sendall(bytes(h.buf) + payload)
        return self.serial

    def call(self, dest, path, iface, member, sig="", body=()):
        return self.send(1, [(1, ("o", path)), (2, ("s", iface)), (3, ("s", member)), (6, ("s", dest))], sig, body)

    def reply(self, msg, sig="", body=()):
        fields = [(5, ("u", msg["serial"]))]
        if msg.get("sender"):
            fields.append((6, ("s", msg["sender"])))
        self.send(2, fields, sig, body)

    def signal(self, member, sig, body):
        self.send(4, [(1, ("o", PATH)), (2, ("s", SERVICE)), (3, ("s", member))], sig, body)

    def messages(self):
        """Every complete message received so far."""
        data = self.sock.recv(65536)
        if not data:
            raise SystemExit(0)
        self.pending += data
        found = []
        while len(self.pending) >= 16:
            body_len, serial, fields_len = struct.unpack_from("<III", self.pending, 4)
            header_end = (16 + fields_len + 7) // 8 * 8
            total = header_end + body_len
            if len(self.pending) < total:
                break
            raw = bytes(self.pending[:total])
            del self.pending[:total]
            r = Reader(raw, 12)
            fields = dict(r.read("a(yv)"))
            msg = {"type": raw[1], "serial": serial,
                   "member": fields.get(3, (None, None))[1],
                   "sender": fields.get(7, (None, None))[1],
                   "reply_serial": fields.get(5, (None, None))[1]}
            sig = fields.get(8, ("g", ""))[1]
            r = Reader(raw, header_end)
            msg["body"] = [r.read(t) for t in split(sig)]
            found.append(msg)
        return found


def main():
    bus = Bus(sys.argv[1])
    hello = bus.call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "Hello")
    request = bus.call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
                       "su", (SERVICE, 4))
    next_id = 1
    sel = selectors.DefaultSelector()
    sel.register(bus.sock, selectors.EVENT_READ, "bus")
    sel.register(sys.stdin, selectors.EVENT_READ, "stdin")
    while True:
        for key, _ in sel.select():
            if key.data == "stdin":
                line = sys.stdin.readline()
                words = line.split()
                if not words or words[0] == "quit":
                    return
                if words[0] == "invoke":
                    bus.signal("ActionInvoked", "us", (int(words[1]), words[2]))
                continue
            for msg in bus.messages():
                if msg["type"] == 2 and msg["reply_serial"] == request:
                    out({"event": "ready", "owner": msg["body"][0] in (1, 4)})
                if msg["type"] != 1:
                    continue
                member, body = msg["member"], msg["body"]
                if member == "Notify":
                    app, replaces, icon, summary, text, actions, hints, timeout = body
                    nid = replaces or next_id
                    if not replaces:
                        next_id += 1
                    hint = {k: (v[1] if v[0] in "ybuis" else v[0]) for k, v in hints}
                    out({"event": "notify", "id": nid, "replaces": replaces, "app": app, "summary": summary,
                         "body": text, "actions": actions, "hints": hint, "timeout": timeout})
                    bus.reply(msg, "u", (nid,))
                elif member == "CloseNotification":
                    out({"event": "close", "id": body[0]})
                    bus.reply(msg)
                    bus.signal("NotificationClosed", "uu", (body[0], 3))
                elif member == "GetCapabilities":
                    bus.reply(msg, "as", (["actions", "body"],))
                elif member == "GetServerInformation":
                    bus.reply(msg, "ssss", ("fake", "yol-tests", "1", "1.2"))
                else:
                    bus.send(3, [(4, ("s", "org.freedesktop.DBus.Error.UnknownMethod")),
                                 (5, ("u", msg["serial"])), (6, ("s", msg["sender"]))], "s", ("unknown",))
    del hello


if __name__ == "__main__":
    main()
