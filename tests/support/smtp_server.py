#!/usr/bin/python3
"""A real SMTP server for the mail tests, on 127.0.0.1.

Each message it accepts is written to the output folder as msg-<n>.json: the envelope sender and
recipients, the raw bytes (base64) and, decoded with Python's email package, the headers, the
subject and the body text. Prints the port on stdout once it accepts connections, then serves
until it is killed or its stdin closes.
"""

import argparse
import base64
import json
import logging
import os
import socket
import sys
import threading
import warnings
from email import policy
from email.parser import BytesParser

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


class Recorder:
    def __init__(self, folder, refuse):
        self.folder = folder
        self.refuse = {address.lower() for address in refuse}
        self.count = 0
        self.lock = threading.Lock()

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.lower() in self.refuse:
            return f"550 5.1.1 <{address}>: Recipient address rejected"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        raw = envelope.original_content or envelope.content
        message = BytesParser(policy=policy.default).parsebytes(raw)
        body = message.get_body(preferencelist=("html", "plain"))
        record = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "raw": base64.b64encode(raw).decode("ascii"),
            "headers": [[name, str(value)] for name, value in message.items()],
            "subject": str(message["subject"] or ""),
            "from": str(message["from"] or ""),
            "body": body.get_content() if body is not None else "",
            "authenticated": bool(session.authenticated),
        }
        with self.lock:
            self.count += 1
            name = os.path.join(self.folder, f"msg-{self.count}.json")
        # Written under another name first, so that a reader never sees half a file.
        with open(name + ".part", "w", encoding="utf-8") as out:
            json.dump(record, out)
        os.replace(name + ".part", name)
        return "250 Message accepted"


class OneUser:
    def __init__(self, user, password):
        self.user = user.encode()
        self.password = password.encode()

    def __call__(self, server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword) and auth_data.login == self.user
              and auth_data.password == self.password)
        # Not handled: aiosmtpd then answers a refusal with 535 itself.
        return AuthResult(success=ok, handled=ok)


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--out", required=True)
    parser.add_argument("--user")
    parser.add_argument("--password", default="")
    parser.add_argument("--refuse", action="append", default=[])
    args = parser.parse_args()
    # aiosmtpd warns about AUTH without TLS and deprecated fields on stderr; the tests know.
    warnings.simplefilter("ignore")
    logging.getLogger("mail.log").setLevel(logging.ERROR)

    options = {}
    if args.user is not None:
        # The test server has no TLS, so plain AUTH has to be allowed without it.
        options = dict(authenticator=OneUser(args.user, args.password), auth_required=True,
                       auth_require_tls=False)
    port = args.port or free_port()
    controller = Controller(Recorder(args.out, args.refuse), hostname="127.0.0.1", port=port,
                            **options)
    controller.start()
    print(controller.port, flush=True)
    try:
        sys.stdin.read()  # the test closes stdin, or kills the process
    finally:
        controller.stop()


if __name__ == "__main__":
    main()
