#pragma once
// The record every reader and writer receives: where to report progress and
// the abort flag through which failure is signalled.
//
// Convention for codecs:
// - Failure (bad signature, unsupported variant, truncated data that makes the
//   picture unusable, a refused allocation) sets the flag with Abort() and
//   returns; a codec shows nothing and throws nothing.
// - Before each unit (row) i: report trunc(i x PercentPerUnit), with
//   PercentPerUnit = 100 / units, and stop once Aborted() is true (the user, or
//   another part of the codec, may have raised it).

#include <functional>

namespace vellinor {

// (Sender, percent 0..100)
using TIEProgressProc = std::function<void(void* sender, int percent)>;

struct TIOProgressRec {
    TIEProgressProc ProgressProc; // may be empty
    void* Sender = nullptr;
    int Value = 0;
    int Total = 0;
    double PercentPerUnit = 0;
    double PercentPerUnit2 = 0;
    bool* AbortFlagRef = nullptr;

    bool Aborted() const { return AbortFlagRef != nullptr && *AbortFlagRef; }
    void Abort() const {
        if (AbortFlagRef != nullptr) *AbortFlagRef = true;
    }
    void Report(int percent) const {
        if (ProgressProc) ProgressProc(Sender, percent);
    }
    // Sets PercentPerUnit for `units` units (rows); none leaves it 0.
    void SetUnits(int units) { PercentPerUnit = units > 0 ? 100.0 / units : 0; }
    // The percent of unit i, truncated toward zero.
    int PercentOf(int unit) const { return static_cast<int>(unit * PercentPerUnit); }
    // Reports unit i when its percent differs from lastReported (which it
    // updates). Returns false when the work must stop.
    bool ReportUnitIfChanged(int unit, int& lastReported) const {
        const int percent = PercentOf(unit);
        if (ProgressProc && percent != lastReported) {
            lastReported = percent;
            ProgressProc(Sender, percent);
        }
        return !Aborted();
    }
};

} // namespace vellinor
