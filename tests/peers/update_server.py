#!/usr/bin/python3
"""A web server for the version check's and the update download's tests:
HTTP/1.0, one request per connection, answers scripted by the test.

    update_server.py REPLY...

Listens on 127.0.0.1 and prints "PORT <n>" first. Connection i reads one
request head (at most 16 KiB), prints "REQUEST <hex of the head>" and sends
REPLY i, then closes and prints "DONE <i>". Connections past the last reply
are closed at once. A REPLY is chunks separated by ",", sent one after the
other with a pause between them, so that the client reads them apart:

    <hex>             these bytes
    <count>*<hex>     these bytes <count> times, as one chunk
"""

import asyncio
import sys


class GiveWay:
    """Hands the event loop one turn, without waiting for any time."""

    def __await__(self):
        yield



def chunks(reply):
    out = []
    for part in reply.split(","):
        if "*" in part:
            count, data = part.split("*", 1)
            out.append(bytes.fromhex(data) * int(count))
        else:
            out.append(bytes.fromhex(part))
    return out


async def main():
    replies = [chunks(r) for r in sys.argv[1:]]
    served = 0

    async def handle(reader, writer):
        nonlocal served
        index = served
        served += 1
        try:
            if index >= len(replies):
                return
            head = b""
            while b"\r\n\r\n" not in head and len(head) < 16384:
                chunk = await reader.read(4096)
                if not chunk:
                    break
                head += chunk
            print("REQUEST " + head.hex(), flush=True)
            for i, chunk in enumerate(replies[index]):
                if i > 0:
                    # Each piece leaves on its own: the last one was drained
                    # to the socket, and the loop gets a turn in between.
                    await GiveWay()
                writer.write(chunk)
                await writer.drain()
        except (ConnectionError, OSError):
            pass
        finally:
            writer.close()
            print("DONE %d" % index, flush=True)

    server = await asyncio.start_server(handle, "127.0.0.1", 0)
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    try:
        asyncio.run(main())
    except KeyboardInterrupt:
        pass
