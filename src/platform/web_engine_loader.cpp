#include "platform/web_engine_loader.h"

#include "platform/velcaro_error.h"
#include "platform/web_page.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

namespace velcaro {
namespace {

// Beside the executable, where it is installed, or where the build left it.
QStringList moduleCandidates() {
    return {QCoreApplication::applicationDirPath() + QStringLiteral("/velcaro_web.so"),
            QStringLiteral(VELCARO_WEB_MODULE_INSTALLED), QStringLiteral(VELCARO_WEB_MODULE_BUILT)};
}

CreateWebPage loadFactory() {
    static CreateWebPage factory = nullptr;
    if (factory)
        return factory;
    QString problems;
    for (const QString& path : moduleCandidates()) {
        if (!QFileInfo::exists(path))
            continue;
        QLibrary library(path);
        factory = reinterpret_cast<CreateWebPage>(library.resolve(kCreateWebPageSymbol));
        if (factory)
            return factory;
        problems += QStringLiteral("\n") + library.errorString();
    }
    throw VelcaroError(error::kInternal,
                       QStringLiteral("Impossibile caricare il motore web (velcaro_web.so).") +
                           problems);
}

} // namespace

std::unique_ptr<WebPage> createWebPage(QWidget* parent) {
    return std::unique_ptr<WebPage>(loadFactory()(parent));
}

} // namespace velcaro
