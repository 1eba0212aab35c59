#!/usr/bin/env node
// The scripted browser the batch capture is measured against: headless Chromium driven by
// puppeteer-core with TABS tabs, each taking the next address, waiting for its load and
// 300 ms more, and writing `document.body.innerText` to OUT/<name>.txt. A tab keeps its page
// from one address to the next, as such scripts do; with --context-per-page each address
// gets a new incognito context instead, so that nothing of one page reaches the next, as in
// `velcaro --capture`. --proxy PORT sends every request to the proxy on 127.0.0.1:PORT,
// whose certificates it accepts. --copy writes the browser's own copy instead of innerText:
// the page laid out as wide as velcaro lays it out, focused, its focused element blurred,
// select all and copy pressed as editing commands, and the clipboard read back; the one
// clipboard is taken by one tab at a time.
// Each line of standard input is an address, or an address, a tab character and the file name
// to write its text to (the last part of its path with ".txt" by default).
// usage: node scripted_browser.js CHROMIUM TABS OUT [--context-per-page] [--proxy PORT]
//        [--copy] < addresses
// Prints "pages N failed F seconds S" when every address is done; exits 1 if one failed.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');

const kPageArea = { width: 792, height: 520 };
const kCopyWaitMs = 5000;

// The one clipboard, lent to one copy at a time.
let clipboardTurn = Promise.resolve();
function withClipboard(work) {
  const turn = clipboardTurn.then(work);
  clipboardTurn = turn.catch(() => {});
  return turn;
}

async function copyOf(page) {
  const cdp = await page.createCDPSession();
  try {
    await cdp.send('Emulation.setFocusEmulationEnabled', { enabled: true });
    await page.evaluate(() => document.activeElement && document.activeElement.blur());
    return await withClipboard(async () => {
      await page.evaluate(() => navigator.clipboard.writeText(''));
      for (const command of ['selectAll', 'copy'])
        await cdp.send('Input.dispatchKeyEvent', { type: 'rawKeyDown', commands: [command] });
      const started = Date.now();
      for (;;) {
        const text = await page.evaluate(() => navigator.clipboard.readText());
        if (text || Date.now() - started > kCopyWaitMs) return text;
        await new Promise((resolve) => setTimeout(resolve, 25));
      }
    });
  } finally {
    await cdp.detach();
  }
}

async function main() {
  const [chromium, tabs, out, ...options] = process.argv.slice(2);
  const contextPerPage = options.includes('--context-per-page');
  const copy = options.includes('--copy');
  const proxy = options.includes('--proxy') ? options[options.indexOf('--proxy') + 1] : null;
  const flags = ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking'];
  if (proxy) flags.push(`--proxy-server=http://127.0.0.1:${proxy}`, '--ignore-certificate-errors');
  const addresses = fs.readFileSync(0, 'utf8').split('\n').filter((line) => line)
    .map((line) => line.split('\t'));
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'scripted-browser-'));
  const started = process.hrtime.bigint();
  const browser = await puppeteer.launch({
    executablePath: chromium, headless: true, userDataDir: profile,
    args: flags,
  });
  let next = 0;
  let failed = 0;
  async function tab() {
    let page = contextPerPage ? null : await browser.newPage();
    while (next < addresses.length) {
      const [address, named] = addresses[next++];
      const context = contextPerPage ? await browser.createBrowserContext() : null;
      if (context) page = await context.newPage();
      try {
        if (copy) {
          await page.setViewport(kPageArea);
          await page.browserContext().overridePermissions(new URL(address).origin,
            ['clipboard-read', 'clipboard-write', 'clipboard-sanitized-write']);
        }
        await page.goto(address, { waitUntil: 'load', timeout: 30000 });
        await new Promise((resolve) => setTimeout(resolve, 300));
        const text = copy ? await copyOf(page)
                          : await page.evaluate(() => document.body.innerText);
        const name = named ||
          (path.basename(new URL(address).pathname).replace(/\.[^.]*$/, '') || 'index') + '.txt';
        fs.writeFileSync(path.join(out, name), text);
      } catch (e) {
        ++failed;
        console.error(`${address}: ${e.message}`);
      }
      if (context) await context.close();
    }
    if (!contextPerPage) await page.close();
  }
  await Promise.all(Array.from({ length: Number(tabs) }, tab));
  await browser.close();
  fs.rmSync(profile, { recursive: true, force: true });
  const seconds = Number(process.hrtime.bigint() - started) / 1e9;
  console.log(`pages ${addresses.length - failed} failed ${failed} seconds ${seconds.toFixed(2)}`);
  process.exit(failed ? 1 : 0);
}

main().catch((e) => {
  console.error(e.message);
  process.exit(1);
});
