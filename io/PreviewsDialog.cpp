#include "io/PreviewsDialog.h"

#include <mutex>

namespace vellinor {

namespace {

std::mutex gFactoryLock;

TIEPreviewsDialogFactory& Factory() {
    static TIEPreviewsDialogFactory factory;
    return factory;
}

} // namespace

void SetPreviewsDialogFactory(TIEPreviewsDialogFactory factory) {
    std::lock_guard guard(gFactoryLock);
    Factory() = std::move(factory);
}

const TIEPreviewsDialogFactory& PreviewsDialogFactory() {
    std::lock_guard guard(gFactoryLock);
    return Factory();
}

} // namespace vellinor
