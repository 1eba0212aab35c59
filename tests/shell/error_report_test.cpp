// The error report: which number and text each kind of failure escaping a handler becomes.

#include "platform/message_box.h"
#include "platform/velcaro_error.h"
#include "shell/error_report.h"
#include "support/fakes.h"

#include <gtest/gtest.h>
#include <new>
#include <stdexcept>

using namespace velcaro;
using namespace velcaro::testing;

namespace {

class ThrowingMessageBox : public FakeMessageBox {
public:
    int calls = 0;
    void MsgBox(const QString&) override {
        ++calls;
        throw std::runtime_error("nessuna finestra");
    }
};

TEST(ErrorReport, EachFailureBecomesANumberAndAnItalianDescription) {
    FakeMessageBox box;
    ErrorReport report(box);
    report.run(
        [] { throw VelcaroError(error::kPathNotFound, QStringLiteral("Percorso non trovato")); });
    report.run([] { throw std::bad_alloc(); });
    report.run([] { throw std::runtime_error("guasto"); });
    ASSERT_EQ(box.prompts.size(), 3);
    EXPECT_EQ(box.prompts[0], QStringLiteral("Errore 76:\n\nPercorso non trovato"));
    EXPECT_EQ(box.prompts[1], QStringLiteral("Errore 7:\n\nMemoria insufficiente."));
    EXPECT_EQ(box.prompts[2], QStringLiteral("Errore 51:\n\nErrore interno: guasto"));
}

TEST(ErrorReport, AHandlerThatSucceedsReportsNothing) {
    FakeMessageBox box;
    ErrorReport report(box);
    bool ran = false;
    report.run([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(box.prompts.isEmpty());
}

TEST(ErrorReport, AStepTheProgramCannotDoWithoutIsReportedOnStandardError) {
    FakeMessageBox box;
    ErrorReport report(box);
    bool ran = false;
    EXPECT_TRUE(report.runOrPrint([&] { ran = true; }));
    EXPECT_TRUE(ran);

    ::testing::internal::CaptureStderr();
    const bool shown = report.runOrPrint(
        [] { throw VelcaroError(error::kInternal, QStringLiteral("La finestra non si apre.")); });
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(shown);
    EXPECT_EQ(err, "Errore 51:\n\nLa finestra non si apre.\n");
    EXPECT_TRUE(box.prompts.isEmpty()) << "no message box without a window to show it over";
}

TEST(ErrorReport, AMessageBoxThatFailsDoesNotEndTheProgram) {
    ThrowingMessageBox box;
    ErrorReport report(box);
    report.run([] { throw VelcaroError(error::kDiskFull, QStringLiteral("Disco pieno")); });
    report.report(error::kInternal, QStringLiteral("ancora"));
    EXPECT_EQ(box.calls, 2) << "each failure is still offered to the message box";
}

} // namespace
