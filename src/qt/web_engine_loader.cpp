#include "qt/web_engine_loader.h"

#include "platform/velcaro_error.h"
#include "qt/capture_module.h"
#include "qt/web_page.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace velcaro {
namespace {

// The module named by VELCARO_WEB_MODULE (the tests name the one they were built with), or
// else found from the program's own folder: where the install puts it, then beside the
// program, where the build leaves it. No path of the build folder is built into the program.
QStringList moduleCandidates() {
    const QString named = qEnvironmentVariable("VELCARO_WEB_MODULE");
    if (!named.isEmpty())
        return {named};
    // Before the application object (the engine's versions for --version), from the kernel.
    const QString programFolder = QCoreApplication::instance()
                                      ? QCoreApplication::applicationDirPath()
                                      : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    return {QDir::cleanPath(programFolder + QStringLiteral("/" VELCARO_WEB_MODULE_FROM_PROGRAM)),
            programFolder + QStringLiteral("/velcaro_web.so")};
}

// The engine warns that it should have been set up before the application object, which this
// program avoids on purpose to start faster; those warnings are dropped while it loads.
class LateLoadWarningFilter {
public:
    LateLoadWarningFilter() { previous_ = qInstallMessageHandler(&filter); }
    ~LateLoadWarningFilter() { qInstallMessageHandler(previous_); }

private:
    static void filter(QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (message.contains(QLatin1String("initialized from a plugin")) ||
            message.contains(QLatin1String("AA_ShareOpenGLContexts")))
            return;
        previous_(type, context, message);
    }
    static inline QtMessageHandler previous_ = nullptr;
};

// The module's function named `symbol`, the module being loaded the first time.
QFunctionPointer resolveInModule(const char* symbol) {
    QString problems;
    for (const QString& path : moduleCandidates()) {
        if (!QFileInfo::exists(path))
            continue;
        QLibrary library(path);
        if (const QFunctionPointer function = library.resolve(symbol))
            return function;
        problems += QStringLiteral("\n") + library.errorString();
    }
    throw VelcaroError(error::kInternal,
                       QStringLiteral("Impossibile caricare il motore web (velcaro_web.so).") +
                           problems);
}

CreateWebPage loadFactory() {
    static CreateWebPage factory = nullptr;
    if (!factory)
        factory = reinterpret_cast<CreateWebPage>(resolveInModule(kCreateWebPageSymbol));
    return factory;
}

} // namespace

std::unique_ptr<WebPage> createWebPage(QWidget* parent) {
    const LateLoadWarningFilter quiet;
    return std::unique_ptr<WebPage>(loadFactory()(parent));
}

CaptureModule& captureModule() {
    static CaptureModule* module = nullptr;
    if (!module) {
        const LateLoadWarningFilter quiet;
        module = reinterpret_cast<GetCaptureModule>(resolveInModule(kCaptureModuleSymbol))();
    }
    return *module;
}

WebEngineFacts webEngineFacts() {
    const LateLoadWarningFilter quiet;
    WebEngineFacts facts;
    reinterpret_cast<ReadWebEngineFacts>(resolveInModule(kReadWebEngineFactsSymbol))(&facts);
    return facts;
}

} // namespace velcaro
