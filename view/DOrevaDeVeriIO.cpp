// The I/O object bound to the view, and work posted to the view's thread.

#include "io/TIEImageIO.h"
#include "view/DOrevaDeVeri.h"
#include "view/ViewHost.h"

namespace vellinor {

namespace {

// What the I/O object sees of the view.
class TViewIOLink : public TIEViewLink {
public:
    explicit TViewIOLink(DOrevaDeVeri& view) : fView(view) {}

    TIEBitmap& IOBitmap() override { return fView.CurrentBitmap(); }
    void IORefresh() override { fView.ImageChange(); }
    void IOSetResolution(int dpiX, int dpiY) override {
        fView.DpiX = dpiX;
        fView.DpiY = dpiY;
    }
    TColor IOBackground() const override { return fView.Background; }
    void IOSetBackground(TColor color) override { fView.Background = color; }
    void IOPostMessage(TIEViewMessage message, int param) override {
        DOrevaDeVeri* view = &fView;
        switch (message) {
        case iemRefresh:
            view->PostToViewThread([view] { view->ImageChange(); });
            break;
        case iemProgress:
            view->PostToViewThread([view, param] { view->NotifyProgress(param); });
            break;
        case iemFinished:
            view->PostToViewThread([view] { view->NotifyFinishWork(); });
            break;
        }
    }

private:
    DOrevaDeVeri& fView;
};

} // namespace

TIEImageIO* DOrevaDeVeri::AttachedIO() {
    if (!fIO) {
        fIOLink = std::make_unique<TViewIOLink>(*this);
        fIO = std::make_unique<TIEImageIO>();
        fIO->SetAttachedView(fIOLink.get());
        fIO->OnProgress = [this](TIEImageIO&, int per) { NotifyProgress(per); };
        fIO->OnFinishWork = [this](TIEImageIO&) { NotifyFinishWork(); };
    }
    return fIO.get();
}

void DOrevaDeVeri::NotifyFinishWork() {
    if (OnFinishWork) OnFinishWork(*this);
}

void DOrevaDeVeri::PostToViewThread(std::function<void()> work) {
    {
        const std::lock_guard<std::mutex> lock(fPostedLock);
        fPosted.push_back(std::move(work));
    }
    if (fHost != nullptr) fHost->WakeViewThread();
}

void DOrevaDeVeri::DispatchPostedWork() {
    std::vector<std::function<void()>> work;
    {
        const std::lock_guard<std::mutex> lock(fPostedLock);
        work.swap(fPosted);
    }
    for (auto& w : work)
        w();
}

} // namespace vellinor
