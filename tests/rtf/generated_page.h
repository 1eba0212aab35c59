#pragma once

#include <QByteArray>
#include <cstdint>

namespace velcaro::rtf::test {

// A longer page of pseudo-random content from `seed`: nested blocks, inline formatting, lists,
// a table, entities and odd white space, so that a comparison with the engine's copy covers
// more than the fixtures.
QByteArray generatedPage(uint32_t seed);

} // namespace velcaro::rtf::test
