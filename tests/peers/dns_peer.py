"""DNS peer for the MX lookup tests: UDP on 127.0.0.1, port 0, the port printed first.

Answers every query with the canned reply of --mode, built around the query's identifier and
question; each queried name is appended to --log.

  two-mx             MX 20 mx2.<name> and MX 10 mx1.<name>, names compressed
  two-mx-plain       the same without compression
  equal              MX 10 first.<name> and MX 10 second.<name>
  high-first         MX 65535 backup.<name>, then MX 10 main.<name>
  cname-first        a CNAME answer, then MX 10 mx.<name>
  none               no answer
  nxdomain           the "no such name" error
  truncated          two-mx cut short inside its last answer
  loop               an MX whose exchange name points at itself
  wrong-id           two-mx with another identifier
  other-sender       two-mx sent from another port
  silent             no reply at all
  base-only          MX 5 mx.example.com for example.com, no answer for anything else
  localhost          MX 10 localhost
"""
import argparse
import socket
import struct

parser = argparse.ArgumentParser()
parser.add_argument("--mode", required=True)
parser.add_argument("--log", required=True)
args = parser.parse_args()


def encode(name):
    return b"".join(bytes([len(p)]) + p.encode() for p in name.split(".") if p) + b"\0"


def question_of(query):
    at = 12
    labels = []
    while query[at]:
        labels.append(query[at + 1:at + 1 + query[at]].decode())
        at += 1 + query[at]
    return ".".join(labels), query[12:at + 5]


def record(owner, rtype, rdata):
    return owner + struct.pack(">HHIH", rtype, 1, 300, len(rdata)) + rdata


def mx(preference, exchange):
    return struct.pack(">H", preference) + exchange


def reply(query, mode):
    ident = query[:2]
    name, question = question_of(query)
    rcode = 0
    answers = []
    here = b"\xc0\x0c"  # the question's name
    if mode in ("two-mx", "truncated", "wrong-id", "other-sender"):
        answers = [record(here, 15, mx(20, b"\x03mx2" + here)), record(here, 15, mx(10, b"\x03mx1" + here))]
    elif mode == "two-mx-plain":
        answers = [record(encode(name), 15, mx(20, encode("mx2." + name))),
                   record(encode(name), 15, mx(10, encode("mx1." + name)))]
    elif mode == "equal":
        answers = [record(here, 15, mx(10, b"\x05first" + here)), record(here, 15, mx(10, b"\x06second" + here))]
    elif mode == "high-first":
        answers = [record(here, 15, mx(65535, b"\x06backup" + here)), record(here, 15, mx(10, b"\x04main" + here))]
    elif mode == "cname-first":
        answers = [record(here, 5, encode("alias." + name)), record(here, 15, mx(10, b"\x02mx" + here))]
    elif mode == "nxdomain":
        rcode = 3
    elif mode == "loop":
        # The exchange name starts after the header, the question, the owner pointer, ten bytes of
        # type, class, time and length, and two bytes of preference.
        start = 12 + len(question) + 2 + 10 + 2
        answers = [record(here, 15, mx(10, struct.pack(">H", 0xC000 | start)))]
    elif mode == "localhost":
        answers = [record(here, 15, mx(10, encode("localhost")))]
    elif mode == "base-only" and name == "example.com":
        answers = [record(here, 15, mx(5, encode("mx.example.com")))]
    if mode == "wrong-id":
        ident = bytes([ident[0] ^ 0xFF, ident[1]])
    header = ident + struct.pack(">BBHHHH", 0x81, 0x80 | rcode, 1, len(answers), 0, 0)
    data = header + question + b"".join(answers)
    return data[:-5] if mode == "truncated" else data


server = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
server.bind(("127.0.0.1", 0))
other = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
other.bind(("127.0.0.1", 0))
print(server.getsockname()[1], flush=True)
while True:
    query, sender = server.recvfrom(2048)
    with open(args.log, "a") as log:
        log.write(question_of(query)[0] + "\n")
    if args.mode == "silent":
        continue
    (other if args.mode == "other-sender" else server).sendto(reply(query, args.mode), sender)
