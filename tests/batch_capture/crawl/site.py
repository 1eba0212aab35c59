#!/usr/bin/env python3
"""A small site for the crawl tests, on 127.0.0.1.

site.py FOLDER: serves the site, writes its port to FOLDER/port once it listens and each
request's path, one a line, to FOLDER/requests. /docs/hold.html answers only once the file
FOLDER/release exists. /docs/doc.pdf is FOLDER/doc.pdf.
"""

import http.server
import os
import sys
import time

FOLDER = sys.argv[1]
HEAD = '<!DOCTYPE html><html><head><meta charset="utf-8"><title>{title}</title>{head}</head><body>'


def page(title, body, head=''):
    return (HEAD.format(title=title, head=head) + body + '</body></html>').encode()


def links(*hrefs):
    return ''.join('<p><a href="{0}">{0}</a></p>'.format(h) for h in hrefs)


INDEX = page('Indice', '<h1>Indice della guida</h1>' + links(
    'a.html', './a.html#sopra', '/docs/./x/../a.html', '/docs/%61.html', 'redirect.html',
    'b.html', '../outside.html', 'trap?n=1', 'deep/1.html', 'seg/seg/seg/x.html',
    'challenge.html', 'doc.pdf', 'image.png', 'javascript:alert(1)', 'data:text/html,ciao',
    'file:///etc/passwd', 'mailto:a@example.org', 'loop.html', 'dup.html', 'canon.html',
    'private/p.html', 'hold.html'), '<link rel="next" href="next.html">')

PAGES = {
    '/docs/index.html': INDEX,
    '/docs/a.html': page('A', '<p>Pagina A: caffè e perché.</p>' + links('index.html?', 'index.html')),
    '/docs/dup.html': page('A', '<p>Pagina A: caffè e perché.</p>' + links('index.html?', 'index.html')),
    '/docs/b.html': page('B', '<p>Pagina B.</p>' + links('c.html')),
    '/docs/c.html': page('C', '<p>Pagina C.</p>'),
    '/docs/canon.html': page('Canon', '<p>La stessa pagina di C, sotto un altro nome.</p>',
                             '<link rel="canonical" href="/docs/c.html">'),
    '/docs/next.html': page('Dopo', '<p>La pagina seguente.</p>'),
    '/docs/from-sitemap.html': page('Sitemap', '<p>Solo nella sitemap.</p>'),
    '/docs/private/p.html': page('Privata', '<p>Vietata dal robots.txt.</p>'),
    '/docs/hold.html': page('Attesa', '<p>Una pagina lenta.</p>'),
    '/docs/seg/seg/seg/x.html': page('Trappola', '<p>Mai presa.</p>'),
    '/outside.html': page('Fuori', '<p>Fuori ambito.</p>'),
}

ROBOTS = b'User-agent: *\nDisallow: /docs/private/\nSitemap: /sitemap.xml\n'
SITEMAP = ('<?xml version="1.0" encoding="UTF-8"?>'
           '<urlset xmlns="http://www.sitemaps.org/schemas/sitemap/0.9">'
           '<url><loc>http://127.0.0.1:{port}/docs/from-sitemap.html</loc></url>'
           '<url><loc>http://127.0.0.1:{port}/docs/a.html</loc></url>'
           '<url><loc>http://127.0.0.1:{port}/other/x.html</loc></url></urlset>')
CHALLENGE = page('Just a moment...', '<div id="challenge-form"><p>Checking your browser before '
                 'accessing the site.</p></div>')


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def send(self, status, body, kind='text/html; charset=utf-8', headers=()):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header('Content-Type', kind)
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        if self.command != 'HEAD':
            self.wfile.write(body)

    def do_HEAD(self):
        self.do_GET()

    def do_GET(self):
        path = self.path
        with open(os.path.join(FOLDER, 'requests'), 'a') as log:
            log.write(path + '\n')
        if path == '/docs/hold.html':
            for _ in range(1200):
                if os.path.exists(os.path.join(FOLDER, 'release')):
                    break
                time.sleep(0.05)
        if path.startswith('/docs/trap?n='):
            n = int(path.split('=')[1])
            body = page('Calendario %d' % n, '<p>Mese %d</p>' %
                        n + links(*('trap?n=%d' % (n + k) for k in range(1, 11))))
            self.send(200, body)
        elif path.startswith('/docs/deep/'):
            n = int(path[len('/docs/deep/'):].split('.')[0])
            self.send(200, page('Livello %d' % n, '<p>Livello %d</p>' % n + links('%d.html' % (n + 1))))
        elif path == '/docs/redirect.html':
            self.send(302, b'', headers=[('Location', '/docs/b.html')])
        elif path in ('/docs/loop.html', '/docs/loop2.html'):
            other = '/docs/loop2.html' if path == '/docs/loop.html' else '/docs/loop.html'
            self.send(302, b'', headers=[('Location', other)])
        elif path == '/docs/challenge.html':
            self.send(403, CHALLENGE)
        elif path == '/docs/doc.pdf':
            with open(os.path.join(FOLDER, 'doc.pdf'), 'rb') as pdf:
                self.send(200, pdf.read(), 'application/pdf')
        elif path == '/robots.txt':
            self.send(200, ROBOTS, 'text/plain')
        elif path == '/sitemap.xml':
            self.send(200, SITEMAP.format(port=self.server.server_port).encode(), 'application/xml')
        elif path in PAGES:
            self.send(200, PAGES[path])
        else:
            self.send(404, page('Assente', '<p>Pagina assente.</p>'))


server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
with open(os.path.join(FOLDER, 'port.tmp'), 'w') as f:
    f.write(str(server.server_port))
os.rename(os.path.join(FOLDER, 'port.tmp'), os.path.join(FOLDER, 'port'))
server.serve_forever()
