#!/usr/bin/python3
"""A proxy that does what its script says, for the replies real proxies will
not give: split replies, refusals, odd address types, silence, hang-ups.

    scripted_proxy.py STEP...

Listens on 127.0.0.1 at a port of the kernel's choosing and prints
"PORT <n>" first. Every accepted connection runs the steps in order:

    expect=HEX   read exactly these bytes; anything else is reported and ends
                 the connection
    send=HEX     write the bytes in one go
    split=HEX    write them one byte at a time, 20 ms apart
    text=TEXT    write the text (\\r and \\n spelled out), in one go
    sleep=MS     wait
    close        close the connection
    reset        close it with a reset
    silent       read and drop everything until the client hangs up (or
                 resets: a client closing with unread bytes does that)
    echo         send back whatever comes until the client hangs up

After each connection one line is printed: "DONE <n>", or
"FAIL <n> step <i>: expected <hex> got <hex>". Runs until terminated.
"""

import socket
import struct
import sys
import threading
import time

print_lock = threading.Lock()


def report(line):
    with print_lock:
        print(line, flush=True)


def read_exactly(conn, count):
    data = b""
    while len(data) < count:
        chunk = conn.recv(count - len(data))
        if not chunk:
            break
        data += chunk
    return data


def run_script(conn, number, steps):
    conn.settimeout(10)
    try:
        for index, step in enumerate(steps):
            name, _, value = step.partition("=")
            if name == "expect":
                wanted = bytes.fromhex(value)
                got = read_exactly(conn, len(wanted))
                if got != wanted:
                    report("FAIL %d step %d: expected %s got %s" % (number, index, wanted.hex(), got.hex()))
                    return
            elif name == "send":
                conn.sendall(bytes.fromhex(value))
            elif name == "split":
                for byte in bytes.fromhex(value):
                    conn.sendall(bytes([byte]))
                    time.sleep(0.02)
            elif name == "text":
                conn.sendall(value.replace("\\r", "\r").replace("\\n", "\n").encode())
            elif name == "sleep":
                time.sleep(int(value) / 1000)
            elif name == "close":
                break
            elif name == "reset":
                conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                break
            elif name in ("silent", "echo"):
                conn.settimeout(None)
                while True:
                    try:
                        data = conn.recv(65536)
                    except ConnectionResetError:
                        break
                    if not data:
                        break
                    if name == "echo":
                        conn.sendall(data)
            else:
                report("FAIL %d step %d: unknown step %s" % (number, index, step))
                return
        report("DONE %d" % number)
    except OSError as error:
        report("FAIL %d: %s" % (number, error))
    finally:
        conn.close()


def main():
    steps = sys.argv[1:]
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    report("PORT %d" % listener.getsockname()[1])
    number = 0
    while True:
        conn, _ = listener.accept()
        conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        number += 1
        threading.Thread(target=run_script, args=(conn, number, steps), daemon=True).start()


if __name__ == "__main__":
    main()
