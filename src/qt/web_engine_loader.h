#pragma once

#include "qt/web_page.h"

#include <QWidget>
#include <memory>

namespace velcaro {

// Loads the web engine module (once) and creates a page in `parent`. Throws VelcaroError
// when the module cannot be found or loaded.
std::unique_ptr<WebPage> createWebPage(QWidget* parent);

// The versions of the module's engine, read without starting it (the module is loaded).
// Throws VelcaroError as createWebPage does.
WebEngineFacts webEngineFacts();

} // namespace velcaro
