#pragma once

#include <QWidget>
#include <memory>

namespace velcaro {

class WebPage;

// Loads the web engine module (once) and creates a page in `parent`. Throws VelcaroError
// when the module cannot be found or loaded.
std::unique_ptr<WebPage> createWebPage(QWidget* parent);

} // namespace velcaro
