#include "qt/web_engine/qt_our_world.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <memory>

namespace velcaro {

void askInOurWorld(QWebEnginePage& page, const QString& script, int timeoutMs, QObject* receiver,
                   std::function<void(const QVariant&)> answered) {
    struct Question {
        QPointer<QObject> receiver;
        std::function<void(const QVariant&)> answered;
        bool done = false;
    };
    const auto question = std::make_shared<Question>();
    question->receiver = receiver;
    question->answered = std::move(answered);
    const auto answer = [question](const QVariant& value) {
        if (question->done || !question->receiver)
            return;
        question->done = true;
        question->answered(value);
    };
    QTimer::singleShot(timeoutMs, receiver, [answer] { answer(QVariant()); });
    page.runJavaScript(script, QWebEngineScript::ApplicationWorld, answer);
}

QVariant runInOurWorld(QWebEnginePage& page, const QString& script, int timeoutMs) {
    QVariant value;
    bool answered = false;
    QEventLoop loop;
    askInOurWorld(page, script, timeoutMs, &loop, [&](const QVariant& v) {
        value = v;
        answered = true;
        loop.quit();
    });
    if (!answered) {
        QObject::connect(&page, &QObject::destroyed, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return value;
}

} // namespace velcaro
