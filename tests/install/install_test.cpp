// `cmake --install` into a temporary prefix: everything lands under it, and the installed
// program finds its web engine module from its own folder, with the build's module hidden.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Renames a file for the lifetime of the object.
class HiddenFile {
public:
    explicit HiddenFile(QString path) : path_(std::move(path)) {
        hidden_ = QFile::rename(path_, path_ + QStringLiteral(".hidden"));
    }
    ~HiddenFile() {
        if (hidden_)
            QFile::rename(path_ + QStringLiteral(".hidden"), path_);
    }
    bool hidden() const { return hidden_; }

private:
    QString path_;
    bool hidden_ = false;
};

class Install : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(prefix.isValid());
        QProcess install;
        install.start(QStringLiteral(CMAKE_COMMAND_PATH),
                      {QStringLiteral("--install"), QStringLiteral(BUILD_FOLDER),
                       QStringLiteral("--prefix"), prefix.path()});
        ASSERT_TRUE(install.waitForFinished(120000));
        ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().constData();
    }
    QString installed(const QString& relative) const { return prefix.filePath(relative); }
    QProcessEnvironment programEnvironment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("VELCARO_WEB_MODULE"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // Not the user's own: a text left in his recovery folder would be offered first.
        env.insert(QStringLiteral("XDG_DATA_HOME"), prefix.filePath(QStringLiteral("data")));
        return env;
    }

    QTemporaryDir prefix;
};

TEST_F(Install, PutsEverythingUnderThePrefix) {
    QFile manifest(QStringLiteral(BUILD_FOLDER "/install_manifest.txt"));
    ASSERT_TRUE(manifest.open(QIODevice::ReadOnly));
    const QStringList files =
        QString::fromUtf8(manifest.readAll()).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_GT(files.size(), 10);
    for (const QString& file : files)
        EXPECT_TRUE(file.startsWith(prefix.path() + u'/')) << qPrintable(file);

    EXPECT_TRUE(QFileInfo(installed(QStringLiteral("bin/velcaro"))).isExecutable());
    EXPECT_TRUE(QFileInfo::exists(installed(QStringLiteral(INSTALLED_WEB_MODULE))));
    EXPECT_TRUE(
        QFileInfo::exists(installed(QStringLiteral("share/applications/" APP_ID ".desktop"))));
    EXPECT_TRUE(
        QFileInfo::exists(installed(QStringLiteral("share/metainfo/" APP_ID ".metainfo.xml"))));
    EXPECT_TRUE(QFileInfo::exists(
        installed(QStringLiteral("share/icons/hicolor/scalable/apps/" APP_ID ".svg"))));
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString png =
            installed(QStringLiteral("share/icons/hicolor/%1x%1/apps/" APP_ID ".png").arg(size));
        QFile f(png);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << qPrintable(png);
        EXPECT_TRUE(f.read(8).startsWith("\x89PNG")) << qPrintable(png);
    }
}

TEST_F(Install, TheInstalledProgramLoadsAPageThroughTheInstalledModule) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QByteArray request;
    QObject::connect(&server, &QTcpServer::newConnection, [&server, &request] {
        QTcpSocket* socket = server.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, &request] {
            request += socket->readAll();
            if (!request.contains("\r\n\r\n"))
                return;
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 9\r\n"
                          "Connection: close\r\n\r\n<p>ok</p>");
            socket->disconnectFromHost();
        });
    });

    const HiddenFile builtModule(QStringLiteral(BUILT_WEB_MODULE));
    ASSERT_TRUE(builtModule.hidden());
    QProcess program;
    program.setProcessEnvironment(programEnvironment());
    program.start(installed(QStringLiteral("bin/velcaro")),
                  {QStringLiteral("http://127.0.0.1:%1/pagina").arg(server.serverPort())});
    ASSERT_TRUE(program.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(request.contains("GET /pagina"), 60000);
    program.terminate();
    program.waitForFinished(10000);
    EXPECT_FALSE(program.readAllStandardError().contains("velcaro_web.so"));
}

TEST_F(Install, TheInstalledProgramAnswersItsVersion) {
    QProcess program;
    program.setProcessEnvironment(programEnvironment());
    program.start(installed(QStringLiteral("bin/velcaro")), {QStringLiteral("--version")});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitCode(), 0);
    // The engine's line comes from the installed module, found from the program's folder.
    const QByteArray out = program.readAllStandardOutput();
    EXPECT_TRUE(out.startsWith("Velcaro 1.00\nMotore web della finestra: Qt WebEngine 6."))
        << out.constData();
}

} // namespace
