#pragma once

#include "qt/web_page.h"

#include <QWidget>
#include <memory>

namespace velcaro {

class CaptureModule;

// Loads the web engine module (once) and creates a page in `parent`. Throws VelcaroError
// when the module cannot be found or loaded.
std::unique_ptr<WebPage> createWebPage(QWidget* parent);

// Loads the web engine module (once) and gives its side for the command-line capture. Throws
// VelcaroError as createWebPage does.
CaptureModule& captureModule();

// The versions of the module's engine, read without starting it (the module is loaded).
// Throws VelcaroError as createWebPage does.
WebEngineFacts webEngineFacts();

} // namespace velcaro
