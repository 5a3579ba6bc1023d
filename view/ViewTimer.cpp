#include "view/ViewTimer.h"

namespace vellinor {

void TIEManualTimer::Start(int intervalMs) {
    fInterval = intervalMs;
    fActive = true;
}

void TIEManualTimer::Tick() {
    if (fActive && OnTimer) OnTimer();
}

} // namespace vellinor
