"""File transfer and vCards of the slixmpp peer (xmpp_peer.py): stream
initiation with the file-transfer profile over SOCKS5 bytestreams (through
the server's proxy) or in-band bytestreams, and vcard-temp.

Commands (fields separated by TAB, as in xmpp_peer.py):

    sendfile JID PATH METHOD   offers PATH to JID with METHOD (ibb or socks5)
                               and sends it once accepted; answered with OK
                               at once, then SENT SID or SENDFAIL TEXT
    files MODE DIR             what becomes of offers: accept (saved in DIR
                               under the offered name) or refuse
    setvcard FN NICK           publishes the peer's own vCard (full name and
                               nickname)
    setvcardxml XML            publishes the peer's own vCard as given (the
                               vCard element with its vcard-temp namespace)
    getvcard JID               asks JID for its vCard and prints it

Printed as it happens:

    FILEOFFER FROM NAME SIZE   an offer arrived
    FILE NAME SIZE             the file is whole and saved
    FILEFAIL TEXT              a receive ended short
    VCARDFIELD PATH TEXT       one element of a vCard asked for with getvcard,
                               in document order: PATH is its names from the
                               vCard down, joined by "/" (an element with
                               children gives no line of its own, an empty
                               one gives an empty TEXT); then VCARDEND TYPE
                               (the answer's type)
"""

import asyncio
import os
import uuid

from slixmpp.exceptions import IqError
from slixmpp.xmlstream import ET
from slixmpp.xmlstream.handler import CoroutineCallback
from slixmpp.xmlstream.matcher import StanzaPath

NS_IBB = "http://jabber.org/protocol/ibb"
NS_SOCKS5 = "http://jabber.org/protocol/bytestreams"
NS_VCARD = "vcard-temp"
METHODS = {"ibb": NS_IBB, "socks5": NS_SOCKS5}


class FileTransfers:
    def __init__(self, xmpp, say):
        self.xmpp = xmpp
        self.say = say
        self.mode = "refuse"
        self.folder = "."
        self.receiving = None  # [name, size, bytearray]
        for plugin in ("xep_0047", "xep_0065", "xep_0095", "xep_0096"):
            xmpp.register_plugin(plugin)
        # The plug-in registers its coroutine as a plain callback, which
        # never runs it: offers would go unseen.
        xmpp.remove_handler("SI Request")
        xmpp.register_handler(CoroutineCallback("SI Request", StanzaPath("iq@type=set/si"),
                                                xmpp.plugin["xep_0095"]._handle_request))
        # The in-band method is the one a SOCKS5-less offer can take.
        xmpp.plugin["xep_0095"].register_method(NS_IBB, "xep_0047", order=50)
        xmpp.plugin["xep_0095"].register_method(NS_SOCKS5, "xep_0065", order=10)
        xmpp.add_event_handler("si_request", self.on_offer)
        xmpp.add_event_handler("ibb_stream_data", self.on_ibb_data)
        xmpp.add_event_handler("ibb_stream_end", lambda _: self.finish())
        xmpp.add_event_handler("socks5_data", self.on_socks5_data)
        xmpp.add_event_handler("socks5_closed", lambda _: self.finish())
        self.tasks = set()

    # --- receiving ---------------------------------------------------------

    async def on_offer(self, iq):
        name = os.path.basename(iq["si"]["file"]["name"])
        size = int(iq["si"]["file"]["size"])
        sid = iq["si"]["id"]
        self.say("FILEOFFER", iq["from"], name, size)
        if self.mode != "accept":
            await self.xmpp.plugin["xep_0095"].decline(iq["from"], sid, ifrom=iq["to"])
            return
        self.receiving = [name, size, bytearray()]
        await self.xmpp.plugin["xep_0095"].accept(iq["from"], sid, ifrom=iq["to"])

    def take(self, data):
        if self.receiving is None:
            return
        self.receiving[2].extend(data)
        if len(self.receiving[2]) >= self.receiving[1]:
            self.finish()

    def on_ibb_data(self, stream):
        while not stream.recv_queue.empty():
            self.take(stream.recv_queue.get_nowait())

    def on_socks5_data(self, data):
        self.take(data)

    def finish(self):
        if self.receiving is None:
            return
        name, size, data = self.receiving
        self.receiving = None
        if len(data) != size:
            self.say("FILEFAIL", "%d of %d bytes" % (len(data), size))
            return
        with open(os.path.join(self.folder, name), "wb") as out:
            out.write(data)
        self.say("FILE", name, size)

    # --- sending -----------------------------------------------------------

    async def send(self, jid, path, method):
        with open(path, "rb") as source:
            data = source.read()
        sid = uuid.uuid4().hex[:12]
        try:
            await self.xmpp.plugin["xep_0096"].request_file_transfer(
                jid, sid=sid, name=os.path.basename(path), size=len(data),
                methods=[{"value": METHODS[method], "label": ""}])
            if method == "ibb":
                stream = await self.xmpp.plugin["xep_0047"].open_stream(jid, sid=sid, block_size=4096)
                await stream.sendall(data)
                await stream.close()
            else:
                sock = await self.xmpp.plugin["xep_0065"].handshake(jid, sid=sid)
                if sock is None:
                    raise RuntimeError("no SOCKS5 stream")
                await sock.write(data)
                sock.transport.close()
            self.say("SENT", sid)
        except Exception as error:  # the test reads the failure
            self.say("SENDFAIL", "%s: %s" % (type(error).__name__, error))

    # --- vCards ------------------------------------------------------------

    async def set_vcard(self, full_name, nick):
        iq = self.xmpp.make_iq_set()
        card = ET.SubElement(iq.xml, "{%s}vCard" % NS_VCARD)
        ET.SubElement(card, "{%s}FN" % NS_VCARD).text = full_name
        ET.SubElement(card, "{%s}NICKNAME" % NS_VCARD).text = nick
        await iq.send()

    async def set_vcard_xml(self, text):
        iq = self.xmpp.make_iq_set()
        iq.xml.append(ET.fromstring(text))
        await iq.send()

    async def get_vcard(self, jid):
        iq = self.xmpp.make_iq_get(ito=jid)
        ET.SubElement(iq.xml, "{%s}vCard" % NS_VCARD)
        try:
            reply = await iq.send()
        except IqError as error:
            self.say("VCARDEND", error.iq["type"])
            return
        card = reply.xml.find("{%s}vCard" % NS_VCARD)
        if card is not None:
            self.print_fields(card, "")
        self.say("VCARDEND", reply["type"])

    def print_fields(self, element, path):
        for child in element:
            name = path + child.tag.split("}")[-1]
            if len(child):
                self.print_fields(child, name + "/")
            else:
                self.say("VCARDFIELD", name, child.text or "")

    # --- commands ----------------------------------------------------------

    async def run(self, f):
        """True when the command was one of these."""
        command = f[0]
        if command == "sendfile":
            task = asyncio.get_event_loop().create_task(self.send(f[1], f[2], f[3]))
            self.tasks.add(task)
            task.add_done_callback(self.tasks.discard)
        elif command == "files":
            self.mode, self.folder = f[1], f[2]
        elif command == "setvcard":
            await self.set_vcard(f[1], f[2])
        elif command == "setvcardxml":
            await self.set_vcard_xml(f[1])
        elif command == "getvcard":
            await self.get_vcard(f[1])
        else:
            return False
        return True
