#include "tracecategory.h"

Q_LOGGING_CATEGORY(dxcamTrace, "dxcam.trace", QtDebugMsg)

namespace {

QtMessageHandler nextHandler = nullptr;

void writePlain(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (qstrcmp(context.category, dxcamTrace().categoryName()) != 0) {
        nextHandler(type, context, message);
        return;
    }
    const QMessageLogContext plain(context.file, context.line, context.function, "default");
    nextHandler(type, plain, message);
}

} // namespace

void keepTraceLinesPlain()
{
    if (nextHandler || qEnvironmentVariableIsSet("QT_MESSAGE_PATTERN"))
        return;
    nextHandler = qInstallMessageHandler(writePlain);
}
