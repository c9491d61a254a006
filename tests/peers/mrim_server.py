#!/usr/bin/python3
"""A scripted MRIM server, written from the packet layouts: the redirect
port that only names the session port, and the session port where users log
in, get their contact lists and each other's presence, exchange messages
(kept in mail form while the other side is offline), typing notices,
wake-ups and authorization, edit their lists (the acknowledgement codes are
scripted), and receive mail counts, new-mail notices, list changes made
elsewhere, directory answers and raw bytes the test asks for; and file
transfers, whose offers and answers it relays between users and whose data
meets on its transfer proxy (a port of its own that pairs the two sides of a
transfer by the proxy session id it handed out and pipes their bytes).

    mrim_server.py --config FILE [--ping SECONDS]

FILE is JSON: {"users": {"alice@mail.ru": {"password": "...",
"groups": ["Friends"], "contacts": [{"address": "bob@mail.ru",
"nick": "Bob", "group": 0, "serverFlags": 0}], "generated": 0,
"details": {...}}}}. "generated": N adds N contacts
"contact00000@mail.ru".. after the listed ones, spread over the groups.

Prints "REDIRECT <port>", "SESSION <port>" and "READY", then one line per
thing the clients did (LOGIN, STATUS, MESSAGE, RECEIPT, AUTHORIZE, ADDGROUP,
ADDCONTACT, MODIFYGROUP, MODIFYCONTACT, DELETED, SEARCH, MAILSESSION,
OFFER, FTACK, PROXY, PROXYACK, PROXYPAIR, PROXYDONE, CLOSED) and "FAIL <reason>" for each packet that broke its layout (that
session is then closed). Commands come on standard input, one a line; each
is answered "OK <command>" once done, and the end of the input ends the
server:

    drop LOGIN                       close LOGIN's session at once
    ackcode N                        the next list edit is answered with N
    mailbox LOGIN N                  a MailboxStatus with N unread letters
    newmail LOGIN SENDER SUBJECT     a NewMail notice (texts in hex UTF-8)
    userparams LOGIN N               UserParams with MESSAGES.UNREAD = N
    offline TO FROM FLAGS DATE HEX   keeps an offline message in mail form
    raw LOGIN HEX                    sends these bytes as they are
    elsewhere LOGIN ADDRESS NICKHEX GROUP
                                     adds a contact from another client and
                                     sends LOGIN its new contact list
    hold                             keeps the answers to directory requests
                                     (they are still reported as they come)
    release                          sends the kept answers and stops keeping
"""

import argparse
import asyncio
import base64
import json
import os
import struct
import sys

MAGIC = 0xDEADBEEF
VERSION = 0x00010013
HEADER = struct.Struct("<7I16s")
MAX_BODY = 1 << 20

HELLO, HELLO_ACK, LOGIN_ACK, LOGIN_REJECT, PING = 0x1001, 0x1002, 0x1004, 0x1005, 0x1006
MESSAGE, INCOMING, USER_STATUS, MESSAGE_RECEIVED, MESSAGE_STATUS = 0x1008, 0x1009, 0x100F, 0x1011, 0x1012
LOGOUT, USER_PARAMS = 0x1013, 0x1015
ADD_CONTACT, ADD_ACK, MODIFY_CONTACT, MODIFY_ACK = 0x1019, 0x101A, 0x101B, 0x101C
OFFLINE, DELETE_OFFLINE, AUTHORIZE, AUTHORIZE_ACK, CHANGE_STATUS = 0x101D, 0x101E, 0x1020, 0x1021, 0x1022
GET_MAIL_SESSION, MAIL_SESSION, USER_DETAILS, SEARCH = 0x1024, 0x1025, 0x1028, 0x1029
MAILBOX_STATUS, CONTACT_LIST, LOGIN, NEW_MAIL = 0x1033, 0x1037, 0x1038, 0x1048
FILE_TRANSFER, FILE_TRANSFER_ACK, PROXY, PROXY_ACK = 0x1026, 0x1027, 0x1044, 0x1045
PROXY_HELLO, PROXY_HELLO_ACK, PROXY_VERSION = 0x1046, 0x1047, 0x00010009

FLAG_AUTHORIZE, FLAG_RICH, FLAG_TYPING, FLAG_WAKEUP = 0x8, 0x80, 0x400, 0x4000
FLAG_UTF16, FLAG_CP1251 = 0x00100000, 0x00200000
GROUP_MASK = b"us"
CONTACT_MASK = b"uussuussssus"


class Mismatch(Exception):
    pass


def out(line):
    print(line, flush=True)


def ul(value):
    return struct.pack("<I", value & 0xFFFFFFFF)


def lps(data):
    return ul(len(data)) + data


def utf16(text):
    return text.encode("utf-16-le")


def packet(kind, sequence, body):
    return HEADER.pack(MAGIC, VERSION, sequence, kind, len(body), 0, 0, bytes(16)) + body


class Body:
    """A received body, read field by field; every count is checked."""

    def __init__(self, data, name):
        self.data, self.pos, self.name = data, 0, name

    def ul(self):
        if self.pos + 4 > len(self.data):
            raise Mismatch("%s: a number runs past the body" % self.name)
        value = struct.unpack_from("<I", self.data, self.pos)[0]
        self.pos += 4
        return value

    def lps(self):
        size = self.ul()
        if self.pos + size > len(self.data):
            raise Mismatch("%s: a string of %d bytes runs past the body" % (self.name, size))
        value = self.data[self.pos:self.pos + size]
        self.pos += size
        return value

    def take(self, size):
        if self.pos + size > len(self.data):
            raise Mismatch("%s: %d bytes run past the body" % (self.name, size))
        value = self.data[self.pos:self.pos + size]
        self.pos += size
        return value

    def left(self):
        return len(self.data) - self.pos

    def end(self):
        if self.pos != len(self.data):
            raise Mismatch("%s: %d bytes after the last field" % (self.name, len(self.data) - self.pos))


def expect(condition, reason):
    if not condition:
        raise Mismatch(reason)


def decode_text(flags, raw):
    if flags & FLAG_CP1251 or not flags & FLAG_UTF16:
        return raw.decode("cp1251", "replace")
    return raw.decode("utf-16-le", "replace")


def shown(text):
    """A text on one report line: UTF-8 in hex, so that any text fits."""
    return text.encode("utf-8").hex() or "-"


class Contact:
    def __init__(self, address, nick, group, server_flags=0, flags=0, server_id=0):
        self.address, self.nick, self.group = address, nick, group
        self.server_flags, self.flags, self.server_id = server_flags, flags, server_id


def generated_contacts(count, groups):
    """`count` contacts spread over the user's groups, for big-list runs."""
    return [{"address": "contact%05d@mail.ru" % i, "nick": "Контакт %d" % i, "group": i % max(groups, 1)}
            for i in range(count)]


class User:
    def __init__(self, login, spec):
        self.login = login
        self.password = spec.get("password", "")
        self.groups = [[0, name] for name in spec.get("groups", ["General"])]
        listed = spec.get("contacts", []) + generated_contacts(spec.get("generated", 0), len(self.groups))
        self.contacts = [Contact(c["address"], c.get("nick", ""), c.get("group", 0), c.get("serverFlags", 0),
                                 c.get("flags", 0), 20 + i) for i, c in enumerate(listed)]
        self.details = spec.get("details", {})
        self.session = None
        self.status, self.uri, self.title = 0, "", ""
        self.offline = []

    def find(self, address):
        for contact in self.contacts:
            if contact.address == address and not contact.flags & 1:
                return contact
        return None

    def live_groups(self):
        return [g for g in self.groups if not g[0] & 1]


class Server:
    def __init__(self, users, ping):
        self.users = {login: User(login, spec) for login, spec in users.items()}
        self.ping = ping
        self.ack_codes = []
        self.next_message_id = 1000
        self.next_offline_id = 1
        self.session_port = 0
        self.transfers = Transfers(self)
        # Directory answers kept back while the test holds them: (session, sequence, body).
        self.held = None

    def ack_code(self):
        return self.ack_codes.pop(0) if self.ack_codes else 0

    def online(self, login):
        user = self.users.get(login)
        return user if user is not None and user.session is not None else None

    def contact_list(self, user):
        # Joined once at the end: a list of thousands would otherwise be copied once per contact.
        parts = [ul(0) + ul(len(user.groups)) + lps(GROUP_MASK) + lps(CONTACT_MASK)]
        for flags, name in user.groups:
            parts.append(ul(flags | 0x200) + lps(utf16(name)))
        for c in user.contacts:
            peer = self.online(c.address)
            status, uri, title = (peer.status, peer.uri, peer.title) if peer else (0, "", "")
            agent = b'client="scripted"' if peer else b""
            parts.append(ul(c.flags | 0x200) + ul(c.group) + lps(c.address.encode()) + lps(utf16(c.nick)) +
                         ul(c.server_flags) + ul(status) + lps(b"") + lps(uri.encode()) + lps(title.encode()) +
                         lps(b"") + ul(0x3FF if peer else 0) + lps(agent))
        return b"".join(parts)

    def user_status(self, user):
        return (ul(user.status) + lps(user.uri.encode()) + lps(utf16(user.title)) + lps(b"") +
                lps(user.login.encode()) + ul(0x3FF) + lps(b'client="scripted"'))

    def tell_watchers(self, user):
        """Everyone online who lists `user` learns its status."""
        for other in self.users.values():
            if other.session is not None and other is not user and other.find(user.login):
                other.session.send(USER_STATUS, 0, self.user_status(user))

    def mail_form(self, sender, flags, date, raw):
        text = ("From: %s\r\nDate: %s\r\nX-MRIM-Flags: %08x\r\nContent-Type: text/plain; charset=UTF-16LE\r\n\r\n"
                % (sender, date, flags))
        return text.encode("cp1251") + base64.b64encode(raw) + b"\r\n"

    def keep_offline(self, login, sender, flags, date, raw):
        user = self.users[login]
        user.offline.append((struct.pack("<Q", self.next_offline_id), self.mail_form(sender, flags, date, raw)))
        self.next_offline_id += 1


class Session:
    def __init__(self, server, reader, writer):
        self.server, self.reader, self.writer = server, reader, writer
        self.user = None
        self.greeted = False
        self.handlers = {
            HELLO: self.on_hello, LOGIN: self.on_login, PING: self.on_ping, MESSAGE: self.on_message,
            MESSAGE_RECEIVED: self.on_receipt, AUTHORIZE: self.on_authorize, CHANGE_STATUS: self.on_status,
            ADD_CONTACT: self.on_add, MODIFY_CONTACT: self.on_modify, DELETE_OFFLINE: self.on_delete,
            GET_MAIL_SESSION: self.on_mail_session, SEARCH: self.on_search,
            FILE_TRANSFER: self.on_offer, FILE_TRANSFER_ACK: self.on_transfer_ack, PROXY: self.on_proxy,
            PROXY_ACK: self.on_proxy_ack,
        }

    def send(self, kind, sequence, body):
        if not self.writer.is_closing():
            self.writer.write(packet(kind, sequence, body))

    def name(self):
        return self.user.login if self.user else "-"

    async def run(self):
        try:
            while True:
                try:
                    head = await self.reader.readexactly(HEADER.size)
                except (asyncio.IncompleteReadError, ConnectionError):
                    break
                magic, version, sequence, kind, length, _, _, reserved = HEADER.unpack(head)
                expect(magic == MAGIC, "magic %08x" % magic)
                expect(version == VERSION, "version %08x" % version)
                expect(reserved == bytes(16) and length <= MAX_BODY, "header %s" % head.hex())
                body = await self.reader.readexactly(length)
                handler = self.handlers.get(kind)
                expect(handler is not None, "unexpected packet type %04x" % kind)
                expect(kind in (HELLO, LOGIN) or self.user is not None, "packet %04x before login" % kind)
                handler(sequence, Body(body, "%04x" % kind))
                await self.writer.drain()
        except Mismatch as error:
            out("FAIL %s %s" % (self.name(), error))
        except (asyncio.IncompleteReadError, ConnectionError):
            pass
        self.leave()

    def leave(self):
        if self.user is not None and self.user.session is self:
            self.user.session = None
            self.user.status = 0
            self.server.tell_watchers(self.user)
            out("CLOSED %s" % self.user.login)
        self.writer.close()

    def on_hello(self, sequence, body):
        body.end()
        expect(not self.greeted, "a second Hello")
        self.greeted = True
        self.send(HELLO_ACK, sequence, ul(self.server.ping))

    def on_login(self, sequence, body):
        expect(self.greeted and self.user is None, "Login out of turn")
        login, password = body.lps().decode(), body.lps().decode()
        status, uri = body.ul(), body.lps().decode()
        expect(body.lps() == b"" and body.lps() == b"", "x-status texts in the login")
        expect(body.ul() == 0x3FF, "features")
        agent, language, description = body.lps(), body.lps(), body.lps()
        body.end()
        expect(agent.startswith(b'client="Yol Mobile ') and b'version="2.0"' in agent, "user agent %r" % agent)
        expect(language == b"ru" and description.startswith(b"Yol Mobile "), "client description")
        user = self.server.users.get(login)
        if user is None or user.password != password:
            out("REJECTED %s" % login)
            self.send(LOGIN_REJECT, sequence, lps(b"Invalid login"))
            return
        if user.session is not None:
            user.session.send(LOGOUT, 0, ul(0x10))
            user.session.writer.close()
        self.user, user.session = user, self
        user.status, user.uri, user.title = status, uri, ""
        self.send(LOGIN_ACK, sequence, b"")
        self.send(CONTACT_LIST, 0, self.server.contact_list(user))
        for contact in user.contacts:
            peer = self.server.online(contact.address)
            if peer is not None:
                self.send(USER_STATUS, 0, self.server.user_status(peer))
        for key, text in user.offline:
            self.send(OFFLINE, 0, key + lps(text))
        self.server.tell_watchers(user)
        out("LOGIN %s %d %s" % (login, status, uri or "-"))

    def on_ping(self, sequence, body):
        body.end()

    def on_status(self, sequence, body):
        status, uri = body.ul(), body.lps().decode()
        title, description = body.lps(), body.lps()
        expect(body.ul() == 0x3FF, "features")
        body.end()
        expect(len(title) % 2 == 0 and len(description) % 2 == 0, "x-status texts are not UTF-16")
        self.user.status, self.user.uri = status, uri
        self.server.tell_watchers(self.user)
        out("STATUS %s %d %s" % (self.user.login, status, uri or "-"))

    def on_message(self, sequence, body):
        flags, to, raw = body.ul(), body.lps().decode(), body.lps()
        rich = body.lps() if body.left() else None
        body.end()
        if flags & FLAG_AUTHORIZE:
            block = Body(base64.b64decode(raw, validate=True), "authorization block")
            expect(block.ul() == 2, "authorization block count")
            block.lps()
            text = block.lps().decode("utf-16-le")
            block.end()
        elif flags & FLAG_WAKEUP:
            expect(rich is not None and len(rich) == 449 and rich[-1] == 0, "wake-up rich part")
            text = "wakeup"
        elif flags & FLAG_TYPING:
            expect(raw == b" " and rich == b"", "typing notice body")
            text = "typing"
        else:
            expect(flags & FLAG_UTF16 and rich == b"" and len(raw) % 2 == 0, "text message layout")
            text = decode_text(flags, raw)
        out("MESSAGE %s %s %08x %d %s" % (self.user.login, to, flags, sequence, shown(text)))
        peer = self.server.online(to)
        if peer is not None:
            self.server.next_message_id += 1
            peer.session.send(INCOMING, 0, ul(self.server.next_message_id) + ul(flags) + lps(self.user.login.encode()) +
                              lps(raw) + lps(rich or b""))
        elif to in self.server.users and flags & FLAG_UTF16 and not flags & FLAG_TYPING:
            self.server.keep_offline(to, self.user.login, flags, "Mon, 1 Mar 2010 10:00:00 +0300", raw)
        if not flags & (FLAG_TYPING | FLAG_AUTHORIZE | FLAG_WAKEUP):
            self.send(MESSAGE_STATUS, sequence, ul(0))

    def on_receipt(self, sequence, body):
        sender, number = body.lps().decode(), body.ul()
        body.end()
        out("RECEIPT %s %s %d" % (self.user.login, sender, number))

    def on_authorize(self, sequence, body):
        address = body.lps().decode()
        body.end()
        out("AUTHORIZE %s %s" % (self.user.login, address))
        other = self.server.users.get(address)
        contact = other.find(self.user.login) if other else None
        if contact is not None:
            contact.server_flags &= ~1
            if other.session is not None:
                other.session.send(AUTHORIZE_ACK, 0, lps(self.user.login.encode()))

    def on_add(self, sequence, body):
        flags, group = body.ul(), body.ul()
        address, name, phone, auth = body.lps().decode(), body.lps(), body.lps(), body.lps()
        expect(body.ul() == 0 and phone == b"", "trailing fields of AddContact")
        body.end()
        name = name.decode("utf-16-le")
        code = self.server.ack_code()
        user = self.user
        if flags & 2:
            expect(address == "" and auth == b"", "group addition with an address")
            expect(flags >> 24 == len(user.live_groups()), "group position %d" % (flags >> 24))
            new_id = len(user.groups)
            if code == 0:
                user.groups.append([flags & 0xFFFFFF, name])
            out("ADDGROUP %s %s %d" % (user.login, shown(name), code))
        else:
            block = Body(base64.b64decode(auth, validate=True), "authorization text")
            expect(block.ul() == 2 and block.lps() == b"", "authorization text sender")
            request = block.lps().decode("utf-16-le")
            block.end()
            new_id = 20 + len(user.contacts)
            if code == 0:
                user.contacts.append(Contact(address, name, group, 1, 0, new_id))
                peer = self.server.online(address)
                if peer is not None:
                    self.server.next_message_id += 1
                    peer.session.send(INCOMING, 0, ul(self.server.next_message_id) + ul(0x0000000C) +
                                      lps(user.login.encode()) + lps(auth) + lps(b""))
            out("ADDCONTACT %s %s %s %d %s %d" % (user.login, address, shown(name), group, shown(request), code))
        self.send(ADD_ACK, sequence, ul(code) + ul(new_id))

    def on_modify(self, sequence, body):
        number, flags, group = body.ul(), body.ul(), body.ul()
        address, name, phone = body.lps().decode(), body.lps().decode("utf-16-le"), body.lps()
        body.end()
        code = self.server.ack_code()
        user = self.user
        if address == "":
            expect(number < len(user.groups) and phone == b"", "group %d" % number)
            if code == 0:
                user.groups[number] = [flags, name]
            out("MODIFYGROUP %s %d %08x %s %d" % (user.login, number, flags, shown(name), code))
        else:
            contact = next((c for c in user.contacts if c.server_id == number), None)
            expect(contact is not None and contact.address == address, "contact %d %s" % (number, address))
            if code == 0:
                contact.flags, contact.group, contact.nick = flags, group, name
            out("MODIFYCONTACT %s %s %08x %d %s %d" % (user.login, address, flags, group, shown(name), code))
        self.send(MODIFY_ACK, sequence, ul(code))

    def on_delete(self, sequence, body):
        key = body.take(8)
        body.end()
        before = len(self.user.offline)
        self.user.offline = [m for m in self.user.offline if m[0] != key]
        expect(len(self.user.offline) == before - 1, "deleting an unknown offline message %s" % key.hex())
        out("DELETED %s %d" % (self.user.login, struct.unpack("<Q", key)[0]))

    def on_mail_session(self, sequence, body):
        body.end()
        out("MAILSESSION %s" % self.user.login)
        self.send(MAIL_SESSION, sequence, ul(1) + lps(("key-" + self.user.login.split("@")[0]).encode()))

    # Directory parameters: number -> (field of the details, encoding).
    SEARCH_FIELDS = {0: (None, "utf-8"), 1: (None, "utf-8"), 2: ("Nickname", "utf-16-le"),
                     3: ("FirstName", "utf-16-le"), 4: ("LastName", "utf-16-le"), 5: ("Sex", "utf-16-le"),
                     7: (None, "utf-8"), 8: (None, "utf-8"), 9: (None, "utf-16-le"), 11: ("Country_ID", "utf-8")}
    ROW_FIELDS = ["Username", "Domain", "Nickname", "FirstName", "LastName", "Sex", "Birthday", "Location",
                  "Country_ID", "Zodiac", "Mrim_Status", "Status_URI"]
    WIDE_FIELDS = {"Nickname", "FirstName", "LastName", "Location"}

    def on_search(self, sequence, body):
        params = {}
        while body.left():
            number = body.ul()
            expect(number in self.SEARCH_FIELDS, "SEARCH: unknown parameter %d" % number)
            expect(number not in params, "SEARCH: parameter %d twice" % number)
            params[number] = body.lps().decode(self.SEARCH_FIELDS[number][1])
        expect(params, "SEARCH: no parameter")
        out("SEARCH %s %08x %s" % (self.user.login, sequence,
                                   ",".join("%d=%s" % (k, shown(v)) for k, v in sorted(params.items()))))
        if 0 in params or 1 in params:
            expect(0 in params and 1 in params, "SEARCH: half an address")
            found = [u for login, u in self.server.users.items() if login == "%s@%s" % (params[0], params[1])]
        else:
            criteria = {self.SEARCH_FIELDS[n][0]: v for n, v in params.items() if self.SEARCH_FIELDS[n][0]}
            found = [u for u in self.server.users.values()
                     if all(str(u.details.get(f, "")).lower() == v.lower() for f, v in criteria.items())]
        if not found:
            self.answer_directory(sequence, ul(0) + ul(0) + ul(0) + ul(0))
            return
        rows = b""
        for user in found:
            values = {"Username": user.login.split("@")[0], "Domain": user.login.split("@")[1],
                      "Mrim_Status": str(user.status), "Status_URI": user.uri}
            values.update(user.details)
            rows += b"".join(lps(utf16(values.get(n, ""))) if n in self.WIDE_FIELDS
                             else lps(str(values.get(n, "")).encode("cp1251")) for n in self.ROW_FIELDS)
        self.answer_directory(sequence, ul(1) + ul(len(self.ROW_FIELDS)) + ul(50) + ul(0) +
                              b"".join(lps(n.encode()) for n in self.ROW_FIELDS) + rows)

    def answer_directory(self, sequence, body):
        if self.server.held is not None:
            self.server.held.append((self, sequence, body))
        else:
            self.send(USER_DETAILS, sequence, body)


def wide_block(body, name):
    """The second description block: 1, the byte count, the UTF-16LE list."""
    block = Body(body.lps(), name + " description block")
    expect(block.ul() == 1, "%s: description block count" % name)
    wide = block.lps()
    block.end()
    return wide


def expect_same_list(raw, wide, name):
    expect(raw.decode("cp1251") == wide.decode("utf-16-le"), "%s: the two file lists differ" % name)


class Transfers:
    """Relays the transfer packets between the two users and hands out
    proxy sessions."""

    def __init__(self, server):
        self.server, self.proxy_port, self.pending = server, 0, {}

    def relay(self, session, to, kind, body_after_peer, status=None):
        peer = self.server.online(to)
        expect(peer is not None, "%04x to %s, who is not online" % (kind, to))
        head = b"" if status is None else ul(status)
        peer.session.send(kind, 0, head + lps(session.user.login.encode("cp1251")) + body_after_peer)


def on_offer(self, sequence, body):
    to, sid, total, rest = body.lps().decode("cp1251"), body.ul(), body.ul(), body.ul()
    expect(rest == body.left(), "FileTransfer: the rest length %d is not the %d bytes left" % (rest, body.left()))
    files = body.lps()
    wide = wide_block(body, "FileTransfer")
    addresses = body.lps()
    body.end()
    expect_same_list(files, wide, "FileTransfer")
    items = files.decode("cp1251").split(";")
    expect(len(items) == 3 and items[2] == "" and int(items[1]) == total, "FileTransfer: file list %r" % files)
    expect(len(addresses) == 26 and addresses.endswith(b":2042;"), "FileTransfer: addresses %r" % addresses)
    out("OFFER %s %s %d %s %d" % (self.user.login, to, sid, shown(items[0]), total))
    self.server.transfers.relay(self, to, FILE_TRANSFER, ul(sid) + ul(total) + ul(rest) + lps(files) +
                                lps(ul(1) + lps(wide)) + lps(addresses))


def on_transfer_ack(self, sequence, body):
    status, to, sid, addresses = body.ul(), body.lps().decode("cp1251"), body.ul(), body.lps()
    body.end()
    expect((len(addresses) == 26) == (status == 4), "FileTransferAck %d: addresses %r" % (status, addresses))
    out("FTACK %s %s %d" % (self.user.login, to, status))
    self.server.transfers.relay(self, to, FILE_TRANSFER_ACK, ul(sid) + lps(addresses), status)


def on_proxy(self, sequence, body):
    to, sid, data_type, files, addresses = body.lps().decode("cp1251"), body.ul(), body.ul(), body.lps(), body.lps()
    proxy_id = body.take(16)
    wide = wide_block(body, "Proxy")
    body.end()
    expect(data_type == 2 and addresses == b"" and proxy_id == bytes(16), "Proxy: request layout")
    expect_same_list(files, wide, "Proxy")
    transfers = self.server.transfers
    proxy_id = os.urandom(16)
    transfers.pending[proxy_id] = None
    out("PROXY %s %s" % (self.user.login, to))
    where = b"127.0.0.1:%d;" % transfers.proxy_port
    transfers.relay(self, to, PROXY, ul(sid) + ul(2) + lps(files) + lps(where) + proxy_id + lps(ul(1) + lps(wide)))


def on_proxy_ack(self, sequence, body):
    status, to, sid, data_type = body.ul(), body.lps().decode("cp1251"), body.ul(), body.ul()
    files, addresses, proxy_id = body.lps(), body.lps(), body.take(16)
    body.end()
    expect(data_type == 2 and proxy_id in self.server.transfers.pending, "ProxyAck: unknown proxy session")
    out("PROXYACK %s %s %d" % (self.user.login, to, status))
    self.server.transfers.relay(self, to, PROXY_ACK, ul(sid) + ul(2) + lps(files) + lps(addresses) + proxy_id, status)


Session.on_offer, Session.on_transfer_ack, Session.on_proxy, Session.on_proxy_ack = (
    on_offer, on_transfer_ack, on_proxy, on_proxy_ack)


class ProxySide:
    """One side's connection to the transfer proxy."""

    def __init__(self, reader, writer):
        self.reader, self.writer, self.peer, self.moved = reader, writer, None, 0
        self.paired = asyncio.Event()


async def proxy_connection(server, reader, writer):
    try:
        head = await reader.readexactly(HEADER.size)
        magic, version, sequence, kind, length, _, _, reserved = HEADER.unpack(head)
        expect(magic == MAGIC and version == PROXY_VERSION and sequence == 0 and kind == PROXY_HELLO and
               length == 16 and reserved == bytes(16), "proxy hello header %s" % head.hex())
        proxy_id = await reader.readexactly(16)
        pending = server.transfers.pending
        expect(proxy_id in pending, "proxy hello for an unknown session")
    except Mismatch as error:
        out("FAIL proxy %s" % error)
        writer.close()
        return
    except (asyncio.IncompleteReadError, ConnectionError):
        writer.close()
        return
    side = ProxySide(reader, writer)
    # The answer goes out in two writes, as a slow proxy would send it; the
    # loop gets a turn between them (the client's reassembly of a split
    # answer is covered byte by byte by its own tables).
    ack = HEADER.pack(MAGIC, PROXY_VERSION, 0, PROXY_HELLO_ACK, 0, 0, 0, bytes(16))
    writer.write(ack[:20])
    await writer.drain()
    await asyncio.sleep(0)
    writer.write(ack[20:])
    first = pending.get(proxy_id)
    if first is None:
        pending[proxy_id] = side
    else:
        del pending[proxy_id]
        first.peer, side.peer = side, first
        out("PROXYPAIR")
        first.paired.set()
        side.paired.set()
    await side.paired.wait()
    try:
        while True:
            data = await reader.read(65536)
            if not data:
                break
            side.moved += len(data)
            side.peer.writer.write(data)
            await side.peer.writer.drain()
    except ConnectionError:
        pass
    # What came before the close goes on before the other side's close.
    if side.peer.writer.can_write_eof():
        try:
            side.peer.writer.write_eof()
        except (OSError, RuntimeError):
            pass
    out("PROXYDONE %d" % side.moved)
    writer.close()


class Control:
    """Commands from the test on standard input."""

    def __init__(self, server):
        self.server = server

    def session(self, login):
        user = self.server.online(login)
        if user is None:
            raise Mismatch("%s is not logged in" % login)
        return user.session

    def run(self, words):
        command, args = words[0], words[1:]
        s = self.server
        if command == "drop":
            self.session(args[0]).writer.transport.abort()
        elif command == "ackcode":
            s.ack_codes.append(int(args[0]))
        elif command == "mailbox":
            self.session(args[0]).send(MAILBOX_STATUS, 0, ul(int(args[1])))
        elif command == "newmail":
            sender, subject = (bytes.fromhex(a).decode() for a in args[1:3])
            self.session(args[0]).send(NEW_MAIL, 0, ul(1) + lps(sender.encode("cp1251")) + lps(subject.encode("cp1251")))
        elif command == "userparams":
            self.session(args[0]).send(USER_PARAMS, 0, lps(b"MESSAGES.UNREAD") + lps(utf16(args[1])))
        elif command == "offline":
            s.keep_offline(args[0], args[1], int(args[2], 16), bytes.fromhex(args[3]).decode(), bytes.fromhex(args[4]))
        elif command == "raw":
            self.session(args[0]).writer.write(bytes.fromhex(args[1]))
        elif command == "elsewhere":
            user = s.users[args[0]]
            user.contacts.append(Contact(args[1], bytes.fromhex(args[2]).decode(), int(args[3]), 0, 0,
                                         20 + len(user.contacts)))
            self.session(args[0]).send(CONTACT_LIST, 0, s.contact_list(user))
        elif command == "hold":
            s.held = []
        elif command == "release":
            held, s.held = s.held or [], None
            for session, sequence, body in held:
                session.send(USER_DETAILS, sequence, body)
        else:
            raise Mismatch("unknown command %s" % command)


async def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--config", required=True)
    parser.add_argument("--ping", type=int, default=60)
    options = parser.parse_args()
    with open(options.config, encoding="utf-8") as f:
        server = Server(json.load(f)["users"], options.ping)

    async def session(reader, writer):
        await Session(server, reader, writer).run()

    async def redirect(reader, writer):
        writer.write(b"127.0.0.1:%d\n" % server.session_port)
        await writer.drain()
        writer.close()

    sessions = await asyncio.start_server(session, "127.0.0.1", 0)
    server.session_port = sessions.sockets[0].getsockname()[1]
    redirects = await asyncio.start_server(redirect, "127.0.0.1", 0)
    proxy = await asyncio.start_server(lambda r, w: proxy_connection(server, r, w), "127.0.0.1", 0)
    server.transfers.proxy_port = proxy.sockets[0].getsockname()[1]
    out("REDIRECT %d" % redirects.sockets[0].getsockname()[1])
    out("SESSION %d" % server.session_port)
    out("READY")

    loop = asyncio.get_running_loop()
    reader = asyncio.StreamReader()
    await loop.connect_read_pipe(lambda: asyncio.StreamReaderProtocol(reader), sys.stdin)
    control = Control(server)
    while True:
        line = await reader.readline()
        if not line:
            break
        words = line.decode().split()
        if not words:
            continue
        try:
            control.run(words)
            # Whatever the command wrote goes out before the test hears OK.
            for user in server.users.values():
                if user.session is not None:
                    try:
                        await user.session.writer.drain()
                    except ConnectionError:
                        pass
            out("OK %s" % words[0])
        except (Mismatch, KeyError, IndexError, ValueError) as error:
            out("FAIL command %s: %s" % (line.decode().strip(), error))
    sessions.close()
    redirects.close()
    proxy.close()


if __name__ == "__main__":
    asyncio.run(main())
