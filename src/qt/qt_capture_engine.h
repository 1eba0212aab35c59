#pragma once

#include "platform/capture_engine.h"

#include <QWidget>
#include <memory>

namespace velcaro {

// CaptureEngine on Qt WebEngine, the window's engine, loaded from its module when started. Its
// sessions' pages fill a widget of its own, as large as the browser window's area when it first
// shows a page, so that pages laid out by width give the window's text; on the offscreen
// platform of the capture nobody sees it.
class QtCaptureEngine : public CaptureEngine {
public:
    // `note`: what preparing the process for the engine changed, to be told once it runs (the
    // sandbox turned off as root), or empty. The engine needs the application object from
    // start() on; description() needs none.
    explicit QtCaptureEngine(QString note = {});
    ~QtCaptureEngine() override;

    // Without the module, only Qt's version.
    QString description() const override;
    void start(std::function<void(const QString& failure)> ready) override;
    QString note() const override { return note_; }
    QString userAgent() const override { return userAgent_; }
    // Throws VelcaroError when the module cannot be loaded.
    std::unique_ptr<PageSession> openSession() override;

private:
    QWidget& host();

    std::unique_ptr<QWidget> host_;
    QString note_;
    QString userAgent_;
};

} // namespace velcaro
