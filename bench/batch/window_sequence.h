#pragma once

#include "batch_times.h"
#include "shell/application.h"
#include "support/qt_helpers.h"

#include <QString>
#include <QStringList>
#include <string>

namespace velcaro::bench {

// What a user does for each page in the program's windows, in this process: the address
// in Text1 and GO, and once the page has loaded "Copia testo Pag.Html" and the captured
// text saved as "Salva Testo .TXT" saves it (without its file dialog).
class WindowSequence {
public:
    WindowSequence();

    // Captures `pages` one after another, saving each page's text into `folder` under the
    // name the command-line capture gives it.
    BatchTimes run(const QStringList& pages, const QString& folder);

private:
    void capture(const QString& page, const QString& textFile);
    // What the program said in its message boxes, for an error.
    std::string shownMessages() const;

    testing::RecordingQtPlatform platform_;
    Application app_;
    QWidget* form1_ = nullptr;
    QWidget* view_ = nullptr;
};

} // namespace velcaro::bench
