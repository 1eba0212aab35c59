#include "rtf/field_instruction.h"

namespace velcaro::rtf {

QString hyperlinkTarget(const QString& instruction) {
    const QString inst = instruction.trimmed();
    const QLatin1String name("HYPERLINK");
    if (!inst.startsWith(name, Qt::CaseInsensitive))
        return QString();
    QString target;
    QString anchor;
    qsizetype i = name.size();
    bool anchorNext = false;
    while (i < inst.size()) {
        while (i < inst.size() && inst[i].isSpace())
            ++i;
        if (i >= inst.size())
            break;
        QString arg;
        if (inst[i] == u'"') {
            for (++i; i < inst.size() && inst[i] != u'"'; ++i) {
                if (inst[i] == u'\\' && i + 1 < inst.size())
                    ++i;
                arg += inst[i];
            }
            ++i;
        } else {
            while (i < inst.size() && !inst[i].isSpace())
                arg += inst[i++];
            if (arg == QLatin1String("\\l")) {
                anchorNext = true;
                continue;
            }
            if (arg.startsWith(u'\\'))
                continue; // another switch
        }
        if (anchorNext)
            anchor = arg;
        else if (target.isEmpty())
            target = arg;
        anchorNext = false;
    }
    if (!anchor.isEmpty())
        target += QLatin1Char('#') + anchor;
    return target;
}

} // namespace velcaro::rtf
