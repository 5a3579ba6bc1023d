#include "shell/FileFailureMessages.h"

#include "io/FormatDetection.h"
#include "io/FormatRegistry.h"
#include "io/ImageCodec.h"
#include "io/TIEImageIO.h"
#include "shell/InterfaceTexts.h"

namespace vellinor {

namespace {

QString Message(const char* text, const QString& path, const QString& reason) {
    QString message = QString::fromUtf8(text) + path;
    if (!reason.isEmpty()) message += QString::fromUtf8(texts::kReasonSeparator) + reason;
    // One line: the status panel shows it too.
    return message.simplified();
}

QString Unsupported() {
    return QString::fromUtf8(texts::kUnsupportedFormat);
}

} // namespace

QString ReasonOf(const EStreamError& error) {
    // The message names the file in quotes and ends with the system's text.
    const QString message = QString::fromUtf8(error.what());
    const qsizetype at = message.lastIndexOf(QStringLiteral("\". "));
    return at < 0 ? message : message.mid(at + 3);
}

namespace {

QString ReadReasonOf(const QString& path) {
    InitializeImageIO();
    const TIEFileFormatInfo* info = FindFormatByExtension(LowerExtension(path.toStdString()));
    if (info == nullptr) return Unsupported();
    if (!info->IsBuiltIn) return info->ReadProc ? QString() : Unsupported();
    const TIECodec* codec = FindCodec(info->FormatId);
    return codec != nullptr && codec->Read ? QString() : Unsupported();
}

QString WriteReasonOf(const QString& path) {
    InitializeImageIO();
    const std::string ext = LowerExtension(path.toStdString());
    if (const TIOFormatId format = TIEImageIO::SaveFormatOfExtension(ext); format != iofUnknown) {
        const TIECodec* codec = FindCodec(format);
        return codec != nullptr && codec->Write ? QString() : Unsupported();
    }
    const TIEFileFormatInfo* info = FindFormatByExtension(ext);
    return info != nullptr && !info->IsBuiltIn && info->WriteProc ? QString() : Unsupported();
}

} // namespace

QString RunFileOperation(TIEImageIO& io, const std::function<void()>& operation) {
    try {
        operation();
    } catch (const EStreamError& error) {
        io.AbortFlag = true;
        return ReasonOf(error);
    } catch (const std::exception& error) {
        io.AbortFlag = true;
        return QString::fromUtf8(error.what());
    }
    return {};
}

QString OpenFailureMessage(const QString& path, const QString& reason) {
    return Message(texts::kCannotOpenFile, path, reason.isEmpty() ? ReadReasonOf(path) : reason);
}

QString SaveFailureMessage(const QString& path, const QString& reason) {
    return Message(texts::kCannotSaveFile, path, reason.isEmpty() ? WriteReasonOf(path) : reason);
}

} // namespace vellinor
