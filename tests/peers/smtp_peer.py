"""SMTP peer for the mail tests: aiosmtpd's SMTP on 127.0.0.1, port 0, the port printed first.

Each accepted message is written to OUT/message-N.eml (the data as received, dots already
removed), OUT/message-N.json (envelope, greeting name, ESMTP or not, login name) and
OUT/message-N.parts.json (headers and parts as Python's email package reads them, payloads as
SHA-256 digests); each connection adds a line to OUT/connections.log.

  --user U --password P   AUTH LOGIN accepts this pair; any other gets 535
  --greet554              greets with 554 instead of 220
  --refuse-rcpt           answers RCPT TO with 550
  --forward-rcpt          answers RCPT TO with 251 (the server forwards the mail) and takes the address
  --size-limit N          aiosmtpd's data_size_limit: a larger message gets 552
  --stall POINT           never answers at POINT: GREETING, HELO, EHLO, AUTH, MAIL, RCPT, DATA or DOT
                          (after the final "."); MESSAGE answers DATA and then stops reading
  --drop-data             closes the connection after the first bytes of the message
"""
import argparse
import asyncio
import email
import email.policy
import hashlib
import json
import os

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword

parser = argparse.ArgumentParser()
parser.add_argument("--out", required=True)
parser.add_argument("--user")
parser.add_argument("--password")
parser.add_argument("--greet554", action="store_true")
parser.add_argument("--refuse-rcpt", action="store_true")
parser.add_argument("--forward-rcpt", action="store_true")
parser.add_argument("--size-limit", type=int, default=0)
parser.add_argument("--stall", default="")
parser.add_argument("--drop-data", action="store_true")
args = parser.parse_args()

FOREVER = 3600


class Handler:
    count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if args.refuse_rcpt:
            return "550 5.1.1 No such user here"
        envelope.rcpt_tos.append(address)
        if args.forward_rcpt:
            return "251 2.1.5 User not local; will forward"
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        if args.stall == "DOT":
            await asyncio.sleep(FOREVER)
        Handler.count += 1
        base = os.path.join(args.out, "message-%d" % Handler.count)
        with open(base + ".eml", "wb") as f:
            f.write(envelope.original_content or envelope.content)
        login = None
        if session.auth_data is not None:
            login = session.auth_data.login.decode("utf-8", "replace")
        with open(base + ".json", "w") as f:
            json.dump({"mail_from": envelope.mail_from, "rcpt_tos": envelope.rcpt_tos,
                       "helo": session.host_name, "esmtp": session.extended_smtp, "login": login}, f)
        with open(base + ".parts.json", "w") as f:
            json.dump(parsed(envelope.original_content or envelope.content), f)
        return "250 Message accepted for delivery"


def parsed(data):
    """What Python's email package reads: decoded headers, and each leaf part with its payload's digest."""
    message = email.message_from_bytes(data, policy=email.policy.default)
    headers = {name: str(message[name]) for name in ("From", "To", "Cc", "Bcc", "Subject", "Date", "Message-ID")
               if message[name] is not None}
    parts = []
    for part in message.walk():
        if part.is_multipart():
            continue
        payload = part.get_payload(decode=True) or b""
        parts.append({"type": part.get_content_type(), "filename": part.get_filename(),
                      "content_id": part["Content-ID"], "sha256": hashlib.sha256(payload).hexdigest(),
                      "text": payload.decode("utf-8", "replace") if part.get_content_maintype() == "text" else None})
    return {"headers": headers, "top": message.get_content_type(), "defects": len(message.defects), "parts": parts}


def authenticator(server, session, envelope, mechanism, auth_data):
    if isinstance(auth_data, LoginPassword) and args.user is not None:
        if auth_data.login.decode() == args.user and auth_data.password.decode() == args.password:
            return AuthResult(success=True, auth_data=auth_data)
    return AuthResult(success=False, handled=False)


class Peer(SMTP):
    async def _handle_client(self):
        with open(os.path.join(args.out, "connections.log"), "a") as log:
            log.write("connection\n")
        if args.greet554:
            await self.push("554 No SMTP service here")
            await self._reader.read()
            return
        if args.stall == "GREETING":
            await asyncio.sleep(FOREVER)
        await super()._handle_client()

    async def smtp_HELO(self, arg):
        if args.stall == "HELO":
            await asyncio.sleep(FOREVER)
        await super().smtp_HELO(arg)

    async def smtp_EHLO(self, arg):
        if args.stall == "EHLO":
            await asyncio.sleep(FOREVER)
        await super().smtp_EHLO(arg)

    async def smtp_AUTH(self, arg):
        if args.stall == "AUTH":
            await asyncio.sleep(FOREVER)
        await super().smtp_AUTH(arg)

    async def smtp_MAIL(self, arg):
        if args.stall == "MAIL":
            await asyncio.sleep(FOREVER)
        await super().smtp_MAIL(arg)

    async def smtp_RCPT(self, arg):
        if args.stall == "RCPT":
            await asyncio.sleep(FOREVER)
        await super().smtp_RCPT(arg)

    async def smtp_DATA(self, arg):
        if args.stall == "DATA":
            await asyncio.sleep(FOREVER)
        if args.stall == "MESSAGE":
            await self.push("354 End data with <CR><LF>.<CR><LF>")
            await asyncio.sleep(FOREVER)
        if args.drop_data:
            await self.push("354 End data with <CR><LF>.<CR><LF>")
            await self._reader.read(64)
            self.transport.close()
            return
        await super().smtp_DATA(arg)


def make():
    return Peer(Handler(), hostname="peer.test", auth_require_tls=False, authenticator=authenticator,
                data_size_limit=args.size_limit or None)


loop = asyncio.new_event_loop()
asyncio.set_event_loop(loop)
server = loop.run_until_complete(loop.create_server(make, "127.0.0.1", 0))
print(server.sockets[0].getsockname()[1], flush=True)
loop.run_forever()
