#pragma once
// A repeating timer as the view and the vector layer need it. The toolkit
// adapter supplies one on its event loop; without a host the view hands out a
// manual timer whose ticks the owner drives (tests, command-line batches).

#include <functional>

namespace vellinor {

class TIETimer {
public:
    virtual ~TIETimer() = default;
    virtual void Start(int intervalMs) = 0;
    virtual void Stop() = 0;
    virtual bool Active() const = 0;
    // Fired on every tick while active.
    std::function<void()> OnTimer;
};

class TIEManualTimer : public TIETimer {
public:
    void Start(int intervalMs) override;
    void Stop() override { fActive = false; }
    bool Active() const override { return fActive; }
    int Interval() const { return fInterval; }
    // One tick: fires OnTimer when active.
    void Tick();

private:
    bool fActive = false;
    int fInterval = 0;
};

} // namespace vellinor
