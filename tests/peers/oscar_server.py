#!/usr/bin/python3
"""A scripted OSCAR server: the login server (MD5 login with a key, then a
redirect with a cookie) and the session server it names (the cookie, the
service family's sign-on, the own information and a server-side list in
several parts), written from the wire layouts.

    oscar_server.py SCENARIO [--user U] [--password P] [--parts N]
                    [--timeout S] [--logins N]

Listens on 127.0.0.1 at two ports of the kernel's choosing and prints
"PORT <login port>" first. It asserts every frame the client sends (its
layout, and sequence numbers that follow one another on each connection)
and reports on standard output, one line each:
  "SIGNED ON"   the client sent its whole activation burst;
  "DONE"        the scenario ended as expected; exit 0;
  "FAIL <why>"  at the first thing it did not expect, or when the client
                goes silent for --timeout seconds; exit 1.

Scenarios:
  login           sign on, then wait for the client to leave
  wrong-password  the login server refuses the password (code 5); the
                  client must close without trying again
  rate-limit      the login server answers code 0x18; the client must
                  close and come back (--logins times in all)
  pause           sign on, then the server pauses the service (01/0B);
                  the client must come back and sign on again
  close-other     sign on, then a close frame "used on another computer";
                  the client must close
"""

import argparse
import asyncio
import hashlib
import struct
import sys

SALT = b"Pelican Harbour Relay (QX)"
KEY = b"1234567890"
COOKIE = bytes(range(64, 64 + 32))
FAMILIES = [(0x22, 1), (0x01, 4), (0x13, 4), (0x02, 1), (0x03, 1), (0x15, 1),
            (0x04, 1), (0x06, 1), (0x09, 1), (0x0A, 1), (0x0B, 1)]
SERVICE_REQUESTS = [(0x01, 0x08), (0x01, 0x0E), (0x13, 0x02), (0x13, 0x04),
                    (0x02, 0x02), (0x03, 0x02), (0x04, 0x04), (0x09, 0x02)]


class Mismatch(Exception):
    pass


def tlv(kind, value):
    return struct.pack(">HH", kind, len(value)) + value


def tlvs(data):
    out = {}
    at = 0
    while at + 4 <= len(data):
        kind, length = struct.unpack_from(">HH", data, at)
        if at + 4 + length > len(data):
            raise Mismatch("TLV %04x runs past its frame" % kind)
        out.setdefault(kind, data[at + 4:at + 4 + length])
        at += 4 + length
    if at != len(data):
        raise Mismatch("bytes after the last TLV")
    return out


def expect(condition, why):
    if not condition:
        raise Mismatch(why)


class Link:
    """One connection: frames in and out, with the client's numbering
    checked."""

    def __init__(self, reader, writer, timeout):
        self.last = "nothing"
        self.reader = reader
        self.writer = writer
        self.timeout = timeout
        self.client_sequence = None
        self.sequence = 100

    async def frame(self):
        try:
            header = await asyncio.wait_for(self.reader.readexactly(6), self.timeout)
        except asyncio.IncompleteReadError as error:
            if not error.partial:
                raise EOFError("after %s" % self.last)
            raise Mismatch("frame header cut short")
        except asyncio.TimeoutError:
            raise Mismatch("client silent")
        start, channel, sequence, length = struct.unpack(">BBHH", header)
        expect(start == 0x2A, "frame without the start marker")
        if self.client_sequence is not None:
            following = 0 if self.client_sequence >= 0x8000 else self.client_sequence + 1
            expect(sequence == following, "sequence %d after %d" % (sequence, self.client_sequence))
        self.client_sequence = sequence
        data = await self.reader.readexactly(length)
        self.last = "channel %d %s" % (channel, data[:4].hex())
        return channel, data

    async def snac(self, family=None, subtype=None):
        channel, data = await self.frame()
        while channel == 5:
            channel, data = await self.frame()
        expect(channel == 2 and len(data) >= 10, "SNAC expected, channel %d" % channel)
        fam, sub, flags, rid = struct.unpack_from(">HHHI", data)
        expect(flags == 0, "SNAC flags %04x" % flags)
        if family is not None:
            expect((fam, sub) == (family, subtype),
                   "%02x/%02x instead of %02x/%02x" % (fam, sub, family, subtype))
        return fam, sub, rid, data[10:]

    def send(self, channel, data):
        self.sequence += 1
        self.writer.write(struct.pack(">BBHH", 0x2A, channel, self.sequence, len(data)) + data)

    def send_snac(self, family, subtype, payload=b"", flags=0, rid=0):
        self.send(2, struct.pack(">HHHI", family, subtype, flags, rid) + payload)

    async def closed(self):
        """Waits until the client closes; keep-alives are allowed."""
        while True:
            try:
                channel, _ = await self.frame()
            except EOFError:
                return
            expect(channel == 5, "frame on channel %d after the end" % channel)

    def close(self):
        self.writer.close()


class Server:
    def __init__(self, args):
        self.args = args
        self.accepted = asyncio.Queue()
        self.session_port = 0

    async def accept(self, reader, writer):
        await self.accepted.put(Link(reader, writer, self.args.timeout))

    async def next_link(self):
        try:
            return await asyncio.wait_for(self.accepted.get(), self.args.timeout)
        except asyncio.TimeoutError:
            raise Mismatch("client did not connect")

    async def login(self, code=0):
        """The login server's side; answers `code` or the redirect."""
        link = await self.next_link()
        link.send(1, struct.pack(">I", 1))
        channel, data = await link.frame()
        expect(channel == 1 and data == struct.pack(">I", 1) + tlv(0x8003, b"\x00\x10\x00\x00"),
               "login hello %s" % data.hex())
        _, _, _, payload = await link.snac(0x17, 0x06)
        user = self.args.user.encode()
        expect(tlvs(payload).get(1) == user, "key request for %r" % payload)
        link.send_snac(0x17, 0x07, struct.pack(">H", len(KEY)) + KEY)
        _, _, _, payload = await link.snac(0x17, 0x02)
        fields = tlvs(payload)
        digest = hashlib.md5(self.args.password.encode()).digest()
        expect(fields.get(1) == user, "login name %r" % fields.get(1))
        matches = fields.get(0x25) == hashlib.md5(KEY + digest + SALT).digest()
        # Code 5 is the answer to a wrong password: its hash must not match.
        expect(matches != (code == 5), "password hash")
        expect(fields.get(3) == b"Ruv Client", "client name %r" % fields.get(3))
        if code:
            link.send_snac(0x17, 0x03, tlv(1, user) + tlv(8, struct.pack(">H", code)))
        else:
            address = ("127.0.0.1:%d" % self.session_port).encode()
            link.send_snac(0x17, 0x03, tlv(1, user) + tlv(5, address) + tlv(6, COOKIE))
        await link.closed()
        link.close()

    async def session(self):
        link = await self.next_link()
        link.send(1, struct.pack(">I", 1))
        channel, data = await link.frame()
        expect(channel == 1 and data == struct.pack(">I", 1) + tlv(6, COOKIE), "cookie %s" % data.hex())
        link.send_snac(0x01, 0x03, b"".join(struct.pack(">H", f) for f, _ in FAMILIES))
        _, _, rid, payload = await link.snac(0x01, 0x17)
        expect(rid == 0x17 and payload == b"".join(struct.pack(">HH", f, v) for f, v in FAMILIES),
               "family versions %s" % payload.hex())
        link.send_snac(0x01, 0x18, b"".join(struct.pack(">HH", f, v) for f, v in FAMILIES))
        await link.snac(0x01, 0x06)
        rate = struct.pack(">H", 1) + struct.pack(">HIIIIIIIIB", 1, 80, 2500, 2000, 1500, 800, 3400, 6000, 0, 0)
        link.send_snac(0x01, 0x07, rate + struct.pack(">HHI", 1, 1, 0x00010002))
        for family, subtype in SERVICE_REQUESTS:
            _, _, _, payload = await link.snac(family, subtype)
            if (family, subtype) == (0x01, 0x08):
                expect(payload == b"\x00\x01", "rate ack %s" % payload.hex())
        # The own information before the list: it must not start the session.
        status = tlv(6, b"\x00\x00\x00\x00")
        link.send_snac(0x01, 0x0F, bytes([len(self.args.user)]) + self.args.user.encode() +
                       struct.pack(">HH", 0, 1) + status)
        parts = self.args.parts
        for part in range(parts):
            group = ("Group %d" % part).encode()
            body = struct.pack(">BH", 0, 1) + struct.pack(">H", len(group)) + group + struct.pack(">HHHH", part + 1, 0, 1, 0)
            if part == parts - 1:
                body += struct.pack(">I", 0x5F000000)
            link.send_snac(0x13, 0x06, body, flags=1 if part < parts - 1 else 0)
        burst = []
        while True:
            fam, sub, _, _ = await link.snac()
            burst.append((fam, sub))
            if (fam, sub) == (0x04, 0x10):
                break
        expected = [(0x02, 0x04), (0x04, 0x02), (0x01, 0x02), (0x13, 0x07), (0x01, 0x11), (0x04, 0x10)]
        expect([kind for kind in burst if kind != (0x01, 0x1E)] == expected, "activation %s" % burst)
        print("SIGNED ON", flush=True)
        return link

    async def run(self):
        scenario = self.args.scenario
        if scenario == "wrong-password":
            await self.login(code=5)
            return
        if scenario == "rate-limit":
            for _ in range(self.args.logins - 1):
                await self.login(code=0x18)
            await self.login()
            link = await self.session()
            await link.closed()
            return
        await self.login()
        link = await self.session()
        if scenario == "pause":
            link.send_snac(0x01, 0x0B)
            await link.closed()
            await self.login()
            link = await self.session()
        elif scenario == "close-other":
            link.send(4, tlv(9, b"\x00\x01"))
        await link.closed()


async def main(args):
    server = Server(args)
    login = await asyncio.start_server(server.accept, "127.0.0.1", 0)
    session = await asyncio.start_server(server.accept, "127.0.0.1", 0)
    server.session_port = session.sockets[0].getsockname()[1]
    print("PORT %d" % login.sockets[0].getsockname()[1], flush=True)
    try:
        await server.run()
    except Mismatch as error:
        print("FAIL %s" % error, flush=True)
        return 1
    except EOFError as error:
        print("FAIL client closed too early, %s" % error, flush=True)
        return 1
    print("DONE", flush=True)
    return 0


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("scenario", choices=["login", "wrong-password", "rate-limit", "pause", "close-other"])
    parser.add_argument("--user", default="100200")
    parser.add_argument("--password", default="secret")
    parser.add_argument("--parts", type=int, default=3)
    parser.add_argument("--timeout", type=float, default=20)
    parser.add_argument("--logins", type=int, default=2)
    sys.exit(asyncio.run(main(parser.parse_args())))
