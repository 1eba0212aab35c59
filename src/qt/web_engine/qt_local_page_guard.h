#pragma once

#include <QWebEngineUrlRequestInterceptor>

namespace velcaro {

// Keeps a page opened from a local file to what its own tags load. The engine lets such a
// page read any other local file with XMLHttpRequest or fetch and open WebSockets of its own;
// this interceptor, set on the profile, refuses those requests, and beacons, when they come
// from a local page or go to a local file. Stylesheets, scripts, images, frames and links
// given by the page's tags load as before.
class QtLocalPageGuard : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};

} // namespace velcaro
