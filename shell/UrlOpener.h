#pragma once
// Opens web and mail addresses with the desktop's default handler. Tests
// replace the opener to see what would be opened.

#include <QUrl>
#include <functional>

namespace vellinor {

using TUrlOpener = std::function<bool(const QUrl&)>;

// Returns the opener that was in place.
TUrlOpener SetUrlOpener(TUrlOpener opener);
bool OpenUrl(const QUrl& url);

} // namespace vellinor
