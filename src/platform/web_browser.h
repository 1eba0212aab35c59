#pragma once

#include <QString>

namespace velcaro {

// Command identifiers and execution options of ExecWB, with the values of the published
// OLECMDID and OLECMDEXECOPT enumerations.
namespace olecmd {
constexpr int kPrint = 6;
constexpr int kPrintPreview = 7;
constexpr int kCopy = 12;
constexpr int kSelectAll = 17;
constexpr int kClearSelection = 18;
constexpr int kPromptUser = 1;
constexpr int kDontPromptUser = 2;
} // namespace olecmd

// The embedded web browser. Every operation may throw VelcaroError.
class WebBrowser {
public:
    virtual ~WebBrowser() = default;

    // Starts loading a web address or a local file path and returns at once.
    virtual void Navigate(const QString& url) = 0;
    // Runs a command on the document shown; fails when it cannot run (no document).
    virtual void ExecWB(int cmdID, int cmdexecopt) = 0;
    virtual void setVisible(bool visible) = 0;
    // Places the browser area in the window's client area, in twips.
    virtual void Move(float left, double top, float width, double height) = 0;
    // Selects the main text of the document shown (the article without its menus, sidebars,
    // comments and footers), which the next copy takes; when no main text stands out, selects
    // the whole document, as the select-all command does. Returns whether main text was found.
    virtual bool selectMainText() = 0;
};

} // namespace velcaro
