#pragma once

#include <QWidget>
#include <memory>

namespace velcaro {

class CaptureModule;
class WebPage;

// Loads the web engine module (once) and creates a page in `parent`. Throws VelcaroError
// when the module cannot be found or loaded.
std::unique_ptr<WebPage> createWebPage(QWidget* parent);

// Loads the web engine module (once) and gives its side for the command-line capture. Throws
// VelcaroError as createWebPage does.
CaptureModule& captureModule();

} // namespace velcaro
