#include "batch_capture/sitemap_reader.h"

#include <QUrl>
#include <algorithm>
#include <libxml/parser.h>
#include <zlib.h>

namespace velcaro {
namespace {

// The XML of a gzip file, each of its members in turn.
QByteArray gunzip(const QByteArray& body, QString* problem) {
    z_stream stream{};
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) {
        *problem = QStringLiteral("decompressione impossibile");
        return {};
    }
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.constData()));
    stream.avail_in = static_cast<uInt>(body.size());
    QByteArray xml;
    char buffer[65536];
    for (;;) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        const int status = inflate(&stream, Z_NO_FLUSH);
        xml.append(buffer, static_cast<qsizetype>(sizeof buffer - stream.avail_out));
        if (xml.size() > SitemapReader::kMaxBytes) {
            *problem =
                QStringLiteral("più di %1 MB decompressi").arg(SitemapReader::kMaxBytes >> 20);
            break;
        }
        if (status == Z_STREAM_END && stream.avail_in == 0)
            break;
        if (status == Z_STREAM_END) {
            inflateReset(&stream);
        } else if (status == Z_BUF_ERROR && stream.avail_in == 0) {
            *problem = QStringLiteral("file gzip troncato");
            break;
        } else if (status != Z_OK) {
            *problem = QStringLiteral("file gzip non valido");
            break;
        }
    }
    inflateEnd(&stream);
    return xml;
}

struct Reading {
    enum class Root { Unknown, UrlSet, Index };

    SitemapContent* content = nullptr;
    xmlParserCtxtPtr parser = nullptr;
    Root root = Root::Unknown;
    int depth = 0;
    // The element open at depth 2 is an entry: a url of a urlset, a sitemap of an index.
    bool inEntry = false;
    bool inLoc = false;
    QByteArray loc;

    void stop(const QString& problem) {
        if (content->problem.isEmpty())
            content->problem = problem;
        xmlStopParser(parser);
    }
};

bool named(const xmlChar* name, const char* expected) {
    return xmlStrEqual(name, reinterpret_cast<const xmlChar*>(expected));
}

void onStart(void* context, const xmlChar* name, const xmlChar*, const xmlChar*, int,
             const xmlChar**, int, int, const xmlChar**) {
    auto& reading = *static_cast<Reading*>(context);
    ++reading.depth;
    if (reading.depth == 1) {
        if (named(name, "urlset"))
            reading.root = Reading::Root::UrlSet;
        else if (named(name, "sitemapindex"))
            reading.root = Reading::Root::Index;
        else
            reading.stop(QStringLiteral("non è una sitemap (elemento radice %1)")
                             .arg(QString::fromUtf8(reinterpret_cast<const char*>(name))));
    } else if (reading.depth == 2) {
        reading.inEntry = named(name, reading.root == Reading::Root::UrlSet ? "url" : "sitemap");
    } else if (reading.depth == 3 && reading.inEntry && named(name, "loc")) {
        reading.inLoc = true;
        reading.loc.clear();
    }
}

void onEnd(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
    auto& reading = *static_cast<Reading*>(context);
    if (reading.depth-- != 3 || !reading.inLoc)
        return;
    reading.inLoc = false;
    const QString address = QString::fromUtf8(reading.loc).trimmed();
    const QUrl url(address);
    const bool web = url.scheme() == u"http" || url.scheme() == u"https";
    if (!url.isValid() || !web || url.host().isEmpty() ||
        reading.loc.size() > SitemapReader::kMaxAddressLength)
        return;
    SitemapContent& content = *reading.content;
    if (content.pages.size() + content.sitemaps.size() == SitemapReader::kMaxAddresses) {
        reading.stop(QStringLiteral("più di %1 indirizzi").arg(SitemapReader::kMaxAddresses));
        return;
    }
    (reading.root == Reading::Root::UrlSet ? content.pages : content.sitemaps) << address;
}

void onText(void* context, const xmlChar* text, int length) {
    auto& reading = *static_cast<Reading*>(context);
    if (reading.inLoc && reading.loc.size() <= SitemapReader::kMaxAddressLength)
        reading.loc.append(reinterpret_cast<const char*>(text), length);
}

void onDocumentType(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
    static_cast<Reading*>(context)->stop(
        QStringLiteral("la sitemap ha una dichiarazione di tipo di documento, non letta"));
}

// Only a fatal error ends the reading: a namespace error, for one, leaves the file readable.
void onError(void* context, xmlErrorPtr error) {
    auto& reading = *static_cast<Reading*>(context);
    if (reading.content->problem.isEmpty() && error->level == XML_ERR_FATAL)
        reading.content->problem = QStringLiteral("XML non valido alla riga %1: %2")
                                       .arg(error->line)
                                       .arg(QString::fromUtf8(error->message).trimmed());
}

} // namespace

SitemapContent SitemapReader::read(const QByteArray& body) {
    SitemapContent content;
    if (body.size() > kMaxBytes) {
        content.problem = QStringLiteral("più di %1 MB").arg(kMaxBytes >> 20);
        return content;
    }
    const bool gzip = body.startsWith("\x1f\x8b");
    const QByteArray xml = gzip ? gunzip(body, &content.problem) : body;
    if (!content.problem.isEmpty())
        return content;

    xmlSAXHandler sax{};
    sax.initialized = XML_SAX2_MAGIC;
    sax.startElementNs = onStart;
    sax.endElementNs = onEnd;
    sax.characters = onText;
    sax.cdataBlock = onText;
    sax.internalSubset = onDocumentType;
    sax.serror = onError;
    Reading reading;
    reading.content = &content;
    reading.parser = xmlCreatePushParserCtxt(&sax, &reading, nullptr, 0, nullptr);
    if (!reading.parser) {
        content.problem = QStringLiteral("lettura XML impossibile");
        return content;
    }
    // No network, no external document type, no entity substitution, no lifted limits.
    xmlCtxtUseOptions(reading.parser, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    // Fed in slices, so that a refused file is left at once.
    constexpr qsizetype kSlice = 1 << 16;
    for (qsizetype at = 0; at < xml.size() && content.problem.isEmpty(); at += kSlice)
        xmlParseChunk(reading.parser, xml.constData() + at,
                      static_cast<int>(std::min(kSlice, xml.size() - at)), 0);
    if (content.problem.isEmpty())
        xmlParseChunk(reading.parser, nullptr, 0, 1);
    xmlFreeParserCtxt(reading.parser);
    return content;
}

} // namespace velcaro
