#include "shell/application.h"

#include "browser_window/form1.h"
#include "platform/message_box.h"
#include "platform/platform.h"
#include "text_window/form3.h"

namespace velcaro {

Application::Application(Platform& platform)
    : platform_(platform), errorReport_(platform.messageBox()) {}

Application::~Application() = default;

Form1& Application::form1() {
    if (!form1_)
        form1_ = std::make_unique<Form1>(*this);
    return *form1_;
}

Form3& Application::form3() {
    if (!form3_)
        form3_ = std::make_unique<Form3>(*this);
    return *form3_;
}

void Application::MsgBox(const QString& prompt) {
    platform_.messageBox().MsgBox(prompt);
}

QString Application::appPath() const {
    return platform_.applicationFolder();
}

void Application::quitWhenNoWindowIsVisible() {
    const bool anyVisible = (form1_ && form1_->isVisible()) || (form3_ && form3_->isVisible());
    if (anyVisible || quitting_)
        return;
    quitting_ = true;
    platform_.quit();
}

} // namespace velcaro
