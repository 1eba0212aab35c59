#include "script_pages.h"

#include <QDir>
#include <QFile>

namespace velcaro::bench {
namespace {

// A generator of the same numbers in every run and engine.
constexpr char kRandom[] = R"(
var seed = 12345;
function random() { seed = (seed * 1103515245 + 12345) % 2147483648; return seed / 2147483648; }
var syllables = ['ca', 'ro', 'ma', 'ti', 'ne', 'lo', 'va', 'spe', 'gra', 'zio', 'fu', 'bel'];
function word(n) { var w = ''; for (var i = 0; i < n; i++) w += syllables[Math.floor(random() * syllables.length)]; return w; }
)";

constexpr char kCatalogue[] = R"(
var items = [];
for (var i = 0; i < 20000; i++)
  items.push({name: word(3) + ' ' + word(2), category: word(1), price: Math.floor(random() * 100000) / 100});
items.sort(function (a, b) { return a.price - b.price || (a.name < b.name ? -1 : a.name > b.name ? 1 : 0); });
var byCategory = {};
items.forEach(function (item) { (byCategory[item.category] = byCategory[item.category] || []).push(item); });
var table = document.createElement('table');
Object.keys(byCategory).sort().forEach(function (category) {
  var list = byCategory[category];
  var total = list.reduce(function (sum, item) { return sum + item.price; }, 0);
  var row = table.insertRow();
  row.insertCell().textContent = category;
  row.insertCell().textContent = list.length + ' articoli';
  row.insertCell().textContent = total.toFixed(2) + ' euro';
});
items.slice(0, 1500).forEach(function (item) {
  var row = table.insertRow();
  row.insertCell().textContent = item.name;
  row.insertCell().textContent = item.category;
  row.insertCell().textContent = item.price.toFixed(2);
});
document.body.appendChild(table);
)";

constexpr char kArithmetic[] = R"(
var limit = 3000000, sieve = new Uint8Array(limit), primes = 0, sum = 0;
for (var i = 2; i < limit; i++) {
  if (sieve[i]) continue;
  primes++; sum = (sum + i) % 1000000007;
  for (var j = i * 2; j < limit; j += i) sieve[j] = 1;
}
var longest = 0, start = 0;
for (var n = 1; n < 300000; n++) {
  var steps = 0, x = n;
  while (x !== 1) { x = x % 2 ? 3 * x + 1 : x / 2; steps++; }
  if (steps > longest) { longest = steps; start = n; }
}
var p = document.createElement('p');
p.textContent = 'Numeri primi sotto ' + limit + ': ' + primes + ', somma modulo 1000000007: ' + sum +
  '. La sequenza più lunga sotto 300000 parte da ' + start + ' (' + longest + ' passi).';
document.body.appendChild(p);
)";

constexpr char kMarkup[] = R"(
var source = [];
for (var i = 0; i < 2500; i++) {
  source.push('## ' + word(2) + ' ' + i);
  source.push('Il *' + word(3) + '* e il **' + word(2) + '** vanno a [' + word(2) + '](https://example.org/' + word(1) + ') con `' + word(1) + '` ' + word(4) + ' ' + word(3) + ' ' + word(2) + '.');
  source.push('- ' + word(2) + ' ' + word(3));
  source.push('- ' + word(3) + ' _' + word(2) + '_');
}
var html = source.join('\n').split('\n').map(function (line) {
  line = line.replace(/&/g, '&amp;').replace(/</g, '&lt;');
  line = line.replace(/\*\*([^*]+)\*\*/g, '<b>$1</b>').replace(/\*([^*]+)\*/g, '<i>$1</i>')
             .replace(/_([^_]+)_/g, '<i>$1</i>').replace(/`([^`]+)`/g, '<code>$1</code>')
             .replace(/\[([^\]]+)\]\(([^)]+)\)/g, '<a href="$2">$1</a>');
  var heading = /^(#{1,6}) (.*)$/.exec(line);
  if (heading) return '<h' + heading[1].length + '>' + heading[2] + '</h' + heading[1].length + '>';
  if (/^- /.test(line)) return '<li>' + line.slice(2) + '</li>';
  return '<p>' + line + '</p>';
}).join('\n');
document.body.innerHTML = html;
)";

constexpr char kVirtualTree[] = R"(
function node(tag, text, children) { return {tag: tag, text: text, children: children || []}; }
function render(state) {
  return node('ul', '', state.map(function (entry) { return node('li', entry.name + ': ' + entry.count); }));
}
function patch(element, before, after) {
  if (!before || before.tag !== after.tag) {
    var made = document.createElement(after.tag);
    made.textContent = after.text;
    after.children.forEach(function (child) { patch(made, null, child); });
    if (before) element.replaceChild(made, element.firstChild); else element.appendChild(made);
    return;
  }
}
function diff(element, before, after) {
  for (var i = 0; i < after.children.length; i++) {
    var child = element.children[i];
    if (!before.children[i] || before.children[i].text !== after.children[i].text)
      child.textContent = after.children[i].text;
  }
}
var state = [];
for (var i = 0; i < 500; i++) state.push({name: word(2), count: 0});
var tree = render(state);
var root = document.createElement('div');
document.body.appendChild(root);
patch(root, null, tree);
for (var round = 0; round < 400; round++) {
  state = state.map(function (entry, index) {
    return {name: entry.name, count: entry.count + (index * round) % 7};
  });
  var next = render(state);
  diff(root.firstChild, tree, next);
  tree = next;
}
)";

constexpr char kWebAssembly[] = R"(
var text;
try {
  var bytes = new Uint8Array([0,97,115,109,1,0,0,0,1,7,1,96,2,127,127,1,127,3,2,1,0,7,7,1,3,97,100,
                              100,0,0,10,9,1,7,0,32,0,32,1,106,11]);
  var add = new WebAssembly.Instance(new WebAssembly.Module(bytes)).exports.add;
  text = 'WebAssembly: ' + add(40, 2);
} catch (e) {
  text = 'WebAssembly non disponibile';
}
var p = document.createElement('p');
p.textContent = text;
document.body.appendChild(p);
)";

constexpr char kEngineCheck[] = R"(
var canvas = document.createElement('canvas');
document.title = 'wasm=' + typeof WebAssembly + ' webgl=' + !!canvas.getContext('webgl');
)";

QString writePage(const QString& folder, const QString& name, const char* script,
                  const char* prefix = kRandom) {
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(QByteArray("<!DOCTYPE html><html lang=\"it\"><head><meta charset=\"utf-8\">"
                              "<title>") +
                   name.toUtf8() + "</title></head><body><script>" + prefix + script +
                   "</script></body></html>");
    return path;
}

} // namespace

QStringList writeScriptPages(const QString& folder) {
    return {writePage(folder, QStringLiteral("catalogo.html"), kCatalogue),
            writePage(folder, QStringLiteral("calcolo.html"), kArithmetic),
            writePage(folder, QStringLiteral("marcatura.html"), kMarkup),
            writePage(folder, QStringLiteral("albero.html"), kVirtualTree)};
}

QString writeWebAssemblyPage(const QString& folder) {
    return writePage(folder, QStringLiteral("webassembly.html"), kWebAssembly, "");
}

QString writeEngineCheckPage(const QString& folder) {
    return writePage(folder, QStringLiteral("motore.html"), kEngineCheck, "");
}

} // namespace velcaro::bench
