#!/usr/bin/python3
"""A scripted OSCAR server: the login server (MD5 login with a key, then a
redirect with a cookie) and the session server it names (the cookie, the
service family's sign-on, the own information and a server-side list in
several parts), written from the wire layouts.

    oscar_server.py SCENARIO [--user U] [--password P] [--parts N]
                    [--timeout S] [--logins N] [--contacts N]
                    [--redirect-port N] [--own-caps]
                    [--ignored NAME...] [--proxy] [--proxy-drop N]
                    [--refused NAME] [--control]

Listens on 127.0.0.1 at three ports of the kernel's choosing (login,
session, icon service) and prints
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
                  Channel-2 file-transfer rendezvous and their cancels
                  are relayed as they are. With --proxy a rendezvous proxy
                  listens on a port of its own, printed "PROXY <port>"
                  right after "PORT": a client creates a proxy session
                  there (command 2) and is told its number, which is also
                  the port the peer joins it on (command 4); once both are
                  in, each is told the session is ready and the proxy
                  relays their bytes until either leaves. --proxy-drop N
                  relays only the first N bytes that the creating side
                  receives, dropping the rest (a transfer that stalls).
  icons           sign on with the buddy --peer in the list, then tell its
                  arrival with an icon hash and name the icon service
                  (a redirect to a third port, with a cookie of its own);
                  the icon service takes the client's short sign-on and
                  answers its icon request with an icon of --icon-kind
                  (png, gif or jpeg) and reports "ICON <name> <hash hex>
                  <icon hex>"; then wait for the client to leave
  meta            sign on with buddy --peer in the list (shown under its
                  login), hand over one stored message and expect it
                  deleted ("STORED DELETED"), then answer the meta service:
                  full details in a series of replies (basic, more, work,
                  about, interests, then a closing one), the saving of the
                  own details (kept, and acknowledged), searches by number
                  and by e-mail, and white-pages searches with a hit per
                  match and the last hit marked. Reports one line per
                  request: "INFO <number>", "SAVED <tlv types>",
                  "SEARCH number|email|white <hits>"; an e-mail of
                  "error@example.org" gets the service's error instead
                  ("SEARCH email error"). Runs until the client leaves.
                  With --refused NAME the first sign-on must come as NAME
                  and is refused as a wrong password ("REFUSED NAME");
                  the client signs on again as --user. With --control
                  the server reads commands on standard input, answering
                  "OK <command>" to each: "hold" keeps the details replies
                  back, "release" sends the kept ones and stops keeping.
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
import zlib

SALT = b"Pelican Harbour Relay (QX)"
KEY = b"1234567890"
COOKIE = bytes(range(64, 64 + 32))
FAMILIES = [(0x22, 1), (0x01, 4), (0x13, 4), (0x02, 1), (0x03, 1), (0x15, 1),
            (0x04, 1), (0x06, 1), (0x09, 1), (0x0A, 1), (0x0B, 1)]
SERVICE_REQUESTS = [(0x01, 0x08), (0x01, 0x0E), (0x13, 0x02), (0x13, 0x04),
                    (0x02, 0x02), (0x03, 0x02), (0x04, 0x04), (0x09, 0x02)]


ICON_COOKIE = bytes(range(160, 160 + 24))


def png_icon():
    """A whole 2x2 PNG picture."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = b"".join(b"\0" + bytes([255, 0, 0, 255]) * 2 for _ in range(2))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 2, 2, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


ICONS = {
    "png": png_icon(),
    # A 1x1 GIF and the start of a JFIF picture: kinds told by their bytes.
    "gif": bytes.fromhex("47494638396101000100800000000000ffffff21f90401000000002c00000000010001000002024401003b"),
    "jpeg": bytes.fromhex("ffd8ffe000104a46494600010100000100010000ffd9"),
}


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

    async def snacs(self):
        """The SNACs the client sends until it closes, as (family,
        subtype, request id, payload); frames of other channels are
        passed over."""
        while True:
            try:
                channel, data = await self.frame()
            except EOFError:
                return
            if channel != 2:
                continue
            expect(len(data) >= 10, "SNAC cut short")
            family, subtype, _, rid = struct.unpack_from(">HHHI", data)
            yield family, subtype, rid, data[10:]

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
        self.icon_links = asyncio.Queue()
        self.session_port = 0
        self.icon_port = 0

    async def accept(self, reader, writer):
        await self.accepted.put(Link(reader, writer, self.args.timeout))

    async def accept_icons(self, reader, writer):
        await self.icon_links.put(Link(reader, writer, self.args.timeout))

    async def icons(self):
        """Signs on with the peer in the list, tells its icon hash, names the
        icon service and serves one icon on it."""
        peer = self.args.peer
        # The hash the service keeps an icon by: its MD5.
        self.icon_hash = hashlib.md5(ICONS[self.args.icon_kind]).digest()
        await self.login()
        link = await self.session(items=[(peer, 7, 1, 0, b""), ("Friends", 7, 0, 1, b"")])
        # The hash is the 16-byte entry of type 1 in TLV 0x1D.
        info = user_info(peer, [CAP_RELAY], 9)
        name = peer.encode()
        extra = tlv(0x1D, struct.pack(">HBB", 1, 1, len(self.icon_hash)) + self.icon_hash)
        count = struct.unpack_from(">H", info, 1 + len(name) + 2)[0]
        info = info[:1 + len(name) + 2] + struct.pack(">H", count + 1) + info[1 + len(name) + 4:] + extra
        link.send_snac(0x03, 0x0B, info)
        address = ("127.0.0.1:%d" % self.icon_port).encode()
        link.send_snac(0x01, 0x05, tlv(0x0D, b"\x00\x10") + tlv(5, address) + tlv(6, ICON_COOKIE))
        try:
            icons = await asyncio.wait_for(self.icon_links.get(), self.args.timeout)
        except asyncio.TimeoutError:
            raise Mismatch("client did not connect to the icon service")
        await self.icon_service(icons, peer)
        await link.closed()

    async def icon_service(self, link, peer):
        link.send(1, struct.pack(">I", 1))
        channel, data = await link.frame()
        expect(channel == 1 and data == struct.pack(">I", 1) + tlv(6, ICON_COOKIE), "icon cookie %s" % data.hex())
        expect(link.client_sequence == 256, "icon sign-on numbered %d" % link.client_sequence)
        link.send_snac(0x01, 0x03, struct.pack(">HH", 0x01, 0x10))
        _, _, rid, payload = await link.snac(0x01, 0x17)
        expect(rid == 0x17 and payload == struct.pack(">HHHH", 1, 3, 0x10, 1), "icon versions %s" % payload.hex())
        link.send_snac(0x01, 0x18, struct.pack(">HHHH", 1, 3, 0x10, 1))
        await link.snac(0x01, 0x06)
        rate = struct.pack(">H", 1) + struct.pack(">HIIIIIIIIB", 1, 80, 2500, 2000, 1500, 800, 3400, 6000, 0, 0)
        link.send_snac(0x01, 0x07, rate + struct.pack(">HHI", 1, 1, 0x00100006))
        _, _, _, payload = await link.snac(0x01, 0x08)
        expect(payload == struct.pack(">HHHHH", 1, 2, 3, 4, 5), "icon rate ack %s" % payload.hex())
        _, _, _, payload = await link.snac(0x01, 0x02)
        expect(payload == struct.pack(">HHHHHHHH", 1, 3, 0x10, 0x066A, 0x10, 1, 0x10, 0x066A),
               "icon client ready %s" % payload.hex())
        _, _, _, payload = await link.snac(0x10, 0x06)
        name = peer.encode()
        expect(payload == bytes([len(name)]) + name + b"\x01\x00\x01\x01" + bytes([16]) + self.icon_hash,
               "icon request %s" % payload.hex())
        icon = ICONS[self.args.icon_kind]
        reply = (bytes([len(name)]) + name + struct.pack(">HB", 1, 1) + bytes([16]) + self.icon_hash + bytes(4) +
                 bytes([16]) + self.icon_hash + struct.pack(">H", len(icon)) + icon)
        link.send_snac(0x10, 0x07, reply)
        print("ICON %s %s %s" % (peer, self.icon_hash.hex(), icon.hex()), flush=True)
        await link.closed()

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
        if scenario == "icons":
            await self.icons()
            return
        if scenario == "meta":
            await Meta(self).run()
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
CAP_FILE = bytes.fromhex("094613434c7f11d18222444553540000")
PROXY_VERSION = 0x044A


class RendezvousProxy:
    """The rendezvous proxy: sessions made by a create request on the main
    port, joined on a port of their own, then relayed byte for byte."""

    def __init__(self, timeout, drop_after):
        self.timeout = timeout
        self.drop_after = drop_after
        self.tasks = set()

    async def start(self):
        self.server = await asyncio.start_server(self.create, "127.0.0.1", 0)
        return self.server.sockets[0].getsockname()[1]

    async def packet(self, reader):
        length = struct.unpack(">H", await asyncio.wait_for(reader.readexactly(2), self.timeout))[0]
        body = await asyncio.wait_for(reader.readexactly(length), self.timeout)
        expect(len(body) >= 10, "proxy packet cut short")
        version, command = struct.unpack_from(">HH", body)
        expect(version == PROXY_VERSION, "proxy version %04x" % version)
        name, at = read_name(body, 10)
        return command, name, body, at

    @staticmethod
    def reply(command, extra=b""):
        body = struct.pack(">HHIH", PROXY_VERSION, command, 0, 0) + extra
        return struct.pack(">H", len(body)) + body

    async def create(self, reader, writer):
        try:
            command, name, body, at = await self.packet(reader)
            expect(command == 2, "proxy command %d where a create was due" % command)
            cookie = body[at:at + 8]
            expect(body[at + 8:] == tlv(1, CAP_FILE), "create without the file-transfer capability")
            joined = asyncio.get_running_loop().create_future()

            async def join(peer_reader, peer_writer):
                try:
                    command, _, body, at = await self.packet(peer_reader)
                    expect(command == 4, "proxy command %d where a join was due" % command)
                    expect(body[at:at + 2] == struct.pack(">H", port), "join names another session")
                    expect(body[at + 2:at + 10] == cookie, "join with another cookie")
                    expect(body[at + 10:] == tlv(1, CAP_FILE), "join without the file-transfer capability")
                    if not joined.done():
                        joined.set_result((peer_reader, peer_writer))
                except (Mismatch, EOFError, asyncio.IncompleteReadError, asyncio.TimeoutError) as error:
                    print("PROXY FAIL %s" % error, flush=True)
                    peer_writer.close()

            listener = await asyncio.start_server(join, "127.0.0.1", 0)
            port = listener.sockets[0].getsockname()[1]
            writer.write(self.reply(3, struct.pack(">HI", port, 0x7F000001)))
            print("PROXY SESSION %s" % name, flush=True)
            peer_reader, peer_writer = await asyncio.wait_for(joined, self.timeout)
            listener.close()
            ready = self.reply(5)
            writer.write(ready)
            peer_writer.write(ready)
            await asyncio.gather(self.relay(reader, peer_writer, None), self.relay(peer_reader, writer, self.drop_after))
            print("PROXY CLOSED %s" % name, flush=True)
        except (Mismatch, EOFError, asyncio.IncompleteReadError, asyncio.TimeoutError) as error:
            print("PROXY FAIL %s" % error, flush=True)
        finally:
            writer.close()

    @staticmethod
    async def relay(reader, writer, limit):
        passed = 0
        try:
            while True:
                data = await reader.read(1 << 16)
                if not data:
                    break
                if limit is not None:
                    data = data[:max(0, limit - passed)]
                passed += len(data)
                if data:
                    writer.write(data)
                    await writer.drain()
        except (ConnectionError, OSError):
            pass
        finally:
            # Whatever was written goes before the close.
            writer.close()


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
        async for family, subtype, rid, payload in link.snacs():
            handler = self.HANDLERS.get((family, subtype))
            if handler:
                handler(self, user, rid, payload)
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
        elif channel == 2 and fields.get(5, b"")[10:26] == CAP_FILE:
            # A file-transfer rendezvous goes on untouched.
            if target in self.links:
                self.send_message(target, user, channel, tlv(5, fields[5]), cookie)
            return
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


def meta_text(text):
    """A meta text: LE16 length with the NUL, code page 1251 bytes, NUL."""
    data = text.encode("cp1251")
    return struct.pack("<H", len(data) + 1) + data + b"\0"


def le_tlvs(data):
    """Little-endian TLVs, each type once (the first)."""
    out = {}
    at = 0
    while at < len(data):
        expect(at + 4 <= len(data), "meta TLV header cut short")
        kind, length = struct.unpack_from("<HH", data, at)
        expect(at + 4 + length <= len(data), "meta TLV %04x runs past its request" % kind)
        out.setdefault(kind, data[at + 4:at + 4 + length])
        at += 4 + length
    return out


def read_meta_text(value):
    """The text of a text TLV value: LE16 length with NUL, bytes, NUL."""
    expect(len(value) >= 3, "text TLV too short")
    length = struct.unpack_from("<H", value)[0]
    expect(length + 2 == len(value) and value[-1:] == b"\0", "text TLV length %d of %d" % (length, len(value)))
    return value[2:-1].decode("cp1251")


# The users the meta service knows, by number.
DIRECTORY = {
    100300: dict(nick="Боб", first="Robert", last="Smith", email="bob@example.org", city="Москва",
                 country=7, zip="101000", age=30, gender=2, birth=(1994, 5, 31), languages=(1, 2, 0),
                 company="Рога и копыта", position="Boss", occupation=3, web="http://bob.example.org",
                 about="Привет всем", interests=[(100, "chess"), (101, "go")], status=1),
    100400: dict(nick="Alice", first="Alice", last="Jones", email="alice@example.org", city="Москва",
                 country=7, zip="", age=25, gender=1, birth=(1999, 1, 2), languages=(1, 0, 0),
                 company="", position="", occupation=0, web="", about="", interests=[], status=0),
    100500: dict(nick="Bobby", first="Bob", last="Brown", email="bobby@example.org", city="Москва",
                 country=7, zip="", age=40, gender=2, birth=(1984, 12, 24), languages=(0, 0, 0),
                 company="", position="", occupation=0, web="", about="", interests=[], status=2),
    100200: dict(nick="Me", first="", last="", email="", city="", country=0, zip="", age=0, gender=0,
                 birth=(0, 0, 0), languages=(0, 0, 0), company="", position="", occupation=0, web="",
                 about="", interests=[], status=1),
}

# What a save-info request's text TLVs change.
SAVED_TEXTS = {0x0154: "nick", 0x0140: "first", 0x014A: "last", 0x015E: "email", 0x0190: "city",
               0x01AE: "company", 0x01C2: "position", 0x0258: "about"}


class Meta:
    """One signed-on client and the meta service."""

    def __init__(self, server):
        self.server = server
        self.args = server.args
        self.own = int(self.args.user)
        self.link = None
        # Details replies kept back while the test holds them.
        self.held = None

    async def control(self):
        loop = asyncio.get_running_loop()
        reader = asyncio.StreamReader()
        await loop.connect_read_pipe(lambda: asyncio.StreamReaderProtocol(reader), sys.stdin)
        while True:
            line = await reader.readline()
            if not line:
                return
            command = line.decode().strip()
            if command == "hold":
                self.held = []
            elif command == "release":
                held, self.held = self.held or [], None
                for reply in held:
                    self.reply(*reply)
            else:
                print("FAIL command %s" % command, flush=True)
                continue
            print("OK %s" % command, flush=True)

    async def run(self):
        if self.args.control:
            self.controller = asyncio.ensure_future(self.control())
        if self.args.refused:
            await self.server.login(code=5, user=self.args.refused)
            print("REFUSED %s" % self.args.refused, flush=True)
        await self.server.login()
        peer = self.args.peer
        items = [(peer, 7, 1, 0, tlv(0x0131, peer.encode())), ("Friends", 7, 0, 1, b"")]
        self.link = await self.server.session(items=items)
        # One stored message, then the end of them: the client must ask for
        # their deletion.
        text = "Пока тебя не было".encode("cp1251") + b"\0"
        stored = struct.pack("<IHBBBBBBH", int(peer), 2024, 2, 29, 23, 59, 1, 0, len(text)) + text
        self.reply(0x0041, 0, stored)
        self.reply(0x0042, 0, b"\0")
        async for family, subtype, rid, payload in self.link.snacs():
            if (family, subtype) == (0x15, 0x02):
                self.on_meta(payload)
            elif family == 0x13 and subtype in (0x08, 0x09, 0x0A):
                self.link.send_snac(0x13, 0x0E, b"\0\0", rid=rid)
        self.link.close()

    def reply(self, kind, sequence, data, flags=0):
        meta = struct.pack("<HIHH", len(data) + 8, self.own, kind, sequence) + data
        self.link.send_snac(0x15, 0x03, tlv(1, meta), flags=flags)

    def on_meta(self, payload):
        fields = tlvs(payload)
        expect(list(fields) == [1], "meta request with TLVs %s" % list(fields))
        meta = fields[1]
        expect(len(meta) >= 10, "meta request cut short")
        length, own, kind, sequence = struct.unpack_from("<HIHH", meta)
        expect(length == len(meta) - 2, "meta length %d for %d bytes" % (length, len(meta)))
        expect(own == self.own, "meta request from %d" % own)
        if kind == 0x003E:
            expect(len(meta) == 10, "delete request with data")
            print("STORED DELETED", flush=True)
            return
        expect(kind == 0x07D0 and len(meta) >= 12, "meta request type %04x" % kind)
        subtype = struct.unpack_from("<H", meta, 10)[0]
        data = meta[12:]
        handler = {0x04D0: self.on_info, 0x0C3A: self.on_save, 0x0569: self.on_number, 0x0573: self.on_email,
                   0x055F: self.on_white}.get(subtype)
        expect(handler is not None, "meta subtype %04x" % subtype)
        handler(sequence, data)

    def on_info(self, sequence, data):
        expect(len(data) == 4, "full-info request of %d bytes" % len(data))
        number = struct.unpack("<I", data)[0]
        print("INFO %d" % number, flush=True)
        user = DIRECTORY.get(number)
        if user is None:
            self.reply(0x07DA, sequence, struct.pack("<HB", 0x00C8, 0x14))
            return
        basic = b"".join(meta_text(user[key]) for key in ("nick", "first", "last", "email", "city"))
        basic += meta_text("") * 5 + meta_text(user["zip"]) + struct.pack("<HBBBBB", user["country"], 0xFD, 1, 0, 2, 1)
        year, month, day = user["birth"]
        more = struct.pack("<HB", user["age"], user["gender"]) + meta_text(user["web"])
        more += struct.pack("<HBB", year, month, day) + bytes(user["languages"]) + b"\0\0"
        more += meta_text(user["city"]) + meta_text("") + struct.pack("<HB", user["country"], 0) + bytes(4)
        more += meta_text("ru") + bytes(8) + meta_text("")
        work = meta_text("Тверь") + meta_text("") * 4 + meta_text("1700") + struct.pack("<H", 7)
        work += meta_text(user["company"]) + meta_text("") + meta_text(user["position"])
        work += struct.pack("<H", user["occupation"]) + meta_text(user["web"]) + meta_text("170001")
        interests = bytes([len(user["interests"])]) + b"".join(
            struct.pack("<H", code) + meta_text(words) for code, words in user["interests"])
        series = [(0x00C8, basic), (0x00DC, more), (0x00D2, work), (0x00E6, meta_text(user["about"])),
                  (0x00F0, interests)]
        replies = [(0x07DA, sequence, struct.pack("<HB", subtype, 0x0A) + fields, 1) for subtype, fields in series]
        replies.append((0x07DA, sequence, struct.pack("<HB", 0x00FA, 0x0A), 0))
        if self.held is not None:
            self.held.extend(replies)
            return
        for reply in replies:
            self.reply(*reply)

    def on_save(self, sequence, data):
        fields = le_tlvs(data)
        user = DIRECTORY[self.own]
        for kind, value in fields.items():
            if kind in SAVED_TEXTS:
                user[SAVED_TEXTS[kind]] = read_meta_text(value)
            elif kind == 0x023A:
                expect(len(value) == 6, "birthday of %d bytes" % len(value))
                user["birth"] = struct.unpack("<HHH", value)
            elif kind == 0x017C:
                expect(len(value) == 2, "gender of %d bytes" % len(value))
                user["gender"] = struct.unpack("<H", value)[0]
        print("SAVED %s" % " ".join("%04x" % kind for kind in fields), flush=True)
        self.reply(0x07DA, sequence, struct.pack("<HB", 0x0C3F, 0x0A))

    def hits(self, sequence, numbers):
        """A hit per number, the last marked; none: the last result empty."""
        if not numbers:
            self.reply(0x07DA, sequence, struct.pack("<HB", 0x01AE, 0x32))
            return
        for at, number in enumerate(numbers):
            user = DIRECTORY[number]
            record = struct.pack("<I", number) + b"".join(
                meta_text(user[key]) for key in ("nick", "first", "last", "email"))
            record += struct.pack("<BHBH", 0, user["status"], user["gender"], user["age"])
            last = at == len(numbers) - 1
            body = struct.pack("<HBH", 0x01AE if last else 0x01A4, 0x0A, len(record)) + record
            if last:
                body += struct.pack("<I", 0)
            self.reply(0x07DA, sequence, body)

    def on_number(self, sequence, data):
        fields = le_tlvs(data)
        expect(list(fields) == [0x0136] and len(fields[0x0136]) == 4, "number search %s" % data.hex())
        number = struct.unpack("<I", fields[0x0136])[0]
        found = [number] if number in DIRECTORY else []
        print("SEARCH number %d" % len(found), flush=True)
        self.hits(sequence, found)

    def on_email(self, sequence, data):
        fields = le_tlvs(data)
        expect(list(fields) == [0x015E], "e-mail search %s" % data.hex())
        email = read_meta_text(fields[0x015E])
        if email == "error@example.org":
            print("SEARCH email error", flush=True)
            self.link.send_snac(0x15, 0x01, struct.pack(">H", 2))
            return
        found = [number for number, user in DIRECTORY.items() if user["email"] == email]
        print("SEARCH email %d" % len(found), flush=True)
        self.hits(sequence, found)

    def on_white(self, sequence, data):
        fields = le_tlvs(data)
        texts = {0x0154: "nick", 0x0140: "first", 0x014A: "last", 0x015E: "email", 0x0190: "city"}
        wanted = {}
        for kind, value in fields.items():
            if kind in texts:
                wanted[texts[kind]] = read_meta_text(value)
            elif kind == 0x017C:
                expect(len(value) == 1, "gender of %d bytes" % len(value))
                wanted["gender"] = value[0]
            elif kind == 0x0168:
                expect(len(value) == 4, "age range of %d bytes" % len(value))
                wanted["ages"] = struct.unpack("<HH", value)
            elif kind == 0x0230:
                expect(value == b"\1", "online-only %s" % value.hex())
                wanted["online"] = True
            else:
                expect(kind in (0x0186, 0x033E, 0x01A4, 0x01CC, 0x01FE, 0x01D6, 0x01EA), "white-pages TLV %04x" % kind)

        def matches(number, user):
            if number == self.own:
                return False
            for key, value in wanted.items():
                if key == "ages":
                    if not value[0] <= user["age"] <= value[1]:
                        return False
                elif key == "online":
                    if user["status"] == 0:
                        return False
                elif user[key] != value:
                    return False
            return True

        found = [number for number, user in sorted(DIRECTORY.items()) if matches(number, user)]
        print("SEARCH white %d" % len(found), flush=True)
        self.hits(sequence, found)


async def main(args):
    server = Server(args)
    login = await asyncio.start_server(server.accept, "127.0.0.1", 0)
    session = await asyncio.start_server(server.accept, "127.0.0.1", 0)
    server.session_port = session.sockets[0].getsockname()[1]
    icons = await asyncio.start_server(server.accept_icons, "127.0.0.1", 0)
    server.icon_port = icons.sockets[0].getsockname()[1]
    print("PORT %d" % login.sockets[0].getsockname()[1], flush=True)
    if args.proxy:
        proxy = RendezvousProxy(args.timeout, args.proxy_drop)
        print("PROXY %d" % await proxy.start(), flush=True)
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
                                                 "icons", "big-list", "meta"])
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
    parser.add_argument("--icon-kind", choices=sorted(ICONS), default="png")
    parser.add_argument("--proxy", action="store_true")
    parser.add_argument("--proxy-drop", type=int, default=None)
    parser.add_argument("--refused", default=None)
    parser.add_argument("--control", action="store_true")
    sys.exit(asyncio.run(main(parser.parse_args())))
