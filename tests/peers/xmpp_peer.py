#!/usr/bin/python3
"""The other party of the XMPP tests: a real client (slixmpp) logged in as a
second user and driven line by line.

    xmpp_peer.py JID PASSWORD HOST PORT [--tls] [--ca PATH] [--resource NAME]
                 [--caps-node NODE]

--tls connects with direct TLS; otherwise the plain port is used and
STARTTLS taken when offered. --ca names the authority to trust (the rig's).
The peer's presence carries entity capabilities with a SHA-1 ver under the
node --caps-node names (slixmpp's own node by default); an empty node leaves
them out.

Lines are fields separated by TAB; in a field, backslash escapes "\\t", "\\n",
"\\r" and "\\\\". Commands on standard input:

    message JID TEXT [ID] [STATE]
                               a chat message (ID: its stanza id), asking for a
                               receipt; STATE adds that chat state beside the body
    presence SHOW STATUS       available presence; SHOW is one of
                               available, away, chat, dnd, xa
    unavailable                unavailable presence
    subscribe JID | subscribed JID | unsubscribe JID | unsubscribed JID
    bigmessage JID SIZE        a chat message whose body is SIZE letters "x"
    chatstate JID STATE        active, composing, paused, inactive, gone
    receipt JID ID             a delivery receipt for message ID
    autoreceipt on|off         on: every message with a body and an id is
                               answered with a receipt at once, asked or not
    autoanswer on|off          on: every message with a body is answered like
                               a person would: typing shown, then after a
                               moment the answer "You wrote: BODY" (chat
                               state active)
    disco JID [NODE]           asks JID for its disco#info (of NODE)
    sendfile, files, setvcard, setvcardxml, getvcard
                               file transfer and vCards: see xmpp_peer_files.py
    roster                     prints the server's roster of this user
    add JID NAME GROUP         roster set
    quit                       logs out and ends

Each command is answered with "OK" (or "FAIL<TAB>text") once it went out.
What arrives is printed as it comes:

    READY                                  the session has started
    MESSAGE FROM ID TYPE BODY STATE        a message with a body (STATE: its
                                           chat state, empty when none)
    CHATSTATE FROM STATE                   a chat state without a body
    RECEIPT FROM ID                        a delivery receipt
    PRESENCE FROM TYPE SHOW STATUS PRIORITY CAPSNODE CAPSVER
                                           (the caps fields empty when none)
    SUBSCRIBE FROM | SUBSCRIBED FROM | UNSUBSCRIBE FROM | UNSUBSCRIBED FROM
    ROSTER JID NAME SUBSCRIPTION GROUPS    (GROUPS joined by ",") then ROSTEREND
    DISCO FROM NODE IDENTITIES FEATURES    the disco#info answer: identities as
                                           category/type/name, features in the
                                           order sent, each list joined by " "
    DISCONNECTED
"""

import argparse
import asyncio
import logging
import sys

import slixmpp

from xmpp_peer_files import FileTransfers

NS_CAPS = "http://jabber.org/protocol/caps"
NS_DISCO_INFO = "http://jabber.org/protocol/disco#info"

ESCAPES = {"\\": "\\\\", "\t": "\\t", "\n": "\\n", "\r": "\\r"}
UNESCAPES = {"\\": "\\", "t": "\t", "n": "\n", "r": "\r"}


def escape(text):
    return "".join(ESCAPES.get(ch, ch) for ch in str(text))


def unescape(text):
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            out.append(UNESCAPES.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def say(*fields):
    sys.stdout.write("\t".join(escape(f) for f in fields) + "\n")
    sys.stdout.flush()


async def open_commands():
    """Standard input as the stream of command lines."""
    reader = asyncio.StreamReader()
    await asyncio.get_event_loop().connect_read_pipe(lambda: asyncio.StreamReaderProtocol(reader), sys.stdin)
    return reader


async def next_command(reader):
    """The next command's fields, unescaped; None at the end of the input."""
    raw = await reader.readline()
    if not raw:
        return None
    return [unescape(f) for f in raw.decode("utf-8").rstrip("\n").split("\t")]


def run_until_disconnected(client):
    client.add_event_handler("disconnected", lambda _: client.loop.stop())
    try:
        client.loop.run_forever()
    except KeyboardInterrupt:
        pass


class Peer(slixmpp.ClientXMPP):
    def __init__(self, jid, password, ca, caps_node=None):
        super().__init__(jid, password)
        for plugin in ("xep_0030", "xep_0085", "xep_0184", "xep_0199", "xep_0115"):
            self.register_plugin(plugin)
        if caps_node == "":
            self.plugin["xep_0115"].broadcast = False
        elif caps_node:
            self.plugin["xep_0115"].caps_node = caps_node
        # Receipts are sent by command, so a test decides when one goes,
        # unless the test turns on answering every message.
        self.auto_receipt = False
        self.auto_answer = False
        self.plugin["xep_0184"].auto_ack = False
        self.plugin["xep_0184"].auto_request = False
        if ca:
            self.ca_certs = ca
        # Subscriptions are answered by command too.
        self.auto_authorize = None
        self.auto_subscribe = False
        self.files = FileTransfers(self, say)
        self.add_event_handler("session_start", self.on_start)
        self.add_event_handler("message", self.on_message)
        self.add_event_handler("chatstate", self.on_chatstate)
        self.add_event_handler("receipt_received", self.on_receipt)
        self.add_event_handler("presence", self.on_presence)
        self.add_event_handler("disconnected", lambda _: say("DISCONNECTED"))
        self.add_event_handler("failed_auth", lambda _: say("FAIL", "authentication"))

    async def on_start(self, _):
        # The ver is made from the features only once asked; until then the
        # presence goes out without caps.
        if self.plugin["xep_0115"].broadcast:
            await self.plugin["xep_0115"].update_caps(broadcast=False)
        self.send_presence()
        await self.get_roster()
        if getattr(self, "command_task", None) is not None:
            say("READY")
            return
        self.commands = await open_commands()
        # The loop holds tasks only weakly: without this reference the
        # command reader can be collected while it waits for a line.
        self.command_task = asyncio.get_event_loop().create_task(self.read_commands())
        say("READY")

    def on_message(self, msg):
        if msg["body"]:
            say("MESSAGE", msg["from"], msg["id"], msg["type"], msg["body"], msg["chat_state"])
            if self.auto_receipt and msg["id"]:
                ack = self.make_message(mto=msg["from"])
                ack["receipt"] = msg["id"]
                ack.send()
            if self.auto_answer:
                self.answer(msg["from"], msg["body"])

    # A typing notice, then the answer.
    def answer(self, to, body):
        typing = self.make_message(mto=to, mtype="chat")
        typing["chat_state"] = "composing"
        typing.send()
        reply = self.make_message(mto=to, mbody="You wrote: " + body, mtype="chat")
        reply["chat_state"] = "active"
        reply.send()

    def on_chatstate(self, msg):
        if not msg["body"]:
            say("CHATSTATE", msg["from"], msg["chat_state"])

    def on_receipt(self, msg):
        say("RECEIPT", msg["from"], msg["receipt"])

    def on_presence(self, pres):
        kind = pres["type"]
        if kind in ("subscribe", "subscribed", "unsubscribe", "unsubscribed"):
            say(kind.upper(), pres["from"])
            return
        # Read from the XML: asking the stanza for its caps would add an
        # empty element to it.
        caps = pres.xml.find("{%s}c" % NS_CAPS)
        node = caps.get("node", "") if caps is not None else ""
        ver = caps.get("ver", "") if caps is not None else ""
        say("PRESENCE", pres["from"], kind, pres["show"], pres["status"], pres["priority"], node, ver)

    async def read_commands(self):
        while (fields := await next_command(self.commands)) is not None:
            try:
                if await self.run(fields):
                    break
            except Exception as error:  # the test reads the failure; the peer goes on
                say("FAIL", "%s: %s" % (type(error).__name__, error))
        self.disconnect()

    async def run(self, f):
        command = f[0]
        if await self.files.run(f):
            pass
        elif command == "message":
            msg = self.make_message(mto=f[1], mbody=f[2], mtype="chat")
            if len(f) > 3 and f[3]:
                msg["id"] = f[3]
            msg["request_receipt"] = True
            if len(f) > 4 and f[4]:
                msg["chat_state"] = f[4]
            msg.send()
        elif command == "presence":
            show = "" if f[1] == "available" else f[1]
            self.send_presence(pshow=show, pstatus=f[2] if len(f) > 2 else None)
        elif command == "unavailable":
            self.send_presence(ptype="unavailable")
        elif command in ("subscribe", "subscribed", "unsubscribe", "unsubscribed"):
            self.send_presence(pto=f[1], ptype=command)
        elif command == "bigmessage":
            self.make_message(mto=f[1], mbody="x" * int(f[2]), mtype="chat").send()
        elif command == "chatstate":
            msg = self.make_message(mto=f[1], mtype="chat")
            msg["chat_state"] = f[2]
            msg.send()
        elif command == "receipt":
            ack = self.make_message(mto=f[1])
            ack["receipt"] = f[2]
            ack.send()
        elif command == "autoreceipt":
            self.auto_receipt = f[1] == "on"
        elif command == "autoanswer":
            self.auto_answer = f[1] == "on"
        elif command == "disco":
            node = f[2] if len(f) > 2 and f[2] else None
            iq = await self.plugin["xep_0030"].get_info(jid=f[1], node=node, local=False, cached=False)
            query = iq.xml.find("{%s}query" % NS_DISCO_INFO)
            identities = ["%s/%s/%s" % (i.get("category", ""), i.get("type", ""), i.get("name", ""))
                          for i in query.findall("{%s}identity" % NS_DISCO_INFO)]
            features = [feature.get("var", "") for feature in query.findall("{%s}feature" % NS_DISCO_INFO)]
            say("DISCO", iq["from"], query.get("node", ""), " ".join(identities), " ".join(features))
        elif command == "roster":
            await self.get_roster()
            roster = self.client_roster
            for jid in sorted(roster.keys()):
                if jid == self.boundjid.bare:
                    continue
                item = roster[jid]
                say("ROSTER", jid, item["name"], item["subscription"], ",".join(item["groups"]))
            say("ROSTEREND")
        elif command == "add":
            await self.update_roster(f[1], name=f[2], groups=[f[3]] if len(f) > 3 and f[3] else [])
        elif command == "quit":
            say("OK")
            return True
        else:
            say("FAIL", "unknown command " + command)
            return False
        say("OK")
        return False


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("jid")
    parser.add_argument("password")
    parser.add_argument("host")
    parser.add_argument("port", type=int)
    parser.add_argument("--tls", action="store_true")
    parser.add_argument("--ca")
    parser.add_argument("--resource", default="peer")
    parser.add_argument("--caps-node")
    options = parser.parse_args()
    logging.basicConfig(level=logging.ERROR, stream=sys.stderr)

    peer = Peer("%s/%s" % (options.jid, options.resource), options.password, options.ca, options.caps_node)
    peer.connect((options.host, options.port), use_ssl=options.tls)
    run_until_disconnected(peer)


if __name__ == "__main__":
    main()
