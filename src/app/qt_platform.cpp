#include "app/qt_platform.h"

#include "platform/default_save_folder.h"
#include "qt/qt_accessible_application.h"
#include "qt/qt_engine_notice.h"
#include "qt/qt_form1_ui.h"
#include "qt/qt_form3_ui.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <utility>

namespace velcaro {

QtPlatform::QtPlatform()
    : recovery_(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
                QStringLiteral("/recupero")) {
    QtAccessibleApplication::install();
}

std::unique_ptr<Form1Ui> QtPlatform::createForm1Ui(Form1& form) {
    auto ui = std::make_unique<QtForm1Ui>(form, AppRecord::windowTitle());
    if (std::exchange(tellOfOldEngine_, false))
        QtEngineNotice::tellWhenOutdated(ui->browserArea());
    return ui;
}

std::unique_ptr<Form3Ui> QtPlatform::createForm3Ui(Form3& form) {
    return std::make_unique<QtForm3Ui>(form);
}

QString QtPlatform::applicationFolder() const {
    const DefaultSaveFolder rule(
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), QDir::homePath());
    return rule.forApplicationFolder(QCoreApplication::applicationDirPath());
}

void QtPlatform::quit() {
    QCoreApplication::quit();
}

} // namespace velcaro
