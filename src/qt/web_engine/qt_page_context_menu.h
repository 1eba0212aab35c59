#pragma once

class QMenu;
class QWebEnginePage;

namespace velcaro {

// The page's right-click menu as this program offers it: Italian captions for the engine's
// actions it keeps (the engine ships no Italian of its own), without those that have nothing
// to act on here (new windows and tabs, downloads, the page source, the developer tools).
void adaptPageContextMenu(QMenu& menu, QWebEnginePage& page);

} // namespace velcaro
