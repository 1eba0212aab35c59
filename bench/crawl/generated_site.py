#!/usr/bin/env python3
"""Serves a generated site of numbered pages on 127.0.0.1 for the crawl benchmark.

    generated_site.py PAGES

/sito/p/N.html (N from 0 to PAGES - 1) is a small page of its own text linking, as a tree, to
pages 4N+1 to 4N+4, and to variants of pages already linked (a fragment, a "." segment, an
empty query, the default port), to a calendar (/sito/p/calendario?giorno=D, each day linking
to the next ten: a link trap), to pages out of scope (/altrove/) and to an image. The port is
printed on the first line of standard output.
"""
import http.server
import re
import sys

PAGES = int(sys.argv[1])
PARAGRAPH = "Pagina {n}: la città è così bella, disse Niccolò al caffè; 日本語 🙂 perché. "


def link(href):
    return '<a href="%s">%s</a> ' % (href, href)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        page = re.fullmatch(r"/sito/p/(\d+)\.html", self.path)
        day = re.fullmatch(r"/sito/p/calendario\?giorno=(\d+)", self.path)
        if page and int(page.group(1)) < PAGES:
            n = int(page.group(1))
            children = [c for c in range(4 * n + 1, 4 * n + 5) if c < PAGES]
            links = [link("%d.html" % c) for c in children]
            links += [link("./%d.html#sezione" % c) for c in children[:1]]
            links += [link("/sito/p/./x/../%d.html" % c) for c in children[1:2]]
            links += [link("%d.html?" % c) for c in children[2:3]]
            links += [link("http://127.0.0.1:%d/sito/p/%d.html" % (self.server.server_port, n))]
            links += [link("calendario?giorno=%d" % (n * 7)), link("/altrove/%d.html" % n),
                      link("img/%d.png" % n)]
            body = "<p>%s</p><p>%s</p>" % (PARAGRAPH.format(n=n) * 5, "".join(links))
            self.page("Pagina %d" % n, body)
        elif day:
            d = int(day.group(1))
            links = "".join(link("calendario?giorno=%d" % (d + k)) for k in range(1, 11))
            self.page("Giorno %d" % d, "<p>Il giorno %d.</p><p>%s</p>" % (d, links))
        else:
            self.answer(404, b"")

    def page(self, title, body):
        html = ("<!DOCTYPE html><html lang='it'><head><meta charset='utf-8'><title>%s</title>"
                "</head><body><h1>%s</h1>%s</body></html>" % (title, title, body))
        self.answer(200, html.encode("utf-8"))

    def answer(self, status, body):
        self.send_response(status)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
