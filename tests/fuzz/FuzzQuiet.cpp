// Every fuzz target: Qt's warnings (a refused file logs one) are dropped, so
// that the fuzzer's own output stays readable and its speed is not spent on
// writing them.
#include <QtGlobal>

namespace {

void dropMessage(QtMsgType, const QMessageLogContext&, const QString&) {
}

const bool installed = [] {
    qInstallMessageHandler(dropMessage);
    return true;
}();

} // namespace
