#pragma once

#include <QMap>
#include <QProcess>
#include <QString>

namespace velcaro::bench {

// The local proxy answering each address of `files` with its saved file (serve_pages.py, with
// a certificate made for the run in `folder`): its port, 0 when it could not start.
int startPageServer(const QMap<QString, QString>& files, const QString& folder, QProcess& server);

// The flags that send the Chromium engine and the window's engine to the proxy on `port`.
QStringList pageServerEnvironment(int port);

} // namespace velcaro::bench
