#!/usr/bin/env python3
"""Serves saved pages at their own addresses, as the proxy of a browser.

    serve_pages.py PAGES.json CERT KEY

PAGES.json maps each page's address ("https://host/path?query") to the saved file. The
browser is told to use 127.0.0.1:PORT as its proxy (and to accept any certificate): an http
request comes with its whole address, an https one as a tunnel (CONNECT), which is answered
in TLS with CERT and KEY. The address asked for gets its page; addresses are compared with
their host in ASCII (IDNA) and their path and query percent-decoded, so that a page saved at
an address with non-ASCII letters or %-escapes is found however the browser writes it. A page
that sends the browser on to another address at once (a script's redirect, a form) gets 204
No Content, on which the browser stays on the page, as it stays on the saved page here: the
page it was sent to was not saved. An https tunnel to a host whose pages were saved over http
is refused. Anything else (the page's images, scripts, styles, frames) gets an empty 404, so
nothing leaves this machine. The port is printed on the first line of standard output.
"""
import http.server
import json
import socketserver
import ssl
import sys
import urllib.parse


def ascii_host(host):
    try:
        return host.encode("idna").decode("ascii").lower()
    except UnicodeError:
        return host.lower()


def address_key(address):
    """The address as pages are looked up: default port dropped, host in ASCII, path and query
    percent-decoded."""
    parts = urllib.parse.urlsplit(address)
    netloc = ascii_host(parts.hostname or "")
    if parts.port not in (None, 80, 443):
        netloc += ":%d" % parts.port
    path = urllib.parse.unquote(parts.path) or "/"
    return urllib.parse.urlunsplit((parts.scheme, netloc, path,
                                    urllib.parse.unquote(parts.query), ""))


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    tunnel_host = None

    def do_CONNECT(self):
        host = ascii_host(self.path.rsplit(":", 1)[0])
        # A site saved only over http refuses https, as such a site does: a browser that tries
        # https first then goes back to the address it was given.
        if host not in self.server.https_hosts:
            self.send_response(502)
            self.send_header("Content-Length", "0")
            self.end_headers()
            self.close_connection = True
            return
        self.send_response(200)
        self.end_headers()
        self.wfile.flush()
        self.connection = self.server.tls.wrap_socket(self.connection, server_side=True)
        self.rfile = self.connection.makefile("rb")
        self.wfile = self.connection.makefile("wb", buffering=0)
        self.tunnel_host = host
        self.close_connection = False

    def do_GET(self):
        if self.tunnel_host is not None:
            address = "https://%s%s" % (self.headers.get("Host", self.tunnel_host), self.path)
        else:
            address = self.path
        path = self.server.pages.get(address_key(address))
        length = int(self.headers.get("Content-Length") or 0)
        if length:
            self.rfile.read(length)
        body = b""
        if path:
            with open(path, "rb") as f:
                body = f.read()
            status = 200
        elif (self.headers.get("Sec-Fetch-Mode") == "navigate"
              and self.headers.get("Sec-Fetch-Dest") == "document"):
            status = 204
        else:
            status = 404
        self.send_response(status)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        if status != 204:
            self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    do_POST = do_GET

    def log_message(self, *args):
        pass


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True


def main():
    pages_file, cert, key = sys.argv[1:4]
    server = Server(("127.0.0.1", 0), Handler)
    with open(pages_file, encoding="utf-8") as f:
        server.pages = {address_key(a): p for a, p in json.load(f).items()}
    server.https_hosts = {urllib.parse.urlsplit(a).hostname for a in server.pages
                          if a.startswith("https:")}
    server.tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    server.tls.load_cert_chain(cert, key)
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
