#pragma once

#include "platform/capture_engine.h"

#include <QString>
#include <QVariant>

namespace velcaro::page_scripts {

// The scripts a capture runs in a page, in a script world of the program's own that the page's
// scripts can neither see nor alter; the same for every engine.

// Run at the creation of every document and frame, before the page's scripts: the page's copy
// and selection-start handlers never run, so a copy gives the selected text as the engine
// copies it, never the page's replacement (a text cut short, an address added, nothing at
// all), and a page that refuses to be selected is selected all the same.
QString copyKeeper();

// Takes the focus from the focused element (a field, a text area, an editable block, or a
// frame, which keeps the focus of its own fields) and drops a selection left inside it, so
// that select-all selects the page and not the inside of that element; answers with what a
// copy of the page has to walk: [the length of its text (0 when the page is hidden as a whole),
// its elements].
QString releaseFocus();

// The main-text finder: defines `velcaroMainText`, whose find() gives the number of ranges of
// the main text (0 when none stands out) and select(i) selects range i (false when it shows no
// text, a range the copy then skips).
QString mainTextFinder();

// The document's language: its root element's lang attribute, or an empty text.
QString documentLanguage();
// Whether the page shows any text: its body's rendered text has a character that is not space.
QString showsText();

// What the page links to and what marks it as a wall (see PageLinks), as one JSON text: its
// links' addresses as the page resolves them, each once, at most PageLinks::kMaxLinks.
QString pageLinks();
// The answer of pageLinks() read; a page that gave none has none.
PageLinks readPageLinks(const QVariant& answer);
// The wait for pageLinks(): a page too busy to answer in that time has no links to give.
constexpr int kLinksWaitMs = 5000;

// The wait for an engine's copy of a page that releaseFocus() measured as `measures`: sized by
// what the engine walks (see kCopyBaseWaitMs), at most kCopyMaxWaitMs.
int copyWaitMs(const QVariant& measures);
// Whether the measured page has text to copy; a page that did not answer is busy, not empty.
bool measuredText(const QVariant& measures);

// The copy's wait: a base, one more millisecond per kCharsPerMs characters of text, per
// kElementsPerMs elements, and per kElementsSquaredPerMs of their number squared (the engine's
// copy grows faster than the elements: 10,000 nested blocks took 3.9 s, 20,000 17.6 s, 30,000
// 42 s, 300,000 spans side by side 21 s; the terms leave a margin of three or more for a busy
// machine), and a ceiling.
constexpr int kCopyBaseWaitMs = 5000;
constexpr int kCharsPerMs = 250;
constexpr int kElementsPerMs = 5;
constexpr int kElementsSquaredPerMs = 8000;
constexpr int kCopyMaxWaitMs = 120000;

// The capture's wait for the answer to releaseFocus(): a page that has not answered in this
// time is taken as too busy to copy.
constexpr int kMeasureWaitMs = 5000;

// The main-text finder names at most this many ranges (MAX_RANGES in main_text_finder.js):
// the ranges beyond it would not be copied.
constexpr int kMaxMainRanges = 64;

// The wait for the page's language or whether it shows text; a page too busy to answer in
// that time has none to tell.
constexpr int kFactsWaitMs = 2000;
// A language tag is short; the page chooses the attribute's text, of which this much is kept.
constexpr int kMaxLangChars = 64;

} // namespace velcaro::page_scripts
