#include "batch_capture/page_record.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace velcaro {
namespace {

QString wellFormed(QString text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

} // namespace

QByteArray recordLine(const PageRecord& record) {
    QJsonObject object{
        {QStringLiteral("address"), wellFormed(record.address)},
        {QStringLiteral("url"), wellFormed(record.url.toString())},
        {QStringLiteral("status"),
         record.httpStatus > 0 ? QJsonValue(record.httpStatus) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("title"), wellFormed(record.title)},
        {QStringLiteral("lang"), wellFormed(record.lang)},
        {QStringLiteral("text"), wellFormed(record.text)},
        {QStringLiteral("ms"), record.ms},
        {QStringLiteral("index"), record.index},
    };
    if (!record.error.isEmpty())
        object.insert(QStringLiteral("error"), wellFormed(record.error));
    if (const CrawledPage* crawled = record.crawled) {
        QJsonArray links;
        for (const QString& link : crawled->links)
            links << wellFormed(link);
        object.insert(QStringLiteral("links"), links);
        object.insert(QStringLiteral("depth"), crawled->depth);
        object.insert(QStringLiteral("type"),
                      crawled->pdf ? QStringLiteral("pdf") : QStringLiteral("html"));
        if (!crawled->duplicateOf.isEmpty())
            object.insert(QStringLiteral("duplicate_of"), wellFormed(crawled->duplicateOf));
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace velcaro
