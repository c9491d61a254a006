#!/usr/bin/python3
"""A scripted XMPP server for the logins a real server will not offer:
SASL DIGEST-MD5 (it checks the client's digest and proves itself with
rspauth), PLAIN, the older jabber:iq:auth login with a digest or a password,
bind and session, zlib stream compression (with one large compressed stanza
followed by silence), stream errors, mail notices from the server and the
failure paths of the login.

    xmpp_server.py SCENARIO [--user U] [--domain D] [--password P]
                   [--resource R] [--realm R] [--timeout S] [--roster N]
                   [--flood]

Listens on 127.0.0.1 at a port of the kernel's choosing and prints
"PORT <n>" first. It serves one connection, asserting every element the
client sends, then prints "DONE" and exits 0, or prints "FAIL <reason>" and
exits 1 at the first thing it did not expect (or when the client goes silent
for --timeout seconds). The large-stanza scenario also prints "ANSWERED
large1" once the client has answered that stanza. With --flood, a logged-in
client gets stanzas without end from the roster answer on, so that it can
only leave in the middle of them; the server prints "FLOODING" as it starts.
Run without arguments for the scenarios.
"""

import argparse
import asyncio
import base64
import hashlib
import os
import sys
import xml.parsers.expat
import zlib
from xml.sax.saxutils import escape, quoteattr

NS_STREAMS = "http://etherx.jabber.org/streams"
NS_SASL = "urn:ietf:params:xml:ns:xmpp-sasl"
NS_BIND = "urn:ietf:params:xml:ns:xmpp-bind"
NS_SESSION = "urn:ietf:params:xml:ns:xmpp-session"
NS_COMPRESS = "http://jabber.org/protocol/compress"
NS_FEATURE_COMPRESS = "http://jabber.org/features/compress"
NS_FEATURE_IQAUTH = "http://jabber.org/features/iq-auth"
NS_IQAUTH = "jabber:iq:auth"
NS_ROSTER = "jabber:iq:roster"
NS_DISCO_INFO = "http://jabber.org/protocol/disco#info"
NS_TLS = "urn:ietf:params:xml:ns:xmpp-tls"
NS_STANZAS = "urn:ietf:params:xml:ns:xmpp-stanzas"
NS_MAIL_NOTIFY = "yol:mail:notify"

LARGE_ID = "large1"


class Mismatch(Exception):
    pass


class ClientLeft(Mismatch):
    """The client closed the connection while the server was sending."""


class Element:
    """A received element: raw name (prefix kept), attributes, text, children."""

    def __init__(self, name, attrs):
        self.name = name
        self.attrs = attrs
        self.text = ""
        self.children = []

    def get(self, key, default=None):
        return self.attrs.get(key, default)

    def child(self, name, xmlns=None):
        for c in self.children:
            if c.name == name and (xmlns is None or c.get("xmlns") == xmlns):
                return c
        return None

    def __repr__(self):
        attrs = "".join(" %s=%s" % (k, quoteattr(v)) for k, v in self.attrs.items())
        inner = escape(self.text) + "".join(repr(c) for c in self.children)
        return "<%s%s>%s</%s>" % (self.name, attrs, inner, self.name)


class StreamReader:
    """The client's stream: the header, each complete stanza, the stream end.
    A new stream (after compression or SASL success) needs a new reader."""

    def __init__(self):
        self.events = []
        self.open = []
        self.parser = xml.parsers.expat.ParserCreate("UTF-8")
        self.parser.StartElementHandler = self.start
        self.parser.EndElementHandler = self.end
        self.parser.CharacterDataHandler = self.chars

    def start(self, name, attrs):
        element = Element(name, attrs)
        if self.open:
            self.open[-1].children.append(element)
        self.open.append(element)
        if len(self.open) == 1:
            self.events.append(("header", element))

    def end(self, name):
        element = self.open.pop()
        if len(self.open) == 1:
            self.open[0].children.clear()
            self.events.append(("stanza", element))
        elif not self.open:
            self.events.append(("end", element))

    def chars(self, data):
        if len(self.open) >= 2:
            self.open[-1].text += data
        elif len(self.open) == 1 and data.strip():
            raise Mismatch("text between stanzas: %r" % data)

    def feed(self, data):
        try:
            self.parser.Parse(data, False)
        except xml.parsers.expat.ExpatError as error:
            raise Mismatch("client sent bad XML: %s" % error)


class Connection:
    def __init__(self, reader, writer, options):
        self.reader = reader
        self.writer = writer
        self.options = options
        self.stream = StreamReader()
        self.inflater = None
        self.deflater = None
        self.next_id = 0
        self.stream_id = "%08X" % int.from_bytes(os.urandom(4), "big")

    # -- bytes --

    async def send(self, text, quiet=False):
        data = text.encode()
        if not quiet:
            log("S: " + text[:300] + ("..." if len(text) > 300 else ""))
        if self.deflater:
            data = self.deflater.compress(data) + self.deflater.flush(zlib.Z_SYNC_FLUSH)
        # A client may hang up at any moment; one that closes its socket with
        # our answer still unread resets the connection, and that reaches us
        # here rather than as the end of what it sent.
        try:
            self.writer.write(data)
            await self.writer.drain()
        except ConnectionError as error:
            raise ClientLeft("the client left while the server was sending: %s" % error)

    def start_compression(self):
        self.inflater = zlib.decompressobj()
        self.deflater = zlib.compressobj(9, zlib.DEFLATED, 15)

    def restart_stream(self):
        self.stream = StreamReader()

    async def event(self):
        """The next header, stanza or stream end; ("closed", None) when the
        client hangs up."""
        while not self.stream.events:
            try:
                data = await asyncio.wait_for(self.reader.read(65536), self.options.timeout)
            except asyncio.TimeoutError:
                raise Mismatch("the client said nothing for %s s" % self.options.timeout)
            except ConnectionError:
                data = b""
            if not data:
                return ("closed", None)
            if self.inflater:
                try:
                    data = self.inflater.decompress(data)
                except zlib.error as error:
                    raise Mismatch("client sent bad deflate data: %s" % error)
            self.stream.feed(data)
        kind, element = self.stream.events.pop(0)
        log("C: %s %r" % (kind, element if kind == "stanza" else (element.name, element.attrs)))
        return kind, element

    async def expect_stanza(self, name, what):
        kind, element = await self.event()
        if kind != "stanza" or element.name != name:
            raise Mismatch("expected %s, got %s %r" % (what, kind, element))
        return element

    async def expect_end(self, what="the client's </stream:stream>"):
        kind, element = await self.event()
        if kind != "end":
            raise Mismatch("expected %s, got %s %r" % (what, kind, element))

    async def expect_end_or_close(self):
        kind, element = await self.event()
        if kind not in ("end", "closed"):
            raise Mismatch("expected the client to leave, got %s %r" % (kind, element))

    # -- stream --

    async def open_stream(self, version=True, features=""):
        kind, header = await self.event()
        if kind != "header":
            raise Mismatch("expected the stream header, got %s %r" % (kind, header))
        wanted = {"to": self.options.domain, "xmlns": "jabber:client", "xmlns:stream": NS_STREAMS,
                  "xml:lang": "en", "version": "1.0"}
        if header.name != "stream:stream" or header.attrs != wanted:
            raise Mismatch("bad stream header %s %r" % (header.name, header.attrs))
        await self.send("<?xml version='1.0'?><stream:stream xmlns='jabber:client' xmlns:stream='%s' id='%s' "
                        "from=%s%s>" % (NS_STREAMS, self.stream_id, quoteattr(self.options.domain),
                                        " version='1.0'" if version else ""))
        if features is not None and version:
            await self.send("<stream:features>%s</stream:features>" % features)

    async def expect_iq(self, iq_type, child, xmlns, what):
        iq = await self.expect_stanza("iq", what)
        if iq.get("type") != iq_type or not iq.get("id") or iq.child(child, xmlns) is None:
            raise Mismatch("expected %s, got %r" % (what, iq))
        return iq

    async def result(self, iq, inner=""):
        await self.send("<iq type='result' id=%s>%s</iq>" % (quoteattr(iq.get("id")), inner))


def log(line):
    print(line, file=sys.stderr, flush=True)


# ---- SASL ----

def parse_digest(text):
    """key=value pairs of a DIGEST-MD5 response, values unquoted."""
    pairs = {}
    pos = 0
    while pos < len(text):
        eq = text.index("=", pos)
        key = text[pos:eq].strip(" ,")
        pos = eq + 1
        if text[pos:pos + 1] == '"':
            value = ""
            pos += 1
            while text[pos] != '"':
                if text[pos] == "\\":
                    pos += 1
                value += text[pos]
                pos += 1
            pos += 1
        else:
            end = text.find(",", pos)
            end = len(text) if end < 0 else end
            value = text[pos:end]
            pos = end
        pairs[key] = value
        pos += 1 if text[pos:pos + 1] == "," else 0
    return pairs


def digest(options, realm, nonce, cnonce, a2_head):
    secret = hashlib.md5(("%s:%s:%s" % (options.user, realm, options.password)).encode()).digest()
    ha1 = hashlib.md5(secret + (":%s:%s" % (nonce, cnonce)).encode()).hexdigest()
    ha2 = hashlib.md5(("%s:xmpp/%s" % (a2_head, options.domain)).encode()).hexdigest()
    return hashlib.md5(("%s:%s:00000001:%s:auth:%s" % (ha1, nonce, cnonce, ha2)).encode()).hexdigest()


def b64(text):
    return base64.b64encode(text.encode()).decode()


def unb64(text, what):
    try:
        return base64.b64decode(text.strip(), validate=True).decode()
    except (ValueError, UnicodeDecodeError):
        raise Mismatch("%s is not Base64 of UTF-8: %r" % (what, text))


def mechanisms(*names):
    return "<mechanisms xmlns='%s'>%s</mechanisms>" % (
        NS_SASL, "".join("<mechanism>%s</mechanism>" % n for n in names))


async def expect_auth(c, mechanism):
    auth = await c.expect_stanza("auth", "SASL auth")
    if auth.get("xmlns") != NS_SASL or auth.get("mechanism") != mechanism:
        raise Mismatch("expected auth with %s, got %r" % (mechanism, auth))
    return auth


async def sasl_digest(c, rspauth_ok=True, outcome="success"):
    """DIGEST-MD5 from the empty auth to the outcome: "success" or "failure"
    (the server refuses a right answer), or "refused" (the client must end
    the stream: its answer was wrong or it refused the server's proof)."""
    auth = await expect_auth(c, "DIGEST-MD5")
    if auth.text.strip():
        raise Mismatch("DIGEST-MD5 auth must be empty, got %r" % auth.text)
    nonce = b64(os.urandom(12).hex())[:16]
    realm = c.options.realm
    realm_part = 'realm="%s",' % realm if realm is not None else ""
    await c.send("<challenge xmlns='%s'>%s</challenge>" % (
        NS_SASL, b64('%snonce="%s",qop="auth",charset=utf-8,algorithm=md5-sess' % (realm_part, nonce))))
    response = await c.expect_stanza("response", "the DIGEST-MD5 response")
    fields = parse_digest(unb64(response.text, "the response"))
    wanted = {"username": c.options.user, "realm": realm or "", "nonce": nonce, "nc": "00000001",
              "qop": "auth", "digest-uri": "xmpp/" + c.options.domain, "charset": "utf-8"}
    for key, value in wanted.items():
        if fields.get(key) != value:
            raise Mismatch("response field %s is %r, expected %r" % (key, fields.get(key), value))
    cnonce = fields.get("cnonce", "")
    if len(cnonce) < 16:
        raise Mismatch("cnonce too short: %r" % cnonce)
    if fields.get("response") != digest(c.options, realm or "", nonce, cnonce, "AUTHENTICATE"):
        await c.send("<failure xmlns='%s'><not-authorized/></failure>" % NS_SASL)
        raise Mismatch("wrong digest response %r" % fields.get("response"))
    if outcome == "failure":
        await c.send("<failure xmlns='%s'><not-authorized/></failure>" % NS_SASL)
        return
    proof = digest(c.options, realm or "", nonce, cnonce, "") if rspauth_ok else "0" * 32
    await c.send("<challenge xmlns='%s'>%s</challenge>" % (NS_SASL, b64("rspauth=" + proof)))
    if not rspauth_ok:
        return
    second = await c.expect_stanza("response", "the empty answer to rspauth")
    if second.text.strip():
        raise Mismatch("the answer to rspauth must be empty, got %r" % second.text)
    await c.send("<success xmlns='%s'/>" % NS_SASL)


async def sasl_plain(c, outcome="success"):
    auth = await expect_auth(c, "PLAIN")
    o = c.options
    wanted = "%s@%s\0%s\0%s" % (o.user, o.domain, o.user, o.password)
    if unb64(auth.text, "the PLAIN response") != wanted:
        raise Mismatch("PLAIN response %r, expected %r" % (unb64(auth.text, "PLAIN"), wanted))
    await c.send("<%s xmlns='%s'/>" % (outcome, NS_SASL))


# ---- after authentication ----

async def bind(c, session=True, error=False):
    c.restart_stream()
    await c.open_stream(features="<bind xmlns='%s'/>%s" % (
        NS_BIND, "<session xmlns='%s'/>" % NS_SESSION if session else ""))
    iq = await c.expect_iq("set", "bind", NS_BIND, "the bind request")
    resource = iq.child("bind", NS_BIND).child("resource")
    if resource is None or resource.text != c.options.resource:
        raise Mismatch("bind resource %r, expected %r" % (resource and resource.text, c.options.resource))
    if error:
        await c.send("<iq type='error' id=%s><error type='cancel'><not-allowed xmlns='%s'/></error></iq>"
                     % (quoteattr(iq.get("id")), NS_STANZAS))
        return
    await c.result(iq, "<bind xmlns='%s'><jid>%s</jid></bind>" % (NS_BIND, escape(full_jid(c.options))))
    if session:
        iq = await c.expect_iq("set", "session", NS_SESSION, "the session request")
        await c.result(iq)


def full_jid(o):
    return "%s@%s/%s" % (o.user, o.domain, o.resource)


def roster_items(count, domain):
    return "".join("<item jid='contact%d@%s' name='Contact %d' subscription='both'><group>Friends</group></item>"
                   % (i, domain, i) for i in range(1, count + 1))


def large_stanza(domain):
    # Hex of random bytes compresses to about half, so the stanza arrives in
    # many 2048-byte pieces of deflate output.
    padding = os.urandom(48 * 1024).hex()
    return ("<iq type='get' id='%s' from=%s><query xmlns='yol:test:large'><data>%s</data></query></iq>"
            % (LARGE_ID, quoteattr(domain), padding))


def flood_batch(domain, first):
    # Answers to nothing the client asked: it reads and drops them.
    return "".join("<iq type='result' id='flood%d' from=%s/>" % (n, quoteattr(domain))
                   for n in range(first, first + 500))


class GiveWay:
    """Hands the event loop one turn: the task is scheduled again right
    behind whatever is ready now (the reader's data among it)."""

    def __await__(self):
        yield


async def flood(c):
    print("FLOODING", flush=True)
    sent = 0
    while True:
        await c.send(flood_batch(c.options.domain, sent), quiet=True)
        sent += 500
        # A drain with room in the socket returns without giving way, and
        # the kernel takes megabytes on loopback: without this the flood
        # would keep the loop from reading what the client answers.
        await GiveWay()


async def online(c, action=None):
    """Serves a logged-in client until it leaves: the roster, disco and any
    other request get plain answers. The login counts only once the roster
    was asked for; `action` runs right after that answer and may end the
    session by returning a value. With --flood the answer to the roster is
    followed by stanzas without end."""
    roster_asked = False
    state = {}
    flooding = None
    try:
        while True:
            try:
                kind, element = await c.event()
                if kind == "closed":
                    break
                if kind == "end":
                    await c.send("</stream:stream>")
                    break
                if kind != "stanza":
                    raise Mismatch("unexpected %s" % kind)
                if element.name == "iq" and element.get("type") in ("get", "set"):
                    if element.get("type") == "get" and element.child("query", NS_ROSTER) is not None:
                        # Asked is enough: the client may leave before the answer reaches it.
                        first = not roster_asked
                        roster_asked = True
                        await c.result(element, "<query xmlns='%s'>%s</query>" % (
                            NS_ROSTER, roster_items(c.options.roster, c.options.domain)))
                        if first and c.options.flood:
                            flooding = asyncio.create_task(flood(c))
                        if first and action and await action(c, state):
                            return state
                    elif element.child("query", NS_DISCO_INFO) is not None:
                        await c.result(element, "<query xmlns='%s'><identity category='server' type='im'/>"
                                                "<feature var='%s'/></query>" % (NS_DISCO_INFO, NS_DISCO_INFO))
                    else:
                        await c.result(element)
                elif element.name == "iq" and element.get("id") == LARGE_ID:
                    state["large_answered"] = element.get("type") == "error"
                    if state["large_answered"]:
                        print("ANSWERED %s" % LARGE_ID, flush=True)
            except ClientLeft:
                # Logging out is closing the socket, whatever the server was
                # answering at the time.
                break
    finally:
        if flooding:
            flooding.cancel()
            if flooding.done() and not flooding.cancelled() and not isinstance(flooding.exception(), ClientLeft):
                raise Mismatch("the flood stopped: %r" % flooding.exception())

    if not roster_asked:
        raise Mismatch("the client never asked for its roster: it did not get online")
    return state


async def send_large(c, state):
    await c.send(large_stanza(c.options.domain))


async def stream_error(c, condition):
    await c.send("<stream:error><%s xmlns='urn:ietf:params:xml:ns:xmpp-streams'/>"
                 "<text xmlns='urn:ietf:params:xml:ns:xmpp-streams'>scripted</text></stream:error>" % condition)


async def conflict_action(c, state):
    await stream_error(c, "conflict")
    # The account drops its socket at the conflict; a closing stream tag
    # may or may not make it out first.
    await c.expect_end_or_close()
    return True


async def other_error_action(c, state):
    await stream_error(c, "system-shutdown")
    await c.expect_end()
    return True


def mail_notice(sender, address, subject):
    return ("<presence from=%s><x xmlns='%s'><message date='1700000000'><senders><sender name='Nurse' address=%s/>"
            "</senders><subject>%s</subject><snippet>...</snippet></message></x></presence>"
            % (quoteattr(sender), NS_MAIL_NOTIFY, quoteattr(address), escape(subject)))


async def mail_action(c, state):
    """A notice in a roster contact's name (which the client must ignore),
    then the server's unread count and one notice of its own."""
    domain = c.options.domain
    await c.send(mail_notice("contact1@%s/phone" % domain, "forged@montague.example", "Forged"))
    await c.send("<presence from=%s><x xmlns='%s'><unread count='4'/></x></presence>"
                 % (quoteattr(domain), NS_MAIL_NOTIFY))
    await c.send(mail_notice(domain, "nurse@%s" % domain, "Письмо & <ответ>"))


# ---- legacy login ----

async def legacy(c, fields, get_error=False, set_error=False):
    o = c.options
    iq = await c.expect_iq("get", "query", NS_IQAUTH, "the iq-auth fields request")
    username = iq.child("query").child("username")
    if username is None or username.text != o.user:
        raise Mismatch("iq-auth username %r, expected %r" % (username and username.text, o.user))
    if get_error:
        await c.send("<iq type='error' id=%s><error type='auth'><not-authorized xmlns='%s'/></error></iq>"
                     % (quoteattr(iq.get("id")), NS_STANZAS))
        return False
    await c.result(iq, "<query xmlns='%s'>%s</query>" % (NS_IQAUTH, "".join("<%s/>" % f for f in fields)))
    if "digest" not in fields and "password" not in fields:
        return False
    iq = await c.expect_iq("set", "query", NS_IQAUTH, "the iq-auth login")
    query = iq.child("query")
    sent = {child.name: child.text for child in query.children}
    wanted = {"username": o.user}
    if "digest" in fields:
        wanted["digest"] = hashlib.sha1((c.stream_id + o.password).encode()).hexdigest()
    else:
        wanted["password"] = o.password
    if "resource" in fields:
        wanted["resource"] = o.resource
    if sent != wanted:
        raise Mismatch("iq-auth login %r, expected %r" % (sent, wanted))
    if set_error:
        await c.send("<iq type='error' id=%s><error code='401' type='auth'><not-authorized xmlns='%s'/></error>"
                     "</iq>" % (quoteattr(iq.get("id")), NS_STANZAS))
        return False
    await c.result(iq)
    return True


# ---- scenarios ----

async def run_digest(c):
    await c.open_stream(features="<starttls xmlns='%s'/>%s" % (NS_TLS, mechanisms("PLAIN", "DIGEST-MD5")))
    await sasl_digest(c)
    await bind(c)
    await online(c)


async def run_digest_zlib(c):
    await c.open_stream(features="<compression xmlns='%s'><method>zlib</method></compression>%s" % (
        NS_FEATURE_COMPRESS, mechanisms("DIGEST-MD5", "PLAIN")))
    compress = await c.expect_stanza("compress", "the compress request")
    method = compress.child("method")
    if compress.get("xmlns") != NS_COMPRESS or method is None or method.text != "zlib":
        raise Mismatch("bad compress request %r" % compress)
    await c.send("<compressed xmlns='%s'/>" % NS_COMPRESS)
    c.start_compression()
    c.restart_stream()
    await c.open_stream(features=mechanisms("DIGEST-MD5", "PLAIN"))
    await sasl_digest(c)
    await bind(c)
    state = await online(c, send_large)
    if not state.get("large_answered"):
        raise Mismatch("the large compressed request was never answered")


async def run_plain(c):
    await c.open_stream(features=mechanisms("PLAIN", "X-OTHER"))
    await sasl_plain(c)
    await bind(c, session=False)
    await online(c)


async def run_legacy_digest(c):
    # No version in the header: the client must start iq-auth at once.
    await c.open_stream(version=False, features=None)
    if await legacy(c, ["username", "digest", "password", "resource"]):
        await online(c)


async def run_legacy_password(c):
    await c.open_stream(features="<auth xmlns='%s'/>" % NS_FEATURE_IQAUTH)
    if await legacy(c, ["username", "password", "resource"]):
        await online(c)


async def run_sasl_failure(c):
    await c.open_stream(features=mechanisms("DIGEST-MD5"))
    await sasl_digest(c, outcome="failure")
    await c.expect_end()


async def run_plain_failure(c):
    await c.open_stream(features=mechanisms("PLAIN"))
    await sasl_plain(c, outcome="failure")
    await c.expect_end()


async def run_bad_rspauth(c):
    await c.open_stream(features=mechanisms("DIGEST-MD5"))
    await sasl_digest(c, rspauth_ok=False)
    await c.expect_end("the client to refuse a server without the right rspauth")


async def run_no_mechanism(c):
    await c.open_stream(features=mechanisms("SCRAM-SHA-1", "X-OAUTH2"))
    await c.expect_end()


async def run_legacy_get_error(c):
    await c.open_stream(features="<auth xmlns='%s'/>" % NS_FEATURE_IQAUTH)
    await legacy(c, [], get_error=True)
    await c.expect_end()


async def run_legacy_set_error(c):
    await c.open_stream(features="<auth xmlns='%s'/>" % NS_FEATURE_IQAUTH)
    await legacy(c, ["username", "password"], set_error=True)
    await c.expect_end()


async def run_legacy_no_fields(c):
    await c.open_stream(features="<auth xmlns='%s'/>" % NS_FEATURE_IQAUTH)
    await legacy(c, ["username", "sequence"])
    await c.expect_end()


async def run_bind_error(c):
    await c.open_stream(features=mechanisms("PLAIN"))
    await sasl_plain(c)
    await bind(c, error=True)
    await c.expect_end()


async def run_conflict(c):
    await c.open_stream(features=mechanisms("PLAIN"))
    await sasl_plain(c)
    await bind(c)
    await online(c, conflict_action)


async def run_mail_notices(c):
    await c.open_stream(features=mechanisms("PLAIN"))
    await sasl_plain(c)
    await bind(c)
    await online(c, mail_action)


async def run_stream_error(c):
    await c.open_stream(features=mechanisms("PLAIN"))
    await sasl_plain(c)
    await bind(c)
    await online(c, other_error_action)


SCENARIOS = {
    "digest": (run_digest, "DIGEST-MD5 (after a starttls feature), bind, session, online"),
    "digest-zlib": (run_digest_zlib, "zlib compression, DIGEST-MD5, bind, session, online, then one large "
                                     "compressed request followed by silence that must be answered"),
    "plain": (run_plain, "PLAIN, bind without session, online"),
    "legacy-digest": (run_legacy_digest, "header without version, iq-auth with a digest and a resource"),
    "legacy-password": (run_legacy_password, "iq-auth feature only, iq-auth with the password"),
    "sasl-failure": (run_sasl_failure, "a right DIGEST-MD5 answer refused: client ends the stream"),
    "plain-failure": (run_plain_failure, "PLAIN refused with <failure/>: client ends the stream"),
    "bad-rspauth": (run_bad_rspauth, "the server's rspauth is wrong: client ends the stream"),
    "no-mechanism": (run_no_mechanism, "neither PLAIN nor DIGEST-MD5 nor iq-auth: client ends the stream"),
    "legacy-get-error": (run_legacy_get_error, "iq-auth fields answered with an error"),
    "legacy-set-error": (run_legacy_set_error, "iq-auth login answered with an error"),
    "legacy-no-fields": (run_legacy_no_fields, "iq-auth fields list neither digest nor password"),
    "bind-error": (run_bind_error, "bind answered with an error"),
    "conflict": (run_conflict, "online, then stream error <conflict/>: client leaves"),
    "stream-error": (run_stream_error, "online, then stream error <system-shutdown/>: client ends the stream"),
    "mail-notices": (run_mail_notices, "online, then a mail notice from a contact, the unread count and a "
                                       "notice from the server"),
}


async def main(options):
    scenario = SCENARIOS[options.scenario][0]
    finished = asyncio.get_running_loop().create_future()

    async def serve(reader, writer):
        if finished.done():
            writer.close()
            return
        connection = Connection(reader, writer, options)
        try:
            await scenario(connection)
            outcome = "DONE"
        except Mismatch as error:
            outcome = "FAIL %s" % error
        except Exception as error:  # a broken script is a failure too
            outcome = "FAIL %s: %s" % (type(error).__name__, error)
        writer.close()
        if not finished.done():
            finished.set_result(outcome)

    server = await asyncio.start_server(serve, "127.0.0.1", 0)
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
    try:
        outcome = await asyncio.wait_for(finished, options.timeout * 6)
    except asyncio.TimeoutError:
        outcome = "FAIL nobody connected"
    server.close()
    print(outcome, flush=True)
    return 0 if outcome == "DONE" else 1


def parse_options(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0],
                                     epilog="scenarios:\n" + "\n".join(
                                         "  %-18s %s" % (k, v[1]) for k, v in SCENARIOS.items()),
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("scenario", choices=sorted(SCENARIOS))
    parser.add_argument("--user", default="juliet")
    parser.add_argument("--domain", default="capulet.example")
    parser.add_argument("--password", default="r0m30myr0m30")
    parser.add_argument("--resource", default="Yol")
    parser.add_argument("--realm", default=None, help="realm of the DIGEST-MD5 challenge (none when left out)")
    parser.add_argument("--timeout", type=float, default=20.0)
    parser.add_argument("--roster", type=int, default=2, help="contacts in the roster answer")
    parser.add_argument("--flood", action="store_true", help="stanzas without end once the roster is answered")
    return parser.parse_args(argv)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        parse_options(["--help"])
    sys.exit(asyncio.run(main(parse_options(sys.argv[1:]))))
