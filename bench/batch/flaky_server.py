#!/usr/bin/env python3
"""Serves numbered pages on 127.0.0.1, one in twenty failing once for a passing cause.

    flaky_server.py

/pagina/N is a small page saying its number, ending with "Fine pagina.". The first request
for a page whose number is a multiple of 20 is answered 503 with "Retry-After: 1" (N a
multiple of 40) or 502 (the others); every later request gets the page. The port is printed
on the first line of standard output.
"""
import http.server
import re
import sys
import threading

PARAGRAPH = ("Pagina {n}: la città è così bella, disse Niccolò al caffè; 日本語 🙂 perché "
             "la città è più così. ")


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    failed = set()
    lock = threading.Lock()

    def do_GET(self):
        match = re.fullmatch(r"/pagina/(\d+)", self.path)
        if not match:
            self.answer(404, b"")
            return
        n = int(match.group(1))
        with self.lock:
            first = n not in self.failed
            self.failed.add(n)
        if n % 20 == 0 and first:
            self.answer(503 if n % 40 == 0 else 502, b"", n % 40 == 0)
            return
        body = "".join("<p>%s</p>" % (PARAGRAPH.format(n=n) * 4) for _ in range(6))
        html = ("<!DOCTYPE html><html lang='it'><head><meta charset='utf-8'>"
                "<title>Pagina %d</title></head><body><h1>Pagina %d</h1>%s"
                "<p>Fine pagina.</p></body></html>" % (n, n, body))
        self.answer(200, html.encode("utf-8"))

    def answer(self, status, body, retry_after=False):
        self.send_response(status)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        if retry_after:
            self.send_header("Retry-After", "1")
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
