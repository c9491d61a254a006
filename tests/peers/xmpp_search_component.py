#!/usr/bin/python3
"""A user directory for the XMPP tests: an external component (XEP-0114) of
the Prosody rig that answers user searches (XEP-0055), in the plain form and
with data forms (XEP-0004), from a table of users the test gives it.

    xmpp_search_component.py JID SECRET HOST PORT

JID is the component's address ("users.localhost"), SECRET the rig's
component secret, HOST and PORT the rig's component port.

A "get" is answered with the search form: instructions, the plain fields and
the same fields as a data form. A "set" searches: the criteria come from the
data form when the query holds one, else from the plain fields; a user
matches when every criterion given equals the user's field, ignoring case.
A data-form search is answered with a data form (reported fields, one item
per user), a plain one with plain items, unless the replies are set to plain:
then every answer is in the plain form, as directories that predate data
forms answer. A criterion the form does not have is refused (bad-request).

Lines are fields separated by TAB, escaped as in xmpp_peer.py. Commands on standard input, each answered with "OK":

    user JID NICK FIRST LAST EMAIL COUNTRY    adds a user to the directory
    replies form|plain                        how searches are answered
    quit                                      ends

Printed as it happens:

    READY                                     connected to the server
    SEARCH FROM KIND CRITERIA                 a search arrived: KIND is form or
                                              plain, CRITERIA the fields given
                                              as name=value joined by ","
    DISCONNECTED
"""

import argparse
import asyncio
import logging
import sys

import slixmpp
from slixmpp.xmlstream import ET
from slixmpp.xmlstream.handler import Callback
from slixmpp.xmlstream.matcher import MatchXPath

from xmpp_peer import next_command, open_commands, run_until_disconnected, say

NS_SEARCH = "jabber:iq:search"
NS_DATA = "jabber:x:data"
# The directory's fields: (name in both forms, label, the user's column).
FIELDS = [("first", "Given Name", "first"), ("last", "Family Name", "last"), ("nick", "Nickname", "nick"),
          ("email", "Email", "email"), ("ctry", "Country", "country")]
FIELD_NAMES = [name for name, _, _ in FIELDS]
COLUMNS = ["jid", "nick", "first", "last", "email", "country"]


def q(tag):
    return "{%s}%s" % (NS_SEARCH, tag)


def d(tag):
    return "{%s}%s" % (NS_DATA, tag)


class Directory(slixmpp.ComponentXMPP):
    def __init__(self, jid, secret, host, port):
        super().__init__(jid, secret, host, port)
        self.users = []
        self.plain_replies = False
        self.register_handler(Callback("Search", MatchXPath("{jabber:component:accept}iq/%s" % q("query")),
                                       self.on_search))
        self.add_event_handler("session_start", self.on_start)
        self.add_event_handler("disconnected", lambda _: say("DISCONNECTED"))

    async def on_start(self, _):
        self.commands = await open_commands()
        # Held here: the loop keeps tasks only weakly.
        self.command_task = asyncio.get_event_loop().create_task(self.read_commands())
        say("READY")

    async def read_commands(self):
        while (f := await next_command(self.commands)) is not None:
            if f[0] == "user" and len(f) == 7:
                self.users.append(dict(zip(COLUMNS, f[1:])))
            elif f[0] == "replies" and len(f) == 2:
                self.plain_replies = f[1] == "plain"
            elif f[0] == "quit":
                say("OK")
                break
            else:
                say("FAIL", "bad command " + f[0])
                continue
            say("OK")
        self.disconnect()

    # --- the search ------------------------------------------------------------

    def on_search(self, iq):
        kind = iq["type"]
        if kind == "get":
            self.reply(iq, self.search_form())
        elif kind == "set":
            self.search(iq)

    def reply(self, iq, query):
        answer = iq.reply(clear=True)
        answer.xml.append(query)
        answer.send()

    def refuse(self, iq, condition, text):
        answer = iq.reply(clear=True)
        answer["type"] = "error"
        answer["error"]["type"] = "modify"
        answer["error"]["condition"] = condition
        answer["error"]["text"] = text
        answer.send()

    def search_form(self):
        query = ET.Element(q("query"))
        ET.SubElement(query, q("instructions")).text = "Fill in a field to search for users."
        for name, _, _ in FIELDS:
            ET.SubElement(query, q(name))
        form = ET.SubElement(query, d("x"), {"type": "form"})
        ET.SubElement(form, d("title")).text = "User Directory Search"
        hidden = ET.SubElement(form, d("field"), {"type": "hidden", "var": "FORM_TYPE"})
        ET.SubElement(hidden, d("value")).text = NS_SEARCH
        for name, label, _ in FIELDS:
            ET.SubElement(form, d("field"), {"type": "text-single", "var": name, "label": label})
        return query

    def criteria(self, query):
        """(kind, {field: text}) of a search; a field outside the form raises KeyError."""
        form = query.find(d("x"))
        given = {}
        if form is not None:
            for field in form.findall(d("field")):
                var = field.get("var", "")
                value = field.find(d("value"))
                if var == "FORM_TYPE":
                    continue
                if var not in FIELD_NAMES:
                    raise KeyError(var)
                if value is not None and value.text:
                    given[var] = value.text
            return "form", given
        for child in query:
            name = child.tag.split("}")[-1]
            if name not in FIELD_NAMES:
                raise KeyError(name)
            if child.text:
                given[name] = child.text
        return "plain", given

    def search(self, iq):
        query = iq.xml.find(q("query"))
        try:
            kind, given = self.criteria(query)
        except KeyError as unknown:
            self.refuse(iq, "bad-request", "no field %s" % unknown)
            return
        say("SEARCH", iq["from"], kind, ",".join("%s=%s" % item for item in sorted(given.items())))
        column = {name: col for name, _, col in FIELDS}
        found = [user for user in self.users
                 if all(user[column[name]].casefold() == text.casefold() for name, text in given.items())]
        if kind == "form" and not self.plain_replies:
            self.reply(iq, self.form_result(found))
        else:
            self.reply(iq, self.plain_result(found))

    def form_result(self, found):
        query = ET.Element(q("query"))
        form = ET.SubElement(query, d("x"), {"type": "result"})
        hidden = ET.SubElement(form, d("field"), {"type": "hidden", "var": "FORM_TYPE"})
        ET.SubElement(hidden, d("value")).text = NS_SEARCH
        reported = ET.SubElement(form, d("reported"))
        ET.SubElement(reported, d("field"), {"var": "jid", "label": "JID", "type": "jid-single"})
        for name, label, _ in FIELDS:
            ET.SubElement(reported, d("field"), {"var": name, "label": label, "type": "text-single"})
        for user in found:
            item = ET.SubElement(form, d("item"))
            for var, col in [("jid", "jid")] + [(name, col) for name, _, col in FIELDS]:
                field = ET.SubElement(item, d("field"), {"var": var})
                ET.SubElement(field, d("value")).text = user[col]
        return query

    def plain_result(self, found):
        query = ET.Element(q("query"))
        for user in found:
            item = ET.SubElement(query, q("item"), {"jid": user["jid"]})
            for name, _, col in FIELDS[:4]:
                ET.SubElement(item, q(name)).text = user[col]
        return query


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("jid")
    parser.add_argument("secret")
    parser.add_argument("host")
    parser.add_argument("port", type=int)
    options = parser.parse_args()
    logging.basicConfig(level=logging.ERROR, stream=sys.stderr)

    directory = Directory(options.jid, options.secret, options.host, options.port)
    directory.connect()
    run_until_disconnected(directory)


if __name__ == "__main__":
    main()
