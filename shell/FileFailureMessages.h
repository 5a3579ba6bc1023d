#pragma once
// The one-line messages that tell the user a picture could not be opened or
// saved: "无法打开文件 <file>" / "无法保存文件 <file>", with the reason when
// one is known (the system's, or that no codec handles the format).

#include "platform/Stream.h"

#include <QString>
#include <functional>

namespace vellinor {

class TIEImageIO;

// Runs a load or save of io. An error that leaves it counts as a failure
// (AbortFlag set); the reason it gave is returned (empty when none).
QString RunFileOperation(TIEImageIO& io, const std::function<void()>& operation);

// Without a reason from the operation, the reason is kUnsupportedFormat when
// no reader (writer) exists for the file's extension.
QString OpenFailureMessage(const QString& path, const QString& reason);
QString SaveFailureMessage(const QString& path, const QString& reason);

// The system's reason in a file error ("Cannot open file "x". <reason>").
QString ReasonOf(const EStreamError& error);

} // namespace vellinor
