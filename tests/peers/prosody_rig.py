#!/usr/bin/python3
"""A Prosody server for the XMPP tests, on loopback ports chosen at run time.

Everything it needs lives in a temporary folder that goes when the rig ends:
the configuration, the user data, a certificate authority made for this run
and the server's certificate signed by it. The server serves the virtual host
"localhost" on a plain port (STARTTLS offered, not required) and a direct-TLS
port; clients trust the certificate by pointing SSL_CERT_FILE at the
authority the rig prints.

    prosody_rig.py [--user NAME:PASSWORD]... [--roster USER:COUNT]...

--roster gives USER a roster of COUNT contacts ("contact00001@localhost",
...) with mutual subscriptions, spread over ten groups, written into the
server's roster store before it starts.

Once the server accepts connections it prints, one per line:

    DOMAIN localhost
    PLAIN <port>
    TLS <port>
    PROXY <the file-transfer proxy's JID> <its port>
    DIRECTORY <the user directory's JID> <the component port> <its secret>
    CA <path of the authority's certificate>
    READY

and then reads commands on standard input, answering each with one line:

    register NAME PASSWORD   -> OK | FAIL <text>
    restart                  -> OK when the server accepts connections again on
                                the same ports | FAIL <text>
    stop                     -> OK; the server is stopped (restart brings it back)
    start                    -> OK | FAIL <text>
    quit                     -> ends the rig

The end of standard input, SIGTERM and SIGINT end the rig too: the server is
stopped and the temporary folder removed.
"""

import argparse
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

DOMAIN = "localhost"
PROXY = "proxy.localhost"
# The user directory: an external component (xmpp_search_component.py) that
# logs in on the component port with this secret.
DIRECTORY = "users.localhost"
DIRECTORY_SECRET = "yol-directory-secret"
MODULES = ["roster", "saslauth", "legacyauth", "tls", "presence", "message", "offline", "vcard", "disco",
           "ping", "version", "posix"]
GROUPS = 10


def lua_string(text):
    out = ['"']
    for ch in text:
        if ch in '"\\':
            out.append("\\" + ch)
        elif ch == "\n":
            out.append("\\n")
        elif ord(ch) < 32:
            out.append("\\%03d" % ord(ch))
        else:
            out.append(ch)
    out.append('"')
    return "".join(out)


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def accepts(port):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=0.5):
            return True
    except OSError:
        return False


class Rig:
    def __init__(self):
        self.folder = tempfile.mkdtemp(prefix="yol-prosody-")
        self.data = os.path.join(self.folder, "data")
        os.makedirs(self.data, mode=0o700)
        self.config = os.path.join(self.folder, "prosody.cfg.lua")
        self.log = os.path.join(self.folder, "prosody.log")
        self.server = None
        self.choose_ports()

    def choose_ports(self):
        self.plain_port = free_port()
        self.tls_port = free_port()
        while self.tls_port == self.plain_port:
            self.tls_port = free_port()
        self.proxy65_port = free_port()
        while self.proxy65_port in (self.plain_port, self.tls_port):
            self.proxy65_port = free_port()
        self.component_port = free_port()
        while self.component_port in (self.plain_port, self.tls_port, self.proxy65_port):
            self.component_port = free_port()

    # --- certificates ------------------------------------------------------------

    def openssl(self, *args):
        subprocess.run(["openssl"] + list(args), check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, cwd=self.folder)

    def make_certificates(self):
        path = lambda name: os.path.join(self.folder, name)
        self.ca = path("ca.pem")
        self.cert = path("localhost.pem")
        self.key = path("localhost.key")
        self.openssl("req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                     "-keyout", path("ca.key"), "-out", self.ca, "-subj", "/CN=Yol Prosody Test CA", "-days", "2")
        with open(path("localhost.ext"), "w") as ext:
            ext.write("subjectAltName=DNS:localhost,IP:127.0.0.1\nbasicConstraints=CA:FALSE\n"
                      "extendedKeyUsage=serverAuth\n")
        self.openssl("req", "-new", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                     "-keyout", self.key, "-out", path("localhost.csr"), "-subj", "/CN=localhost")
        self.openssl("x509", "-req", "-in", path("localhost.csr"), "-CA", self.ca, "-CAkey", path("ca.key"),
                     "-CAcreateserial", "-out", self.cert, "-days", "2", "-extfile", path("localhost.ext"))

    # --- configuration ---------------------------------------------------------------

    def write_config(self):
        ssl = "{ certificate = %s; key = %s; }" % (lua_string(self.cert), lua_string(self.key))
        lines = [
            "run_as_root = true",
            "daemonize = false",
            "pidfile = %s" % lua_string(os.path.join(self.folder, "prosody.pid")),
            "data_path = %s" % lua_string(self.data),
            "plugin_paths = {}",
            "modules_enabled = { %s }" % ", ".join(lua_string(m) for m in MODULES),
            # vCards stay raw vcard-temp documents, stored as they are sent.
            "modules_disabled = { \"s2s\", \"dialback\", \"vcard4\", \"vcard_legacy\" }",
            "interfaces = { \"127.0.0.1\" }",
            "c2s_ports = { %d }" % self.plain_port,
            "c2s_interfaces = { \"127.0.0.1\" }",
            "c2s_direct_tls_ports = { %d }" % self.tls_port,
            "c2s_direct_tls_interfaces = { \"127.0.0.1\" }",
            "c2s_direct_tls_ssl = %s" % ssl,
            "s2s_ports = {}",
            "http_ports = {}",
            "https_ports = {}",
            "component_ports = { %d }" % self.component_port,
            "component_interfaces = { \"127.0.0.1\" }",
            # The file-transfer proxy's port is a server-wide option: set in
            # its component it is ignored, and every rig on the machine would
            # try the default port, all but the first without a proxy.
            "proxy65_ports = { %d }" % self.proxy65_port,
            "proxy65_interfaces = { \"127.0.0.1\" }",
            "c2s_require_encryption = false",
            "allow_unencrypted_plain_auth = true",
            "authentication = \"internal_plain\"",
            "storage = \"internal\"",
            # Logins in quick succession from one address are the tests' normal case.
            "limits = { c2s = { rate = \"100mb/s\"; burst = \"10s\"; }; }",
            # Well above what a client keeps of one stanza: the tests send
            # larger messages than it will take.
            "c2s_stanza_size_limit = 1024*1024*8",
            "ssl = %s" % ssl,
            "log = { { levels = { min = %s }; to = \"file\"; filename = %s; } }"
            % (lua_string(os.environ.get("YOL_RIG_LOG_LEVEL", "info")), lua_string(self.log)),
            "",
            "VirtualHost %s" % lua_string(DOMAIN),
            "    ssl = %s" % ssl,
            "",
            # The file-transfer proxy (SOCKS5 bytestreams), on the port above.
            "Component %s \"proxy65\"" % lua_string(PROXY),
            "    proxy65_address = \"127.0.0.1\"",
            "    proxy65_acl = { %s }" % lua_string(DOMAIN),
            "",
            "Component %s" % lua_string(DIRECTORY),
            "    component_secret = %s" % lua_string(DIRECTORY_SECRET),
            "",
        ]
        with open(self.config, "w") as out:
            out.write("\n".join(lines))

    def prosodyctl(self, *args):
        result = subprocess.run(["prosodyctl", "--config", self.config] + list(args), capture_output=True,
                                text=True, timeout=60)
        return result.returncode == 0, (result.stdout + result.stderr).strip().replace("\n", " ")

    def register(self, name, password):
        return self.prosodyctl("register", name, DOMAIN, password)

    def write_roster(self, user, count, friends=()):
        """The user's roster in the internal store's own form, as the roster module keeps it:
        `count` generated contacts, then `friends` (user names) in "Friends"."""
        folder = os.path.join(self.data, DOMAIN, "roster")
        os.makedirs(folder, exist_ok=True)
        lines = ["return {", "\t[false] = {", "\t\t[\"version\"] = 1;", "\t\t[\"pending\"] = {};", "\t};"]
        for i in range(1, count + 1):
            jid = "contact%05d@%s" % (i, DOMAIN)
            lines.append("\t[%s] = {" % lua_string(jid))
            lines.append("\t\t[\"subscription\"] = \"both\";")
            lines.append("\t\t[\"name\"] = %s;" % lua_string("Contact %05d" % i))
            lines.append("\t\t[\"groups\"] = { [%s] = true; };" % lua_string("Group %d" % (i % GROUPS)))
            lines.append("\t};")
        for friend in friends:
            lines.append("\t[%s] = {" % lua_string("%s@%s" % (friend, DOMAIN)))
            lines.append("\t\t[\"subscription\"] = \"both\";")
            lines.append("\t\t[\"groups\"] = { [\"Friends\"] = true; };")
            lines.append("\t};")
        lines.append("};")
        with open(os.path.join(folder, self.encoded(user) + ".dat"), "w") as out:
            out.write("\n".join(lines) + "\n")

    @staticmethod
    def encoded(node):
        # The internal store's file names: every byte outside [a-zA-Z0-9] as %XX.
        return "".join(ch if ch.isalnum() and ch.isascii() else "%%%02x" % ord(ch) for ch in node)

    # --- the server ------------------------------------------------------------------

    def start(self, timeout=20.0):
        if self.server is not None and self.server.poll() is None:
            return True, ""
        # Earlier starts wrote to the same log: only this start's lines count.
        try:
            log_start = os.path.getsize(self.log)
        except OSError:
            log_start = 0
        log = open(os.path.join(self.folder, "stdout.log"), "a")
        self.server = subprocess.Popen(["prosody", "--config", self.config, "-F"], stdin=subprocess.DEVNULL,
                                       stdout=log, stderr=subprocess.STDOUT)
        log.close()
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.server.poll() is not None:
                return False, "prosody ended with %s: %s" % (self.server.returncode, self.tail())
            # A port taken by another program leaves its service without a
            # listener while the server runs on: the file-transfer proxy then
            # answers every request with an error.
            if self.bind_failed(log_start):
                return False, "prosody could not listen: " + self.tail()
            # The proxy's component opens its port after the client ports, and
            # on a busy machine noticeably later.
            if all(accepts(port) for port in self.ports()):
                return True, ""
            time.sleep(0.05)
        return False, "prosody did not accept connections: " + self.tail()

    def ports(self):
        return (self.plain_port, self.tls_port, self.proxy65_port, self.component_port)

    def bind_failed(self, log_start):
        try:
            with open(self.log, "rb") as f:
                f.seek(log_start)
                return b"Failed to open server port" in f.read()
        except OSError:
            return False

    def stop(self):
        if self.server is None:
            return
        # The server stays in the rig's process group, so whoever ends the
        # group ends it too.
        if self.server.poll() is None:
            self.server.terminate()
            try:
                self.server.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.server.kill()
                self.server.wait()
        self.server = None
        # The ports are free again only once nothing listens on them.
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline and any(accepts(port) for port in self.ports()):
            time.sleep(0.05)

    def tail(self):
        text = ""
        for name in ("stdout.log", "prosody.log"):
            try:
                with open(os.path.join(self.folder, name)) as f:
                    text += f.read()[-600:]
            except OSError:
                pass
        return text.replace("\n", " | ")

    def cleanup(self):
        self.stop()
        # YOL_RIG_KEEP=1 keeps the folder (configuration, data, logs) to look at.
        if os.environ.get("YOL_RIG_KEEP") == "1":
            sys.stderr.write("prosody_rig: kept %s\n" % self.folder)
        else:
            shutil.rmtree(self.folder, ignore_errors=True)


def say(line):
    sys.stdout.write(line + "\n")
    sys.stdout.flush()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--user", action="append", default=[])
    parser.add_argument("--roster", action="append", default=[])
    parser.add_argument("--mutual", action="append", default=[])
    options = parser.parse_args()

    rig = Rig()

    def end(*_):
        rig.cleanup()
        os._exit(0)

    signal.signal(signal.SIGTERM, end)
    signal.signal(signal.SIGINT, end)
    try:
        rig.make_certificates()
        rig.write_config()
        for entry in options.user:
            name, _, password = entry.partition(":")
            ok, text = rig.register(name, password)
            if not ok:
                say("FAIL register %s: %s" % (name, text))
                end()
        counts, friends = {}, {}
        for entry in options.roster:
            name, _, count = entry.partition(":")
            counts[name] = int(count)
        for entry in options.mutual:
            one, _, other = entry.partition(":")
            friends.setdefault(one, []).append(other)
            friends.setdefault(other, []).append(one)
        for name in set(counts) | set(friends):
            rig.write_roster(name, counts.get(name, 0), friends.get(name, []))
        # Another program may take a port between choosing and binding it:
        # then the server cannot listen, and new ports are chosen.
        for attempt in range(3):
            ok, text = rig.start()
            if ok:
                break
            rig.stop()
            rig.choose_ports()
            rig.write_config()
        if not ok:
            say("FAIL " + text)
            end()
        say("DOMAIN " + DOMAIN)
        say("PLAIN %d" % rig.plain_port)
        say("TLS %d" % rig.tls_port)
        say("PROXY %s %d" % (PROXY, rig.proxy65_port))
        say("DIRECTORY %s %d %s" % (DIRECTORY, rig.component_port, DIRECTORY_SECRET))
        say("CA " + rig.ca)
        say("READY")

        for line in sys.stdin:
            words = line.split()
            if not words:
                continue
            command = words[0]
            if command == "register" and len(words) == 3:
                ok, text = rig.register(words[1], words[2])
                say("OK" if ok else "FAIL " + text)
            elif command == "restart":
                rig.stop()
                ok, text = rig.start()
                say("OK" if ok else "FAIL " + text)
            elif command == "stop":
                rig.stop()
                say("OK")
            elif command == "start":
                ok, text = rig.start()
                say("OK" if ok else "FAIL " + text)
            elif command == "quit":
                break
            else:
                say("FAIL unknown command " + command)
    finally:
        rig.cleanup()


if __name__ == "__main__":
    main()
