#include "shell/form.h"

#include "platform/form_window.h"
#include "shell/application.h"
#include "shell/error_report.h"

namespace velcaro {

bool Form::isVisible() const {
    return loaded_ && uiWindow().isVisible();
}

void Form::Load() {
    if (loaded_)
        return;
    createUi();
    loaded_ = true;
    Form_Load();
}

void Form::Show() {
    Load();
    uiWindow().Show();
}

void Form::SetFocus() {
    Me().SetFocus();
}

void Form::Unload() {
    if (!loaded_)
        return;
    Form_Unload();
    loaded_ = false;
    destroyUi();
    app_.quitWhenNoWindowIsVisible();
}

FormWindow& Form::Me() {
    Load();
    return uiWindow();
}

void Form::dispatch(const std::function<void()>& handler) {
    app_.errorReport().run(handler);
}

} // namespace velcaro
