#include "qt/web_engine/qt_our_world.h"

#include <QEventLoop>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <memory>

namespace velcaro {

QVariant runInOurWorld(QWebEnginePage& page, const QString& script, int timeoutMs) {
    struct Answer {
        bool received = false;
        QVariant value;
        QEventLoop* loop = nullptr;
    };
    const auto answer = std::make_shared<Answer>();
    page.runJavaScript(script, QWebEngineScript::ApplicationWorld, [answer](const QVariant& v) {
        answer->received = true;
        answer->value = v;
        if (answer->loop)
            answer->loop->quit();
    });
    if (!answer->received) {
        QEventLoop loop;
        answer->loop = &loop;
        QObject::connect(&page, &QObject::destroyed, &loop, &QEventLoop::quit);
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
        answer->loop = nullptr;
    }
    return answer->value;
}

} // namespace velcaro
