#pragma once

#include <QUrl>

namespace velcaro {

// Whether the local page at `page` may load the local file `target`: a file in the page's
// folder or below it, where it still is once its symbolic links are followed, neither a
// folder (its listing) nor hidden (a name below the folder starting with a dot).
bool localPageMayLoad(const QUrl& page, const QUrl& target);

} // namespace velcaro
