#pragma once

#include <functional>

namespace velcaro {

class Application;
class FormWindow;

// The life of one window class's default instance: not loaded, loaded (hidden or shown),
// unloaded. Loading builds the window with its designed controls and runs Form_Load;
// unloading destroys them, and a later reference builds them anew.
class Form {
public:
    explicit Form(Application& app) : app_(app) {}
    virtual ~Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    bool isLoaded() const { return loaded_; }
    bool isVisible() const;

    void Load();
    // Loads the window if needed and shows it; the first showing runs Form_Resize.
    void Show();
    void SetFocus();
    void Unload();

    // The window itself, loading it first.
    FormWindow& Me();

    // Runs a handler for an event that came from the user, through the error report.
    void dispatch(const std::function<void()>& handler);

protected:
    virtual void createUi() = 0;
    virtual void destroyUi() = 0;
    virtual FormWindow& uiWindow() const = 0;
    virtual void Form_Load() {}
    // Runs when the window is unloaded, while its controls still exist.
    virtual void Form_Unload() {}

    Application& app_;

private:
    bool loaded_ = false;
};

} // namespace velcaro
