#!/usr/bin/python3
"""A scripted OSCAR server: the login server (MD5 login with a key, then a
redirect with a cookie) and the session server it names (the cookie, the
service family's sign-on, the own information and a server-side list in
several parts), written from the wire layouts.

    oscar_server.py SCENARIO [--user U] [--password P] [--parts N]
                    [--timeout S] [--logins N] [--contacts N]
                    [--redirect-port N] [--own-caps]
                    [--ignored NAME...]

Listens on 127.0.0.1 at two ports of the kernel's choosing and prints
"PORT <login port>" first. It asserts every frame the client sends (its
layout, and sequence numbers that follow one another on each connection)
and reports on standard output, one line each:
  "SIGNED ON"   the client sent its whole activation burst;
  "DONE"        the scenario ended as expected; exit 0;
  "FAIL <why>"  at the first thing it did not expect, or when the client
                goes silent for --timeout seconds; exit 1.
With --redirect-port the redirect names that port instead of the session
server's own (a relay in front of it), and "SESSION <session port>" follows
"PORT".

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
  chat            two clients (--user, then --peer) sign on in turn, each
                  receiving a list (in --parts parts, the buddy before its
                  group) that holds the other; then the server relays
                  presence, messages (channels 1 and 2), acknowledgements,
                  typing notices and authorization messages between them,
                  sends each a channel-4 message, and answers list edits:
                  an item named 1009NN is refused with code NN (an add of
                  100914 is taken once it awaits authorization). A client
                  leaving is told to the other as a departure. Reports
                  "SIGNED ON" per client and "EDIT <user> <op> <name> <code>[ list N| mode N]"
                  per edit answered. With --own-caps each client's
                  presence carries the capabilities and direct-connection
                  block it announced while signing on. Names after
                  --ignored are buddies of the first user, each also on
                  its ignore list. A client that announces new
                  capabilities during the session (an extended status set)
                  is shown to the other with them added, and "CAPS <user>"
                  is reported.
  big-list        sign-ons one after another, each given a list of
                  --contacts buddies (and their groups) in parts of at most
                  500 items; a client may also leave as soon as it has the
                  whole list. Runs until it is ended; --timeout then only
                  bounds the silence within one connection.
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


def list_item(name, group, item, kind, data):
    name = name.encode()
    return struct.pack(">H", len(name)) + name + struct.pack(">HHHH", group, item, kind, len(data)) + data


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
        # The first payload of each kind the client sent while signing on.
        self.announced = {}

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

    async def login(self, code=0, user=None, password=None):
        """The login server's side; answers `code` or the redirect."""
        user = (user or self.args.user).encode()
        password = password or self.args.password
        link = await self.next_link()
        link.send(1, struct.pack(">I", 1))
        channel, data = await link.frame()
        expect(channel == 1 and data == struct.pack(">I", 1) + tlv(0x8003, b"\x00\x10\x00\x00"),
               "login hello %s" % data.hex())
        _, _, _, payload = await link.snac(0x17, 0x06)
        expect(tlvs(payload).get(1) == user, "key request for %r" % payload)
        link.send_snac(0x17, 0x07, struct.pack(">H", len(KEY)) + KEY)
        _, _, _, payload = await link.snac(0x17, 0x02)
        fields = tlvs(payload)
        digest = hashlib.md5(password.encode()).digest()
        expect(fields.get(1) == user, "login name %r" % fields.get(1))
        matches = fields.get(0x25) == hashlib.md5(KEY + digest + SALT).digest()
        # Code 5 is the answer to a wrong password: its hash must not match.
        expect(matches != (code == 5), "password hash")
        expect(fields.get(3) == b"Ruv Client", "client name %r" % fields.get(3))
        if code:
            link.send_snac(0x17, 0x03, tlv(1, user) + tlv(8, struct.pack(">H", code)))
        else:
            address = ("127.0.0.1:%d" % (self.args.redirect_port or self.session_port)).encode()
            link.send_snac(0x17, 0x03, tlv(1, user) + tlv(5, address) + tlv(6, COOKIE))
        await link.closed()
        link.close()

    async def session(self, user=None, items=None, parts=None):
        """The session server's side up to the activation burst. `items`:
        the list as (name, group, item, type, tlvs), sent in --parts parts;
        by default one group per part."""
        user = user or self.args.user
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
        link.send_snac(0x01, 0x0F, bytes([len(user)]) + user.encode() + struct.pack(">HH", 0, 1) + status)
        parts = parts or self.args.parts
        if items is None:
            items = [("Group %d" % part, part + 1, 0, 1, b"") for part in range(parts)]
        for part in range(parts):
            chunk = items[part::parts]
            body = struct.pack(">BH", 0, len(chunk)) + b"".join(list_item(*entry) for entry in chunk)
            if part == parts - 1:
                body += struct.pack(">I", 0x5F000000)
            link.send_snac(0x13, 0x06, body, flags=1 if part < parts - 1 else 0)
        burst = []
        while True:
            fam, sub, _, payload = await link.snac()
            burst.append((fam, sub))
            link.announced.setdefault((fam, sub), payload)
            if (fam, sub) == (0x04, 0x10):
                break
        expected = [(0x02, 0x04), (0x04, 0x02), (0x01, 0x02), (0x13, 0x07), (0x01, 0x11), (0x04, 0x10)]
        # The status, and the privacy mode written into the list, may come
        # anywhere in it.
        optional = [(0x01, 0x1E), (0x13, 0x08), (0x13, 0x09)]
        expect([kind for kind in burst if kind not in optional] == expected, "activation %s" % burst)
        print("SIGNED ON", flush=True)
        return link

    async def next_link(self):
        try:
            if self.args.scenario == "big-list":
                return await self.accepted.get()
            return await asyncio.wait_for(self.accepted.get(), self.args.timeout)
        except asyncio.TimeoutError:
            raise Mismatch("client did not connect")

    async def big_list(self):
        groups = 10
        items = [("Group %d" % g, g + 1, 0, 1, b"") for g in range(groups)]
        items += [("%d" % (200000 + i), i % groups + 1, i + 1, 0, tlv(0x0131, ("Контакт %d" % i).encode()))
                  for i in range(self.args.contacts)]
        parts = -(-len(items) // 500)
        while True:
            await self.login()
            try:
                link = await self.session(items=items, parts=parts)
                await link.closed()
            except (EOFError, ConnectionError):
                pass

    async def run(self):
        scenario = self.args.scenario
        if scenario == "big-list":
            await self.big_list()
            return
        if scenario == "chat":
            await Chat(self).run()
            return
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


CAP_RELAY = bytes.fromhex("094613494c7f11d18222444553540000")
CAP_UTF8 = bytes.fromhex("0946134e4c7f11d18222444553540000")
CAP_TYPING = bytes.fromhex("563fc8090b6f41bd9f79422609dfa2f3")


def user_info(user, capabilities, version, direct=None):
    """A user-information block: name, warning level, TLVs. `direct` is a
    whole direct-connection block in place of the one built from
    `version`."""
    name = user.encode()
    if direct is None:
        direct = bytes(8) + bytes([4]) + struct.pack(">H", version) + bytes(26)
    fields = [tlv(1, b"\x00\x50"), tlv(6, b"\x00\x00\x00\x00"), tlv(0x0C, direct),
              tlv(0x0D, b"".join(capabilities))]
    return bytes([len(name)]) + name + struct.pack(">HH", 0, len(fields)) + b"".join(fields)


def read_name(data, at):
    length = data[at]
    expect(at + 1 + length <= len(data), "screen name runs past its frame")
    return data[at + 1:at + 1 + length].decode(), at + 1 + length


class Chat:
    """Two signed-on clients and the server between them."""

    def __init__(self, server):
        self.server = server
        self.args = server.args
        self.users = [self.args.user, self.args.peer]
        self.links = {}
        # The first user reads code page text only through the relay; the
        # second reads UTF-8. After its first message the first user's
        # client is seen as an old one (no relay, version unknown).
        self.seen = {self.users[0]: ([CAP_RELAY, CAP_TYPING], 9), self.users[1]: ([CAP_RELAY, CAP_UTF8, CAP_TYPING], 9)}
        self.downgraded = False

    def presence_of(self, user):
        """With --own-caps, what the client announced of itself (its
        capabilities and its direct-connection block); otherwise the sets
        the message tests are written for."""
        if not self.args.own_caps:
            return user_info(user, *self.seen[user])
        announced = self.links[user].announced
        info = tlvs(announced.get((0x02, 0x04), b""))
        status = tlvs(announced.get((0x01, 0x1E), b""))
        expect(5 in info and 0x0C in status, "no capabilities or direct-connection block from %s" % user)
        caps = info[5]
        return user_info(user, [caps[at:at + 16] for at in range(0, len(caps), 16)], 0, status[0x0C])

    def other(self, user):
        return self.users[1] if user == self.users[0] else self.users[0]

    async def run(self):
        for user, password in zip(self.users, [self.args.password, self.args.peer_password]):
            await self.server.login(user=user, password=password)
            peer = self.other(user)
            # The buddy comes in an earlier part than its group.
            items = [(peer, 7, 1, 0, tlv(0x0131, ("Друг " + peer).encode())), ("Friends", 7, 0, 1, b"")]
            if user == self.users[0]:
                # Each listed name is a buddy and on the ignore list.
                for number, name in enumerate(self.args.ignored):
                    items.append((name, 7, 100 + number, 0, b""))
                    items.append((name, 0, 200 + number, 14, b""))
            self.links[user] = await self.server.session(user, items)
        for user in self.users:
            peer = self.other(user)
            self.links[user].send_snac(0x03, 0x0B, self.presence_of(peer))
            text = "Канал 4".encode("cp1251")
            block = struct.pack(">IBB", int(peer), 1, 0) + struct.pack("<H", len(text) + 1) + text + b"\0"
            self.send_message(user, peer, 4, tlv(5, block))
        print("READY", flush=True)
        await asyncio.gather(*(self.serve(user) for user in self.users))

    def send_message(self, to, sender, channel, message_tlvs, cookie=b"\0" * 8):
        name = sender.encode()
        payload = cookie + struct.pack(">H", channel) + bytes([len(name)]) + name + struct.pack(">HH", 0, 1)
        self.links[to].send_snac(0x04, 0x07, payload + tlv(1, b"\x00\x50") + message_tlvs)

    async def serve(self, user):
        link = self.links[user]
        while True:
            try:
                channel, data = await link.frame()
            except EOFError:
                break
            if channel != 2:
                continue
            expect(len(data) >= 10, "SNAC cut short")
            family, subtype, _, rid = struct.unpack_from(">HHHI", data)
            handler = self.HANDLERS.get((family, subtype))
            if handler:
                handler(self, user, rid, data[10:])
        link.close()
        del self.links[user]
        peer = self.other(user)
        if peer in self.links:
            self.links[peer].send_snac(0x03, 0x0C, user_info(user, [], 0))

    def on_message(self, user, rid, data):
        cookie = data[:8]
        channel = struct.unpack_from(">H", data, 8)[0]
        target, at = read_name(data, 10)
        fields = tlvs(data[at:])
        if channel == 1:
            expect(fields.get(2, b"")[:8] == b"\x05\x01\x00\x02\x01\x06\x01\x01", "channel-1 fragments")
            body = tlv(2, fields[2])
        else:
            expect(channel == 2 and fields.get(5, b"")[10:26] == CAP_RELAY, "relay block")
            body = tlv(5, fields[5])
        print("MESSAGE %s ch%d" % (user, channel), flush=True)
        if target in self.links:
            self.send_message(target, user, channel, body, cookie)
        if user == self.users[1] and not self.downgraded:
            self.downgraded = True
            self.links[user].send_snac(0x03, 0x0B, user_info(self.users[0], [CAP_TYPING], 0))

    def on_caps(self, user, rid, data):
        caps = tlvs(data).get(5, b"")
        own, version = self.seen[user]
        added = [caps[at:at + 16] for at in range(0, len(caps) - 15, 16)]
        self.seen[user] = (own + [cap for cap in added if cap not in own], version)
        peer = self.other(user)
        if peer in self.links:
            self.links[peer].send_snac(0x03, 0x0B, user_info(user, *self.seen[user]))
        print("CAPS %s" % user, flush=True)

    def on_answer(self, user, rid, data):
        target, at = read_name(data, 10)
        name = user.encode()
        if target in self.links:
            self.links[target].send_snac(0x04, 0x0B, data[:10] + bytes([len(name)]) + name + data[at:])

    def on_typing(self, user, rid, data):
        target, at = read_name(data, 10)
        name = user.encode()
        if target in self.links:
            self.links[target].send_snac(0x04, 0x14, data[:10] + bytes([len(name)]) + name + data[at:])

    def on_edit(self, user, rid, data, subtype):
        length = struct.unpack_from(">H", data)[0]
        name = data[2:2 + length].decode()
        group, item, kind, size = struct.unpack_from(">HHHH", data, 2 + length)
        fields = tlvs(data[10 + length:10 + length + size])
        code = int(name[4:]) if name.startswith("1009") and len(name) == 6 else 0
        if code == 14 and (subtype != 0x08 or 0x66 in fields):
            code = 0
        # Privacy items say which list or which mode.
        extra = ""
        if kind in (2, 3, 14):
            extra = " list %d" % kind
        elif kind == 4 and 0xCA in fields:
            extra = " mode %d" % fields[0xCA][0]
        print("EDIT %s %02x %s %d%s" % (user, subtype, name or "-", code, extra), flush=True)
        self.links[user].send_snac(0x13, 0x0E, struct.pack(">H", code), rid=rid)

    def on_auth(self, user, rid, data, subtype):
        target, at = read_name(data, 0)
        name = user.encode()
        if target not in self.links:
            return
        if subtype == 0x18:
            self.links[target].send_snac(0x13, 0x19, bytes([len(name)]) + name + data[at:at + 2 +
                                         struct.unpack_from(">H", data, at)[0]])
        else:
            self.links[target].send_snac(0x13, 0x1B, bytes([len(name)]) + name + data[at:at + 1] + b"\0\0")

    HANDLERS = {
        (0x04, 0x06): on_message,
        (0x02, 0x04): on_caps,
        (0x04, 0x0B): on_answer,
        (0x04, 0x14): on_typing,
        (0x13, 0x08): lambda self, user, rid, data: self.on_edit(user, rid, data, 0x08),
        (0x13, 0x09): lambda self, user, rid, data: self.on_edit(user, rid, data, 0x09),
        (0x13, 0x0A): lambda self, user, rid, data: self.on_edit(user, rid, data, 0x0A),
        (0x13, 0x18): lambda self, user, rid, data: self.on_auth(user, rid, data, 0x18),
        (0x13, 0x1A): lambda self, user, rid, data: self.on_auth(user, rid, data, 0x1A),
    }


async def main(args):
    server = Server(args)
    login = await asyncio.start_server(server.accept, "127.0.0.1", 0)
    session = await asyncio.start_server(server.accept, "127.0.0.1", 0)
    server.session_port = session.sockets[0].getsockname()[1]
    print("PORT %d" % login.sockets[0].getsockname()[1], flush=True)
    if args.redirect_port:
        print("SESSION %d" % server.session_port, flush=True)
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
    parser.add_argument("scenario", choices=["login", "wrong-password", "rate-limit", "pause", "close-other", "chat",
                                                 "big-list"])
    parser.add_argument("--peer", default="100300")
    parser.add_argument("--peer-password", default="secret2")
    parser.add_argument("--user", default="100200")
    parser.add_argument("--password", default="secret")
    parser.add_argument("--parts", type=int, default=3)
    parser.add_argument("--timeout", type=float, default=20)
    parser.add_argument("--logins", type=int, default=2)
    parser.add_argument("--contacts", type=int, default=1000)
    parser.add_argument("--redirect-port", type=int, default=0)
    parser.add_argument("--own-caps", action="store_true")
    parser.add_argument("--ignored", nargs="*", default=[])
    sys.exit(asyncio.run(main(parser.parse_args())))
