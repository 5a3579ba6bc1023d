#include "shell/UrlOpener.h"

#include <QDesktopServices>
#include <utility>

namespace vellinor {

namespace {

TUrlOpener& CurrentOpener() {
    static TUrlOpener opener = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    return opener;
}

} // namespace

TUrlOpener SetUrlOpener(TUrlOpener opener) {
    return std::exchange(CurrentOpener(), std::move(opener));
}

bool OpenUrl(const QUrl& url) {
    const TUrlOpener& opener = CurrentOpener();
    return opener ? opener(url) : false;
}

} // namespace vellinor
