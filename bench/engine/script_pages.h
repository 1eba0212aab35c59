#pragma once

#include <QString>
#include <QStringList>

namespace velcaro::bench {

// Pages whose text their own scripts make at load, each a kind of work that runs slower
// without the JIT: a catalogue built and sorted into a table, arithmetic (primes, sequences),
// a markup renderer of regular expressions over 300 KB of text, a list rendered again and
// again through a virtual tree. Their text is the same whatever the engine's speed.
// Written into `folder`; returns their paths.
QStringList writeScriptPages(const QString& folder);

// A page that says in its text whether WebAssembly runs ("WebAssembly: 42") or not.
QString writeWebAssemblyPage(const QString& folder);

// A page whose title says what the engine allows: "wasm=object webgl=true".
QString writeEngineCheckPage(const QString& folder);

} // namespace velcaro::bench
