#pragma once
// What the I/O object needs from an image view it is attached to. The view
// implements this interface and hands itself to TIEImageIO::SetAttachedView;
// io/ never sees the view's own type. A view that goes away first calls
// SetAttachedView(nullptr) on the I/O object (the removal notification).

#include "platform/Color.h"

namespace vellinor {

class TIEBitmap;

// Messages posted to the view from worker threads in asynchronous mode; the
// view handles them on its own thread.
enum TIEViewMessage : int {
    iemRefresh = 8024,  // repaint and image-changed notification
    iemProgress = 8027, // param = percent
    iemFinished = 8028, // the finish-work event
};

class TIEViewLink {
public:
    virtual ~TIEViewLink() = default;

    // The bitmap the I/O object reads into and writes from (the current layer's).
    virtual TIEBitmap& IOBitmap() = 0;
    // After a load: repaint and raise the image-change notification.
    virtual void IORefresh() = 0;
    // The image's resolution in dots per inch (inside a begin/end-update
    // bracket). In asynchronous mode this comes from the worker thread.
    virtual void IOSetResolution(int dpiX, int dpiY) = 0;
    virtual TColor IOBackground() const = 0;
    virtual void IOSetBackground(TColor color) = 0;
    // From a worker thread: deliver message on the view's thread.
    virtual void IOPostMessage(TIEViewMessage message, int param) = 0;
};

} // namespace vellinor
