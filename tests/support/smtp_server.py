#!/usr/bin/python3
"""A real SMTP server for the mail tests, on 127.0.0.1.

Each message it accepts is written to the output folder as msg-<n>.json: the envelope sender and
recipients, the raw bytes (base64) and, decoded with Python's email package, the headers, the
subject and the body text. Every AUTH command it receives, whatever becomes of it, adds a line to
auth.jsonl: the mechanism and whether the connection was encrypted by then. Prints the port on
stdout once it accepts connections, then serves until it is killed or its stdin closes.

With --tls it makes a certificate authority and a certificate for 127.0.0.1 signed by it, writes
the authority to ca.pem in the output folder for the client to trust, and speaks TLS: after
STARTTLS (offered, and required before AUTH), or from the first byte ("implicit").
"""

import argparse
import base64
import datetime
import ipaddress
import json
import logging
import os
import socket
import ssl
import sys
import threading
import warnings
from email import policy
from email.parser import BytesParser

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword
from cryptography import x509
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import ec
from cryptography.x509.oid import ExtendedKeyUsageOID, NameOID


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


class RecordingSMTP(SMTP):
    """Notes each AUTH command before aiosmtpd looks at it."""

    def __init__(self, *args, auth_log, **kwargs):
        super().__init__(*args, **kwargs)
        self.auth_log = auth_log

    async def smtp_AUTH(self, arg):
        encrypted = (self._tls_protocol is not None
                     or self.transport.get_extra_info("ssl_object") is not None)
        with open(self.auth_log, "a", encoding="utf-8") as out:
            out.write(json.dumps({"mechanism": (arg or "").split(" ")[0].upper(),
                                  "encrypted": encrypted}) + "\n")
        await super().smtp_AUTH(arg)


class RecordingController(Controller):
    def __init__(self, *args, auth_log, **kwargs):
        super().__init__(*args, **kwargs)
        self.auth_log = auth_log

    def factory(self):
        return RecordingSMTP(self.handler, auth_log=self.auth_log, **self.SMTP_kwargs)


def make_certificates(folder):
    """A certificate authority (ca.pem) and a server certificate for 127.0.0.1 that it signed;
    returns the server's certificate and key files."""
    now = datetime.datetime.now(datetime.timezone.utc)
    valid = (now - datetime.timedelta(hours=1), now + datetime.timedelta(days=1))

    def certificate(subject, issuer, key, signing_key, extensions):
        builder = (x509.CertificateBuilder().subject_name(subject).issuer_name(issuer)
                   .public_key(key.public_key()).serial_number(x509.random_serial_number())
                   .not_valid_before(valid[0]).not_valid_after(valid[1]))
        for extension, critical in extensions:
            builder = builder.add_extension(extension, critical=critical)
        return builder.sign(signing_key, hashes.SHA256())

    ca_key = ec.generate_private_key(ec.SECP256R1())
    ca_name = x509.Name([x509.NameAttribute(NameOID.COMMON_NAME, "Mail test authority")])
    ca = certificate(ca_name, ca_name, ca_key, ca_key, [
        (x509.BasicConstraints(ca=True, path_length=0), True),
        (x509.KeyUsage(digital_signature=True, content_commitment=False, key_encipherment=False,
                       data_encipherment=False, key_agreement=False, key_cert_sign=True,
                       crl_sign=True, encipher_only=False, decipher_only=False), True),
        (x509.SubjectKeyIdentifier.from_public_key(ca_key.public_key()), False),
    ])
    key = ec.generate_private_key(ec.SECP256R1())
    server = certificate(
        x509.Name([x509.NameAttribute(NameOID.COMMON_NAME, "127.0.0.1")]), ca_name, key, ca_key, [
            (x509.SubjectAlternativeName([x509.IPAddress(ipaddress.ip_address("127.0.0.1")),
                                          x509.DNSName("localhost")]), False),
            (x509.ExtendedKeyUsage([ExtendedKeyUsageOID.SERVER_AUTH]), False),
            (x509.AuthorityKeyIdentifier.from_issuer_public_key(ca_key.public_key()), False),
        ])

    def write(name, data):
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)
        return os.path.join(folder, name)

    write("ca.pem", ca.public_bytes(serialization.Encoding.PEM))
    certificate_file = write("server.pem", server.public_bytes(serialization.Encoding.PEM))
    key_file = write("server.key", key.private_bytes(
        serialization.Encoding.PEM, serialization.PrivateFormat.PKCS8,
        serialization.NoEncryption()))
    return certificate_file, key_file


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
    parser.add_argument("--tls", choices=["starttls", "implicit"])
    args = parser.parse_args()
    # aiosmtpd warns about AUTH without TLS and deprecated fields on stderr; the tests know.
    warnings.simplefilter("ignore")
    logging.getLogger("mail.log").setLevel(logging.ERROR)

    options = {}
    if args.user is not None:
        # Without TLS, AUTH has to be allowed in clear; with STARTTLS it is offered only after it.
        # aiosmtpd does not count TLS from the first byte as TLS for AUTH, so there it is allowed.
        options = dict(authenticator=OneUser(args.user, args.password), auth_required=True,
                       auth_require_tls=args.tls == "starttls")
    if args.tls:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(*make_certificates(args.out))
        if args.tls == "starttls":
            options["tls_context"] = context
        else:
            options["ssl_context"] = context
    port = args.port or free_port()
    controller = RecordingController(Recorder(args.out, args.refuse), hostname="127.0.0.1",
                                     port=port, auth_log=os.path.join(args.out, "auth.jsonl"),
                                     **options)
    controller.start()
    print(controller.port, flush=True)
    try:
        sys.stdin.read()  # the test closes stdin, or kills the process
    finally:
        controller.stop()


if __name__ == "__main__":
    main()
