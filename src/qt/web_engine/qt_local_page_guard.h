#pragma once

#include <QWebEngineUrlRequestInterceptor>

namespace velcaro {

// Keeps a page opened from a local file to its own folder. The engine lets such a page read
// any other local file (with XMLHttpRequest or fetch, or by framing it and reading the frame)
// and open WebSockets of its own; this interceptor, set on the profile, refuses those requests,
// and beacons, when they come from a local page or go to a local file, and refuses a local
// page's frames, objects, images, stylesheets and scripts outside its folder (localPageMayLoad).
// The main frame's navigations are left to the page (QtGuardedPage), which knows the user's own.
class QtLocalPageGuard : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};

} // namespace velcaro
