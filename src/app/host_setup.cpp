#include "host_setup.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include "report/host_hooks.h"

namespace qrp::app {

void ConnectCoreToQt() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        SetScreenPixelsPerInch(qRound(screen->logicalDotsPerInch()));
    SetProcessMessagesHook([] { QCoreApplication::processEvents(); });
}

void DisconnectCoreFromQt() {
    SetProcessMessagesHook({});
    SetScreenPixelsPerInch(kDefaultScreenPixelsPerInch);
}

}  // namespace qrp::app
