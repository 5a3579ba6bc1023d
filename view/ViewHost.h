#pragma once
// What the view asks of the toolkit widget that shows it.

#include <functional>
#include <memory>

namespace vellinor {

class TIETimer;

class TIEViewHost {
public:
    virtual ~TIEViewHost() = default;
    // The back buffer, the scroll state or both changed: show them.
    virtual void ViewChanged() = 0;
    // Show this screen cursor over the view now.
    virtual void ShowViewCursor(int index) = 0;
    virtual std::unique_ptr<TIETimer> CreateTimer() = 0;
    // Called from any thread: run the view's DispatchPostedWork on its thread soon.
    virtual void WakeViewThread() = 0;
};

} // namespace vellinor
